#include "PanelModel.hpp"

#include "ShortcutClash.hpp"

#include <algorithm>

#include "Platform/LoginItems.hpp"

namespace quillo {

std::string_view PanelModel::title(ShortcutSet set) {
  switch (set) {
    case ShortcutSet::gmail:
      return "Gmail";
    case ShortcutSet::outlookMac:
      return "Outlook for Mac";
    case ShortcutSet::outlookWindows:
      return "Outlook for Windows";
    case ShortcutSet::custom:
      return "Custom";
    case ShortcutSet::off:
      return "Off";
  }
  return {};
}

std::string_view PanelModel::description(ShortcutSet set) {
  switch (set) {
    case ShortcutSet::gmail:
      return "Single keys: E archive, J and K move, R reply";
    case ShortcutSet::outlookMac:
      return "\u2303E archive, \u2318J forward, \u2318T mark read";
    case ShortcutSet::outlookWindows:
      return "\u2303R reply, \u2303F forward, \u2303C copy, \u2303V paste";
    case ShortcutSet::custom:
      return "Your own keys, built on a set you choose";
    case ShortcutSet::off:
      return "Use Apple Mail's own shortcuts";
  }
  return {};
}

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
  }
  return {};
}

std::vector<PanelModel::Shortcut> PanelModel::shortcutRows(const Keymap* keymap) {
  std::vector<Shortcut> rows;
  for (const CheatSheet::Entry& entry : CheatSheet::entries(keymap)) {
    Shortcut row{std::string(rawValue(entry.action)),
                 entry.action,
                 {},
                 std::string(title(entry.action)),
                 entry.fromQuillo,
                 entry.places,
                 std::nullopt};
    for (const KeyChord& chord : entry.keys) {
      std::string shown = chord.displayString();
      if (std::find(row.keys.begin(), row.keys.end(), shown) == row.keys.end()) {
        row.keys.push_back(std::move(shown));
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

PanelModel::PanelModel(const platform::Bundle& bundle) {
  const std::string shortVersion = bundle.shortVersion();
  version = shortVersion.empty() ? "?" : shortVersion;
}

void PanelModel::update(AppController& app) {
  status = app.status();
  enabled = app.prefs().enabled();
  set = app.shortcutSet();
  const auto allSets = allCases<ShortcutSet>();
  sets.assign(allSets.begin(), allSets.end());
  baseline = app.customStore().definition.baseline;
  hasChanges = !app.customStore().definition.overrides.empty();
  if (set != ShortcutSet::custom) {
    editing = false;
    recording.reset();
    recordMessage.reset();
  }
  const platform::LoginItemStatus login = app.environment().loginItems.status();
  launchAtLogin = login == platform::LoginItemStatus::enabled;
  loginNeedsApproval = login == platform::LoginItemStatus::requiresApproval;
  permissions = app.permissionState();
  needsInputMonitoring = app.tapFinding().kind == AppController::TapFinding::Kind::failed &&
                         !permissions.inputMonitoring;
  if (set == ShortcutSet::off) {
    shortcuts = shortcutRows(nullptr);
  } else {
    const Keymap keymap = app.activeKeymap();
    shortcuts = shortcutRows(&keymap);
  }
  if (editing) {
    // Recorded keys that Mail itself uses for something else.
    const Keymap keymap = app.activeKeymap();
    for (Shortcut& row : shortcuts) {
      const auto& overrides = app.customStore().definition.overrides;
      const auto recorded = overrides.find(row.action);
      if (recorded == overrides.end()) continue;
      for (const KeyChord& chord : recorded->second) {
        row.notice = clashNotice(row.action, chord, keymap, app.mailMenus());
        if (row.notice) break;
      }
    }
  }
  keymapProblems = app.keymapStore().warnings();
  const auto& unreachable = app.menuTargetProblems();
  keymapProblems.insert(keymapProblems.end(), unreachable.begin(), unreachable.end());
  if (const auto& error = app.keymapStore().loadError()) {
    keymapProblems.insert(keymapProblems.begin(), *error);
  }
  keymapHasError = app.keymapStore().loadError().has_value();
  debugLogging = app.prefs().defaults.boolean(Preferences::Keys::debugLogging).value_or(false);
}

}  // namespace quillo
