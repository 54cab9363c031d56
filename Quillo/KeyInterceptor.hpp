// KeyInterceptor: the per-event logic behind the event tap.
//
// For every key event it decides, synchronously and without throwing,
// whether the event passes or is swallowed. It lets through Quillo's own
// posted keys, everything while suspended (recording a shortcut), everything
// while Mail is not in front, and events aimed at another process. For a
// key-down it reads the key, the modifiers and the auto-repeat flag, asks the
// sequence state and the decider (which ask the focus inspector only when
// they must), and swallows the keys it acts on — the first key of a
// two-key sequence while the second is waited for, the keys' key-ups, and
// the repeats of a key taken for an action, which never turn into typing
// while it is held. Actions run as separate main-loop work after the event
// has been swallowed, never inside the tap callback. Main thread only.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "AXFocusInspector.hpp"
#include "DebugLog.hpp"
#include "FrontmostAppMonitor.hpp"
#include "Lifeline.hpp"
#include "MailMenu.hpp"
#include "Platform/EventServices.hpp"
#include "Platform/KeyboardLayout.hpp"
#include "Platform/MainLoop.hpp"
#include "QuilloCore/Decider.hpp"
#include "QuilloCore/KeySequenceState.hpp"

namespace quillo {

class KeyInterceptor {
 public:
  KeyInterceptor(FocusInspecting& focus, ActionPerforming& performer,
                 const FrontmostAppMonitor& frontmost, DebugLog& log, platform::MainLoop& loop,
                 platform::KeyboardLayouts& layouts);

  /// True when the event is to be swallowed. Called from the event tap's
  /// callback, whose one guard passes the key should anything here throw.
  bool handle(platform::EventType type, const platform::Event& event);

  const Keymap& keymap() const { return keymap_; }
  /// A different keymap ends a wait for a second key; the same one read
  /// again (a save that changed nothing Quillo uses) does not.
  void setKeymap(Keymap keymap) {
    if (keymap == keymap_) return;
    keymap_ = std::move(keymap);
    sequences_.cancel();
  }
  /// The user's on/off switch, handed to the decider; written only by the
  /// app controller.
  bool enabled() const { return enabled_; }
  void setEnabled(bool enabled) {
    enabled_ = enabled;
    sequences_.cancel();
  }
  /// While suspended (recording a shortcut) every key passes.
  bool suspended() const { return suspended_; }
  void setSuspended(bool suspended) {
    suspended_ = suspended;
    sequences_.cancel();
  }
  /// Key codes whose key-down was swallowed and whose key-up is still due.
  std::set<std::int64_t> swallowedKeyCodes() const { return sequences_.heldKeyCodes(); }
  /// The tap was off for a while, or stops listening: the key-ups still due
  /// may go past it, and a later key-up of the same key must not be
  /// swallowed for them. A wait for a second key ends too.
  void forgetSwallowedKeys() { sequences_.forgetHeldKeys(); }
  /// Ends a wait for a second key silently (Mail left the front).
  void cancelSequence() { sequences_.cancel(); }
  /// The first key of a sequence whose second key is awaited now, if any.
  std::optional<KeyChord> pendingFirstKey();
  /// The last process other than Mail that key events were aimed at; 0 for none.
  pid_t lastForeignTarget() const { return lastForeignTarget_; }

  /// Watches the interceptor's work (for transcripts and tests; not needed
  /// to run): every decided key-down, and every performed action.
  struct Observer {
    std::function<void(const std::optional<KeyToken>& key, KeyModifiers modifiers,
                       bool isAutoRepeat, const KeyStep& step)>
        decided;
    std::function<void(ActionID action, const ActionOutcome& outcome)> performed;
  };
  /// Observers are only ever added; each hears everything after it is added.
  void addObserver(Observer observer) { observers_.push_back(std::move(observer)); }

  /// The key token of a key-down event (keyTokenOf with its characters).
  std::optional<KeyToken> keyToken(const platform::Event& event) const;

 private:
  void schedule(ActionID action, ActionSpec spec, pid_t pid);

  FocusInspecting& focus_;
  ActionPerforming& performer_;
  const FrontmostAppMonitor& frontmost_;
  DebugLog& log_;
  platform::MainLoop& loop_;
  platform::KeyboardLayouts& layouts_;
  Keymap keymap_ = Keymap::default_();
  bool enabled_ = true;
  bool suspended_ = false;
  /// The wait for a second key, and the keys whose key-up is still due.
  KeySequenceState sequences_;
  pid_t lastForeignTarget_ = 0;
  std::vector<Observer> observers_;
  Lifeline<KeyInterceptor> lifeline_{this};
};

/// The modifiers of an event's flags: shift, control, option and command.
KeyModifiers modifiersOf(std::uint64_t flags);

/// What key a key-down is, as a token: the one rule for the interceptor (a
/// tap's event) and for recording a shortcut (the panel's key event), so that
/// every key recorded is the key the interceptor sees. `reported` is what the
/// event typed (CGEventKeyboardGetUnicodeString, NSEvent.characters).
///
/// With option or control held, the characters the system reports are not
/// the key the user means: option types its own layer ("å" for A, "@" for L
/// on a German layout, nothing for a dead key such as E), control types
/// control characters. The key's own character on the current layout, with
/// shift as held, stands in for them, so ⌥A is option with a and ⌥⌘K option
/// and command with k, on any layout. Return, keypad Enter, Tab, Delete and
/// Escape keep what the system reports, as does a key whose layout character
/// does not print (an arrow); with control alone, so do reported characters
/// that print.
std::optional<KeyToken> keyTokenOf(std::uint16_t keyCode, std::uint64_t flags,
                                   std::u16string_view reported,
                                   platform::KeyboardLayouts& layouts);

}  // namespace quillo
