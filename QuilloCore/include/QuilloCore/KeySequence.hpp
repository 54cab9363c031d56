// KeySequence: the keys of one binding — a single chord, or two chords
// pressed one after the other ("g i": G, then I).
//
// The text form writes each chord in KeyChord's text form and separates the
// two with one space: "g i", "ctrl+x e", "cmd+k cmd+s". A plain key in it is
// a key as typed, so "I" stands for shift and i, exactly as a single key "I"
// does. The display form joins the chords' display forms with " then "
// ("G then I", "⌃X then E"). Plain value, any thread.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "QuilloCore/Export.hpp"
#include "QuilloCore/KeyChord.hpp"

namespace quillo {

class QUILLO_CORE_EXPORT KeySequence {
 public:
  /// One chord on its own.
  explicit KeySequence(KeyChord only) : first_(std::move(only)) {}
  /// Two chords: `first`, then `second`.
  KeySequence(KeyChord first, KeyChord second)
      : first_(std::move(first)), second_(std::move(second)) {}

  /// Whether `text` is written as a sequence: one space between two
  /// non-empty parts. A lone " " or a chord ending in a space is not.
  static bool looksLikeSequence(std::string_view text) noexcept;

  /// Parses "g i" or a single chord ("cmd+e", "e"); no value for anything
  /// else, including three parts, an empty part or a part that is not a
  /// chord.
  static std::optional<KeySequence> fromKeymapString(std::string_view text);

  const KeyChord& first() const noexcept { return first_; }
  const std::optional<KeyChord>& second() const noexcept { return second_; }
  /// True for two chords.
  bool isSequence() const noexcept { return second_.has_value(); }

  /// "g i", "ctrl+x e", or the one chord's text form.
  std::string keymapString() const;
  /// "G then I", "⌃X then E", or the one chord's display form.
  std::string displayString() const;

  bool operator==(const KeySequence&) const = default;
  std::size_t hash() const noexcept {
    return second_ ? hashCombine(first_.hash(), second_->hash()) : first_.hash();
  }

 private:
  KeyChord first_;
  std::optional<KeyChord> second_;
};

}  // namespace quillo

template <>
struct std::hash<quillo::KeySequence> {
  std::size_t operator()(const quillo::KeySequence& sequence) const noexcept {
    return sequence.hash();
  }
};
