// SimPanelWindow: a floating panel of one process on the simulated Mac
// (Quillo's status panel).
//
// Ordered front as key it takes the keyboard while the front application
// stays in front, as a non-activating panel does on a Mac: the window
// server sends keys to the panel's process. It resigns key — telling its
// observers — when another application is activated or a window of another
// process is clicked, or when it is ordered out; then the keyboard goes
// back to the front application. Its own process being activated leaves it
// key.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "Platform/PanelWindow.hpp"
#include "Simulator/SimulatedMac.hpp"

namespace quillo::sim {

class SimPanelWindow final : public platform::PanelWindow {
 public:
  SimPanelWindow(SimulatedMac& mac, pid_t pid);
  ~SimPanelWindow() override;
  SimPanelWindow(const SimPanelWindow&) = delete;
  SimPanelWindow& operator=(const SimPanelWindow&) = delete;

  void setFrame(platform::Rect frame) override { frame_ = frame; }
  platform::Rect frame() const override { return frame_; }
  void orderFrontAsKey() override;
  void orderOut() override;
  bool isVisible() const override { return visible_; }
  std::unique_ptr<platform::NotificationObserver> observeResignKey(
      std::function<void()> handler) override;

  /// Whether the panel has the keyboard.
  bool isKey() const { return key_; }
  /// The panel stops being the key window and nothing else happens (a
  /// system window takes the keyboard); false when it was not key.
  bool loseKey() {
    if (!key_) return false;
    resignKey();
    return true;
  }

 private:
  void resignKey();

  SimulatedMac& mac_;
  pid_t pid_;
  platform::Rect frame_{};
  bool visible_ = false;
  bool key_ = false;
  std::unique_ptr<platform::NotificationObserver> activation_;
  std::uint64_t mouseWatcher_ = 0;
  std::uint64_t nextObserver_ = 1;
  std::shared_ptr<std::map<std::uint64_t, std::function<void()>>> observers_ =
      std::make_shared<std::map<std::uint64_t, std::function<void()>>>();
};

}  // namespace quillo::sim
