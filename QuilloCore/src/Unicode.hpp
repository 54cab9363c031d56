// Unicode text operations used by the core, backed by ICU.
//
// Internal to QuilloCore. Every function accepts arbitrary bytes: invalid
// UTF-8 sequences count as U+FFFD and never fail. Functions that have a cheap
// answer for plain ASCII take it before touching ICU, so the characters of an
// ordinary key press never build a break iterator.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::unicode {

bool isASCII(std::string_view text) noexcept;
bool isValidUTF8(std::string_view text) noexcept;

/// The Unicode scalars of `text`, in order.
std::vector<char32_t> scalars(std::string_view utf8);

/// The number of extended grapheme clusters, counting no further than `limit`.
std::size_t characterCount(std::string_view utf8, std::size_t limit);
inline bool isSingleCharacter(std::string_view utf8) {
  return characterCount(utf8, 2) == 1;
}

/// Whether the first scalar of `text` has a letter general category (L*).
bool startsWithLetter(std::string_view utf8);

/// Full Unicode lowercase mapping without any locale's tailoring.
std::string lowercased(std::string_view utf8);

/// Full Unicode uppercase mapping without any locale's tailoring.
std::string uppercased(std::string_view utf8);

/// The canonical composed form (NFC); equal for canonically equivalent text.
std::string canonicalComposed(std::string_view utf8);
/// Whether `text` is already in canonical composed form.
bool isCanonicalComposed(std::string_view utf8);

/// Whether the scalar's general category is Control, Format, Surrogate,
/// Private Use or Unassigned.
bool isControlFormatPrivateOrUnassigned(char32_t scalar) noexcept;

/// `text` without leading and trailing space separators (Zs) and tabs; line
/// breaks stay.
std::string_view trimmingSpacesAndTabs(std::string_view utf8);

/// Whole-string comparison under full case folding, without locale.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

/// The scalars of `text` as a search compares them: canonically decomposed,
/// without nonspacing marks, each folded (simple case folding) — so "É",
/// "é" and "e" all give "e", and "Eingänge" gives "eingange".
std::u32string searchFolded(std::string_view utf8);

/// Whether the scalar is a letter or a digit (general category L* or N*).
bool isLetterOrDigit(char32_t scalar) noexcept;

}  // namespace quillo::unicode
