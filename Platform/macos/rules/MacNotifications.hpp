// MacNotifications: where each notification the Mac adapters observe is
// posted, and by whom — which decides whether an observer ever hears it.
//
// The workspace's notifications (an application became active or ended)
// are posted only on NSWorkspace's own notification center, never on the
// default one; a window's notifications are posted on the default center by
// every window, so an observer for one window must name it as the sender.
// The panel closes on two of them: another application becoming active
// (any application, from the workspace's center) and its own window
// resigning key (the panel's window only, from the default center). Getting
// either route wrong leaves a panel that never closes, or one that closes
// when some other window loses the keyboard. Pure data.
#pragma once

#include <cstdint>
#include <string_view>

namespace quillo::platform::mac {

enum class MacNotification : std::uint8_t {
  applicationDidActivate,   // NSWorkspaceDidActivateApplicationNotification
  applicationDidTerminate,  // NSWorkspaceDidTerminateApplicationNotification
  windowDidResignKey,       // NSWindowDidResignKeyNotification
};

enum class NotificationCenter : std::uint8_t {
  workspace,  // NSWorkspace.sharedWorkspace.notificationCenter
  default_,   // NSNotificationCenter.defaultCenter
};

enum class NotificationSender : std::uint8_t {
  any,             // object nil: whoever posts it
  observedWindow,  // object: the one window observed
};

struct NotificationRoute {
  NotificationCenter center;
  NotificationSender sender;
  bool operator==(const NotificationRoute&) const = default;
};

/// Where `notification` is posted and which sender to observe.
NotificationRoute notificationRoute(MacNotification notification);

/// The notification's name as AppKit spells it, for logs and tests.
std::string_view notificationName(MacNotification notification);

}  // namespace quillo::platform::mac
