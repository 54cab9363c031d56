#include "QuilloCore/KeyToken.hpp"

#include "Unicode.hpp"

namespace quillo {
namespace {

std::optional<KeyToken::NamedKey> namedKeyForScalar(char32_t scalar) noexcept {
  using NamedKey = KeyToken::NamedKey;
  switch (scalar) {
    case 0x0D:
      return NamedKey::return_;
    case 0x03:
      return NamedKey::enter;  // the keypad Enter character
    case 0x09:
      return NamedKey::tab;
    case 0x20:
      return NamedKey::space;
    case 0x1B:
      return NamedKey::escape;
    case 0x08:
    case 0x7F:
      return NamedKey::delete_;
    case 0xF700:
      return NamedKey::up;  // the arrow keys' function-key characters
    case 0xF701:
      return NamedKey::down;
    case 0xF702:
      return NamedKey::left;
    case 0xF703:
      return NamedKey::right;
    default:
      return std::nullopt;
  }
}

}  // namespace

KeyToken::KeyToken(Kind kind, NamedKey named, std::string text)
    : kind_(kind), named_(named), text_(std::move(text)) {
  if (kind_ == Kind::character && !unicode::isCanonicalComposed(text_)) {
    canonical_ = unicode::canonicalComposed(text_);
    hasCanonical_ = true;
  }
}

KeyToken KeyToken::character(std::string_view text) {
  return KeyToken(Kind::character, NamedKey::return_, std::string(text));
}

KeyToken KeyToken::named(NamedKey key) noexcept {
  return KeyToken(Kind::named, key, std::string());
}

std::optional<KeyToken::NamedKey> KeyToken::namedKeyForCharacter(std::string_view utf8) noexcept {
  if (utf8.empty()) return std::nullopt;
  if (utf8.size() == 1) return namedKeyForScalar(static_cast<unsigned char>(utf8[0]));
  // Only one multi-byte scalar can be in the table: the arrows at U+F700–F703,
  // three bytes each in UTF-8.
  if (utf8.size() != 3) return std::nullopt;
  const auto s = unicode::scalars(utf8);
  return s.size() == 1 ? namedKeyForScalar(s[0]) : std::nullopt;
}

std::optional<KeyToken> KeyToken::typed(std::string_view utf8) {
  if (utf8.size() == 1) {
    const auto byte = static_cast<unsigned char>(utf8[0]);
    if (auto named = namedKeyForScalar(byte)) return KeyToken::named(*named);
    if (byte < 0x20 || byte >= 0x7F) return std::nullopt;  // controls, or a stray byte
    return character(utf8);
  }
  // Two or more ASCII bytes are two or more characters, except CR LF, which is
  // one character made of control scalars: no token either way.
  if (utf8.empty() || unicode::isASCII(utf8) || !unicode::isValidUTF8(utf8)) return std::nullopt;
  if (!unicode::isSingleCharacter(utf8)) return std::nullopt;
  const auto scalars = unicode::scalars(utf8);
  if (scalars.size() == 1) {
    if (auto named = namedKeyForScalar(scalars[0])) return KeyToken::named(*named);
  }
  for (char32_t scalar : scalars) {
    if (unicode::isControlFormatPrivateOrUnassigned(scalar)) return std::nullopt;
  }
  return character(utf8);
}

std::optional<KeyToken> KeyToken::fromKeymapString(std::string_view text) {
  if (!unicode::isValidUTF8(text)) return std::nullopt;
  if (unicode::isSingleCharacter(text)) {
    if (auto named = namedKeyForCharacter(text)) return KeyToken::named(*named);
    return character(text);
  }
  if (text.empty()) return std::nullopt;
  if (auto named = fromRawValue<NamedKey>(unicode::lowercased(text)))
    return KeyToken::named(*named);
  return std::nullopt;
}

std::string_view KeyToken::text() const noexcept {
  return isNamed() ? rawValue(named_) : std::string_view(text_);
}

bool KeyToken::operator==(const KeyToken& other) const noexcept {
  if (kind_ != other.kind_) return false;
  if (kind_ == Kind::named) return named_ == other.named_;
  return canonical() == other.canonical();
}

std::size_t KeyToken::hash() const noexcept {
  const std::size_t caseNumber = static_cast<std::size_t>(kind_);
  return hashCombine(caseNumber,
                     std::hash<std::string_view>{}(isNamed() ? rawValue(named_) : canonical()));
}

}  // namespace quillo
