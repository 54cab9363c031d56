// KeyEventTapping and EventTap: the application's one keyboard event tap.
//
// A session-level, active tap for key-down and key-up events on the main run
// loop. Each key event goes to `onKeyEvent`, whose answer decides whether the
// event is dropped (true) or passes unchanged. The tap listens only while
// asked to (setListening); when the system switches it off (too slow, or by
// user input) `onDisabled` hears of it first — keys went past the tap while
// it was off, and the handler may remove the tap — and then the tap is
// switched back on at once while it is installed and listening is wanted.
// Installation fails when the process may not observe the keyboard. The tap
// never modifies an event, and nothing thrown inside the handler escapes into
// the system: the event then simply passes.
//
// Two ways a tap goes blind are beyond re-enabling, and the tap replaces
// itself with a new one (a renewal), then tells `onRenewed`:
// - the system times it out `TapTimeouts::limit` times within a minute;
// - its port becomes invalid. The system says nothing of that — the tap just
//   never delivers again — so the owner asks now and then
//   (renewIfPortInvalid, one CFMachPortIsValid).
// A third way needs no cure and gets none: while some application has secure
// keyboard entry on, the system hides every key from every tap (keysHidden)
// and the keys reach the focused application untouched.
//
// Main thread only. The tap must outlive its installation (stop() removes
// it); a renewal decided inside the tap's callback runs on the main loop
// after the callback has returned, so no port is freed inside its own
// callback, and it finds nothing to do once the tap is gone.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "Lifeline.hpp"
#include "Platform/EventServices.hpp"
#include "Platform/MainLoop.hpp"
#include "Platform/SystemLog.hpp"
#include "TapTimeouts.hpp"

namespace quillo {

/// One replacement of a broken tap by a new one.
struct TapRenewal {
  enum class Reason : std::uint8_t { repeatedTimeouts, portInvalid };
  Reason reason = Reason::portInvalid;
  /// Whether the new tap could be created; if not, no tap is installed.
  bool installed = false;

  /// "event tap re-created (its port became invalid)", "event tap
  /// re-creation failed (timed out 3 times within 60 seconds)"
  std::string description() const;
  bool operator==(const TapRenewal&) const = default;
};

class KeyEventTapping {
 public:
  using Handler = std::function<bool(platform::EventType, const platform::Event&)>;

  virtual ~KeyEventTapping() = default;
  virtual void setOnKeyEvent(Handler handler) = 0;
  virtual void setOnDisabled(std::function<void()> handler) = 0;
  /// Told after every renewal, on the main loop.
  virtual void setOnRenewed(std::function<void(const TapRenewal&)> handler) = 0;
  virtual bool isListening() const = 0;
  virtual bool isInstalled() const = 0;
  /// Installs the tap if there is none; false when the system refuses it.
  virtual bool start() = 0;
  virtual void setListening(bool on) = 0;
  /// Removes the tap; `isListening` keeps its value.
  virtual void stop() = 0;
  /// Replaces an installed tap whose port the system invalidated; true when
  /// it did (whether or not the new tap could be created).
  virtual bool renewIfPortInvalid() = 0;
  /// How many times a new tap has replaced a broken one in this run.
  virtual int renewals() const = 0;
  /// Whether the system hides key events from taps right now: some
  /// application has secure keyboard entry on. Asks the system each time.
  virtual bool keysHidden() const = 0;
};

class EventTap final : public KeyEventTapping {
 public:
  /// `loop` gives the time of each time-out and runs renewals decided in
  /// the callback.
  EventTap(platform::EventServices& events, platform::SystemLog& systemLog,
           platform::MainLoop& loop);
  ~EventTap() override;
  EventTap(const EventTap&) = delete;
  EventTap& operator=(const EventTap&) = delete;

  void setOnKeyEvent(Handler handler) override { onKeyEvent_ = std::move(handler); }
  void setOnDisabled(std::function<void()> handler) override { onDisabled_ = std::move(handler); }
  void setOnRenewed(std::function<void(const TapRenewal&)> handler) override {
    onRenewed_ = std::move(handler);
  }
  bool isListening() const override { return isListening_; }
  bool isInstalled() const override { return tap_.has_value(); }
  bool start() override;
  void setListening(bool on) override;
  void stop() override;
  bool renewIfPortInvalid() override;
  int renewals() const override { return renewals_; }
  bool keysHidden() const override { return events_.isSecureEventInputEnabled(); }

  /// The events of interest: key-down and key-up, and the mouse-downs that
  /// end a wait for the second key of a sequence (0xC0A). A mouse-down is
  /// only seen, never held or dropped.
  static constexpr std::uint64_t eventsOfInterest =
      platform::eventMaskBit(platform::EventType::keyDown) |
      platform::eventMaskBit(platform::EventType::keyUp) |
      platform::eventMaskBit(platform::EventType::leftMouseDown) |
      platform::eventMaskBit(platform::EventType::rightMouseDown);

 private:
  static platform::Event* callback(platform::EventTapProxy proxy, platform::EventType type,
                                   platform::Event* event, void* userInfo);
  bool handle(platform::EventType type, const platform::Event& event);
  /// Replaces the tap `broken` with a new one, if it is still ours.
  void renew(platform::MachPort broken, TapRenewal::Reason reason);

  platform::EventServices& events_;
  platform::Logger log_;
  platform::MainLoop& loop_;
  Handler onKeyEvent_;
  std::function<void()> onDisabled_;
  std::function<void(const TapRenewal&)> onRenewed_;
  bool isListening_ = false;
  std::optional<platform::Owned<platform::MachPort>> tap_;
  std::optional<platform::Owned<platform::RunLoopSource>> source_;
  TapTimeouts timeouts_;
  int renewals_ = 0;
  Lifeline<EventTap> lifeline_{this};
};

}  // namespace quillo
