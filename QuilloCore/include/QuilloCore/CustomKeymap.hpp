// CustomKeymap: the user's own shortcut set.
//
// Not a full keymap but a small definition: a baseline set, plus, per action,
// the chords the user chose in place of the baseline's (an empty list means
// the action has no shortcut at all). keymap() rebuilds the full Keymap from
// it. problem() is the rule for chords the user records, with the messages
// shown to the user. Overrides are held in action declaration order, so the
// same definition always gives the same keymap. Plain value; any thread.
//
// Besides chords, an action may be given two-key sequences ("g i"); they
// live in `sequenceOverrides`, and an action with sequences always has an
// entry in `overrides` too (perhaps an empty list), so that its baseline
// keys are replaced. A sequence goes to the section its first chord would go
// to, and is not applied when its first chord is bound on its own there, or
// when problem() refuses its first chord or secondKeyProblem() its second.
//
// Actions the keymap file defines itself are held by name: an override under
// userActionID(i) is for `ownActions[i]`, whether or not the keymap file
// defines that name now, so nothing is lost when the set is written back.
// keymap(definitions) binds them under the file's own IDs.
//
// File form: {"baseline": "gmail", "overrides": {"archive": ["e", "cmd+e", "g a"]}}.
// Decoding is lenient member by member: an unknown baseline reads as
// appleMail, unknown action names and unparsable chords are skipped, and only
// a malformed "overrides" member (or a file that is not JSON at all) fails
// the whole value. Chords that problem() refuses stay in a decoded
// definition but are never applied by keymap().
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "QuilloCore/ActionID.hpp"
#include "QuilloCore/Export.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "QuilloCore/KeySequence.hpp"
#include "QuilloCore/Keymap.hpp"
#include "QuilloCore/RawValueEnum.hpp"

namespace quillo {

class QUILLO_CORE_EXPORT CustomKeymap {
 public:
  /// The set every action not in `overrides` takes its chords from.
  /// appleMail adds nothing: Mail's own shortcuts stay.
  enum class Baseline : std::uint8_t { appleMail, gmail, outlookMac, outlookWindows };

  using Overrides = std::map<ActionID, std::vector<KeyChord>>;
  using SequenceOverrides = std::map<ActionID, std::vector<KeySequence>>;

  Baseline baseline = Baseline::appleMail;
  Overrides overrides;
  /// Two-key sequences per action (only actions also in `overrides`).
  SequenceOverrides sequenceOverrides;
  /// The names of the keymap file's own actions the overrides use.
  std::vector<std::string> ownActions;

  CustomKeymap() = default;
  CustomKeymap(Baseline baseline, Overrides overrides)
      : baseline(baseline), overrides(std::move(overrides)) {}

  /// A definition that reproduces `keymap`'s key tables: baseline appleMail
  /// and, for every action the keymap gives keys, those keys as its override.
  static CustomKeymap importing(const Keymap& keymap);

  /// ⌘Q, ⌘W, ⌘H and ⌘M: chords that belong to macOS.
  static const std::unordered_set<KeyChord>& reservedChords();

  /// The message to show when `chord` may not be used for `action`, or none.
  static std::optional<std::string> problem(const KeyChord& chord, ActionID action);
  /// The message to show when `chord` may not be the second key of a
  /// sequence, or none. The first chord has started the sequence, so the
  /// second never blocks typing: only ⌘Q and the like, Tab and Escape alone
  /// and shift with a named key alone are refused.
  static std::optional<std::string> secondKeyProblem(const KeyChord& chord);

  /// The effective keymap: the baseline's, with each override applied in
  /// action order. Actions and focus policy are the baseline's; own actions
  /// are bound under this definition's IDs.
  Keymap keymap() const;
  /// The same with the own actions, specs and focus policy of `definitions`
  /// (the keymap file's): keys of own actions go to the action of that name
  /// there, and are left out when it defines none.
  Keymap keymap(const Keymap& definitions) const;

  /// The ID this definition uses for `action` of `keymap`: a built-in action
  /// is itself, the keymap's own action goes by its name (recorded when new).
  ActionID idOf(ActionID action, const Keymap& keymap);
  /// The same, without recording: none for an own action not used here.
  std::optional<ActionID> findIdOf(ActionID action, const Keymap& keymap) const;

  /// Makes `chord` the one shortcut of `action` (dropping its sequences),
  /// taking it away from any other action that answers to it. Does not
  /// validate: ask problem() first.
  void assign(const KeyChord& chord, ActionID action);
  /// Adds the two-key `sequence` to `action`'s shortcuts, taking it away
  /// from any other action that answers to it. A single chord is assigned
  /// instead. Does not validate: ask problem() for each chord first.
  void addSequence(const KeySequence& sequence, ActionID action);
  /// Leaves `action` without any shortcut, whatever the baseline has.
  void clear(ActionID action);
  /// Drops every override; the baseline stays.
  void resetChanges();

  /// Both members, always; chords in their text form; cleared actions as [].
  nlohmann::json toJSON() const;
  /// Throws DecodingError when the value is not an object or "overrides" is
  /// not an object of string arrays.
  static CustomKeymap fromJSON(const nlohmann::json& value);
  /// Reads a custom.json file's bytes (within FileLimits); throws
  /// DecodingError for data that is not JSON or does not decode.
  static CustomKeymap decode(std::string_view data);

  bool operator==(const CustomKeymap&) const = default;

 private:
  /// The built-in actions, then the own actions this definition names.
  std::vector<ActionID> allIDs() const;
  /// Whether an action other than `action` lists `chord` among its overrides.
  bool heldByAnotherOverride(const KeyChord& chord, ActionID action) const;
};

/// The baseline's keymap (shared; built once).
QUILLO_CORE_EXPORT const Keymap& keymap(CustomKeymap::Baseline baseline);

template <>
struct EnumRawValues<CustomKeymap::Baseline> {
  static constexpr std::array<std::string_view, 4> values{"appleMail", "gmail", "outlookMac",
                                                          "outlookWindows"};
};

}  // namespace quillo
