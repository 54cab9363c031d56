#include "PanelPlacement.hpp"

#include <algorithm>

namespace quillo::PanelPlacement {

platform::Size size(std::optional<platform::Size> fitting) {
  if (!fitting || fitting->width < minimumSide || fitting->height < minimumSide) {
    return fallbackSize;
  }
  return *fitting;
}

platform::Rect frame(platform::Size panel, platform::Rect button, platform::Rect visibleFrame) {
  double x = button.minX();
  double y = button.minY() - panel.height - gapBelowButton;
  // Left first, then right: on a screen narrower than the panel the right
  // edge is the one kept.
  x = std::max(x, visibleFrame.minX() + screenMargin);
  x = std::min(x, visibleFrame.maxX() - panel.width - screenMargin);
  y = std::max(y, visibleFrame.minY() + screenMargin);
  return {x, y, panel.width, panel.height};
}

}  // namespace quillo::PanelPlacement
