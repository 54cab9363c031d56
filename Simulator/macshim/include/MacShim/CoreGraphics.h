/* Quartz Event Services (CoreGraphics) as far as Quillo's macOS adapters use
 * them, declared from Apple's public documentation: event taps, reading and
 * writing key events, posting them to a process, and the Input Monitoring
 * permission. Numbers are Apple's documented values. */
#ifndef MACSHIM_COREGRAPHICS_H
#define MACSHIM_COREGRAPHICS_H

#include <sys/types.h>

#include "MacShim/CoreFoundation.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct __CGEvent* CGEventRef;
typedef struct __CGEventSource* CGEventSourceRef;
typedef struct __CGEventTapProxy* CGEventTapProxy;
typedef uint16_t CGKeyCode;
typedef uint64_t CGEventMask;
typedef uint64_t CGEventFlags;

typedef uint32_t CGEventType;
enum {
  kCGEventNull = 0,
  kCGEventLeftMouseDown = 1,
  kCGEventRightMouseDown = 3,
  kCGEventKeyDown = 10,
  kCGEventKeyUp = 11,
  kCGEventFlagsChanged = 12,
  kCGEventTapDisabledByTimeout = 0xFFFFFFFE,
  kCGEventTapDisabledByUserInput = 0xFFFFFFFF,
};
#define CGEventMaskBit(eventType) ((CGEventMask)1 << (eventType))

typedef uint32_t CGEventField;
enum {
  kCGKeyboardEventAutorepeat = 8,
  kCGKeyboardEventKeycode = 9,
  kCGEventTargetUnixProcessID = 40,
  kCGEventSourceUnixProcessID = 41,
  kCGEventSourceUserData = 42,
};

typedef uint32_t CGEventTapLocation;
enum { kCGHIDEventTap = 0, kCGSessionEventTap = 1, kCGAnnotatedSessionEventTap = 2 };
typedef uint32_t CGEventTapPlacement;
enum { kCGHeadInsertEventTap = 0, kCGTailAppendEventTap = 1 };
typedef uint32_t CGEventTapOptions;
enum { kCGEventTapOptionDefault = 0, kCGEventTapOptionListenOnly = 1 };
typedef int32_t CGEventSourceStateID;
enum {
  kCGEventSourceStatePrivate = -1,
  kCGEventSourceStateCombinedSessionState = 0,
  kCGEventSourceStateHIDSystemState = 1,
};

/* Returns the event to pass it on (the one given, possibly changed, or a new
 * one), or NULL to drop it. The event given belongs to the system. */
typedef CGEventRef (*CGEventTapCallBack)(CGEventTapProxy proxy, CGEventType type, CGEventRef event,
                                         void* userInfo);

CFMachPortRef CGEventTapCreate(CGEventTapLocation tap, CGEventTapPlacement place,
                               CGEventTapOptions options, CGEventMask eventsOfInterest,
                               CGEventTapCallBack callback, void* userInfo);
void CGEventTapEnable(CFMachPortRef tap, bool enable);
bool CGEventTapIsEnabled(CFMachPortRef tap);

CFTypeID CGEventGetTypeID(void);
CGEventType CGEventGetType(CGEventRef event);
int64_t CGEventGetIntegerValueField(CGEventRef event, CGEventField field);
void CGEventSetIntegerValueField(CGEventRef event, CGEventField field, int64_t value);
CGEventFlags CGEventGetFlags(CGEventRef event);
void CGEventSetFlags(CGEventRef event, CGEventFlags flags);
void CGEventKeyboardGetUnicodeString(CGEventRef event, UniCharCount maxStringLength,
                                     UniCharCount* actualStringLength, UniChar* unicodeString);
void CGEventKeyboardSetUnicodeString(CGEventRef event, UniCharCount stringLength,
                                     const UniChar* unicodeString);

CGEventSourceRef CGEventSourceCreate(CGEventSourceStateID stateID);
void CGEventSourceSetUserData(CGEventSourceRef source, int64_t userData);
CGEventRef CGEventCreateKeyboardEvent(CGEventSourceRef source, CGKeyCode virtualKey, bool keyDown);
void CGEventPostToPid(pid_t pid, CGEventRef event);

bool CGPreflightListenEventAccess(void);
bool CGRequestListenEventAccess(void);

#ifdef __cplusplus
}
#endif

#endif /* MACSHIM_COREGRAPHICS_H */
