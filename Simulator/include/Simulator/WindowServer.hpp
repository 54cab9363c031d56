// WindowServer: the simulated Mac's keyboard, session event taps and event
// posting — the stand-in for Quartz Event Services and the keyboard layout.
//
// A key pressed on the keyboard becomes key-down and key-up events whose
// characters and flags follow the US layout the way macOS produces them. Each
// event is delivered on the main loop: it passes through the session taps in
// order (newest head-inserted first), any of which may drop it, and then
// reaches the frontmost application. Events posted to a process pass the
// session taps too (carrying the target in field 40) and reach that process.
// Taps need the permissions the simulated system asks for; a tap that holds
// an event longer than `tapTimeout` is disabled by the system, which tells the
// tap with a tap-disabled-by-timeout event.
//
// Secure keyboard entry is held by processes, as EnableSecureEventInput
// counts it per process: while any process holds it, no tap sees a key event
// (typed or posted), and the keys still reach their application. It ends
// when each holder turns it off as often as it turned it on, or quits. A tap
// whose port the system invalidates never delivers again, and, as on a Mac,
// nobody is told.
//
// Timing is a Mac's, not kinder: a key event arrives when the key goes down
// (or repeats, or comes up), not when the tap's main thread is free, and the
// time it waits for a busy main thread counts toward the tap's time-out.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/EventServices.hpp"
#include "Platform/KeyboardLayout.hpp"
#include "Platform/MainLoop.hpp"

namespace quillo::sim {

class SimulatedMac;

class WindowServer final : public platform::EventServices, public platform::KeyboardLayouts {
 public:
  explicit WindowServer(SimulatedMac& mac);
  ~WindowServer() override;

  // MARK: Quartz Event Services
  // The create calls and releases are public here: the MacShim's
  // CoreFoundation objects hold these handles with their own retain counts.
  // Through EventServices the app gets Owned references instead.
  std::optional<platform::MachPort> createTap(platform::EventTapLocation location,
                                              platform::EventTapPlacement placement,
                                              platform::EventTapOptions options,
                                              std::uint64_t eventsOfInterest,
                                              platform::EventTapCallBack callback,
                                              void* userInfo) override;
  void tapEnable(platform::MachPort tap, bool enable) override;
  bool tapIsEnabled(platform::MachPort tap) const override;
  platform::RunLoopSource createRunLoopSource(platform::MachPort tap) override;
  void runLoopAddSource(platform::RunLoopSource source) override;
  void runLoopRemoveSource(platform::RunLoopSource source) override;
  void machPortInvalidate(platform::MachPort tap) override;
  bool machPortIsValid(platform::MachPort tap) const override;
  void release(platform::MachPort tap) override;
  void release(platform::RunLoopSource source) override;
  std::optional<platform::EventSource> createEventSource(
      platform::EventSourceStateID state) override;
  void eventSourceSetUserData(platform::EventSource source, std::int64_t userData) override;
  void release(platform::EventSource source) override;
  std::optional<platform::Event> createKeyboardEvent(std::optional<platform::EventSource> source,
                                                     std::uint16_t keyCode, bool keyDown) override;
  void postToPid(pid_t pid, const platform::Event& event) override;
  bool preflightListenEventAccess() override;
  bool requestListenEventAccess() override;
  bool isSecureEventInputEnabled() const override { return !secureInputHolds_.empty(); }

  // MARK: Keyboard layout
  std::shared_ptr<const platform::UnicodeKeyLayout> currentKeyboardLayout() const override;
  std::uint32_t keyboardType() const override { return 40; }  // an ANSI keyboard

  // MARK: The user at the keyboard
  /// A key pressed with modifiers held (event flag bits) `after` from now;
  /// each of its events is delivered on the main loop when it happens. The
  /// key-down comes first; a key held for `repeats` auto-repeats repeats
  /// after `keyRepeatDelay` and then every `keyRepeatInterval`, and comes up
  /// half an interval after its last repeat; a key only tapped comes up after
  /// `keyPressTime`. Returns how long from now the key is released.
  platform::Duration pressKey(std::uint16_t keyCode, std::uint64_t modifierFlags, int repeats = 0,
                              platform::Duration after = platform::Duration(0));
  /// How long a finger rests on a key it only taps.
  platform::Duration keyPressTime{0.08};
  /// The keyboard settings' "delay until repeat" and key-repeat rate, about
  /// their middle positions; the window server, not the application, makes
  /// the repeats.
  platform::Duration keyRepeatDelay{0.5};
  platform::Duration keyRepeatInterval{0.1};

