#include "QuilloCore/KeyChord.hpp"

#include <array>
#include <utility>
#include <vector>

#include "Unicode.hpp"

namespace quillo {
namespace {

std::optional<KeyModifiers> modifierForWord(std::string_view word) {
  struct Entry {
    std::string_view word;
    KeyModifiers modifier;
  };
  static constexpr std::array<Entry, 8> kWords{{
      {"cmd", KeyModifiers::command},
      {"command", KeyModifiers::command},
      {"ctrl", KeyModifiers::control},
      {"control", KeyModifiers::control},
      {"opt", KeyModifiers::option},
      {"option", KeyModifiers::option},
      {"alt", KeyModifiers::option},
      {"shift", KeyModifiers::shift},
  }};
  if (word.size() > 7) return std::nullopt;  // longer than any modifier word
  const std::string lower = unicode::lowercased(word);
  for (const auto& entry : kWords) {
    if (entry.word == lower) return entry.modifier;
  }
  return std::nullopt;
}

KeyToken normalisedKey(KeyToken key, KeyModifiers& modifiers) {
  if (!key.isCharacter()) return key;
  if (unicode::startsWithLetter(key.character())) {
    std::string lower = unicode::lowercased(key.character());
    // A lowercase mapping that splits the character in two would not be one
    // key any more; such a letter is kept as typed.
    if (lower != key.character() && unicode::isSingleCharacter(lower)) {
      return KeyToken::character(lower);
    }
    return key;
  }
  modifiers.remove(KeyModifiers::shift);
  return key;
}

}  // namespace

KeyChord::KeyChord(KeyToken key, KeyModifiers modifiers)
    : key_(normalisedKey(std::move(key), modifiers)), modifiers_(modifiers) {}

std::optional<KeyChord::Components> KeyChord::splitKeymapString(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  while (true) {
    const std::size_t plus = text.find('+', start);
    if (plus == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      break;
    }
    pieces.push_back(text.substr(start, plus - start));
    start = plus + 1;
  }
  // Two empty pieces at the end come from a trailing "++": the key is "+".
  if (pieces.size() >= 2 && pieces[pieces.size() - 1].empty() &&
      pieces[pieces.size() - 2].empty()) {
    pieces.resize(pieces.size() - 2);
    pieces.push_back("+");
  }
  Components components{KeyModifiers(), pieces.back()};
  for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
    const auto modifier = modifierForWord(pieces[i]);
    if (!modifier) return std::nullopt;
    components.modifiers.insert(*modifier);
  }
  return components;
}

std::optional<KeyChord> KeyChord::fromKeymapString(std::string_view text) {
  const auto components = splitKeymapString(text);
  if (!components) return std::nullopt;
  auto token = KeyToken::fromKeymapString(components->keyPart);
  if (!token) return std::nullopt;
  return KeyChord(std::move(*token), components->modifiers);
}

std::string KeyChord::keymapString() const {
  std::string text;
  if (modifiers_.contains(KeyModifiers::control)) text += "ctrl+";
  if (modifiers_.contains(KeyModifiers::option)) text += "option+";
  if (modifiers_.contains(KeyModifiers::shift)) text += "shift+";
  if (modifiers_.contains(KeyModifiers::command)) text += "cmd+";
  text += key_.text();
  return text;
}

std::string KeyChord::displayString() const {
  std::string text;
  if (modifiers_.contains(KeyModifiers::control)) text += "\u2303";
  if (modifiers_.contains(KeyModifiers::option)) text += "\u2325";
  if (modifiers_.contains(KeyModifiers::shift)) text += "\u21E7";
  if (modifiers_.contains(KeyModifiers::command)) text += "\u2318";
  if (const auto named = key_.namedKey()) {
    switch (*named) {
      case KeyToken::NamedKey::return_:
      case KeyToken::NamedKey::enter:
        return text + "\u21A9";
      case KeyToken::NamedKey::tab:
        return text + "\u21E5";
      case KeyToken::NamedKey::space:
        return text + "Space";
      case KeyToken::NamedKey::escape:
        return text + "\u238B";
      case KeyToken::NamedKey::delete_:
        return text + "\u232B";
      case KeyToken::NamedKey::up:
        return text + "\u2191";
      case KeyToken::NamedKey::down:
        return text + "\u2193";
      case KeyToken::NamedKey::left:
        return text + "\u2190";
      case KeyToken::NamedKey::right:
        return text + "\u2192";
    }
  }
  const std::string_view stored = key_.character();
  if (unicode::startsWithLetter(stored)) {
    const std::string upper = unicode::uppercased(stored);
    const std::string lower = unicode::lowercased(stored);
    // "ß" would read "SS": a letter whose capital is not one character stays.
    if (upper != lower && unicode::isSingleCharacter(upper)) {
      return text + (stored == upper ? "\u21E7" + upper : upper);
    }
  }
  return text + std::string(stored);
}

}  // namespace quillo
