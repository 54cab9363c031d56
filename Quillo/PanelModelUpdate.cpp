// The panel model's reading of the app controller: the one part of the model
// that needs the app itself, so it is built with the app, not with the
// content the drawing uses.
#include "AppController.hpp"
#include "PanelModel.hpp"
#include "Platform/LoginItems.hpp"
#include "ShortcutClash.hpp"

namespace quillo {

void PanelModel::update(const AppController& app) {
  status = app.status();
  enabled = app.prefs().enabled();
  set = app.shortcutSet();
  const auto allSets = allCases<ShortcutSet>();
  sets.assign(allSets.begin(), allSets.end());
  const CustomKeymap& custom = app.customStore().definition();
  baseline = custom.baseline;
  hasChanges = !custom.overrides.empty();
  if (set != ShortcutSet::custom) {
    editing = false;
    stopRecording();
  }
  const platform::LoginItemStatus login = app.environment().loginItems.status();
  launchAtLogin = login == platform::LoginItemStatus::enabled;
  loginNeedsApproval = login == platform::LoginItemStatus::requiresApproval;
  permissions = app.permissionState();
  needsInputMonitoring =
      app.tapFinding().kind == TapFinding::Kind::failed && !permissions.inputMonitoring;
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
      const auto& overrides = custom.overrides;
      const auto id = custom.findIdOf(row.action, keymap);
      const auto recorded = id ? overrides.find(*id) : overrides.end();
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
  debugLogging = app.debugLogging();
}

}  // namespace quillo
