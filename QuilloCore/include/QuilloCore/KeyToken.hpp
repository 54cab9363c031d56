// KeyToken: one key as the user means it — a typed character or a named key.
//
// A `character` token holds exactly one user-perceived character (one extended
// grapheme cluster) as UTF-8, exactly as typed: an uppercase letter stays
// uppercase and "#" stays "#". Two character tokens are equal when their
// characters are canonically equivalent ("é" precomposed equals "e" + U+0301),
// and they hash alike. A `named` token is one of ten non-printing keys.
//
// Plain value, usable from any thread. Parsing never throws: text that is not
// a key gives no token. Tokens of plain ASCII characters never touch the
// Unicode tables, so the per-key-press path stays cheap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "QuilloCore/Export.hpp"
#include "QuilloCore/RawValueEnum.hpp"

namespace quillo {

class QUILLO_CORE_EXPORT KeyToken {
 public:
  /// The ten non-printing keys, in declaration order. Raw values equal the
  /// names; `return_` and `delete_` carry an underscore only because the plain
  /// words are C++ keywords (their raw values are "return" and "delete").
  enum class NamedKey : std::uint8_t {
    return_,
    enter,
    tab,
    space,
    escape,
    delete_,
    up,
    down,
    left,
    right
  };

  /// The case number used in hashing: 0 for a character, 1 for a named key.
  enum class Kind : std::uint8_t { character = 0, named = 1 };

  /// A character token. `text` should be one extended grapheme cluster; it is
  /// stored unchanged (use typed() or fromKeymapString() to validate text).
  static KeyToken character(std::string_view text);
  static KeyToken named(NamedKey key) noexcept;

  /// The token for the text a key event produced: a named key for the
  /// characters of the named-character table (return, keypad enter, tab,
  /// space, escape, backspace/delete, the four arrow function keys); no token
  /// for anything but exactly one character, or for a character containing a
  /// control, format, surrogate, private-use or unassigned scalar; otherwise
  /// the character exactly as typed.
  static std::optional<KeyToken> typed(std::string_view utf8);

  /// The key part of a chord's text form: one character is kept exactly as
  /// written (or mapped by the named-character table); longer text must be a
  /// named key's name in any letter case ("Return", "ESCAPE" is not a name).
  static std::optional<KeyToken> fromKeymapString(std::string_view text);

  /// The named key of a single-character text by the named-character table.
  static std::optional<NamedKey> namedKeyForCharacter(std::string_view utf8) noexcept;

  Kind kind() const noexcept { return kind_; }
  bool isCharacter() const noexcept { return kind_ == Kind::character; }
  bool isNamed() const noexcept { return kind_ == Kind::named; }
  /// The character as typed; empty for a named key.
  std::string_view character() const noexcept { return text_; }
  std::optional<NamedKey> namedKey() const noexcept {
    return isNamed() ? std::optional<NamedKey>(named_) : std::nullopt;
  }
  /// The character itself, or the named key's raw value.
  std::string_view text() const noexcept;

  bool operator==(const KeyToken& other) const noexcept;
  std::size_t hash() const noexcept;

 private:
  KeyToken(Kind kind, NamedKey named, std::string text);
  /// The text used for equality and hashing: the character in canonical
  /// composed form (identical to text_ for ASCII and already-composed text).
  std::string_view canonical() const noexcept { return hasCanonical_ ? canonical_ : text_; }

  Kind kind_;
  NamedKey named_;
  bool hasCanonical_ = false;
  std::string text_;
  std::string canonical_;
};

template <>
struct EnumRawValues<KeyToken::NamedKey> {
  static constexpr std::array<std::string_view, 10> values{
      "return", "enter", "tab", "space", "escape", "delete", "up", "down", "left", "right"};
};

/// Mixes `value` into `seed` (the usual golden-ratio combine).
constexpr std::size_t hashCombine(std::size_t seed, std::size_t value) noexcept {
  return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

}  // namespace quillo

template <>
struct std::hash<quillo::KeyToken> {
  std::size_t operator()(const quillo::KeyToken& token) const noexcept { return token.hash(); }
};
