// WindowServer: the simulated Mac's keyboard, session event taps and event
// posting — the stand-in for Quartz Event Services and the keyboard layout.
//
// A key pressed on the keyboard becomes key-down and key-up events whose
// characters and flags follow the US layout the way macOS produces them. Each
// event is delivered on the main loop: it passes through the session taps in
// order (newest head-inserted first), any of which may drop it, and then
// reaches the frontmost application. Events posted to a process pass the
// session taps too (carrying the target in field 40) and reach that process.
// Taps need the permissions the simulated system asks for; a tap whose
// callback blocks longer than `tapTimeout` is disabled by the system, which
// tells the tap with a tap-disabled-by-timeout event.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/EventServices.hpp"
#include "Platform/KeyboardLayout.hpp"

namespace quillo::sim {

class SimulatedMac;

class WindowServer final : public platform::EventServices, public platform::KeyboardLayouts {
 public:
  explicit WindowServer(SimulatedMac& mac);
  ~WindowServer() override;

  // MARK: Quartz Event Services
  std::optional<platform::MachPort> tapCreate(platform::EventTapLocation location,
                                              platform::EventTapPlacement placement,
                                              platform::EventTapOptions options,
                                              std::uint64_t eventsOfInterest,
                                              platform::EventTapCallBack callback,
                                              void* userInfo) override;
  void tapEnable(platform::MachPort tap, bool enable) override;
  bool tapIsEnabled(platform::MachPort tap) const override;
  platform::RunLoopSource machPortCreateRunLoopSource(platform::MachPort tap) override;
  void runLoopAddSource(platform::RunLoopSource source) override;
  void runLoopRemoveSource(platform::RunLoopSource source) override;
  void machPortInvalidate(platform::MachPort tap) override;
  void release(platform::MachPort tap) override;
  void release(platform::RunLoopSource source) override;
  std::optional<platform::EventSource> eventSourceCreate(
      platform::EventSourceStateID state) override;
  void eventSourceSetUserData(platform::EventSource source, std::int64_t userData) override;
  void release(platform::EventSource source) override;
  std::optional<platform::Event> createKeyboardEvent(std::optional<platform::EventSource> source,
                                                     std::uint16_t keyCode, bool keyDown) override;
  void postToPid(pid_t pid, const platform::Event& event) override;
  bool preflightListenEventAccess() override;
  bool requestListenEventAccess() override;

  // MARK: Keyboard layout
  std::shared_ptr<const platform::UnicodeKeyLayout> currentKeyboardLayout() const override;
  std::uint32_t keyboardType() const override { return 40; }  // an ANSI keyboard

  // MARK: The user at the keyboard
  /// A key pressed with modifiers held (event flag bits); delivered on the
  /// main loop. `repeats` auto-repeated key-downs follow the first.
  void pressKey(std::uint16_t keyCode, std::uint64_t modifierFlags, int repeats = 0);

  // MARK: Faults
  /// The system switches every enabled tap off and tells it so.
  void disableTapsByTimeout();
  void disableTapsByUserInput();
  /// A tap callback that blocks longer than this gets its tap disabled.
  double tapTimeout = 1.0;
  /// Whether the current input source has Unicode key layout data.
  bool layoutDataAvailable = true;
  /// CGEventTapCreate can fail for reasons of its own, whatever the
  /// permissions say (a sandbox, a system limit): then it refuses every tap.
  bool refuseTaps = false;
  /// Whether creating event sources and events fails.
  bool eventCreationFails = false;

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
  };
  /// Every key event, typed or posted, once its journey is over.
  std::vector<LoggedEvent> log;
  /// Taps that exist (created and not invalidated).
  std::size_t tapCount() const;
  std::size_t enabledTapCount() const;

  struct Tap;

 private:
  Tap* tap(std::uint64_t id) const;
  void deliver(platform::Event event, bool posted);
  bool tapMayListen(const Tap& tap) const;
  void notifyDisabled(platform::EventType reason);
  void tellDisabled(const std::shared_ptr<Tap>& tap, platform::EventType reason);

  SimulatedMac& mac_;
  std::uint64_t nextHandle_ = 1;
  std::vector<std::shared_ptr<Tap>> taps_;              // in the order the system calls them
  std::map<std::uint64_t, std::uint64_t> sources_;      // run-loop source -> tap
  std::map<std::uint64_t, std::int64_t> eventSources_;  // event source -> user data
};

}  // namespace quillo::sim
