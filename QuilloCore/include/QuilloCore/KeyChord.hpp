// KeyChord: a key together with its modifiers — one keyboard shortcut.
//
// Every chord is normalised on construction: a letter key (any script) is held
// in lowercase with `shift` kept as a separate flag, and a non-letter
// character key never carries `shift` (shift is already part of "?" or "#").
// Named keys keep their modifiers. The chord tables of a keymap rely on this.
//
// The text form ("cmd+return", "ctrl+option+e", "shift+cmd+k", "cmd++") is what
// keymap.json and the custom keymap file store. Plain value, any thread.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "QuilloCore/Export.hpp"
#include "QuilloCore/KeyModifiers.hpp"
#include "QuilloCore/KeyToken.hpp"

namespace quillo {

class QUILLO_CORE_EXPORT KeyChord {
 public:
  /// The normalising constructor.
  KeyChord(KeyToken key, KeyModifiers modifiers);

  /// Parses the text form; no chord when any modifier word is unknown (no
  /// whitespace is trimmed) or the key part is not a key.
  static std::optional<KeyChord> fromKeymapString(std::string_view text);

  /// The pieces of a text form before the key is parsed: the collected
  /// modifiers and the key part. No value when a modifier word is unknown.
  /// "+" itself may be the key: "+" and "cmd++" end in the key part "+".
  struct Components {
    KeyModifiers modifiers;
    std::string_view keyPart;
  };
  static std::optional<Components> splitKeymapString(std::string_view text);

  const KeyToken& key() const noexcept { return key_; }
  KeyModifiers modifiers() const noexcept { return modifiers_; }

  /// The text form: modifier words in the order ctrl, option, shift, cmd, then
  /// the key (a named key's raw value or the character), joined by "+".
  std::string keymapString() const;
  /// How the chord reads on a Mac: the symbols ⌃ ⌥ ⇧ ⌘ of the held
  /// modifiers in that order, then the key — a letter in upper case ("E"),
  /// an upper-case letter as "⇧" and the letter, a named key as its symbol
  /// (Return and keypad Enter both "↩"), anything else as stored: "⌃⌘A".
  std::string displayString() const;
  /// True when control, option or command is held.
  bool hasShortcutModifier() const noexcept {
    return !modifiers_.isDisjoint(KeyModifiers::shortcutModifiers);
  }

  bool operator==(const KeyChord& other) const noexcept {
    return modifiers_ == other.modifiers_ && key_ == other.key_;
  }
  std::size_t hash() const noexcept { return hashCombine(key_.hash(), modifiers_.rawValue()); }

 private:
  KeyToken key_;
  KeyModifiers modifiers_;
};

}  // namespace quillo

template <>
struct std::hash<quillo::KeyChord> {
  std::size_t operator()(const quillo::KeyChord& chord) const noexcept { return chord.hash(); }
};
