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
// the system: the event then simply passes. Main thread only; the tap must
// outlive its installation (stop() removes it).
#pragma once

#include <functional>
#include <optional>

#include "Platform/EventServices.hpp"
#include "Platform/SystemLog.hpp"

namespace quillo {

class KeyEventTapping {
 public:
  using Handler = std::function<bool(platform::EventType, const platform::Event&)>;

  virtual ~KeyEventTapping() = default;
  virtual void setOnKeyEvent(Handler handler) = 0;
  virtual void setOnDisabled(std::function<void()> handler) = 0;
  virtual bool isListening() const = 0;
  virtual bool isInstalled() const = 0;
  /// Installs the tap if there is none; false when the system refuses it.
  virtual bool start() = 0;
  virtual void setListening(bool on) = 0;
  /// Removes the tap; `isListening` keeps its value.
  virtual void stop() = 0;
};

class EventTap final : public KeyEventTapping {
 public:
  EventTap(platform::EventServices& events, platform::SystemLog& systemLog);
  ~EventTap() override;
  EventTap(const EventTap&) = delete;
  EventTap& operator=(const EventTap&) = delete;

  void setOnKeyEvent(Handler handler) override { onKeyEvent_ = std::move(handler); }
  void setOnDisabled(std::function<void()> handler) override { onDisabled_ = std::move(handler); }
  bool isListening() const override { return isListening_; }
  bool isInstalled() const override { return tap_.has_value(); }
  bool start() override;
  void setListening(bool on) override;
  void stop() override;

  /// The events of interest: key-down and key-up (0xC00).
  static constexpr std::uint64_t eventsOfInterest =
      platform::eventMaskBit(platform::EventType::keyDown) |
      platform::eventMaskBit(platform::EventType::keyUp);

 private:
  static platform::Event* callback(platform::EventTapProxy proxy, platform::EventType type,
                                   platform::Event* event, void* userInfo);
  bool handle(platform::EventType type, const platform::Event& event);

  platform::EventServices& events_;
  platform::Logger log_;
  Handler onKeyEvent_;
  std::function<void()> onDisabled_;
  bool isListening_ = false;
  std::optional<platform::MachPort> tap_;
  std::optional<platform::RunLoopSource> source_;
};

}  // namespace quillo
