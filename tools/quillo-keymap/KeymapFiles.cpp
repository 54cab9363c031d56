#include "KeymapFiles.hpp"

#include <cstdlib>

#include "Platform/FileSystem.hpp"
#include "QuilloCore/FileLimits.hpp"

namespace quillo::keymaptool {

std::string readWholeFile(const std::string& path) {
  // Read as Quillo reads it: never blocking on a FIFO, never more than the
  // app's limit plus one byte, so an endless input costs no more memory.
  platform::FileResult read = platform::readFile(path, FileLimits::maximumSize);
  if (!read.ok) throw FileError("cannot read " + path + ": " + read.error);
  return std::move(read.contents);
}

std::string userKeymapPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config) return std::string(config) + "/Quillo/keymap.json";
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.config/Quillo/keymap.json";
}

KeymapLoadResult loadKeymapFile(const std::string& path) {
  const std::string data = readWholeFile(path);
  try {
    return Keymap::parse(data);
  } catch (const KeymapError& error) {
    // The app's wording names keymap.json; here the file is whichever was given.
    switch (error.kind()) {
      case KeymapError::Kind::unsupportedVersion:
        throw FileError(path + " version " + std::to_string(error.version()) +
                        " is newer than this build of Quillo understands");
      case KeymapError::Kind::invalidJSON:
        throw FileError(path + " isn't valid: " + error.detail());
    }
    throw FileError(error.description());
  }
}

}  // namespace quillo::keymaptool
