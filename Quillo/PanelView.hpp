// PanelView: what draws the panel's content inside the panel window — the Qt
// widgets on a desktop, plain text on the console. It shows a PanelContent as
// it is, and hands every request a control makes to `onRequest`; it decides
// nothing itself. The view's own state (the baseline chooser, the entry
// under the pointer) lives in `viewState`: when the drawing changes it, it
// calls `needsDisplay`, and the controller draws the content anew for it.
// Main thread only.
#pragma once

#include <functional>
#include <optional>

#include "PanelContent.hpp"
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
  std::function<void(const PanelActions::Request&)> onRequest;
  /// Set by the panel controller; called after `viewState` changed.
  std::function<void()> needsDisplay;
  /// What only the drawing knows: written by it, read for each drawing.
  PanelViewState viewState;
};

}  // namespace quillo
