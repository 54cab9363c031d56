// MacActionTarget: an Objective-C object that AppKit controls and menu items
// can send their action to (target / action), which runs a block. Controls
// and menu items hold their target weakly, so whoever installs one keeps it
// alive as long as the control or item may send. Objective-C++ only; main
// thread only.
#pragma once

#ifndef __OBJC__
#error "MacActionTarget.h is for Objective-C++ files"
#endif

#import <AppKit/AppKit.h>

@interface QLOActionTarget : NSObject
- (instancetype)initWithBlock:(void (^)(id sender))block;
/// The selector to set as the action.
- (void)perform:(id)sender;
@end
