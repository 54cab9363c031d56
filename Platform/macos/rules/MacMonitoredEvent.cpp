#include "MacMonitoredEvent.hpp"

#include "MacConstants.hpp"

namespace quillo::platform::mac {

std::optional<MonitoredEvent::Type> monitoredEventType(std::uint64_t eventType) {
  switch (eventType) {
    case EventType::leftMouseDown:
      return MonitoredEvent::Type::leftMouseDown;
    case EventType::rightMouseDown:
      return MonitoredEvent::Type::rightMouseDown;
    case EventType::keyDown:
      return MonitoredEvent::Type::keyDown;
  }
  return std::nullopt;
}

EventWindow eventWindow(const void* eventWindow, const void* panelWindow,
                        const void* statusItemWindow) {
  if (eventWindow == nullptr) return EventWindow::none;
  if (eventWindow == panelWindow) return EventWindow::panel;
  if (eventWindow == statusItemWindow) return EventWindow::statusItemButton;
  return EventWindow::other;
}

}  // namespace quillo::platform::mac
