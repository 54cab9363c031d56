#include "KeyInterceptor.hpp"

#include <algorithm>
#include <iterator>

#include "Platform/Text.hpp"

namespace quillo {

using namespace platform;

KeyModifiers modifiersOf(std::uint64_t flags) {
  KeyModifiers modifiers;
  if (flags & EventFlags::shift) modifiers.insert(KeyModifiers::shift);
  if (flags & EventFlags::control) modifiers.insert(KeyModifiers::control);
  if (flags & EventFlags::alternate) modifiers.insert(KeyModifiers::option);
  if (flags & EventFlags::command) modifiers.insert(KeyModifiers::command);
  return modifiers;
}

KeyInterceptor::KeyInterceptor(FocusInspecting& focus, ActionPerforming& performer,
                               const FrontmostAppMonitor& frontmost, DebugLog& log, MainLoop& loop,
                               KeyboardLayouts& layouts)
    : focus_(focus),
      performer_(performer),
      frontmost_(frontmost),
      log_(log),
      loop_(loop),
      layouts_(layouts) {}

namespace {

KeySequenceState::Time readingOf(WallClock::time_point now) {
  return std::chrono::duration_cast<KeySequenceState::Time>(now.time_since_epoch());
}

}  // namespace

std::optional<KeyChord> KeyInterceptor::pendingFirstKey() {
  sequences_.expire(readingOf(loop_.now()));
  return sequences_.pendingFirstKey();
}

bool KeyInterceptor::handle(EventType type, const Event& event) {
  // A click anywhere ends a wait for the second key of a sequence, silently:
  // the user has moved on, even where the click leaves the focus as it was.
  if (type == EventType::leftMouseDown || type == EventType::rightMouseDown) {
    sequences_.cancel();
    return false;
  }
  if (event.integerValueField(EventField::eventSourceUserData) == ownEventMarker) return false;
  if (suspended_) {
    // The recorder has the keys now; a key-down that passes has its key-up
    // passed.
    if (type == EventType::keyDown)
      sequences_.keyUp(event.integerValueField(EventField::keyboardEventKeycode));
    return false;
  }
  const auto mailPID = frontmost_.mailPID();
  if (!mailPID) {
    forgetSwallowedKeys();
    return false;
  }
  const auto target =
      static_cast<pid_t>(event.integerValueField(EventField::eventTargetUnixProcessID));
  if (target != 0 && target != *mailPID) {
    sequences_.cancel();
    if (target != lastForeignTarget_) {
      lastForeignTarget_ = target;
      log_.log("passing keys through: events are targeted at pid " + std::to_string(target) +
               ", not Mail (" + std::to_string(*mailPID) + ")");
    }
    return false;
  }
  lastForeignTarget_ = 0;
  const std::int64_t keyCode = event.integerValueField(EventField::keyboardEventKeycode);

  if (type == EventType::keyDown) {
    const std::optional<KeyToken> key = keyToken(event);
    const KeyModifiers modifiers = modifiersOf(event.flags());
    const bool isAutoRepeat = event.integerValueField(EventField::keyboardEventAutorepeat) != 0;
    const pid_t pid = *mailPID;
    const KeyStep step = sequences_.keyDown(
        keyCode, key, modifiers, isAutoRepeat, Decider::mailBundleID,
        [this, pid] { return focus_.context(pid); }, keymap_, enabled_, readingOf(loop_.now()));
    for (const auto& observer : observers_) {
      if (observer.decided) observer.decided(key, modifiers, isAutoRepeat, step);
    }
    // An action done by Quillo itself has no spec and goes to the performer
    // all the same; any other action without a spec is swallowed and nothing is
    // performed.
    if (const auto action = step.action()) {
      if (isDoneByQuillo(*action)) {
        schedule(*action, ActionSpec{}, pid);
      } else if (const ActionSpec* spec = keymap_.spec(*action)) {
        schedule(*action, *spec, pid);
      }
    }
    return step.swallowsKey();
  }
  if (type == EventType::keyUp) {
    return sequences_.keyUp(keyCode);
  }
  return false;
}

void KeyInterceptor::schedule(ActionID action, ActionSpec spec, pid_t pid) {
  // Runs after the tap callback has returned and the key has been swallowed.
  // The performer is the action executor (MailMenu): it presses the menu
  // item or posts the fallback key; the outcome ends up in the debug log.
  loop_.post([weak = lifeline_.weak(), action, spec = std::move(spec), pid] {
    KeyInterceptor* self = Lifeline<KeyInterceptor>::lock(weak);
    if (!self) return;
    self->performer_.perform(action, spec, pid, [weak, action](const ActionOutcome& outcome) {
      KeyInterceptor* self = Lifeline<KeyInterceptor>::lock(weak);
      if (!self) return;
      self->log_.log(std::string(self->keymap_.actionName(action)) + ": " + outcome.description());
      for (const auto& observer : self->observers_) {
        if (observer.performed) observer.performed(action, outcome);
      }
    });
  });
}

std::optional<KeyToken> KeyInterceptor::keyToken(const Event& event) const {
  return keyTokenOf(
      static_cast<std::uint16_t>(event.integerValueField(EventField::keyboardEventKeycode)),
      event.flags(), event.keyboardUnicodeString(4), layouts_);
}

namespace {

/// The character the key types on the current layout, without dead keys,
/// with shift or without (UCKeyTranslate).
std::optional<std::u16string> layoutCharacter(KeyboardLayouts& layouts, std::uint16_t keyCode,
                                              bool shift) {
  const auto layout = layouts.currentKeyboardLayout();
  if (!layout) return std::nullopt;
  std::uint32_t deadKeyState = 0;
  std::u16string characters;
  const std::int32_t status = layout->translate(
      keyCode, keyActionDown, shift ? KeyTranslateModifiers::shift : 0, layouts.keyboardType(),
      keyTranslateNoDeadKeysMask, deadKeyState, 4, characters);
  if (status != 0 || characters.empty()) return std::nullopt;
  return characters;
}

bool prints(std::u16string_view characters) {
  return std::any_of(characters.begin(), characters.end(),
                     [](char16_t c) { return c >= 0x20 && c != 0x7F; });
}

}  // namespace

std::optional<KeyToken> keyTokenOf(std::uint16_t keyCode, std::uint64_t flags,
                                   std::u16string_view reported, KeyboardLayouts& layouts) {
  const bool option = (flags & EventFlags::alternate) != 0;
  const bool control = (flags & EventFlags::control) != 0;
  constexpr std::uint16_t kKept[] = {KeyCode::returnKey, KeyCode::keypadEnter, KeyCode::tab,
                                     KeyCode::deleteKey, KeyCode::escape};
  const bool kept = std::find(std::begin(kKept), std::end(kKept), keyCode) != std::end(kKept);
  if ((option || control) && !kept && (option || !prints(reported))) {
    const auto own = layoutCharacter(layouts, keyCode, (flags & EventFlags::shift) != 0);
    if (own && prints(*own)) return KeyToken::typed(text::utf8(*own));
  }
  if (reported.empty()) return std::nullopt;
  return KeyToken::typed(text::utf8(std::u16string(reported)));
}

}  // namespace quillo
