// CheatSheet: for every action, which keys do it and where they work.
//
// Built from a keymap; where the keymap gives an action no key, the shortcut
// Mail itself has for it is listed instead, marked as not coming from Quillo,
// so a cheat sheet always lists all 20 built-in actions (showShortcuts, which
// Mail has no shortcut for, then with none). Pure functions over values;
// the fixed tables are built once, on first use, thread-safely.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

#include "QuilloCore/ActionID.hpp"
#include "QuilloCore/Export.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "QuilloCore/KeySequence.hpp"
#include "QuilloCore/Keymap.hpp"
#include "QuilloCore/RawValueEnum.hpp"

namespace quillo::CheatSheet {

/// Where in Mail keys work: the main window's message list, a message open in
/// its own window, a compose window.
enum class Place : std::uint8_t { messageList, openMessage, writing };

/// A set of places (a three-bit set).
class PlaceSet {
 public:
  constexpr PlaceSet() noexcept = default;
  constexpr PlaceSet(std::initializer_list<Place> places) noexcept {
    for (Place place : places)
      insert(place);
  }
  constexpr bool contains(Place place) const noexcept { return bits_ & bit(place); }
  constexpr void insert(Place place) noexcept { bits_ |= bit(place); }
  constexpr void insert(PlaceSet other) noexcept { bits_ |= other.bits_; }
  constexpr bool isEmpty() const noexcept { return bits_ == 0; }
  constexpr bool operator==(const PlaceSet&) const noexcept = default;

 private:
  static constexpr std::uint8_t bit(Place place) noexcept {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(place));
  }
  std::uint8_t bits_ = 0;
};

struct QUILLO_CORE_EXPORT Entry {
  ActionID action;
  /// Sorted (see keysProvided); may be empty; not de-duplicated.
  std::vector<KeyChord> keys;
  /// True when the keys come from the keymap, false for Mail's own shortcut.
  bool fromQuillo;
  PlaceSet places;
  /// The keymap's two-key sequences for the action, sorted by their text
  /// form; counted with `keys` for `fromQuillo`.
  std::vector<KeySequence> sequences = {};

  bool operator==(const Entry&) const = default;
};

/// Where a single key or a list chord of the action works: the message list,
/// plus an opened message for the actions that work in a message window (for
/// the keymap's own actions, where its "in" says).
QUILLO_CORE_EXPORT PlaceSet listPlaces(ActionID action, const Keymap& keymap);

/// The shortcut Mail itself has for each action, one row per action in
/// declaration order (all with fromQuillo false). Mail has none for
/// showShortcuts, done by Quillo: its row has no keys and no places.
QUILLO_CORE_EXPORT const std::vector<Entry>& macOwnShortcuts();

/// One entry per action in declaration order: the keymap's keys where it has
/// some, Mail's own shortcut otherwise (always, when there is no keymap);
/// then one per action of the keymap's own, in the keymap's order, with the
/// keys it has (perhaps none).
QUILLO_CORE_EXPORT std::vector<Entry> entries(const Keymap* keymap);
inline std::vector<Entry> entries(const std::optional<Keymap>& keymap) {
  return entries(keymap ? &*keymap : nullptr);
}

/// Every chord of the keymap's four key tables that triggers the action,
/// sorted by modifier bits, then characters (by text) before named keys (by
/// name). A single key stands as a chord without modifiers, an upper-case
/// letter as shift and the letter. Empty when the keymap gives it none; never
/// falls back to Mail's own shortcut.
QUILLO_CORE_EXPORT std::vector<KeyChord> keysProvided(ActionID action, const Keymap& keymap);

/// Every two-key sequence of the keymap's three sections that triggers the
/// action, sorted by text form ("g i" before "g s").
QUILLO_CORE_EXPORT std::vector<KeySequence> sequencesProvided(ActionID action,
                                                              const Keymap& keymap);

}  // namespace quillo::CheatSheet

namespace quillo {

template <>
struct EnumRawValues<CheatSheet::Place> {
  static constexpr std::array<std::string_view, 3> values{"messageList", "openMessage", "writing"};
};

}  // namespace quillo
