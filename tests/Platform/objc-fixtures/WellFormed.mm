// Must pass the syntax check: the same calls, spelled right.
#import <AppKit/AppKit.h>

NSRunningApplication* frontmost() {
  return [[NSWorkspace sharedWorkspace] frontmostApplication];
}

void openSettings() {
  [[NSWorkspace sharedWorkspace]
      openURL:[NSURL URLWithString:@"x-apple.systempreferences:com.apple.preference.security"]];
}

void wire(NSButton* button) {
  [button setAction:@selector(performClick:)];
}

NSStatusBarButton* buttonOf(NSStatusItem* item) {
  return [item button];
}
