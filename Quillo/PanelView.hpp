// PanelView: what draws the panel's content inside the panel window — the Qt
// widgets on a desktop, plain text on the console. It shows a PanelContent as
// it is, and hands every request a control makes to the panel controller; it
// decides nothing itself. The view's own state (the baseline chooser, the
// entry under the pointer) is written only by the drawing: when a change of
// it needs the content drawn anew, the controller is told, and draws it for
// it. Main thread only.
#pragma once

#include <functional>
#include <optional>

#include "PanelContent.hpp"
#include "PanelRequest.hpp"
#include "Platform/Geometry.hpp"

namespace quillo {

class PanelView {
 public:
  virtual ~PanelView() = default;
  /// Draws the content (again).
  virtual void display(const PanelContent& content) = 0;
  /// The size the drawn content asks for; none before the first draw.
  virtual std::optional<platform::Size> fittingSize() const = 0;

  /// Set by the panel controller; called with each request a control makes.
  void setOnRequest(std::function<void(const PanelRequest&)> hook) { onRequest_ = std::move(hook); }
  /// Set by the panel controller; called after the view's own state changed.
  void setNeedsDisplay(std::function<void()> hook) { needsDisplay_ = std::move(hook); }
  /// What only the drawing knows: read for each drawing.
  const PanelViewState& viewState() const noexcept { return viewState_; }

 protected:
  /// Hands a control's request to the panel controller.
  void makeRequest(const PanelRequest& request) const {
    if (onRequest_) onRequest_(request);
  }
  /// Changes the view's own state and asks for the content drawn anew when
  /// that changed it.
  void updateViewState(const PanelViewState& state) {
    if (state == viewState_) return;
    viewState_ = state;
    if (needsDisplay_) needsDisplay_();
  }
  /// Changes the view's own state without drawing: for a change the request
  /// made right after it draws anyway.
  void setViewStateQuietly(const PanelViewState& state) { viewState_ = state; }

 private:
  std::function<void(const PanelRequest&)> onRequest_;
  std::function<void()> needsDisplay_;
  PanelViewState viewState_;
};

}  // namespace quillo
