// KeyModifiers: the set of modifier keys held with a key press.
//
// An option set over four bits: shift 1, control 2, option 4, command 8. No
// other bit is ever set; constructing from a raw value drops unknown bits.
// Only control, option and command turn a key press into a shortcut; shift
// alone is part of typing. Plain value, usable from any thread.
#pragma once

#include <cstdint>
#include <vector>

namespace quillo {

class KeyModifiers {
 public:
  using RawValue = std::uint8_t;

  static const KeyModifiers shift;
  static const KeyModifiers control;
  static const KeyModifiers option;
  static const KeyModifiers command;
  /// control + option + command: the modifiers that make a key press a shortcut.
  static const KeyModifiers shortcutModifiers;

  constexpr KeyModifiers() noexcept = default;
  constexpr explicit KeyModifiers(RawValue raw) noexcept : raw_(raw & kAllBits) {}

  constexpr RawValue rawValue() const noexcept { return raw_; }
  constexpr bool isEmpty() const noexcept { return raw_ == 0; }
  /// True when every member of `other` is held.
  constexpr bool contains(KeyModifiers other) const noexcept {
    return (raw_ & other.raw_) == other.raw_;
  }
  constexpr bool isSubset(KeyModifiers of) const noexcept { return (raw_ & ~of.raw_) == 0; }
  constexpr bool isDisjoint(KeyModifiers with) const noexcept { return (raw_ & with.raw_) == 0; }
  constexpr void insert(KeyModifiers other) noexcept { raw_ |= other.raw_; }
  constexpr void remove(KeyModifiers other) noexcept { raw_ &= static_cast<RawValue>(~other.raw_); }

  constexpr KeyModifiers operator|(KeyModifiers o) const noexcept {
    return KeyModifiers(raw_ | o.raw_);
  }
  constexpr KeyModifiers operator&(KeyModifiers o) const noexcept {
    return KeyModifiers(raw_ & o.raw_);
  }
  constexpr KeyModifiers operator^(KeyModifiers o) const noexcept {
    return KeyModifiers(raw_ ^ o.raw_);
  }
  constexpr bool operator==(const KeyModifiers&) const noexcept = default;

  /// The held members in bit order (shift, control, option, command).
  std::vector<KeyModifiers> members() const {
    std::vector<KeyModifiers> result;
    for (RawValue bit = 1; bit <= 8; bit = static_cast<RawValue>(bit << 1)) {
      if (raw_ & bit) result.push_back(KeyModifiers(bit));
    }
    return result;
  }

 private:
  static constexpr RawValue kAllBits = 0x0F;
  RawValue raw_ = 0;
};

inline constexpr KeyModifiers KeyModifiers::shift{1};
inline constexpr KeyModifiers KeyModifiers::control{2};
inline constexpr KeyModifiers KeyModifiers::option{4};
inline constexpr KeyModifiers KeyModifiers::command{8};
inline constexpr KeyModifiers KeyModifiers::shortcutModifiers{14};

}  // namespace quillo
