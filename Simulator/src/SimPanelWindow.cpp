#include "Simulator/SimPanelWindow.hpp"

#include <utility>
#include <vector>

namespace quillo::sim {

namespace {

/// Removes its entry when destroyed.
class Removal final : public platform::NotificationObserver {
 public:
  explicit Removal(std::function<void()> remove) : remove_(std::move(remove)) {}
  ~Removal() override { remove_(); }

 private:
  std::function<void()> remove_;
};

}  // namespace

SimPanelWindow::SimPanelWindow(SimulatedMac& mac, pid_t pid) : mac_(mac), pid_(pid) {
  // Another application coming forward takes the keyboard from the panel;
  // its own process coming forward does not. A notification that names no
  // application is taken for another's.
  activation_ = mac_.workspace().observeActivation(
      [this](const std::optional<platform::RunningApplication>& activated) {
        if (key_ && (!activated || activated->processIdentifier != pid_)) resignKey();
      });
  mouseWatcher_ = mac_.windowServer().addMouseDownWatcher([this](pid_t target) {
    if (key_ && target != pid_) resignKey();
  });
}

SimPanelWindow::~SimPanelWindow() {
  mac_.windowServer().removeMouseDownWatcher(mouseWatcher_);
  if (key_ && mac_.workspace().keyboardFocusPID() == pid_) mac_.workspace().closePanel();
}

void SimPanelWindow::orderFrontAsKey() {
  visible_ = true;
  key_ = true;
  // Non-activating: the front application stays in front, the keys come here.
  mac_.workspace().showPanel(pid_);
}

void SimPanelWindow::orderOut() {
  if (key_) resignKey();
  visible_ = false;
}

std::unique_ptr<platform::NotificationObserver> SimPanelWindow::observeResignKey(
    std::function<void()> handler) {
  const std::uint64_t id = nextObserver_++;
  (*observers_)[id] = std::move(handler);
  return std::make_unique<Removal>([weak = std::weak_ptr(observers_), id] {
    if (auto observers = weak.lock()) observers->erase(id);
  });
}

void SimPanelWindow::resignKey() {
  key_ = false;
  if (mac_.workspace().keyboardFocusPID() == pid_ && mac_.workspace().frontmostPID() != pid_)
    mac_.workspace().closePanel();
  // Observers may remove themselves (or others) while they are told.
  const auto observers = *observers_;
  for (const auto& [id, handler] : observers) {
    if (observers_->contains(id)) handler();
  }
}

}  // namespace quillo::sim
