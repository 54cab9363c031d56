// CustomStore: the user's custom shortcut set, kept in custom.json beside
// keymap.json.
//
// The file holds the definition's JSON form, pretty-printed with sorted keys,
// and is always replaced whole (a temporary file renamed over it), so a crash
// mid-write never leaves a torn file. A file that cannot be read or decoded
// is ignored at load; before the next save replaces one that does not
// decode, a copy of it is kept beside it ("custom.json.undecodable", or with
// "-2", "-3", … when taken), so nothing the user wrote is lost. A failed
// save is logged and the definition in memory keeps the change. The
// definition changes only through `change`, which saves every change.
// Main thread only.
#pragma once

#include <filesystem>
#include <functional>

#include "Platform/FileSystem.hpp"
#include "Platform/Paths.hpp"
#include "Platform/SystemLog.hpp"
#include "QuilloCore/CustomKeymap.hpp"

namespace quillo {

class CustomStore {
 public:
  CustomStore(const platform::Paths& paths, platform::FileSystem& files,
              platform::SystemLog& systemLog);

  const std::filesystem::path& filePath() const noexcept { return filePath_; }

  /// The current definition; a new store starts with baseline appleMail and
  /// no overrides.
  const CustomKeymap& definition() const noexcept { return definition_; }
  /// True once the file was read or written successfully.
  bool exists() const noexcept { return exists_; }

  static constexpr const char* undecodableSuffix = ".undecodable";

  /// Reads the file; a missing, unreadable or undecodable file changes nothing.
  void load();
  /// Applies `edit` to the definition, then saves it.
  void change(const std::function<void(CustomKeymap&)>& edit);
  /// Writes the definition as it is.
  void save();

 private:
  /// Copies the file at the path aside when it is there and does not
  /// decode; the error when the copy could not be made.
  std::optional<std::string> keepUndecodable();

  CustomKeymap definition_;
  bool exists_ = false;
  std::filesystem::path filePath_;
  platform::FileSystem& files_;
  platform::Logger log_;
};

}  // namespace quillo
