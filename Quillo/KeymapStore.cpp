#include "KeymapStore.hpp"

#include <system_error>

#include "Platform/FileSystem.hpp"
#include "QuilloCore/FileLimits.hpp"
#include "QuilloCore/KeymapFile.hpp"

namespace quillo {

using platform::FileEvent;

KeymapStore::KeymapStore(platform::MainLoop& loop, const platform::Paths& paths,
                         const platform::Bundle& bundle, platform::SystemLog& systemLog)
    : loop_(loop),
      bundle_(bundle),
      log_(systemLog, "app"),
      directoryURL_(paths.applicationSupport() / "Quillo"),
      fileURL_(directoryURL_ / "keymap.json") {}

void KeymapStore::installDefaultFile() {
  std::error_code ignored;
  std::filesystem::create_directories(directoryURL_, ignored);
  if (std::filesystem::exists(fileURL_, ignored)) return;
  const auto resource = bundle_.resource("keymap.json");
  if (!resource) return;
  std::error_code error;
  std::filesystem::copy_file(*resource, fileURL_, error);
  if (error) log_.error("Couldn't install the default keymap: " + error.message());
}

void KeymapStore::reload() {
  const platform::FileResult read = platform::readFile(fileURL_, FileLimits::maximumSize);
  if (!read.ok) {
    keymap_ = Keymap::default_();
    warnings_.clear();
    loadError_ = missingText;
  } else {
    try {
      KeymapLoadResult result = Keymap::parse(read.contents);
      keymap_ = std::move(result.keymap);
      warnings_ = std::move(result.warnings);
      loadError_.reset();
      log_.info("Keymap loaded: " + std::to_string(keymap_.bindings.size()) + " keys, " +
                std::to_string(warnings_.size()) + " warnings");
    } catch (const KeymapError& error) {
      loadError_ = error.description() + stillInUseText;
      log_.error("Keymap not loaded: " + error.description());
    }
  }
  if (onChange) onChange();
}

std::unique_ptr<platform::FileSource> KeymapStore::watch(const std::filesystem::path& path,
                                                         platform::FileEvents events) {
  return loop_.watch(path, events, [weak = lifeline_.weak()](platform::FileEvents) {
    if (KeymapStore* store = Lifeline<KeymapStore>::lock(weak)) store->scheduleReload();
  });
}

void KeymapStore::start() {
  installDefaultFile();
  reload();
  directoryWatcher_ = watch(directoryURL_, FileEvent::write);
  fileWatcher_ = watch(
      fileURL_, FileEvent::write | FileEvent::extend | FileEvent::delete_ | FileEvent::rename);
}

void KeymapStore::scheduleReload() {
  if (pendingReload_) pendingReload_->cancel();
  pendingReload_ = loop_.schedule(platform::Duration(debounceSeconds), [weak = lifeline_.weak()] {
    KeymapStore* store = Lifeline<KeymapStore>::lock(weak);
    if (!store) return;
    // Watch whatever file is at the path now: an editor may have replaced it.
    store->fileWatcher_.reset();
    store->fileWatcher_ = store->watch(store->fileURL_, FileEvent::write | FileEvent::extend |
                                                            FileEvent::delete_ | FileEvent::rename);
    store->reload();
  });
}

void KeymapStore::resetToDefaults() {
  std::error_code ignored;
  std::filesystem::remove(fileURL_, ignored);
  installDefaultFile();
  scheduleReload();
}

}  // namespace quillo
