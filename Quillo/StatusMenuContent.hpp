// StatusMenuContent: what the classic status menu and the status item's
// button show, as plain data.
//
// The menu is rebuilt from the app's state every time it opens; this file
// turns one reading of that state into the button's look and the menu's
// items, word for word, with the command each item carries out. Whatever
// draws the menu only shows the items and hands a chosen item's command to
// the status menu controller. Pure functions over values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AppState.hpp"

namespace quillo {

class AppController;

/// The symbol a status item button or a menu item shows.
enum class StatusImage : std::uint8_t { appIcon, warning, checkmark };

/// The SF Symbol that shows an image; empty for the app's own icon.
std::string symbolName(StatusImage image);

/// The status item's button.
struct StatusButton {
  StatusImage image = StatusImage::appIcon;
  std::string accessibilityDescription;
  bool dimmed = false;
  std::string toolTip;
  bool operator==(const StatusButton&) const = default;
};

/// What a status menu item does when chosen.
enum class StatusMenuCommand : std::uint8_t {
  toggleEnabled,
  fixAccessibility,
  openAccessibilitySettings,
  fixInputMonitoring,
  openInputMonitoringSettings,
  showDebugLog,
  toggleLaunchAtLogin,
  openLoginItems,
  openKeymapFile,
  revealKeymapFile,
  resetKeymap,
  contactSupport,
  toggleDebugLogging,
  focusCapture,
  menuCheck,
  menuStructure,
  windowStructure,
  quit,
};

struct StatusMenuItem {
  enum class Kind : std::uint8_t { item, separator, sectionHeader };
  Kind kind = Kind::item;
  std::string title;
  /// None for a disabled item.
  std::optional<StatusMenuCommand> command;
  bool checked = false;
  std::optional<StatusImage> image;
  std::string imageDescription;
  int indentation = 0;
  std::string keyEquivalent;
  std::vector<StatusMenuItem> submenu;

  bool enabled() const { return command.has_value() || !submenu.empty(); }
  bool operator==(const StatusMenuItem&) const = default;
};

/// One reading of everything the status menu shows.
struct StatusMenuState {
  AppStatus status = AppStatus::waitingForMail;
  bool enabled = true;
  PermissionState permissions;
  TapFinding tapFinding;
  bool tapListening = false;
  bool launchAtLogin = false;
  bool loginNeedsApproval = false;
  std::optional<std::string> keymapError;
  std::vector<std::string> keymapWarnings;
  bool debugLogging = false;
  std::string version;

  /// Reads the controller (and its login item and bundle) now.
  static StatusMenuState of(const AppController& app);
};

/// "needs Accessibility permission", "paused", "active in Mail", …
std::string_view statusText(AppStatus status);

StatusButton statusButton(AppStatus status);

/// The whole menu, top to bottom.
std::vector<StatusMenuItem> statusMenuItems(const StatusMenuState& state);

}  // namespace quillo
