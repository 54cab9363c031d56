#import <AppKit/AppKit.h>

#include "MacNotificationObserver.h"

namespace quillo::platform::mac {

namespace {

class BlockObserver final : public NotificationObserver {
 public:
  BlockObserver(NSNotificationCenter* center, id token) : center_(center), token_(token) {}
  ~BlockObserver() override { [center_ removeObserver:token_]; }
  BlockObserver(const BlockObserver&) = delete;
  BlockObserver& operator=(const BlockObserver&) = delete;

 private:
  NSNotificationCenter* center_;
  id token_;
};

NSNotificationCenter* centerFor(NotificationCenter center) {
  switch (center) {
    case NotificationCenter::workspace:
      return [[NSWorkspace sharedWorkspace] notificationCenter];
    case NotificationCenter::default_:
      return [NSNotificationCenter defaultCenter];
  }
  return [NSNotificationCenter defaultCenter];
}

NSNotificationName nameOf(MacNotification notification) {
  switch (notification) {
    case MacNotification::applicationDidActivate:
      return NSWorkspaceDidActivateApplicationNotification;
    case MacNotification::applicationDidTerminate:
      return NSWorkspaceDidTerminateApplicationNotification;
    case MacNotification::windowDidResignKey:
      return NSWindowDidResignKeyNotification;
  }
  return nil;
}

}  // namespace

std::unique_ptr<NotificationObserver> observeNotification(MacNotification notification, id window,
                                                          void (^block)(NSNotification*)) {
  const NotificationRoute route = notificationRoute(notification);
  id sender = nil;
  switch (route.sender) {
    case NotificationSender::any:
      break;
    case NotificationSender::observedWindow:
      if (window == nil) return nullptr;
      sender = window;
      break;
  }
  NSNotificationCenter* center = centerFor(route.center);
  id token = [center addObserverForName:nameOf(notification)
                                 object:sender
                                  queue:[NSOperationQueue mainQueue]
                             usingBlock:block];
  return std::make_unique<BlockObserver>(center, token);
}

}  // namespace quillo::platform::mac
