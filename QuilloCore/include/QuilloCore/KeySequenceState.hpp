// KeySequenceState: the key path's memory between the two keys of a
// sequence ("g i": G, then I), and of which key-ups are still to be taken.
//
// A key-down that starts a sequence, in a focus where the decider would
// perform a single key bound in the same place, is swallowed and a wait
// begins. The wait ends in one of these ways:
// - the second key completes a sequence: its action is performed;
// - a key that completes nothing: the wait ends and that key is decided as
//   itself, as if the first key had never been pressed (the first key is
//   not replayed);
// - Mail leaves the front or the keymap changes (cancel()), the focus has
//   moved by the next key (a click in another field), or the time runs out
//   (`waitTime` after the first key): the wait ends silently.
// Nothing is ever swallowed while typing: the first key is decided by the
// same focus rules as a single key, so in a text field it passes.
//
// Key-ups and repeats: every key whose key-down was swallowed (a first key,
// a second key, a key taken for an action) has its key-up swallowed too,
// however its wait ended; its repeats never become typing: a first key's
// repeats are swallowed, a second key's repeat its action as a single key's
// would (performed again when the action repeats). A key whose key-down
// passed has its key-up passed.
//
// No OS calls: time is passed in (a monotonic clock's reading, such as an
// event's timestamp) and the focus is asked through a function, at most once
// per key-down: a second key reads it as any key does, and a focus that has
// changed since the first key ends the wait. Main thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "QuilloCore/Decision.hpp"
#include "QuilloCore/Export.hpp"
#include "QuilloCore/FocusContext.hpp"
#include "QuilloCore/FunctionRef.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "QuilloCore/KeyModifiers.hpp"
#include "QuilloCore/KeyToken.hpp"
#include "QuilloCore/Keymap.hpp"

namespace quillo {

/// The verdict on one key-down when sequences are taken into account.
class QUILLO_CORE_EXPORT KeyStep {
 public:
  enum class Kind : std::uint8_t {
    /// Decided as a single key (the decider's decision).
    single,
    /// The first key of a sequence: swallowed, the wait begins.
    startsWait,
    /// A repeat of a held first key: swallowed, nothing happens.
    repeatOfFirstKey,
    /// The second key of a sequence: the decision on its action.
    completesSequence,
  };

  static KeyStep single(Decision decision) { return KeyStep(Kind::single, decision); }
  static KeyStep startsWait() {
    return KeyStep(Kind::startsWait, Decision::passThrough(PassReason::unmappedKey));
  }
  static KeyStep repeatOfFirstKey() {
    return KeyStep(Kind::repeatOfFirstKey, Decision::passThrough(PassReason::unmappedKey));
  }
  static KeyStep completesSequence(Decision decision) {
    return KeyStep(Kind::completesSequence, decision);
  }

  Kind kind() const noexcept { return kind_; }
  /// The decision of single and completesSequence; none otherwise.
  std::optional<Decision> decision() const noexcept {
    return kind_ == Kind::single || kind_ == Kind::completesSequence
               ? std::optional<Decision>(decision_)
               : std::nullopt;
  }
  /// The action to carry out now, if any.
  std::optional<ActionID> action() const noexcept {
    const auto made = decision();
    return made ? made->action() : std::nullopt;
  }
  bool swallowsKey() const noexcept {
    return kind_ == Kind::startsWait || kind_ == Kind::repeatOfFirstKey || decision_.swallowsKey();
  }
  /// "startsWait", "repeatOfFirstKey", "perform archive",
  /// "completesSequence perform archive".
  std::string description(const Keymap* keymap = nullptr) const;

  bool operator==(const KeyStep& other) const noexcept {
    return kind_ == other.kind_ && decision() == other.decision();
  }

 private:
  KeyStep(Kind kind, Decision decision) : kind_(kind), decision_(decision) {}
  Kind kind_;
  Decision decision_;
};

class QUILLO_CORE_EXPORT KeySequenceState {
 public:
  /// A reading of a monotonic clock.
  using Time = std::chrono::nanoseconds;

  /// How long the second key of a sequence is waited for. Gmail waits
  /// somewhat more than a second for the second key of "g i"; 1.5 s is in
  /// the same range: long enough to find the second key without hurry, short
  /// enough that a G given up on does not linger and eat a key pressed
  /// much later.
  static constexpr std::chrono::milliseconds waitTime{1500};

  /// Decides a key-down. `keyCode` identifies the physical key (its
  /// key-up and repeats carry the same code); the other arguments are the
  /// decider's (see Decider::decide).
  KeyStep keyDown(std::int64_t keyCode, const std::optional<KeyToken>& key, KeyModifiers modifiers,
                  bool isAutoRepeat, std::optional<std::string_view> frontmostBundleID,
                  FunctionRef<FocusContext()> focus, const Keymap& keymap, bool enabled, Time now);

  /// True when the key-up is to be swallowed: its key-down was.
  bool keyUp(std::int64_t keyCode);

  /// Ends a wait silently: Mail left the front, the keymap, the on/off
  /// switch or recording changed. Held keys keep their key-ups swallowed.
  void cancel() noexcept { pending_.reset(); }

  /// Ends the wait when its time has run out by `now`; true if it did. Also
  /// done by keyDown, so calling this is needed only to show the end.
  bool expire(Time now) noexcept;

  /// The first key waited on, if a wait is on (as of the last call).
  std::optional<KeyChord> pendingFirstKey() const {
    return pending_ ? std::optional<KeyChord>(pending_->first) : std::nullopt;
  }
  /// When the wait runs out, if one is on.
  std::optional<Time> deadline() const noexcept {
    return pending_ ? std::optional<Time>(pending_->deadline) : std::nullopt;
  }
  /// Whether the key-up of `keyCode` is still to be swallowed.
  bool isHeld(std::int64_t keyCode) const { return held_.contains(keyCode); }
  /// The key codes whose key-up is still to be swallowed.
  std::set<std::int64_t> heldKeyCodes() const;
  /// The tap was off or stops listening: key-ups still due may have gone
  /// past it. Forgets them (and any wait).
  void forgetHeldKeys() noexcept {
    held_.clear();
    pending_.reset();
  }

 private:
  struct Pending {
    KeyChord first;
    KeySection section;
    FocusContext context;
    Time deadline;
  };
  /// Why a held key's key-down was swallowed: as a first key (no action),
  /// or for an action, on its own or as a second key (its repeats belong to
  /// the action).
  struct HeldFor {
    std::optional<ActionID> action;
    bool completedSequence = false;
  };

  KeyStep decideAsItself(std::int64_t keyCode, const std::optional<KeyToken>& key,
                         KeyModifiers modifiers, bool isAutoRepeat,
                         std::optional<std::string_view> frontmostBundleID,
                         FunctionRef<FocusContext()> focus, const Keymap& keymap, bool enabled);
  KeyStep hold(std::int64_t keyCode, KeyStep step);

  std::optional<Pending> pending_;
  std::map<std::int64_t, HeldFor> held_;
};

}  // namespace quillo
