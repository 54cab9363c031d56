// QtPanelWindow: the status panel's window as a frameless, tool-type
// top-level Qt widget with a translucent background and rounded corners —
// the PanelWindow of a Qt interface. It hosts one content widget (the panel's
// drawing) filling it edge to edge, so that the frame set is the content's
// size; the content draws its own rounded background.
//
// Ordered front as key it is shown (raised too, except on a Mac: see
// QtPanelWindowRules.hpp) and made key, then whatever was set with
// setAfterShow runs; it resigns key
// when it loses activation (another window or application took the keyboard)
// and tells its observers on the next turn of the loop, as the main queue
// would. Frames are in the seams' coordinates (QtGeometry). Needs a
// QApplication; GUI thread only. The content widget becomes the window's
// child and is destroyed with it.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "Platform/PanelWindow.hpp"

namespace quillo::platform {

class QtPanelWindow final : public QWidget, public PanelWindow {
  Q_OBJECT

 public:
  static constexpr double cornerRadius = 18;

  explicit QtPanelWindow(QWidget* content = nullptr);
  ~QtPanelWindow() override;

  /// Puts `content` in the window, replacing what was there.
  void setContent(QWidget* content);
  /// Runs after every orderFrontAsKey, once the window is shown and has its
  /// native window. Qt may make a new native window at any show (on a Mac it
  /// does when the window's type or content view changed), so whatever is
  /// done to the native window belongs here, not once at start.
  void setAfterShow(std::function<void()> afterShow) { afterShow_ = std::move(afterShow); }

  void setFrame(Rect frame) override;
  Rect frame() const override;
  void orderFrontAsKey() override;
  void orderOut() override;
  bool isVisible() const override;
  std::unique_ptr<NotificationObserver> observeResignKey(std::function<void()> handler) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  using Observers = std::map<std::uint64_t, std::function<void()>>;
  void resignKey();

  QWidget* content_ = nullptr;
  std::function<void()> afterShow_;
  bool key_ = false;
  // The window became active since it was last ordered front.
  bool activeSinceShown_ = false;
  std::uint64_t nextObserver_ = 1;
  std::shared_ptr<Observers> observers_ = std::make_shared<Observers>();
};

}  // namespace quillo::platform
