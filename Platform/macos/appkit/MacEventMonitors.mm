#import <AppKit/AppKit.h>

#include "MacEventMonitors.hpp"

#include "MacBridging.h"
#include "MacModifierFlags.hpp"
#include "MacMonitoredEvent.hpp"

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

/// None for an event of a type the monitors do not ask for.
std::optional<MonitoredEvent> toMonitoredEvent(NSEvent* event, EventWindow window) {
  const std::optional<MonitoredEvent::Type> type =
      monitoredEventType(static_cast<std::uint64_t>([event type]));
  if (!type) return std::nullopt;
  MonitoredEvent result;
  result.type = *type;
  result.modifierFlags = deviceIndependentModifierFlags([event modifierFlags]);
  result.window = window;
  switch (*type) {
    case MonitoredEvent::Type::leftMouseDown:
    case MonitoredEvent::Type::rightMouseDown:
      break;
    case MonitoredEvent::Type::keyDown:
      result.keyCode = [event keyCode];
      result.characters = toStdString([event characters]);
      result.charactersIgnoringModifiers = toStdString([event charactersIgnoringModifiers]);
      break;
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
                                               const std::optional<MonitoredEvent> monitored =
                                                   toMonitoredEvent(event, EventWindow::none);
                                               if (monitored) handler(*monitored);
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
                                     const std::optional<MonitoredEvent> monitored =
                                         toMonitoredEvent(event, window);
                                     // What is not ours to judge goes on to its window.
                                     if (!monitored) return event;
                                     return handler(*monitored) ? event : nil;
                                   }];
  return std::make_unique<MonitorToken>(monitor);
}

std::uint64_t MacEventMonitors::currentModifierFlags() const {
  return deviceIndependentModifierFlags([NSEvent modifierFlags]);
}

}  // namespace quillo::platform::mac
