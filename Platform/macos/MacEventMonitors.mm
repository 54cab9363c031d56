#import <AppKit/AppKit.h>

#include "MacEventMonitors.hpp"

#include "MacBridging.h"
#include "MacEventWindow.hpp"
#include "MacModifierFlags.hpp"

namespace quillo::platform::mac {

namespace {

constexpr NSEventMask kMouseDowns = NSEventMaskLeftMouseDown | NSEventMaskRightMouseDown;

class MonitorToken final : public EventMonitorToken {
 public:
  explicit MonitorToken(id monitor) : monitor_(monitor) {}
  ~MonitorToken() override {
    if (monitor_) [NSEvent removeMonitor:monitor_];
  }
  MonitorToken(const MonitorToken&) = delete;
  MonitorToken& operator=(const MonitorToken&) = delete;

 private:
  id monitor_;
};

/// The monitors' masks admit left- and right-mouse-downs and key-downs
/// only. Only key events have a key code and characters: AppKit raises an
/// exception when a mouse event is asked for them.
MonitoredEvent toMonitoredEvent(NSEvent* event, EventWindow window) {
  MonitoredEvent result;
  result.modifierFlags = deviceIndependentModifierFlags([event modifierFlags]);
  result.window = window;
  const NSEventType type = [event type];
  if (type == NSEventTypeLeftMouseDown) {
    result.type = MonitoredEvent::Type::leftMouseDown;
  } else if (type == NSEventTypeRightMouseDown) {
    result.type = MonitoredEvent::Type::rightMouseDown;
  } else {
    result.type = MonitoredEvent::Type::keyDown;
    result.keyCode = [event keyCode];
    result.charactersIgnoringModifiers = toStdString([event charactersIgnoringModifiers]);
  }
  return result;
}

}  // namespace

void MacEventMonitors::recognise(void* panelWindow, void* statusItemWindow) {
  panelWindow_ = panelWindow;
  statusItemWindow_ = statusItemWindow;
}

std::unique_ptr<EventMonitorToken> MacEventMonitors::addGlobalMouseDownMonitor(
    std::function<void(const MonitoredEvent&)> handler) {
  // Events of other applications are never aimed at one of ours.
  id monitor =
      [NSEvent addGlobalMonitorForEventsMatchingMask:kMouseDowns
                                             handler:^(NSEvent* event) {
                                               handler(toMonitoredEvent(event, EventWindow::none));
                                             }];
  return std::make_unique<MonitorToken>(monitor);
}

std::unique_ptr<EventMonitorToken> MacEventMonitors::addLocalMonitor(
    std::function<bool(const MonitoredEvent&)> handler) {
  // The block reads the windows when an event comes, so a later recognise()
  // counts; this object outlives the monitors it hands out.
  MacEventMonitors* self = this;
  id monitor = [NSEvent
      addLocalMonitorForEventsMatchingMask:kMouseDowns | NSEventMaskKeyDown
                                   handler:^NSEvent*(NSEvent* event) {
                                     const EventWindow window =
                                         eventWindow((__bridge const void*)[event window],
                                                     self->panelWindow_, self->statusItemWindow_);
                                     return handler(toMonitoredEvent(event, window)) ? event : nil;
                                   }];
  return std::make_unique<MonitorToken>(monitor);
}

std::uint64_t MacEventMonitors::currentModifierFlags() const {
  return deviceIndependentModifierFlags([NSEvent modifierFlags]);
}

}  // namespace quillo::platform::mac
