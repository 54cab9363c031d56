// PanelWindow: the floating panel under the status item (an NSPanel that is
// non-activating and borderless yet can become key, at pop-up menu level,
// not hiding on deactivate), the window the panel's content is drawn in.
//
// Built once and reused. Ordering it front as key does not activate the
// application, so Mail stays the active application while the panel takes
// the keyboard. What is drawn inside it, and the size that asks for, is the
// panel view's business. Main thread only.
#pragma once

#include <functional>
#include <memory>

#include "Platform/Geometry.hpp"
#include "Platform/Workspace.hpp"

namespace quillo::platform {

class PanelWindow {
 public:
  virtual ~PanelWindow() = default;

  virtual void setFrame(Rect frame) = 0;
  virtual Rect frame() const = 0;
  /// makeKeyAndOrderFront.
  virtual void orderFrontAsKey() = 0;
  virtual void orderOut() = 0;
  virtual bool isVisible() const = 0;
  /// NSWindowDidResignKeyNotification for this panel, delivered on the main
  /// queue while the returned observer lives.
  virtual std::unique_ptr<NotificationObserver> observeResignKey(std::function<void()> handler) = 0;
};

}  // namespace quillo::platform
