// Must fail the syntax check: an action selector no class declares.
#import <AppKit/AppKit.h>

void wire(NSButton* button) {
  [button setAction:@selector(perfrom:)];
}
