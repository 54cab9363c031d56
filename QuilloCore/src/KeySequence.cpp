#include "QuilloCore/KeySequence.hpp"

#include <vector>

#include "Unicode.hpp"

namespace quillo {
namespace {

std::vector<std::string_view> spaceSeparatedParts(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t space = text.find(' ', start);
    if (space == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, space - start));
    start = space + 1;
  }
}

/// One part of the text form: a chord with cmd, ctrl or option ("ctrl+x"),
/// or a key as typed ("g", "I" for shift and i, "#", "return").
std::optional<KeyChord> chordOfPart(std::string_view part) {
  if (unicode::characterCount(part, 2) >= 2 && part.find('+') != std::string_view::npos) {
    auto chord = KeyChord::fromKeymapString(part);
    if (!chord || !chord->hasShortcutModifier()) return std::nullopt;
    return chord;
  }
  auto token = KeyToken::fromKeymapString(part);
  if (!token) return std::nullopt;
  const bool upperCaseLetter = token->isCharacter() &&
                               unicode::startsWithLetter(token->character()) &&
                               unicode::lowercased(token->character()) != token->character();
  return KeyChord(std::move(*token), upperCaseLetter ? KeyModifiers::shift : KeyModifiers());
}

/// The inverse of chordOfPart: a chord without cmd, ctrl or option is
/// written as the key it types ("I" for shift and i).
std::string partString(const KeyChord& chord) {
  if (chord.hasShortcutModifier() || !chord.modifiers().contains(KeyModifiers::shift) ||
      !chord.key().isCharacter()) {
    return chord.keymapString();
  }
  const std::string upper = unicode::uppercased(chord.key().character());
  return unicode::isSingleCharacter(upper) ? upper : chord.keymapString();
}

}  // namespace

bool KeySequence::looksLikeSequence(std::string_view text) noexcept {
  const std::size_t space = text.find(' ');
  return space != std::string_view::npos && space > 0 && space + 1 < text.size();
}

std::optional<KeySequence> KeySequence::fromKeymapString(std::string_view text) {
  if (!looksLikeSequence(text)) {
    auto only = chordOfPart(text);
    if (!only) return std::nullopt;
    return KeySequence(std::move(*only));
  }
  const auto parts = spaceSeparatedParts(text);
  if (parts.size() != 2 || parts[0].empty() || parts[1].empty()) return std::nullopt;
  auto first = chordOfPart(parts[0]);
  auto second = chordOfPart(parts[1]);
  if (!first || !second) return std::nullopt;
  return KeySequence(std::move(*first), std::move(*second));
}

std::string KeySequence::keymapString() const {
  if (!second_) return partString(first_);
  return partString(first_) + " " + partString(*second_);
}

std::string KeySequence::displayString() const {
  if (!second_) return first_.displayString();
  return first_.displayString() + " then " + second_->displayString();
}

}  // namespace quillo
