// Reading keymap files for the subcommands.
#pragma once

#include <string>

#include "QuilloCore/KeymapFile.hpp"

namespace quillo::keymaptool {

/// Thrown when a file cannot be read or used; the message follows "error: ".
struct FileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

/// The whole file, or FileError "cannot read FILE: reason".
std::string readWholeFile(const std::string& path);

/// The keymap.json Quillo loads: $XDG_CONFIG_HOME/Quillo/keymap.json, or
/// ~/.config/Quillo/keymap.json when XDG_CONFIG_HOME is unset or empty.
std::string userKeymapPath();

/// Reads and parses a keymap file the way Quillo loads it; FileError with the
/// KeymapError's description when the whole file is rejected.
KeymapLoadResult loadKeymapFile(const std::string& path);

}  // namespace quillo::keymaptool
