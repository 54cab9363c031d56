// CustomStore: the user's custom shortcut set, kept in custom.json beside
// keymap.json.
//
// The file holds the definition's JSON form, pretty-printed with sorted keys,
// and is always replaced whole (a temporary file renamed over it), so a crash
// mid-write never leaves a torn file. A file that cannot be read or decoded
// is ignored at load; before the next save replaces one that does not
// decode, a copy of it is kept beside it ("custom.json.undecodable", or with
// "-2", "-3", … when taken), so nothing the user wrote is lost. A failed
// save is logged and the definition in memory keeps the change. Main thread
// only.
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

  const std::filesystem::path& filePath() const noexcept { return fileURL_; }

  /// The current definition; a new store starts with baseline appleMail and
  /// no overrides.
  CustomKeymap definition;
  /// True once the file was read or written successfully.
  bool exists = false;

  static constexpr const char* undecodableSuffix = ".undecodable";

  /// Reads the file; a missing, unreadable or undecodable file changes nothing.
  void load();
  void save();

 private:
  /// Copies the file at the path aside when it is there and does not
  /// decode; the error when the copy could not be made.
  std::optional<std::string> keepUndecodable();

  std::filesystem::path fileURL_;
  platform::FileSystem& files_;
  platform::Logger log_;
};

}  // namespace quillo
