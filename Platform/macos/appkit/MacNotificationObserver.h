// MacNotificationObserver: observes one of the notifications the Mac
// adapters use, on the center that posts it and for the sender it needs
// (see MacNotifications.hpp), delivering on the main queue. The observer is
// removed when the returned token is destroyed. Objective-C++ only; main
// thread only.
#pragma once

#ifndef __OBJC__
#error "MacNotificationObserver.h is for Objective-C++ files"
#endif

#import <Foundation/Foundation.h>

#include <memory>

#include "MacNotifications.hpp"
#include "Platform/Workspace.hpp"

namespace quillo::platform::mac {

/// `window` is the sender for notifications posted by one window and is
/// ignored for the others. None when a window's notification is asked for
/// without a window: observing every window instead would be wrong.
std::unique_ptr<NotificationObserver> observeNotification(MacNotification notification, id window,
                                                          void (^block)(NSNotification*));

}  // namespace quillo::platform::mac
