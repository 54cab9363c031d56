// KeymapStore: keymap.json — installed, loaded, watched and reloaded.
//
// Puts the default keymap.json from the application's resources into the
// "Quillo" folder of Application Support when none is there, parses the file
// (refusing, without blocking, anything that is not a regular file),
// keeps the last good keymap with its warnings and an error text for the
// user, and watches the file (and its folder) for changes made by any editor.
// A burst of change notices gives one reload, 0.2 seconds after the last.
// The file watcher is made afresh at every reload, so it always watches the
// file now at the path, also after an editor replaced it; the folder watcher
// notices a file that comes back after having been missing. `setOnChange`'s hook is
// called after every load attempt, good or bad. Main thread only; callbacks
// hold the store weakly.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Lifeline.hpp"
#include "Platform/Bundle.hpp"
#include "Platform/FileSystem.hpp"
#include "Platform/MainLoop.hpp"
#include "Platform/Paths.hpp"
#include "Platform/SystemLog.hpp"
#include "QuilloCore/Keymap.hpp"

namespace quillo {

class KeymapStore {
 public:
  /// The quiet period after a change notice before the file is read.
  static constexpr double debounceSeconds = 0.2;
  static constexpr const char* missingText =
      "keymap.json is missing, so the built-in defaults are in use.";
  static constexpr const char* stillInUseText = " The previous keymap is still in use.";

  static constexpr const char* notRegularText =
      "keymap.json isn't a regular file, so the built-in defaults are in use.";
  /// A symbolic link whose file is not there (a folder of dotfiles not yet
  /// mounted) or that leads round in a loop.
  static constexpr const char* brokenLinkText =
      "keymap.json is a link to a file that isn't there, so the built-in defaults are in use.";
  /// What Reset moves aside rather than replace: a folder, a FIFO, a broken
  /// link; "keymap.json.moved-aside", or with "-2", "-3", … when taken.
  static constexpr const char* movedAsideSuffix = ".moved-aside";

  KeymapStore(platform::MainLoop& loop, const platform::Paths& paths, platform::FileSystem& files,
              const platform::Bundle& bundle, platform::SystemLog& systemLog);

  const std::filesystem::path& filePath() const noexcept { return filePath_; }
  const std::filesystem::path& directoryURL() const noexcept { return directoryURL_; }
  const Keymap& keymap() const noexcept { return keymap_; }
  const std::vector<std::string>& warnings() const noexcept { return warnings_; }
  const std::optional<std::string>& loadError() const noexcept { return loadError_; }

  void setOnChange(std::function<void()> hook) { onChange_ = std::move(hook); }

  /// Installs the default file if needed, loads it, and begins watching.
  void start();
  /// Reads and parses the file now.
  void reload();
  /// Puts the default keymap.json in place of the user's, and reloads
  /// (debounced). The user's file is replaced only once the default is
  /// safely written beside it: a failed reset keeps it. A link to a file
  /// keeps the link and resets the file; anything else that is not a
  /// regular file (a folder, a FIFO, a broken link) is moved aside, never
  /// deleted, and the default goes in its place.
  void resetToDefaults();

 private:
  /// Writes the default file over the regular file at `path` (or where none
  /// is), through a temporary file and a rename: a failure leaves no file
  /// behind (so the next start tries again) and never a partial one.
  void writeDefaultFile(const std::filesystem::path& path);
  void scheduleReload();
  std::unique_ptr<platform::FileSource> watch(const std::filesystem::path& path,
                                              platform::FileEvents events);

  platform::MainLoop& loop_;
  platform::FileSystem& files_;
  const platform::Bundle& bundle_;
  platform::Logger log_;
  std::filesystem::path directoryURL_;
  std::filesystem::path filePath_;
  Keymap keymap_ = Keymap::default_();
  std::vector<std::string> warnings_;
  std::optional<std::string> loadError_;
  std::unique_ptr<platform::FileSource> directoryWatcher_;
  std::unique_ptr<platform::FileSource> fileWatcher_;
  std::shared_ptr<platform::WorkItem> pendingReload_;
  std::function<void()> onChange_;
  Lifeline<KeymapStore> lifeline_{this};
};

}  // namespace quillo
