// CustomStore: the user's custom shortcut set, kept in custom.json beside
// keymap.json.
//
// The file holds the definition's JSON form, pretty-printed with sorted keys,
// and is always replaced whole (a temporary file renamed over it), so a crash
// mid-write never leaves a torn file. A file that cannot be read or decoded
// is ignored at load (and replaced by the next save); a failed save is logged
// and the definition in memory keeps the change. Main thread only.
#pragma once

#include <filesystem>

#include "Platform/FileSystem.hpp"
#include "Platform/Paths.hpp"
#include "Platform/SystemLog.hpp"
#include "QuilloCore/CustomKeymap.hpp"

namespace quillo {

class CustomStore {
 public:
  CustomStore(const platform::Paths& paths, platform::FileSystem& files,
              platform::SystemLog& systemLog);

  const std::filesystem::path& fileURL() const noexcept { return fileURL_; }

  /// The current definition; a new store starts with baseline appleMail and
  /// no overrides.
  CustomKeymap definition;
  /// True once the file was read or written successfully.
  bool exists = false;

  /// Reads the file; a missing, unreadable or undecodable file changes nothing.
  void load();
  void save();

 private:
  std::filesystem::path fileURL_;
  platform::FileSystem& files_;
  platform::Logger log_;
};

}  // namespace quillo
