// Keymap: one complete keyboard configuration.
//
// Six tables: single keys (tokens exactly as typed, so "I" and "i" differ),
// chords for the message list, chords for compose windows, chords for any
// known focus, how each action is performed, and the focus policy. Beside
// each of the three key sections, the two-key sequences bound in it ("g i"),
// held by their first chord. Within a section, a chord that starts a
// sequence is never also bound on its own (keymap.json's reader drops such
// sequences). Which table wins when is the decider's business. A Keymap is a
// value: copying it copies the tables, and two keymaps are equal when all
// their tables are.
//
// Lookups are exact map lookups; none normalises its argument (chords are
// built normalised by KeyChord's constructor) and none falls back to another
// table. The built-in tables are built once, on first use, thread-safely,
// and shared.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "QuilloCore/ActionID.hpp"
#include "QuilloCore/ActionSpec.hpp"
#include "QuilloCore/Export.hpp"
#include "QuilloCore/FocusPolicy.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "QuilloCore/KeySequence.hpp"
#include "QuilloCore/KeyToken.hpp"
#include "QuilloCore/RawValueEnum.hpp"

namespace quillo {

enum class KeymapPreset : std::uint8_t;
struct KeymapLoadResult;

using KeyBindings = std::unordered_map<KeyToken, ActionID>;
using ChordBindings = std::unordered_map<KeyChord, ActionID>;
/// Two-key sequences: first chord, then the second chords that complete it.
using SequenceBindings = std::unordered_map<KeyChord, ChordBindings>;
/// Ordered by action declaration order, so listings come out in that order.
using ActionTable = std::map<ActionID, ActionSpec>;

/// The three key sections of a keymap: "keys" (single keys and chords for
/// the message list), "composeKeys" and "anywhereKeys".
enum class KeySection : std::uint8_t { keys, composeKeys, anywhereKeys };

template <>
struct EnumRawValues<KeySection> {
  static constexpr std::array<std::string_view, 3> values{"keys", "composeKeys", "anywhereKeys"};
};

/// What a chord means in one section of a keymap: it performs an action on
/// its own, it is the first key of one or more sequences, or nothing.
struct QUILLO_CORE_EXPORT ChordMeaning {
  enum class Kind : std::uint8_t { nothing, performs, startsSequence };
  Kind kind = Kind::nothing;
  /// The action performed (performs only).
  std::optional<ActionID> action;

  static ChordMeaning nothing() { return {}; }
  static ChordMeaning performs(ActionID action) { return {Kind::performs, action}; }
  static ChordMeaning startsSequence() { return {Kind::startsSequence, std::nullopt}; }
  bool operator==(const ChordMeaning&) const = default;
};

struct QUILLO_CORE_EXPORT Keymap {
  KeyBindings bindings;
  ChordBindings listChords;
  ChordBindings composeBindings;
  ChordBindings anywhereChords;
  ActionTable actions;
  FocusPolicy focus;
  SequenceBindings listSequences;
  SequenceBindings composeSequences;
  SequenceBindings anywhereSequences;

  /// The newest keymap.json format version this build understands.
  static constexpr int fileVersion = 1;

  Keymap(KeyBindings bindings, ChordBindings listChords, ChordBindings composeBindings,
         ChordBindings anywhereChords, ActionTable actions, FocusPolicy focus);

  std::optional<ActionID> action(const KeyToken& key) const;
  std::optional<ActionID> listAction(const KeyChord& chord) const;
  std::optional<ActionID> composeAction(const KeyChord& chord) const;
  std::optional<ActionID> anywhereAction(const KeyChord& chord) const;
  /// The sequence table of a section.
  const SequenceBindings& sequences(KeySection section) const;
  SequenceBindings& sequences(KeySection section);
  /// How many two-key sequences the three sections hold.
  std::size_t sequenceCount() const noexcept;
  /// True when any section has a sequence.
  bool hasSequences() const noexcept {
    return !listSequences.empty() || !composeSequences.empty() || !anywhereSequences.empty();
  }
  /// What `chord` does in `section`. In "keys", a chord without cmd, ctrl or
  /// option stands for the single key it types (shift and i for "I").
  ChordMeaning meaning(KeySection section, const KeyChord& chord) const;
  /// The action of the sequence `first`, then `second` in `section`.
  std::optional<ActionID> sequenceAction(KeySection section, const KeyChord& first,
                                         const KeyChord& second) const;
  /// Binds a two-chord sequence in `section` (a single chord is ignored).
  void bindSequence(KeySection section, const KeySequence& sequence, ActionID action);

  /// The action's spec, or null when the keymap has none. The pointer stays
  /// valid as long as this keymap is neither changed nor destroyed.
  const ActionSpec* spec(ActionID action) const;

  /// Reads the bytes of a keymap.json (see KeymapFile.hpp). Throws
  /// KeymapError when the whole file is rejected; never anything else.
  static KeymapLoadResult parse(std::string_view data);

  /// The first preset (in declaration order) whose keymap equals this one.
  std::optional<KeymapPreset> matchingPreset() const;

  /// Gmail-like single keys, cmd+return and cmd+enter to send while
  /// composing, no list or anywhere chords, the default specs and policy.
  static const Keymap& default_();
  static const KeyBindings& defaultBindings();
  static const ChordBindings& defaultComposeBindings();
  static const ActionTable& defaultActions();

  bool operator==(const Keymap&) const = default;
};

/// The single key a chord without cmd, ctrl or option types: an upper-case
/// letter for shift and a letter ("I"), otherwise the chord's key.
QUILLO_CORE_EXPORT KeyToken singleKeyOf(const KeyChord& chord);

}  // namespace quillo
