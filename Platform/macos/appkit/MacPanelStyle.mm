#import <AppKit/AppKit.h>

#include "MacPanelStyle.hpp"

#include "MacNotificationObserver.h"

namespace quillo::platform::mac {

namespace {

NSWindow* windowOf(void* nativeView) {
  if (nativeView == nullptr) return nil;
  NSView* view = (__bridge NSView*)nativeView;
  return [view window];
}

}  // namespace

bool styleAsStatusPanel(void* nativeView) {
  NSWindow* window = windowOf(nativeView);
  if (window == nil || ![window isKindOfClass:[NSPanel class]]) return false;
  NSPanel* panel = (NSPanel*)window;
  // Added to the mask Qt chose, which it keeps when it sets the mask again.
  // The window's content view stays Qt's own: Qt 6 takes a window whose
  // content view is not its view for one it must make anew, and at the next
  // show closes it and opens a plain, activating window in its place.
  [panel setStyleMask:[panel styleMask] | NSWindowStyleMaskNonactivatingPanel];
  [panel setFloatingPanel:YES];
  [panel setLevel:NSPopUpMenuWindowLevel];
  [panel setBecomesKeyOnlyIfNeeded:NO];
  [panel setHidesOnDeactivate:NO];
  [panel setCollectionBehavior:NSWindowCollectionBehaviorTransient |
                               NSWindowCollectionBehaviorIgnoresCycle |
                               NSWindowCollectionBehaviorFullScreenAuxiliary |
                               NSWindowCollectionBehaviorMoveToActiveSpace];
  [panel setOpaque:NO];
  [panel setBackgroundColor:[NSColor clearColor]];
  [panel setHasShadow:YES];
  return true;
}

void* windowOfView(void* nativeView) {
  return (__bridge void*)windowOf(nativeView);
}

std::unique_ptr<NotificationObserver> observeResignKey(void* nativeView,
                                                       std::function<void()> handler) {
  NSWindow* window = windowOf(nativeView);
  if (window == nil) return nullptr;
  return observeNotification(MacNotification::windowDidResignKey, window, ^(NSNotification*) {
    handler();
  });
}

}  // namespace quillo::platform::mac
