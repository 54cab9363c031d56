// MacEventServices: the event seam over Quartz Event Services — a session
// event tap whose CGEventRefs are converted to Event values once, in the tap
// callback; key events created and posted to a process; the Input
// Monitoring permission; secure event input.
//
// The handles the seam hands out (MachPort, RunLoopSource, EventSource)
// stand for CF references this object holds until `release` is called for
// them; a tap's callback context lives until its port can no longer deliver.
// Destroying the object releases whatever is still held. Main thread only:
// the tap's source is on the main run loop, in the common modes, so menus
// being tracked and modal alerts do not hold the keyboard up.
#pragma once

#include <memory>

#include "Platform/EventServices.hpp"

namespace quillo::platform::macos {

class MacEventServices final : public EventServices {
 public:
  MacEventServices();
  ~MacEventServices() override;
  MacEventServices(const MacEventServices&) = delete;
  MacEventServices& operator=(const MacEventServices&) = delete;

  void tapEnable(MachPort tap, bool enable) override;
  bool tapIsEnabled(MachPort tap) const override;
  void runLoopAddSource(RunLoopSource source) override;
  void runLoopRemoveSource(RunLoopSource source) override;
  void machPortInvalidate(MachPort tap) override;
  bool machPortIsValid(MachPort tap) const override;
  void eventSourceSetUserData(EventSource source, std::int64_t userData) override;
  std::optional<Event> createKeyboardEvent(std::optional<EventSource> source, std::uint16_t keyCode,
                                           bool keyDown) override;
  void postToPid(pid_t pid, const Event& event) override;
  bool preflightListenEventAccess() override;
  bool requestListenEventAccess() override;
  bool isSecureEventInputEnabled() const override;

 protected:
  std::optional<MachPort> createTap(EventTapLocation location, EventTapPlacement placement,
                                    EventTapOptions options, std::uint64_t eventsOfInterest,
                                    EventTapCallBack callback, void* userInfo) override;
  RunLoopSource createRunLoopSource(MachPort tap) override;
  std::optional<EventSource> createEventSource(EventSourceStateID state) override;
  void release(MachPort tap) override;
  void release(RunLoopSource source) override;
  void release(EventSource source) override;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace quillo::platform::macos
