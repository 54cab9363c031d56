// EventMonitors: NSEvent's event monitors and its current modifier flags.
//
// A global monitor sees mouse-downs meant for other applications (it can
// only watch). A local monitor sees the application's own mouse-downs and
// key-downs before they are dispatched, and may swallow one by answering
// false. Monitors live while the returned token lives. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace quillo::platform {

/// The windows an event can be aimed at, as the application knows them.
enum class EventWindow : std::uint8_t { none, panel, statusItemButton, other };

struct MonitoredEvent {
  enum class Type : std::uint8_t { leftMouseDown, rightMouseDown, keyDown };
  Type type = Type::keyDown;
  std::uint16_t keyCode = 0;
  /// Device-independent modifier flags (EventFlags bits).
  std::uint64_t modifierFlags = 0;
  /// What the key typed, with every modifier held (characters): control
  /// characters with control, option's own layer with option, nothing for a
  /// dead key.
  std::string characters;
  /// What the key types ignoring modifiers (charactersIgnoringModifiers).
  std::string charactersIgnoringModifiers;
  EventWindow window = EventWindow::none;
};

class EventMonitorToken {
 public:
  virtual ~EventMonitorToken() = default;
};

class EventMonitors {
 public:
  virtual ~EventMonitors() = default;
  /// Left- and right-mouse-downs in other applications.
  virtual std::unique_ptr<EventMonitorToken> addGlobalMouseDownMonitor(
      std::function<void(const MonitoredEvent&)> handler) = 0;
  /// The application's own left- and right-mouse-downs and key-downs; the
  /// handler answers whether the event goes on to its window.
  virtual std::unique_ptr<EventMonitorToken> addLocalMonitor(
      std::function<bool(const MonitoredEvent&)> handler) = 0;
  /// NSEvent.modifierFlags: the modifier keys held now.
  virtual std::uint64_t currentModifierFlags() const = 0;
};

}  // namespace quillo::platform
