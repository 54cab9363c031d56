/* Used only by the Objective-C++ syntax check against GNUstep, never on a
 * Mac: the part of ServiceManagement Quillo calls (macOS 13 and later),
 * declared from Apple's public documentation of SMAppService. */
#pragma once
#ifdef __APPLE__
#error "gnustep-compat is for the syntax check on Linux only"
#endif
#import <Foundation/Foundation.h>

typedef NS_ENUM(NSInteger, SMAppServiceStatus) {
  SMAppServiceStatusNotRegistered = 0,
  SMAppServiceStatusEnabled = 1,
  SMAppServiceStatusRequiresApproval = 2,
  SMAppServiceStatusNotFound = 3,
};

@interface SMAppService : NSObject
@property(class, readonly) SMAppService* mainAppService;
@property(readonly) SMAppServiceStatus status;
- (BOOL)registerAndReturnError:(NSError**)error;
- (BOOL)unregisterAndReturnError:(NSError**)error;
+ (void)openSystemSettingsLoginItems;
@end
