// Keymap: one complete keyboard configuration.
//
// Six tables: single keys (tokens exactly as typed, so "I" and "i" differ),
// chords for the message list, chords for compose windows, chords for any
// known focus, how each action is performed, and the focus policy. Which
// table wins when is the decider's business. A Keymap is a value: copying it
// copies the tables, and two keymaps are equal when all six tables are.
//
// Lookups are exact map lookups; none normalises its argument (chords are
// built normalised by KeyChord's constructor) and none falls back to another
// table. The built-in tables are built once, on first use, thread-safely,
// and shared.
#pragma once

#include <map>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "QuilloCore/ActionID.hpp"
#include "QuilloCore/ActionSpec.hpp"
#include "QuilloCore/Export.hpp"
#include "QuilloCore/FocusPolicy.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "QuilloCore/KeyToken.hpp"

namespace quillo {

enum class KeymapPreset : std::uint8_t;
struct KeymapLoadResult;

using KeyBindings = std::unordered_map<KeyToken, ActionID>;
using ChordBindings = std::unordered_map<KeyChord, ActionID>;
/// Ordered by action declaration order, so listings come out in that order.
using ActionTable = std::map<ActionID, ActionSpec>;

struct QUILLO_CORE_EXPORT Keymap {
  KeyBindings bindings;
  ChordBindings listChords;
  ChordBindings composeBindings;
  ChordBindings anywhereChords;
  ActionTable actions;
  FocusPolicy focus;

  /// The newest keymap.json format version this build understands.
  static constexpr int fileVersion = 1;

  Keymap(KeyBindings bindings, ChordBindings listChords, ChordBindings composeBindings,
         ChordBindings anywhereChords, ActionTable actions, FocusPolicy focus);

  std::optional<ActionID> action(const KeyToken& key) const;
  std::optional<ActionID> listAction(const KeyChord& chord) const;
  std::optional<ActionID> composeAction(const KeyChord& chord) const;
  std::optional<ActionID> anywhereAction(const KeyChord& chord) const;
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

}  // namespace quillo
