#include "PanelModel.hpp"

#include <algorithm>

namespace quillo {

std::string_view PanelModel::title(ActionID action) {
  switch (action) {
    case ActionID::archive:
      return "Archive";
    case ActionID::delete_:
      return "Delete";
    case ActionID::nextMessage:
      return "Next message";
    case ActionID::previousMessage:
      return "Previous message";
    case ActionID::reply:
      return "Reply";
    case ActionID::replyAll:
      return "Reply all";
    case ActionID::forward:
      return "Forward";
    case ActionID::newMessage:
      return "New message";
    case ActionID::toggleFlag:
      return "Flag";
    case ActionID::markJunk:
      return "Mark as spam";
    case ActionID::markRead:
      return "Mark read";
    case ActionID::markUnread:
      return "Mark unread";
    case ActionID::undo:
      return "Undo";
    case ActionID::focusSearch:
      return "Search";
    case ActionID::openMessage:
      return "Open";
    case ActionID::send:
      return "Send";
    case ActionID::copy:
      return "Copy";
    case ActionID::paste:
      return "Paste";
    case ActionID::cut:
      return "Cut";
    case ActionID::showShortcuts:
      return "Show shortcuts";
    case ActionID::moveToMailbox:
      return "Move to…";
    case ActionID::copyToMailbox:
      return "Copy to…";
  }
  return {};
}

std::string PanelModel::title(ActionID action, const Keymap& keymap) {
  if (const UserAction* own = keymap.userAction(action)) return own->title;
  return std::string(title(action));
}

std::vector<PanelModel::Shortcut> PanelModel::shortcutRows(const Keymap* keymap) {
  std::vector<Shortcut> rows;
  for (const CheatSheet::Entry& entry : CheatSheet::entries(keymap)) {
    Shortcut row{std::string(keymap ? keymap->actionName(entry.action) : rawValue(entry.action)),
                 entry.action,
                 {},
                 {},
                 keymap ? title(entry.action, *keymap) : std::string(title(entry.action)),
                 entry.fromQuillo,
                 entry.places,
                 std::nullopt};
    for (const KeyChord& chord : entry.keys) {
      std::string shown = chord.displayString();
      if (std::find(row.keys.begin(), row.keys.end(), shown) == row.keys.end()) {
        row.keys.push_back(std::move(shown));
      }
    }
    for (const KeySequence& sequence : entry.sequences) {
      row.sequences.push_back({sequence.first().displayString(),
                               sequence.second() ? sequence.second()->displayString() : ""});
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

PanelModel::PanelModel(const platform::Bundle& bundle) {
  const std::string shortVersion = bundle.shortVersion();
  version = shortVersion.empty() ? "?" : shortVersion;
}

}  // namespace quillo
