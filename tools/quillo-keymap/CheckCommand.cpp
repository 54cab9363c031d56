// quillo-keymap check: validates a keymap file the way Quillo will load it.
#include <iostream>

#include "Commands.hpp"
#include "KeymapFiles.hpp"

namespace quillo::keymaptool {

int check(Arguments arguments, std::ostream& out, std::ostream& err) {
  return reportingErrors(err, [&] {
    const auto rest = arguments.positionals();
    if (rest.size() > 1) throw UsageError("check takes at most one FILE");
    const std::string path = rest.empty() ? userKeymapPath() : rest.front();
    const KeymapLoadResult result = loadKeymapFile(path);
    for (const auto& warning : result.warnings)
      out << "warning: " << warning << "\n";
    const Keymap& keymap = result.keymap;
    const std::size_t chords =
        keymap.listChords.size() + keymap.composeBindings.size() + keymap.anywhereChords.size();
    const std::size_t sequences = keymap.sequenceCount();
    out << path << ": " << keymap.bindings.size() << " single keys, " << chords << " chords, ";
    // Files without sequences keep the summary they always had.
    if (sequences > 0) out << sequences << " sequences, ";
    out << result.warnings.size() << " warnings\n";
    return 0;
  });
}

}  // namespace quillo::keymaptool
