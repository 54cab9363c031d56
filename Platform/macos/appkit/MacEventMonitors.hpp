// MacEventMonitors: the EventMonitors seam over NSEvent's global and local
// monitors. Mouse-downs are left and right; the local monitor also sees
// key-downs, and an event its handler declines (false) is swallowed. Which
// of Quillo's windows an event is aimed at is told from the windows set
// with `recognise`. A monitor is removed when its token is destroyed.
// Main thread only.
#pragma once

#include "Platform/EventMonitors.hpp"

namespace quillo::platform::mac {

class MacEventMonitors final : public EventMonitors {
 public:
  /// The panel's and the status item button's windows (NSWindow*, either
  /// null while unknown), compared by identity; neither is retained, so each
  /// must be set again (or cleared) before its window goes away.
  void recognise(void* panelWindow, void* statusItemWindow);

  std::unique_ptr<EventMonitorToken> addGlobalMouseDownMonitor(
      std::function<void(const MonitoredEvent&)> handler) override;
  std::unique_ptr<EventMonitorToken> addLocalMonitor(
      std::function<bool(const MonitoredEvent&)> handler) override;
  std::uint64_t currentModifierFlags() const override;

 private:
  void* panelWindow_ = nullptr;
  void* statusItemWindow_ = nullptr;
};

}  // namespace quillo::platform::mac
