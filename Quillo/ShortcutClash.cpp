#include "ShortcutClash.hpp"

#include "MailMenu.hpp"
#include "PanelModel.hpp"
#include "QuilloCore/CheatSheet.hpp"
#include "QuilloCore/MenuKeyEquivalents.hpp"

namespace quillo {

namespace {

std::string notice(const KeyChord& chord, const std::string& command, ActionID action,
                   const Keymap& keymap) {
  return chord.displayString() + " is Mail's own shortcut for " + command +
         "; while this set is on, Quillo uses it for " + PanelModel::title(action, keymap) + ".";
}

}  // namespace

std::optional<std::string> clashNotice(ActionID action, const KeyChord& chord, const Keymap& keymap,
                                       const std::vector<MailMenuItem>& menus) {
  if (menus.empty()) {
    // Mail's menus unknown: its shortcuts as they come.
    std::optional<ActionID> other;
    for (const CheatSheet::Entry& entry : CheatSheet::macOwnShortcuts()) {
      if (entry.keys.empty() || entry.keys.front() != chord) continue;
      if (entry.action == action) return std::nullopt;  // ⇧⌘U for markRead: Mail's own toggle
      if (!other) other = entry.action;
    }
    if (!other) return std::nullopt;
    return notice(chord, std::string(PanelModel::title(*other)), action, keymap);
  }
  const auto carriers = MenuKeyEquivalents::carriers(menus, chord, ActionExecutor::anywhereDepth);
  if (carriers.empty()) return std::nullopt;
  if (const ActionSpec* spec = keymap.spec(action)) {
    const auto reach =
        MenuKeyEquivalents::reach(action, *spec, menus, ActionExecutor::anywhereDepth);
    for (const auto& carrier : carriers) {
      if (reach.node && reach.node->element == carrier.node.element) return std::nullopt;
    }
  }
  return notice(chord, carriers.front().path.back(), action, keymap);
}

}  // namespace quillo
