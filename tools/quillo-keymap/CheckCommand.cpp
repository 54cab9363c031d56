// quillo-keymap check: validates a keymap file the way Quillo will load it.
#include <iostream>

#include "Commands.hpp"
#include "KeymapFiles.hpp"

namespace quillo::keymaptool {
namespace {

/// "Message › Move To › Receipts, or key down".
std::string specText(const ActionSpec& spec) {
  std::string text;
  for (const MenuPath& path : spec.menu) {
    if (!text.empty()) text += ", or ";
    for (std::size_t i = 0; i < path.size(); ++i)
      text += (i > 0 ? " \u203A " : "") + path[i];
  }
  if (spec.key) text += (text.empty() ? "key " : ", or key ") + std::string(rawValue(*spec.key));
  return text;
}

}  // namespace

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
    // What only the running Mail can tell is said, not guessed: whether the
    // menu items exist there.
    for (std::size_t i = 0; i < keymap.userActions.size(); ++i) {
      const UserAction& action = keymap.userActions[i];
      out << "own action " << action.name;
      if (action.title != action.name) out << " (\"" << action.title << "\")";
      out << ": " << specText(keymap.actions.at(userActionID(i))) << "; acts in "
          << (action.inMessageList
                  ? (action.inOpenMessage ? "messageList, openMessage" : "messageList")
                  : "openMessage")
          << "\n";
    }
    if (!keymap.userActions.empty()) {
      out << "note: whether Mail has these menu items is checked against the running Mail "
             "only (Quillo menu › Debug › Check Menu Actions)\n";
    }
    return 0;
  });
}

}  // namespace quillo::keymaptool
