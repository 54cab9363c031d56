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
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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

/// An action a keymap defines itself: a name that is not a built-in action,
/// given in its "actions" section. How it is performed is its ActionSpec in
/// the keymap's `actions`, under its ID.
struct QUILLO_CORE_EXPORT UserAction {
  /// As written in the file.
  std::string name;
  /// What the panel shows: the "title" member, or the name.
  std::string title;
  /// Where its single keys and "keys" chords act: the message list, an
  /// opened message's window.
  bool inMessageList = true;
  bool inOpenMessage = true;

  bool operator==(const UserAction&) const = default;
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
  /// The keymap's own actions; the one at index i has ID userActionID(i).
  std::vector<UserAction> userActions;

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

  /// The name an action is written with: a built-in action's raw value or
  /// the keymap's own action's name; empty for an ID the keymap lacks.
  std::string_view actionName(ActionID action) const noexcept;
  /// The action written `name` here: built-in or the keymap's own.
  std::optional<ActionID> actionNamed(std::string_view name) const noexcept;
  /// The keymap's own action with this ID, or null (built-in, or unknown).
  const UserAction* userAction(ActionID action) const noexcept;
  /// Defines an action of the keymap's own; its ID, or none when the
  /// keymap already holds maxUserActions.
  std::optional<ActionID> addUserAction(UserAction action, ActionSpec spec);
  /// Whether a keymap may define an action of its own called `name`: a
  /// letter, then letters and digits (ASCII), at most maxOwnActionNameLength
  /// in all, and not "none" — a name no key, chord or "no binding" reads as.
  /// (A built-in action's name passes too.)
  static bool isUsableOwnActionName(std::string_view name) noexcept;
  static constexpr std::size_t maxOwnActionNameLength = 40;

  /// Every action: the built-in ones in declaration order, then the
  /// keymap's own in its order.
  std::vector<ActionID> allActions() const { return actionIDs(userActions.size()); }
  /// The built-in actions, then the IDs of `ownCount` own actions.
  static std::vector<ActionID> actionIDs(std::size_t ownCount);
  /// Whether a key of "keys" bound to `action` acts in the message list,
  /// and in an opened message's window.
  bool actsInMessageList(ActionID action) const noexcept;
  bool actsInMessageWindow(ActionID action) const noexcept;

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
