#include "QuilloCore/MenuKeyEquivalents.hpp"

#include "QuilloCore/CheatSheet.hpp"

namespace quillo::MenuKeyEquivalents {

namespace {

const KeyChord& ownShortcut(ActionID action) {
  // Every row of Mail's own shortcuts has exactly one chord.
  return CheatSheet::macOwnShortcuts()[static_cast<std::size_t>(action)].keys.front();
}

}  // namespace

bool sharesOwnShortcut(ActionID action) {
  const KeyChord& mine = ownShortcut(action);
  for (ActionID other : allCases<ActionID>()) {
    if (other != action && ownShortcut(other) == mine) return true;
  }
  return false;
}

std::optional<KeyChord> ownKeyEquivalent(ActionID action) {
  if (sharesOwnShortcut(action)) return std::nullopt;
  return ownShortcut(action);
}

}  // namespace quillo::MenuKeyEquivalents
