// Must fail the syntax check: a misspelled member of what GNUstep lacks and
// gnustep-compat declares (the status item's button).
#import <AppKit/AppKit.h>

NSStatusBarButton* buttonOf(NSStatusItem* item) {
  return [item buton];
}
