#include "StatusMenuController.hpp"

#include "Platform/LoginItems.hpp"
#include "SystemPermissions.hpp"

namespace quillo {

namespace {

platform::MenuItem::Kind kindOf(StatusMenuItem::Kind kind) {
  switch (kind) {
    case StatusMenuItem::Kind::item:
      return platform::MenuItem::Kind::item;
    case StatusMenuItem::Kind::separator:
      return platform::MenuItem::Kind::separator;
    case StatusMenuItem::Kind::sectionHeader:
      return platform::MenuItem::Kind::sectionHeader;
  }
  return platform::MenuItem::Kind::item;
}

}  // namespace

StatusMenuController::StatusMenuController(platform::StatusItem& item, AppController& app,
                                           platform::Application& application)
    : item_(item), app_(app), application_(application), log_(app.environment().systemLog, "app") {
  menu_.needsUpdate = [weak = lifeline_.weak()] {
    if (auto* self = Lifeline<StatusMenuController>::lock(weak)) self->rebuild();
  };
  item_.setMenu(&menu_);
  refresh();
}

StatusMenuController::~StatusMenuController() {
  item_.setMenu(nullptr);
}

void StatusMenuController::refresh() {
  const StatusButton button = statusButton(app_.status());
  item_.setImage(symbolName(button.image), button.accessibilityDescription);
  item_.setAppearsDisabled(button.dimmed);
  item_.setToolTip(button.toolTip);
}

void StatusMenuController::rebuild() {
  menu_.items.clear();
  for (const StatusMenuItem& made : statusMenuItems(StatusMenuState::of(app_)))
    menu_.items.push_back(converted(made));
}

platform::MenuItem StatusMenuController::converted(const StatusMenuItem& made) const {
  platform::MenuItem item;
  item.kind = kindOf(made.kind);
  item.title = made.title;
  item.checked = made.checked;
  if (made.image) item.symbol = symbolName(*made.image);
  item.symbolDescription = made.imageDescription;
  item.indentationLevel = made.indentation;
  item.keyEquivalent = made.keyEquivalent;
  for (const StatusMenuItem& sub : made.submenu)
    item.submenu.push_back(converted(sub));
  if (made.command) {
    // The menu may be copied out and its action run after a choice closed
    // it; the lifeline keeps a late action from reaching a gone controller.
    item.action = [weak = lifeline_.weak(), command = *made.command] {
      if (auto* self = Lifeline<StatusMenuController>::lock(weak)) self->perform(command);
    };
  }
  return item;
}

StatusMenuState StatusMenuState::of(const AppController& app) {
  StatusMenuState state;
  state.status = app.status();
  state.enabled = app.prefs().enabled();
  state.permissions = app.permissionState();
  state.tapFinding = app.tapFinding();
  state.tapListening = app.tap().isListening();
  const platform::LoginItemStatus login = app.environment().loginItems.status();
  state.launchAtLogin = login == platform::LoginItemStatus::enabled;
  state.loginNeedsApproval = login == platform::LoginItemStatus::requiresApproval;
  state.keymapError = app.keymapStore().loadError();
  state.keymapWarnings = app.keymapStore().warnings();
  const auto& unreachable = app.menuTargetProblems();
  state.keymapWarnings.insert(state.keymapWarnings.end(), unreachable.begin(), unreachable.end());
  state.debugLogging = app.debugLogging();
  const std::string version = app.environment().bundle.shortVersion();
  state.version = version.empty() ? "?" : version;
  return state;
}

void StatusMenuController::perform(StatusMenuCommand command) {
  auto& environment = app_.environment();
  switch (command) {
    case StatusMenuCommand::toggleEnabled:
      app_.selectSet(app_.prefs().enabled() ? ShortcutSet::off : app_.prefs().lastActiveSet());
      break;
    case StatusMenuCommand::fixAccessibility:
      app_.fixAccessibility();
      break;
    case StatusMenuCommand::openAccessibilitySettings:
      environment.opener.openURL(std::string(SystemPermissions::accessibilitySettingsURL));
      break;
    case StatusMenuCommand::fixInputMonitoring:
      app_.fixInputMonitoring();
      break;
    case StatusMenuCommand::openInputMonitoringSettings:
      environment.opener.openURL(std::string(SystemPermissions::inputMonitoringSettingsURL));
      break;
    case StatusMenuCommand::showDebugLog:
      app_.showDebugLog();
      break;
    case StatusMenuCommand::toggleLaunchAtLogin:
      toggleLaunchAtLogin();
      break;
    case StatusMenuCommand::openLoginItems:
      environment.loginItems.openSystemSettingsLoginItems();
      break;
    case StatusMenuCommand::openKeymapFile:
      environment.opener.openFile(app_.keymapStore().filePath());
      break;
    case StatusMenuCommand::revealKeymapFile:
      environment.opener.revealInFileManager(app_.keymapStore().filePath());
      break;
    case StatusMenuCommand::resetKeymap:
      confirmKeymapReset();
      break;
    case StatusMenuCommand::contactSupport:
      environment.opener.openURL(std::string(supportURL));
      break;
    case StatusMenuCommand::toggleDebugLogging:
      app_.setDebugLogging(!app_.debugLogging());
      break;
    case StatusMenuCommand::focusCapture:
      app_.focusCaptureIn3Seconds();
      break;
    case StatusMenuCommand::menuCheck:
      app_.menuCheck();
      break;
    case StatusMenuCommand::menuStructure:
      app_.menuStructure();
      break;
    case StatusMenuCommand::windowStructure:
      app_.windowStructure();
      break;
    case StatusMenuCommand::quit:
      application_.terminate();
      break;
  }
}

void StatusMenuController::toggleLaunchAtLogin() {
  auto& login = app_.environment().loginItems;
  const bool enabled = login.status() == platform::LoginItemStatus::enabled;
  const auto error = enabled ? login.unregisterApp() : login.registerApp();
  if (error) {
    log_.error("Launch at login change failed: " + *error);
    application_.activate();
    platform::Alert alert;
    alert.messageText = "Couldn't change Launch at Login";
    alert.informativeText = *error;
    alert.buttons = {"OK"};
    application_.runModal(alert);
    return;
  }
  // Registering may leave the item waiting for the user's approval, which
  // only System Settings can give.
  if (login.status() == platform::LoginItemStatus::requiresApproval)
    login.openSystemSettingsLoginItems();
}

void StatusMenuController::confirmKeymapReset() {
  application_.activate();
  platform::Alert alert;
  alert.messageText = "Reset keymap.json to the defaults?";
  alert.informativeText = "Your current keymap file will be replaced.";
  alert.buttons = {"Reset", "Cancel"};
  // Only the first button resets: any other answer (Cancel, Esc) keeps the
  // user's file as it is.
  if (application_.runModal(alert) == platform::alertFirstButtonReturn)
    app_.resetKeymapToDefaults();
}

}  // namespace quillo
