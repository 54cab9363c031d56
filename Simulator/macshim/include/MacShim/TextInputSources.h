/* Text Input Sources, Unicode key layouts and secure event input (Carbon) as
 * far as Quillo's macOS adapters use them, declared from Apple's public
 * documentation. */
#ifndef MACSHIM_TEXTINPUTSOURCES_H
#define MACSHIM_TEXTINPUTSOURCES_H

#include "MacShim/CoreFoundation.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct __TISInputSource* TISInputSourceRef;
/* The 'uchr' resource; opaque. */
typedef struct UCKeyboardLayout UCKeyboardLayout;

/* A CFDataRef whose bytes are the layout's UCKeyboardLayout. */
extern const CFStringRef kTISPropertyUnicodeKeyLayoutData;

TISInputSourceRef TISCopyCurrentKeyboardLayoutInputSource(void);
/* Borrowed: valid while the input source lives. */
void* TISGetInputSourceProperty(TISInputSourceRef inputSource, CFStringRef propertyKey);

enum { kUCKeyActionDown = 0, kUCKeyActionUp = 1, kUCKeyActionAutoKey = 2, kUCKeyActionDisplay = 3 };
enum { kUCKeyTranslateNoDeadKeysBit = 0, kUCKeyTranslateNoDeadKeysMask = 1 << 0 };

/* The status UCKeyTranslate answers for arguments it cannot use (MacErrors.h). */
enum { noErr = 0, paramErr = -50 };

OSStatus UCKeyTranslate(const UCKeyboardLayout* keyLayoutPtr, UInt16 virtualKeyCode,
                        UInt16 keyAction, UInt32 modifierKeyState, UInt32 keyboardType,
                        OptionBits keyTranslateOptions, UInt32* deadKeyState,
                        UniCharCount maxStringLength, UniCharCount* actualStringLength,
                        UniChar unicodeString[]);
UInt8 LMGetKbdType(void);

Boolean IsSecureEventInputEnabled(void);

#ifdef __cplusplus
}
#endif

#endif /* MACSHIM_TEXTINPUTSOURCES_H */
