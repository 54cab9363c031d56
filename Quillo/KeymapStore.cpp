#include "KeymapStore.hpp"

#include "Platform/FileSystem.hpp"
#include "QuilloCore/FileLimits.hpp"
#include "QuilloCore/KeymapFile.hpp"

namespace quillo {

using platform::FileEvent;

KeymapStore::KeymapStore(platform::MainLoop& loop, const platform::Paths& paths,
                         platform::FileSystem& files, const platform::Bundle& bundle,
                         platform::SystemLog& systemLog)
    : loop_(loop),
      files_(files),
      bundle_(bundle),
      log_(systemLog, "app"),
      directoryURL_(paths.applicationSupport() / "Quillo"),
      filePath_(directoryURL_ / "keymap.json") {}

void KeymapStore::writeDefaultFile(const std::filesystem::path& path) {
  const auto resource = bundle_.resource("keymap.json");
  if (!resource) return;
  const platform::FileResult contents = files_.read(*resource, FileLimits::maximumSize);
  std::optional<std::string> error;
  if (!contents.ok) error = contents.error;
  if (!error) error = files_.writeAtomically(path, contents.contents, 0644);
  if (error) log_.error("Couldn't install the default keymap: " + *error);
}

void KeymapStore::reload() {
  const platform::FileResult read = files_.read(filePath_, FileLimits::maximumSize);
  if (!read.ok) {
    keymap_ = Keymap::default_();
    warnings_.clear();
    loadError_ = read.notRegularFile                                            ? notRegularText
                 : files_.kindAt(filePath_) == platform::FileKind::symbolicLink ? brokenLinkText
                                                                                : missingText;
  } else {
    try {
      KeymapLoadResult result = Keymap::parse(read.contents);
      keymap_ = std::move(result.keymap);
      warnings_ = std::move(result.warnings);
      loadError_.reset();
      // A keymap without sequences keeps the line it always had.
      const std::size_t sequences = keymap_.sequenceCount();
      log_.info("Keymap loaded: " + std::to_string(keymap_.bindings.size()) + " keys, " +
                (sequences ? std::to_string(sequences) + " sequences, " : std::string()) +
                std::to_string(warnings_.size()) + " warnings");
    } catch (const KeymapError& error) {
      loadError_ = error.description() + stillInUseText;
      log_.error("Keymap not loaded: " + error.description());
    }
  }
  if (onChange_) onChange_();
}

std::unique_ptr<platform::FileSource> KeymapStore::watch(const std::filesystem::path& path,
                                                         platform::FileEvents events) {
  return loop_.watch(path, events, [weak = lifeline_.weak()](platform::FileEvents) {
    if (KeymapStore* store = Lifeline<KeymapStore>::lock(weak)) store->scheduleReload();
  });
}

void KeymapStore::start() {
  files_.createDirectories(directoryURL_);
  // Only where nothing at all stands: a link whose file is not there yet
  // is the user's, and stays.
  if (files_.kindAt(filePath_) == platform::FileKind::none) writeDefaultFile(filePath_);
  reload();
  directoryWatcher_ = watch(directoryURL_, FileEvent::write);
  fileWatcher_ = watch(
      filePath_, FileEvent::write | FileEvent::extend | FileEvent::delete_ | FileEvent::rename);
}

void KeymapStore::scheduleReload() {
  if (pendingReload_) pendingReload_->cancel();
  pendingReload_ = loop_.schedule(platform::Duration(debounceSeconds), [weak = lifeline_.weak()] {
    KeymapStore* store = Lifeline<KeymapStore>::lock(weak);
    if (!store) return;
    // Watch whatever file is at the path now: an editor may have replaced it.
    store->fileWatcher_.reset();
    store->fileWatcher_ =
        store->watch(store->filePath_,
                     FileEvent::write | FileEvent::extend | FileEvent::delete_ | FileEvent::rename);
    store->reload();
  });
}

void KeymapStore::resetToDefaults() {
  files_.createDirectories(directoryURL_);
  using platform::FileKind;
  std::filesystem::path destination = filePath_;
  bool moveAside = false;
  switch (files_.kindAt(filePath_)) {
    case FileKind::none:
    case FileKind::regular:
      break;
    case FileKind::symbolicLink: {
      // The link is the user's: the file it leads to is reset.
      std::error_code error;
      const auto target = std::filesystem::canonical(filePath_, error);
      if (!error && files_.kindAt(target) == FileKind::regular) {
        destination = target;
      } else {
        moveAside = true;
      }
      break;
    }
    case FileKind::directory:
    case FileKind::other:
      moveAside = true;
      break;
  }
  if (moveAside) {
    const auto aside = platform::freeSibling(filePath_, movedAsideSuffix);
    if (auto error = files_.rename(filePath_, aside)) {
      log_.error("Couldn't reset the keymap: " + *error);
      scheduleReload();
      return;
    }
    log_.notice("keymap.json wasn't a regular file: moved it aside to " + aside.string());
  }
  writeDefaultFile(destination);
  scheduleReload();
}

}  // namespace quillo
