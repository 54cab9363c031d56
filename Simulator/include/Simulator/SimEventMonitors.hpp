// SimEventMonitors: NSEvent's monitors for one process on the simulated Mac.
//
// The process's key events (those the window server sends it while its
// panel has the keyboard) go to its local monitors first, newest first; a
// monitor that swallows one ends its journey, as on a Mac. Its global
// monitors hear the user's clicks into other processes' windows. The
// current modifier flags are the keyboard's, as set by whoever drives it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "Platform/EventMonitors.hpp"
#include "Simulator/SimulatedMac.hpp"

namespace quillo::sim {

class SimEventMonitors final : public platform::EventMonitors {
 public:
  SimEventMonitors(SimulatedMac& mac, pid_t pid);
  ~SimEventMonitors() override;
  SimEventMonitors(const SimEventMonitors&) = delete;
  SimEventMonitors& operator=(const SimEventMonitors&) = delete;

  std::unique_ptr<platform::EventMonitorToken> addGlobalMouseDownMonitor(
      std::function<void(const platform::MonitoredEvent&)> handler) override;
  std::unique_ptr<platform::EventMonitorToken> addLocalMonitor(
      std::function<bool(const platform::MonitoredEvent&)> handler) override;
  std::uint64_t currentModifierFlags() const override { return modifierFlags; }

  /// The modifier keys held now (EventFlags bits).
  std::uint64_t modifierFlags = 0;
  /// A mouse-down in one of the process's own windows, through its local
  /// monitors; whether it reaches the window. The flags are the keyboard's
  /// unless given.
  bool mouseDownInOwnWindow(platform::EventWindow window,
                            std::optional<std::uint64_t> flags = std::nullopt);

  using Global = std::function<void(const platform::MonitoredEvent&)>;
  using Local = std::function<bool(const platform::MonitoredEvent&)>;
  struct Monitors {
    std::map<std::uint64_t, std::shared_ptr<Global>> global;
    std::map<std::uint64_t, std::shared_ptr<Local>> local;
    std::uint64_t next = 1;
  };

 private:
  bool throughLocal(const platform::MonitoredEvent& event);

  SimulatedMac& mac_;
  pid_t pid_;
  std::uint64_t mouseWatcher_ = 0;
  std::shared_ptr<Monitors> monitors_ = std::make_shared<Monitors>();
};

}  // namespace quillo::sim
