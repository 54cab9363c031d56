#include "QuilloCore/MenuKeyEquivalents.hpp"

#include "QuilloCore/CheatSheet.hpp"

namespace quillo::MenuKeyEquivalents {

namespace {

/// Mail's one chord for the action; null for Quillo's own (showShortcuts),
/// for which Mail has none.
const KeyChord* ownShortcut(ActionID action) {
  const auto& keys = CheatSheet::macOwnShortcuts()[static_cast<std::size_t>(action)].keys;
  return keys.empty() ? nullptr : &keys.front();
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
