/* Used only by the Objective-C++ syntax check against GNUstep, never on a
 * Mac (the check passes it with -include; no source file includes it).
 *
 * GNUstep's AppKit follows an older AppKit. What Quillo's Objective-C++
 * calls and GNUstep lacks is declared here, written from Apple's public
 * documentation, so that the check still catches a misspelled selector or a
 * wrong argument type everywhere else. Every declaration names the AppKit or
 * Foundation API it stands for and nothing more. */
#pragma once
#ifdef __APPLE__
#error "gnustep-compat is for the syntax check on Linux only"
#endif

#import <AppKit/AppKit.h>

/* NSWorkspace */
APPKIT_EXPORT NSNotificationName const NSWorkspaceDidActivateApplicationNotification;
APPKIT_EXPORT NSString* const NSWorkspaceApplicationKey;

@interface NSWorkspace (QuilloGNUstepCompat)
- (void)activateFileViewerSelectingURLs:(NSArray<NSURL*>*)fileURLs;
@end