  // MARK: Faults
  /// The system switches every enabled tap off and tells it so.
  void disableTapsByTimeout();
  void disableTapsByUserInput();
  /// A key event that a tap holds longer than this — waiting for the tap's
  /// busy main thread, then in the callback — gets the tap disabled.
  double tapTimeout = 1.0;
  /// On a Mac an active tap whose process loses Accessibility stays
  /// installed and is still handed the keyboard's events, but cannot pass
  /// them on: they are lost (the whole session's input stalls) until the
  /// system disables the tap by time-out. False: such a tap just stops
  /// seeing events.
  bool revokedTapsHoldEvents = true;
  /// Whether the current input source has Unicode key layout data.
  bool layoutDataAvailable = true;
  /// CGEventTapCreate can fail for reasons of its own, whatever the
  /// permissions say (a sandbox, a system limit): then it refuses every tap.
  bool refuseTaps = false;
  /// Whether creating event sources and events fails.
  bool eventCreationFails = false;
  /// The system invalidates every tap's port (a broken port, a window
  /// server restart of its connection): the taps never deliver again, and
  /// their callbacks are not told.
  void invalidateTapPorts();

  // MARK: Secure keyboard entry
  /// EnableSecureEventInput / DisableSecureEventInput, called by the
  /// process `pid`; each disable undoes one enable of that process, and a
  /// disable without an enable does nothing.
  void enableSecureEventInput(pid_t pid);
  void disableSecureEventInput(pid_t pid);
  /// A process quit: whatever it held ends with it.
  void processEnded(pid_t pid);
  /// The processes holding secure keyboard entry, by pid.
  std::vector<pid_t> secureEventInputHolders() const;

  // MARK: A process's own event dispatch (Quillo's)
  /// NSApplication's dispatch in a process: it sees the key events the
  /// window server sends the process — after the session taps, as on a Mac
  /// — before its windows do, and answers whether they go on to them. One
  /// per process; an empty function removes it.
  using KeyReceiver = std::function<bool(const platform::Event&)>;
  void setKeyReceiver(pid_t pid, KeyReceiver receiver);
  /// A mouse-down goes to the window it lands in; every process may watch
  /// (its global monitors hear clicks aimed at other processes, and its key
  /// window resigns when another process's window is clicked).
  using MouseDownWatcher = std::function<void(pid_t target)>;
  std::uint64_t addMouseDownWatcher(MouseDownWatcher watcher);
  void removeMouseDownWatcher(std::uint64_t id);
  /// The user clicks into a window of `target`: the session taps that ask
  /// for left mouse-downs see it (and cannot stop it), a panel of another
  /// process that had the keyboard gives it back, and every watcher hears
  /// the click.
  void mouseDown(pid_t target);

  // MARK: Observations
  struct LoggedEvent {
    platform::EventType type;
    std::uint16_t keyCode;
    std::string characters;  // UTF-8
    std::uint64_t flags;
    std::int64_t userData;
    pid_t targetPID;  // field 40; 0 for the keyboard's own events
    bool autorepeat;
    bool posted;                       // posted by a process rather than typed
    std::optional<pid_t> deliveredTo;  // none when a tap dropped it
    /// A tap dropped it (rather than no application being there to take it).
    bool droppedByTap = false;
    /// From the moment it happened until the taps let it go: waiting for
    /// their busy main thread, then in their callbacks.
    platform::Duration held{0};
  };
  /// The latest key events, typed or posted, once their journey is over:
  /// at most `keptEvents`, so that a long session does not grow.
  std::deque<LoggedEvent> log;
  static constexpr std::size_t keptEvents = 512;
  /// How many events have been logged since the Mac started, including
  /// those no longer kept.
  std::uint64_t eventsLogged() const { return eventsLogged_; }
  /// The `number`th event logged (from 0); null when no longer kept.
  const LoggedEvent* loggedEvent(std::uint64_t number) const;
  /// Taps that exist (created and not invalidated).
  std::size_t tapCount() const;
  std::size_t enabledTapCount() const;

  struct Tap;

 private:
  Tap* tap(std::uint64_t id) const;
  void deliver(platform::Event event, bool posted, platform::WallClock::time_point arrived);
  void record(const LoggedEvent& entry);
  bool tapMayListen(const Tap& tap) const;
  void notifyDisabled(platform::EventType reason);
  void tellDisabled(const std::shared_ptr<Tap>& tap, platform::EventType reason);

  SimulatedMac& mac_;
  std::uint64_t nextHandle_ = 1;
  std::vector<std::shared_ptr<Tap>> taps_;              // in the order the system calls them
  std::map<std::uint64_t, std::uint64_t> sources_;      // run-loop source -> tap
  std::map<std::uint64_t, std::int64_t> eventSources_;  // event source -> user data
  std::uint64_t eventsLogged_ = 0;
  std::map<pid_t, KeyReceiver> keyReceivers_;
  std::map<std::uint64_t, std::shared_ptr<MouseDownWatcher>> mouseWatchers_;
  std::uint64_t nextWatcher_ = 1;
  std::map<pid_t, int> secureInputHolds_;  // process -> enables not yet undone
};

}  // namespace quillo::sim
