// PanelPlacement: where the status panel goes on screen, and how tall it may
// be there.
//
// Right under the status item's button, 5 points below it, its left edge
// with the button's; kept 8 points inside the screen's visible frame on the
// left, the right and the bottom, and never above the visible frame's top —
// when the screen is too narrow for both sides, the right edge wins, so the
// panel never hangs off the side the menu bar's items sit on. A panel taller
// than the room under the button gets the height that fits (its middle
// scrolls) rather than moving up over the button. Where the button sits low
// on its screen (a tray at the bottom of a Linux desktop) and there is more
// room above it than below, the panel opens above it, 5 points clear, by the
// same rules. Pure arithmetic.
#pragma once

#include <optional>

#include "Platform/Geometry.hpp"

namespace quillo::PanelPlacement {

/// The size used when the content reports none, or a size too small to be
/// a laid-out panel (either side under `minimumSide`).
inline constexpr platform::Size fallbackSize{500, 560};
inline constexpr double minimumSide = 100;
inline constexpr double gapBelowButton = 5;
inline constexpr double screenMargin = 8;

/// The panel's size for its content's fitting size.
platform::Size size(std::optional<platform::Size> fitting);

/// The panel's frame for its size, the button's frame on screen, and the
/// visible frame of the button's screen: its outer frame, as tall as the
/// panel or as the room there is, whichever is less.
platform::Rect frame(platform::Size panel, platform::Rect button, platform::Rect visibleFrame);

}  // namespace quillo::PanelPlacement
