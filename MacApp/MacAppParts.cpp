#include "MacAppParts.hpp"

#include <QWidget>

#include "Platform/macos/MacAccessibility.hpp"
#include "Platform/macos/MacEventServices.hpp"
#include "Platform/macos/MacKeyboardLayouts.hpp"
#include "Platform/qt/QtPanelWindow.hpp"

namespace quillo::macapp {

namespace {

/// The Qt panel window over content its caller owns. Qt deletes a window's
/// children with it, so the content is handed back (unparented) before the
/// window goes; the caller then destroys it as it planned to.
class BorrowedContentPanelWindow final : public platform::PanelWindow {
 public:
  BorrowedContentPanelWindow(QWidget& content, std::function<void()> afterShow)
      : content_(&content), window_(std::make_unique<platform::QtPanelWindow>(&content)) {
    window_->setAfterShow(std::move(afterShow));
  }
  ~BorrowedContentPanelWindow() override { content_->setParent(nullptr); }
  BorrowedContentPanelWindow(const BorrowedContentPanelWindow&) = delete;
  BorrowedContentPanelWindow& operator=(const BorrowedContentPanelWindow&) = delete;

  void setFrame(platform::Rect frame) override { window_->setFrame(frame); }
  platform::Rect frame() const override { return window_->frame(); }
  void orderFrontAsKey() override { window_->orderFrontAsKey(); }
  void orderOut() override { window_->orderOut(); }
  bool isVisible() const override { return window_->isVisible(); }
  std::unique_ptr<platform::NotificationObserver> observeResignKey(
      std::function<void()> handler) override {
    return window_->observeResignKey(std::move(handler));
  }

 private:
  QWidget* content_;
  std::unique_ptr<platform::QtPanelWindow> window_;
};

}  // namespace

std::unique_ptr<platform::EventServices> makeEventServices() {
  return std::make_unique<platform::macos::MacEventServices>();
}

std::unique_ptr<platform::KeyboardLayouts> makeKeyboardLayouts() {
  return std::make_unique<platform::macos::MacKeyboardLayouts>();
}

std::unique_ptr<platform::Accessibility> makeAccessibility() {
  return std::make_unique<platform::macos::MacAccessibility>();
}

std::unique_ptr<platform::PanelWindow> makePanelWindow(QWidget& content,
                                                       std::function<void()> afterShow) {
  return std::make_unique<BorrowedContentPanelWindow>(content, std::move(afterShow));
}

}  // namespace quillo::macapp
