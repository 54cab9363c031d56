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

/* NSApplication */
@interface NSApplication (QuilloGNUstepCompat)
- (BOOL)setActivationPolicy:(NSApplicationActivationPolicy)activationPolicy;
- (void)activate; /* macOS 14 */
@end

/* NSEvent: the names AppKit gave its event types, masks and flags in macOS
 * 10.12; the values are those of the older names GNUstep has. */
static const NSEventType NSEventTypeLeftMouseDown = NSLeftMouseDown;
static const NSEventType NSEventTypeRightMouseDown = NSRightMouseDown;
static const NSEventType NSEventTypeKeyDown = NSKeyDown;
static const NSEventType NSEventTypeApplicationDefined = NSApplicationDefined;
static const NSEventMask NSEventMaskLeftMouseDown = NSLeftMouseDownMask;
static const NSEventMask NSEventMaskRightMouseDown = NSRightMouseDownMask;
static const NSEventMask NSEventMaskKeyDown = NSKeyDownMask;
static const NSEventModifierFlags NSEventModifierFlagDeviceIndependentFlagsMask =
    NSDeviceIndependentModifierFlagsMask;

@interface NSEvent (QuilloGNUstepCompat)
+ (id)addGlobalMonitorForEventsMatchingMask:(NSEventMask)mask
                                    handler:(void (^)(NSEvent* event))block;
+ (id)addLocalMonitorForEventsMatchingMask:(NSEventMask)mask
                                   handler:(NSEvent* (^)(NSEvent* event))block;
+ (void)removeMonitor:(id)eventMonitor;
@end

/* NSStatusItem, NSImage, NSMenu */
@interface NSStatusItem (QuilloGNUstepCompat)
@property(readonly, strong) NSStatusBarButton* button;
@end

@interface NSImage (QuilloGNUstepCompat)
+ (instancetype)imageWithSystemSymbolName:(NSString*)name
                 accessibilityDescription:(NSString*)description; /* macOS 11 */
/* The property `template`, through its accessors: its name is a C++
 * keyword, which Objective-C++ rejects as a property name here. */
- (BOOL)isTemplate;
- (void)setTemplate:(BOOL)isTemplate;
@property(copy) NSString* accessibilityDescription;
@end

@interface NSMenuItem (QuilloGNUstepCompat)
+ (NSMenuItem*)sectionHeaderWithTitle:(NSString*)title; /* macOS 14 */
@end

@interface NSMenu (QuilloGNUstepCompat)
- (void)removeAllItems;
@end

/* NSImage drawn on demand and stretched by its caps (macOS 10.8, 10.10) */
typedef NS_ENUM(NSInteger, NSImageResizingMode) {
  NSImageResizingModeTile = 0,
  NSImageResizingModeStretch = 1,
};

@interface NSImage (QuilloGNUstepCompatDrawing)
+ (NSImage*)imageWithSize:(NSSize)size
                  flipped:(BOOL)drawingHandlerShouldBeCalledWithFlippedContext
           drawingHandler:(BOOL (^)(NSRect dstRect))drawingHandler;
@property NSEdgeInsets capInsets;
@property NSImageResizingMode resizingMode;
@end

/* NSWindow */
@interface NSWindow (QuilloGNUstepCompat)
- (void)setStyleMask:(NSWindowStyleMask)styleMask;
@end

/* Darwin's open(2) flag for a descriptor used only to watch the object
 * (sys/fcntl.h); Linux has none. */
#include <fcntl.h>
#ifndef O_EVTONLY
#define O_EVTONLY 0x8000
#endif

/* NSFileManager */
@interface NSFileManager (QuilloGNUstepCompat)
- (NSArray<NSURL*>*)URLsForDirectory:(NSSearchPathDirectory)directory
                           inDomains:(NSSearchPathDomainMask)domainMask;
@end
