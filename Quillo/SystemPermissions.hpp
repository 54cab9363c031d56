// PermissionState, PermissionChecking and SystemPermissions: the two privacy
// permissions Quillo needs — Accessibility (to read Mail's focus and menus
// and press menu items) and Input Monitoring (for the keyboard event tap) —
// and how to ask for them.
//
// Reading the state never prompts; the two requests let the system show its
// own dialog, and the program learns the outcome only by reading again. The
// two fix operations add the System Settings page the user needs.
// Main thread only.
#pragma once

#include <string_view>

#include "AppState.hpp"
#include "Platform/Accessibility.hpp"
#include "Platform/EventServices.hpp"
#include "Platform/WorkspaceOpener.hpp"

namespace quillo {

class PermissionChecking {
 public:
  virtual ~PermissionChecking() = default;
  /// The current state; never prompts.
  virtual PermissionState state() const = 0;
  /// Asks the system to show its Accessibility dialog.
  virtual void requestAccessibility() = 0;
  /// Asks the system to show its Input Monitoring dialog.
  virtual void requestInputMonitoring() = 0;
};

/// The permissions as the system reports them: AXIsProcessTrusted and
/// CGPreflightListenEventAccess to read, AXIsProcessTrustedWithOptions with
/// the prompt option and CGRequestListenEventAccess to ask.
class SystemPermissions final : public PermissionChecking {
 public:
  static constexpr std::string_view accessibilitySettingsURL =
      "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";
  static constexpr std::string_view inputMonitoringSettingsURL =
      "x-apple.systempreferences:com.apple.preference.security?Privacy_ListenEvent";

  SystemPermissions(platform::Accessibility& accessibility, platform::EventServices& events)
      : accessibility_(accessibility), events_(events) {}

  PermissionState state() const override {
    return {accessibility_.isProcessTrusted(), events_.preflightListenEventAccess()};
  }
  void requestAccessibility() override { accessibility_.isProcessTrustedWithOptions(true); }
  void requestInputMonitoring() override { events_.requestListenEventAccess(); }

 private:
  platform::Accessibility& accessibility_;
  platform::EventServices& events_;
};

/// Fix Accessibility: ask for it, then open its System Settings page.
inline void fixAccessibility(PermissionChecking& permissions, platform::WorkspaceOpener& opener) {
  permissions.requestAccessibility();
  opener.openURL(std::string(SystemPermissions::accessibilitySettingsURL));
}

/// Fix Input Monitoring: ask for it once per run (`askedForInputMonitoring`
/// remembers), and open its System Settings page every time.
inline void fixInputMonitoring(PermissionChecking& permissions, platform::WorkspaceOpener& opener,
                               bool& askedForInputMonitoring) {
  if (!askedForInputMonitoring) {
    askedForInputMonitoring = true;
    permissions.requestInputMonitoring();
  }
  opener.openURL(std::string(SystemPermissions::inputMonitoringSettingsURL));
}

}  // namespace quillo
