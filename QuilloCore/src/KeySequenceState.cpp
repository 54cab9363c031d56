#include "QuilloCore/KeySequenceState.hpp"

#include "QuilloCore/Decider.hpp"
#include "Unicode.hpp"

namespace quillo {

std::string KeyStep::description(const Keymap* keymap) const {
  switch (kind_) {
    case Kind::single:
      return decision_.description(keymap);
    case Kind::startsWait:
      return "startsWait";
    case Kind::repeatOfFirstKey:
      return "repeatOfFirstKey";
    case Kind::completesSequence:
      return "completesSequence " + decision_.description(keymap);
  }
  return {};
}

namespace {

/// Performs the action, unless this is an auto-repeat of an action that does
/// not repeat (the decider's rule for a single key).
Decision fire(ActionID action, bool isAutoRepeat) {
  return !isAutoRepeat || isRepeatable(action) ? Decision::perform(action)
                                               : Decision::swallow(action);
}

/// The chord a key-down stands for, built as a sequence's text is read: a
/// key without cmd, ctrl or option is the key as typed, so an upper-case
/// letter is shift and the letter whether shift or caps lock made it.
KeyChord chordOf(const KeyToken& key, KeyModifiers modifiers) {
  if (!modifiers.isDisjoint(KeyModifiers::shortcutModifiers)) return KeyChord(key, modifiers);
  if (!key.isCharacter()) return KeyChord(key, modifiers);
  const bool upperCaseLetter = unicode::startsWithLetter(key.character()) &&
                               unicode::lowercased(key.character()) != key.character();
  return KeyChord(key, upperCaseLetter ? KeyModifiers::shift : KeyModifiers());
}

/// Whether a sequence of "keys" may complete in `context`: everywhere in
/// the message list, in an opened message for the actions that work there.
bool completesIn(const Keymap& keymap, KeySection section, FocusContext context, ActionID action) {
  switch (section) {
    case KeySection::keys:
      return (context == FocusContext::messageList && keymap.actsInMessageList(action)) ||
             (context == FocusContext::messageWindow && keymap.actsInMessageWindow(action));
    case KeySection::composeKeys:
      return context == FocusContext::compose;
    case KeySection::anywhereKeys:
      return context != FocusContext::unknown;
  }
  return false;
}

/// Whether some sequence starting with `first` may complete in `context`.
bool anyCompletesIn(const Keymap& keymap, KeySection section, const KeyChord& first,
                    FocusContext context) {
  const auto& table = keymap.sequences(section);
  const auto found = table.find(first);
  if (found == table.end()) return false;
  for (const auto& [second, action] : found->second) {
    if (completesIn(keymap, section, context, action)) return true;
  }
  return false;
}

}  // namespace

bool KeySequenceState::expire(Time now) noexcept {
  // A clock set back past the first key ends the wait too, rather than
  // stretching it.
  if (!pending_ || (now < pending_->deadline && now >= pending_->deadline - waitTime)) return false;
  pending_.reset();
  return true;
}

std::set<std::int64_t> KeySequenceState::heldKeyCodes() const {
  std::set<std::int64_t> codes;
  for (const auto& entry : held_)
    codes.insert(entry.first);
  return codes;
}

bool KeySequenceState::keyUp(std::int64_t keyCode) {
  return held_.erase(keyCode) > 0;
}

KeyStep KeySequenceState::hold(std::int64_t keyCode, KeyStep step) {
  switch (step.kind()) {
    case KeyStep::Kind::startsWait:
    case KeyStep::Kind::repeatOfFirstKey:
      held_.insert_or_assign(keyCode, HeldFor{});
      break;
    case KeyStep::Kind::single:
    case KeyStep::Kind::completesSequence:
      if (const auto decision = step.decision(); decision && decision->swallowsKey()) {
        held_.insert_or_assign(keyCode, HeldFor{decision->payloadAction(),
                                                step.kind() == KeyStep::Kind::completesSequence});
      } else {
        // Its key-up passes too, whatever an earlier key-down of the same
        // key was.
        held_.erase(keyCode);
      }
      break;
  }
  return step;
}

KeyStep KeySequenceState::decideAsItself(std::int64_t keyCode, const std::optional<KeyToken>& key,
                                         KeyModifiers modifiers, bool isAutoRepeat,
                                         std::optional<std::string_view> frontmostBundleID,
                                         FunctionRef<FocusContext()> focus, const Keymap& keymap,
                                         bool enabled) {
  Decision decision =
      Decider::decide(key, modifiers, isAutoRepeat, frontmostBundleID, focus, keymap, enabled);
  // A key taken for an action while held (the action may have moved the
  // focus) keeps its repeats out of the text the focus is now in.
  if (isAutoRepeat && !decision.swallowsKey()) {
    if (const auto held = held_.find(keyCode); held != held_.end() && held->second.action) {
      decision = Decision::swallow(*held->second.action);
    }
  }
  return hold(keyCode, KeyStep::single(decision));
}

KeyStep KeySequenceState::keyDown(std::int64_t keyCode, const std::optional<KeyToken>& key,
                                  KeyModifiers modifiers, bool isAutoRepeat,
                                  std::optional<std::string_view> frontmostBundleID,
                                  FunctionRef<FocusContext()> focus, const Keymap& keymap,
                                  bool enabled, Time now) {
  expire(now);
  const bool inMail = enabled && frontmostBundleID && *frontmostBundleID == Decider::mailBundleID;
  if (!inMail || !key) pending_.reset();

  // The repeats of a held first key are swallowed, and a wait goes on; a
  // held second key repeats its sequence's action as a single key would,
  // without asking the focus again.
  if (isAutoRepeat) {
    if (const auto held = held_.find(keyCode); held != held_.end()) {
      if (!held->second.action) return KeyStep::repeatOfFirstKey();
      if (held->second.completedSequence) {
        return KeyStep::completesSequence(fire(*held->second.action, true));
      }
    }
  }

  // The focus is asked at most once per key-down; the decider, when it has
  // the last word, hears the same answer.
  std::optional<FocusContext> seen;
  const auto askFocus = [&] {
    if (!seen) seen = focus();
    return *seen;
  };

  if (pending_) {
    const Pending pending = *pending_;
    pending_.reset();
    // A focus that moved since the first key (a click, a window that came
    // up) ended the wait: the key is decided where it now lands. Reading it
    // costs what any key costs in an unchanged focus.
    if (askFocus() == pending.context) {
      const auto action =
          keymap.sequenceAction(pending.section, pending.first, chordOf(*key, modifiers));
      if (action && completesIn(keymap, pending.section, pending.context, *action)) {
        return hold(keyCode, KeyStep::completesSequence(fire(*action, isAutoRepeat)));
      }
    }
    // Completes nothing: decided as if the first key had not been pressed
    // (so it may start a wait of its own).
  }

  if (!inMail || !key || !keymap.hasSequences()) {
    return decideAsItself(keyCode, key, modifiers, isAutoRepeat, frontmostBundleID, askFocus,
                          keymap, enabled);
  }
  const KeyChord chord = chordOf(*key, modifiers);
  const bool listFirst = keymap.listSequences.contains(chord);
  const bool composeFirst = chord.hasShortcutModifier() && keymap.composeSequences.contains(chord);
  const bool anywhereFirst =
      chord.hasShortcutModifier() && keymap.anywhereSequences.contains(chord);
  if (!listFirst && !composeFirst && !anywhereFirst) {
    return decideAsItself(keyCode, key, modifiers, isAutoRepeat, frontmostBundleID, askFocus,
                          keymap, enabled);
  }

  const FocusContext context = askFocus();
  const auto decideWithSeenFocus = [&] {
    return decideAsItself(keyCode, key, modifiers, isAutoRepeat, frontmostBundleID, askFocus,
                          keymap, enabled);
  };

  // The sections in the decider's order: compose keys in a compose window,
  // the message list's keys where they work, then anywhere keys. A chord
  // bound on its own in an earlier section is that section's.
  std::optional<KeySection> section;
  if (context == FocusContext::unknown) {
    // No section's keys work where the focus is not known.
  } else if (context == FocusContext::compose &&
             (composeFirst || keymap.meaning(KeySection::composeKeys, chord).action)) {
    if (composeFirst) section = KeySection::composeKeys;
  } else if (const auto single = keymap.meaning(KeySection::keys, chord).action;
             (single &&
              ((context == FocusContext::messageList && keymap.actsInMessageList(*single)) ||
               (context == FocusContext::messageWindow && keymap.actsInMessageWindow(*single)))) ||
             (listFirst && anyCompletesIn(keymap, KeySection::keys, chord, context))) {
    if (listFirst) section = KeySection::keys;
  } else if (anywhereFirst) {
    section = KeySection::anywhereKeys;
  }
  if (!section) {
    // A chord also bound on its own in another section is the decider's.
    const bool boundAlone =
        keymap.meaning(KeySection::keys, chord).action ||
        (chord.hasShortcutModifier() && (keymap.meaning(KeySection::composeKeys, chord).action ||
                                         keymap.meaning(KeySection::anywhereKeys, chord).action));
    if (boundAlone) return decideWithSeenFocus();
    // Otherwise the decider knows the key only as a sequence's first one,
    // and the reason it passes is the focus.
    PassReason reason = PassReason::focusNotMessageList;
    if (context == FocusContext::unknown) {
      reason = PassReason::focusUnknown;
    } else if (composeFirst && !listFirst) {
      reason = PassReason::focusNotCompose;
    }
    return hold(keyCode, KeyStep::single(Decision::passThrough(reason)));
  }
  if (isAutoRepeat) return hold(keyCode, KeyStep::repeatOfFirstKey());
  pending_ = Pending{chord, *section, context, now + std::chrono::duration_cast<Time>(waitTime)};
  return hold(keyCode, KeyStep::startsWait());
}

}  // namespace quillo
