#include "MacNotifications.hpp"

namespace quillo::platform::mac {

NotificationRoute notificationRoute(MacNotification notification) {
  switch (notification) {
    case MacNotification::applicationDidActivate:
    case MacNotification::applicationDidTerminate:
      return {NotificationCenter::workspace, NotificationSender::any};
    case MacNotification::windowDidResignKey:
      return {NotificationCenter::default_, NotificationSender::observedWindow};
  }
  return {NotificationCenter::default_, NotificationSender::observedWindow};
}

std::string_view notificationName(MacNotification notification) {
  switch (notification) {
    case MacNotification::applicationDidActivate:
      return "NSWorkspaceDidActivateApplicationNotification";
    case MacNotification::applicationDidTerminate:
      return "NSWorkspaceDidTerminateApplicationNotification";
    case MacNotification::windowDidResignKey:
      return "NSWindowDidResignKeyNotification";
  }
  return {};
}

}  // namespace quillo::platform::mac
