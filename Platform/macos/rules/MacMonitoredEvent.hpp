// MacMonitoredEvent: which NSEvents the event monitors hand on, and which
// of Quillo's windows an event is aimed at. Pure.
#pragma once

#include <cstdint>
#include <optional>

#include "Platform/EventMonitors.hpp"

namespace quillo::platform::mac {

/// The event's kind from NSEvent's type (its raw value); none for any type
/// the monitors do not ask for. Only a key-down may be asked for its key
/// code and characters: AppKit raises an exception for other events.
std::optional<MonitoredEvent::Type> monitoredEventType(std::uint64_t eventType);

/// The window an event is aimed at, from the event's window and the two
/// windows Quillo knows (the panel's and the status item button's), compared
/// by identity only. A null event window (an event outside the
/// application's windows) is none; unknown windows (null) never match.
EventWindow eventWindow(const void* eventWindow, const void* panelWindow,
                        const void* statusItemWindow);

}  // namespace quillo::platform::mac
