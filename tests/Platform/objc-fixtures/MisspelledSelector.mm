// Must fail the syntax check: a selector AppKit does not have.
#import <AppKit/AppKit.h>

NSRunningApplication* frontmost() {
  return [[NSWorkspace sharedWorkspace] frontmostAplication];
}
