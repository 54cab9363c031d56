#include "QuilloCore/MenuKeyEquivalents.hpp"

#include "QuilloCore/CheatSheet.hpp"

namespace quillo::MenuKeyEquivalents {

namespace {

/// Mail's own chord for the action; null for an action Mail has no
/// shortcut for (showShortcuts, a keymap's own action).
const KeyChord* ownShortcut(ActionID action) {
  const auto& table = CheatSheet::macOwnShortcuts();
  const auto index = static_cast<std::size_t>(action);
  if (index >= table.size() || table[index].keys.empty()) return nullptr;
  return &table[index].keys.front();
}

}  // namespace

bool sharesOwnShortcut(ActionID action) {
  const KeyChord* mine = ownShortcut(action);
  if (!mine) return false;
  for (ActionID other : allCases<ActionID>()) {
    const KeyChord* theirs = ownShortcut(other);
    if (other != action && theirs && *theirs == *mine) return true;
  }
  return false;
}

std::optional<KeyChord> ownKeyEquivalent(ActionID action) {
  const KeyChord* mine = ownShortcut(action);
  if (!mine || sharesOwnShortcut(action)) return std::nullopt;
  return *mine;
}

}  // namespace quillo::MenuKeyEquivalents
