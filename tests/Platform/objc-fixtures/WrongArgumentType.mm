// Must fail the syntax check: a string where AppKit takes a URL.
#import <AppKit/AppKit.h>

void openSettings() {
  [[NSWorkspace sharedWorkspace]
      openURL:@"x-apple.systempreferences:com.apple.preference.security"];
}
