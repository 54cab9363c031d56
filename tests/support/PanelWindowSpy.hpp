// A panel window that only remembers its frame and whether it is shown, for
// tests of the panel's controller that need no real window.
#pragma once

#include <functional>
#include <memory>

#include "Platform/PanelWindow.hpp"

namespace quillo::testing {

class PanelWindowSpy final : public platform::PanelWindow {
 public:
  void setFrame(platform::Rect frame) override { frame_ = frame; }
  platform::Rect frame() const override { return frame_; }
  void orderFrontAsKey() override { visible = true; }
  void orderOut() override { visible = false; }
  bool isVisible() const override { return visible; }
  std::unique_ptr<platform::NotificationObserver> observeResignKey(std::function<void()>) override {
    return std::make_unique<platform::NotificationObserver>();
  }
  bool visible = false;

 private:
  platform::Rect frame_{};
};

}  // namespace quillo::testing
