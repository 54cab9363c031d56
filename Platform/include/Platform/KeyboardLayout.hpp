// KeyboardLayout: Text Input Sources and Unicode key layouts — what
// character a key of the current keyboard layout types.
//
// Mirrors TISCopyCurrentKeyboardLayoutInputSource with
// kTISPropertyUnicodeKeyLayoutData, LMGetKbdType and UCKeyTranslate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quillo::platform {

/// kUCKeyActionDown and kUCKeyTranslateNoDeadKeysMask.
inline constexpr std::uint16_t keyActionDown = 0;
inline constexpr std::uint32_t keyTranslateNoDeadKeysMask = 1;

/// The 'uchr' data of a keyboard layout.
class UnicodeKeyLayout {
 public:
  virtual ~UnicodeKeyLayout() = default;
  /// UCKeyTranslate: 0 (noErr) on success with the characters (at most
  /// maxLength UTF-16 units) in `characters`. `modifierKeyState` is the
  /// Carbon modifier bits shifted right by 8 (shift is 2).
  virtual std::int32_t translate(std::uint16_t keyCode, std::uint16_t keyAction,
                                 std::uint32_t modifierKeyState, std::uint32_t keyboardType,
                                 std::uint32_t options, std::uint32_t& deadKeyState,
                                 std::size_t maxLength, std::u16string& characters) const = 0;
};

class KeyboardLayouts {
 public:
  virtual ~KeyboardLayouts() = default;
  /// The current layout's Unicode key layout data; null when there is none.
  virtual std::shared_ptr<const UnicodeKeyLayout> currentKeyboardLayout() const = 0;
  /// LMGetKbdType.
  virtual std::uint32_t keyboardType() const = 0;
};

}  // namespace quillo::platform
