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

/// A mask for the background that stretches to any size and keeps its
/// rounded corners: the corners are the image's caps.
NSImage* roundedMask(CGFloat radius) {
  const CGFloat edge = 2 * radius + 1;
  NSImage* mask = [NSImage imageWithSize:NSMakeSize(edge, edge)
                                 flipped:NO
                          drawingHandler:^BOOL(NSRect rect) {
                            [[NSColor blackColor] setFill];
                            [[NSBezierPath bezierPathWithRoundedRect:rect
                                                             xRadius:radius
                                                             yRadius:radius] fill];
                            return YES;
                          }];
  [mask setCapInsets:NSEdgeInsetsMake(radius, radius, radius, radius)];
  [mask setResizingMode:NSImageResizingModeStretch];
  return mask;
}

/// Puts the window's content (Qt's view) on a visual-effect view, unless an
/// earlier call did. A view cannot draw under its own subviews, so the
/// background must be the parent.
void addBackground(NSWindow* window) {
  NSView* content = [window contentView];
  if (content == nil || [content isKindOfClass:[NSVisualEffectView class]]) return;
  NSVisualEffectView* background = [[NSVisualEffectView alloc] initWithFrame:[content frame]];
  [background setMaterial:NSVisualEffectMaterialPopover];
  [background setBlendingMode:NSVisualEffectBlendingModeBehindWindow];
  // Active even though Quillo itself never is: Mail stays in front.
  [background setState:NSVisualEffectStateActive];
  [background setMaskImage:roundedMask(panelCornerRadius)];
  [window setContentView:background];
  [content setFrame:[background bounds]];
  [content setAutoresizingMask:NSViewWidthSizable | NSViewHeightSizable];
  [background addSubview:content];
}

}  // namespace

bool styleAsStatusPanel(void* nativeView) {
  NSWindow* window = windowOf(nativeView);
  if (window == nil || ![window isKindOfClass:[NSPanel class]]) return false;
  NSPanel* panel = (NSPanel*)window;
  [panel setStyleMask:NSWindowStyleMaskBorderless | NSWindowStyleMaskNonactivatingPanel];
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
  addBackground(panel);
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
