// quillo-keymap check: validates a keymap file the way Quillo will load it.
#include <iostream>

#include "Commands.hpp"
#include "KeymapFiles.hpp"

namespace quillo::keymaptool {

int check(Arguments arguments, std::ostream& out, std::ostream& err) {
  std::string path;
  try {
    const auto rest = arguments.positionals();
    if (rest.size() > 1) throw UsageError("check takes at most one FILE");
    path = rest.empty() ? userKeymapPath() : rest.front();
  } catch (const UsageError& error) {
    err << "error: " << error.what() << "\n";
    return 2;
  }
  try {
    const KeymapLoadResult result = loadKeymapFile(path);
    for (const auto& warning : result.warnings)
      out << "warning: " << warning << "\n";
    const Keymap& keymap = result.keymap;
    const std::size_t chords =
        keymap.listChords.size() + keymap.composeBindings.size() + keymap.anywhereChords.size();
    out << path << ": " << keymap.bindings.size() << " single keys, " << chords << " chords, "
        << result.warnings.size() << " warnings\n";
    return 0;
  } catch (const FileError& error) {
    err << "error: " << error.what() << "\n";
    return 1;
  }
}

}  // namespace quillo::keymaptool
