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
  // Left first, then right: on a screen narrower than the panel the right
  // edge is the one kept.
  x = std::max(x, visibleFrame.minX() + screenMargin);
  x = std::min(x, visibleFrame.maxX() - panel.width - screenMargin);
  // The room under the button (down to the bottom margin) and over it (up
  // to the top margin); y grows upwards, as on a Mac.
  const double top = std::min(button.minY() - gapBelowButton, visibleFrame.maxY());
  const double roomBelow = std::max(0.0, top - (visibleFrame.minY() + screenMargin));
  const double bottom = std::max(button.maxY() + gapBelowButton, visibleFrame.minY());
  const double roomAbove = std::max(0.0, visibleFrame.maxY() - screenMargin - bottom);
  if (panel.height > roomBelow && roomAbove > roomBelow) {
    const double height = std::min(panel.height, roomAbove);
    return {x, bottom, panel.width, height};
  }
  const double height = std::min(panel.height, roomBelow);
  return {x, top - height, panel.width, height};
}

}  // namespace quillo::PanelPlacement
