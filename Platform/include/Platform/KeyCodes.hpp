// KeyCodes: the platform numbers of the keyboard — virtual key codes of the
// ANSI keyboard and the flag bits of an event — named once, for the
// application, the macOS adapters and the simulated Mac alike.
//
// Virtual key codes are positions on the keyboard, not characters: the key
// right of Caps Lock is `a` (0) whatever the layout types there. The values
// are those of macOS's kVK_ constants (Carbon's Events.h); the flag bits are
// CGEventFlags. Pure constants, no state.
#pragma once

#include <cstdint>

namespace quillo::platform {

namespace KeyCode {
// The letter and digit keys of the ANSI layout (kVK_ANSI_…).
inline constexpr std::uint16_t a = 0x00, s = 0x01, d = 0x02, f = 0x03, h = 0x04, g = 0x05, z = 0x06,
                               x = 0x07, c = 0x08, v = 0x09, b = 0x0B, q = 0x0C, w = 0x0D, e = 0x0E,
                               r = 0x0F, y = 0x10, t = 0x11, o = 0x1F, u = 0x20, i = 0x22, p = 0x23,
                               l = 0x25, j = 0x26, k = 0x28, n = 0x2D, m = 0x2E;
inline constexpr std::uint16_t one = 0x12, two = 0x13, three = 0x14, four = 0x15, six = 0x16,
                               five = 0x17, nine = 0x19, seven = 0x1A, eight = 0x1C, zero = 0x1D;
inline constexpr std::uint16_t equal = 0x18, minus = 0x1B, rightBracket = 0x1E, leftBracket = 0x21,
                               quote = 0x27, semicolon = 0x29, backslash = 0x2A, comma = 0x2B,
                               slash = 0x2C, period = 0x2F, grave = 0x32;

// Keys that type no character of their own (kVK_…).
inline constexpr std::uint16_t returnKey = 0x24;      // 36, kVK_Return
inline constexpr std::uint16_t tab = 0x30;            // 48, kVK_Tab
inline constexpr std::uint16_t space = 0x31;          // 49, kVK_Space
inline constexpr std::uint16_t deleteKey = 0x33;      // 51, kVK_Delete (backspace)
inline constexpr std::uint16_t escape = 0x35;         // 53, kVK_Escape
inline constexpr std::uint16_t keypadEnter = 0x4C;    // 76, kVK_ANSI_KeypadEnter
inline constexpr std::uint16_t home = 0x73;           // kVK_Home
inline constexpr std::uint16_t pageUp = 0x74;         // kVK_PageUp
inline constexpr std::uint16_t forwardDelete = 0x75;  // kVK_ForwardDelete
inline constexpr std::uint16_t end = 0x77;            // kVK_End
inline constexpr std::uint16_t pageDown = 0x79;       // kVK_PageDown
inline constexpr std::uint16_t left = 0x7B;           // 123, kVK_LeftArrow
inline constexpr std::uint16_t right = 0x7C;          // 124, kVK_RightArrow
inline constexpr std::uint16_t down = 0x7D;           // 125, kVK_DownArrow
inline constexpr std::uint16_t up = 0x7E;             // 126, kVK_UpArrow

// The function keys (kVK_F…); their codes follow no order.
inline constexpr std::uint16_t f1 = 0x7A, f2 = 0x78, f3 = 0x63, f4 = 0x76, f5 = 0x60, f6 = 0x61,
                               f7 = 0x62, f8 = 0x64, f9 = 0x65, f10 = 0x6D, f11 = 0x67, f12 = 0x6F;
}  // namespace KeyCode

/// Event flag bits (CGEventFlags).
namespace EventFlags {
inline constexpr std::uint64_t alphaShift = 0x10000;    // kCGEventFlagMaskAlphaShift (Caps Lock)
inline constexpr std::uint64_t shift = 0x20000;         // kCGEventFlagMaskShift
inline constexpr std::uint64_t control = 0x40000;       // kCGEventFlagMaskControl
inline constexpr std::uint64_t alternate = 0x80000;     // kCGEventFlagMaskAlternate (option)
inline constexpr std::uint64_t command = 0x100000;      // kCGEventFlagMaskCommand
inline constexpr std::uint64_t numericPad = 0x200000;   // kCGEventFlagMaskNumericPad
inline constexpr std::uint64_t help = 0x400000;         // kCGEventFlagMaskHelp
inline constexpr std::uint64_t secondaryFn = 0x800000;  // kCGEventFlagMaskSecondaryFn
}  // namespace EventFlags

/// The modifier key state UCKeyTranslate takes: Carbon's modifier bits
/// (Events.h: shiftKey 0x0200, optionKey 0x0800, controlKey 0x1000) shifted
/// right by 8.
namespace KeyTranslateModifiers {
inline constexpr std::uint32_t shift = 0x0200 >> 8;
inline constexpr std::uint32_t option = 0x0800 >> 8;
inline constexpr std::uint32_t control = 0x1000 >> 8;
}  // namespace KeyTranslateModifiers

/// The modifier bits of a menu item's key equivalent as Accessibility reports
/// them (AXMenuItemCmdModifiers, kAXMenuItemModifier…). Command is implied
/// unless `noCommand` is set.
namespace MenuItemModifiers {
inline constexpr std::int64_t none = 0;            // kAXMenuItemModifierNone: command alone
inline constexpr std::int64_t shift = 1 << 0;      // kAXMenuItemModifierShift
inline constexpr std::int64_t option = 1 << 1;     // kAXMenuItemModifierOption
inline constexpr std::int64_t control = 1 << 2;    // kAXMenuItemModifierControl
inline constexpr std::int64_t noCommand = 1 << 3;  // kAXMenuItemModifierNoCommand
}  // namespace MenuItemModifiers

}  // namespace quillo::platform
