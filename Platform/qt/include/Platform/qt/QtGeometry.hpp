// QtGeometry: the one converter between Qt's screen coordinates and the
// seams' (AppKit's). Qt hangs its global coordinates from the top left of the
// primary screen with y growing downwards; the seams hang theirs from the
// bottom left of the main screen with y growing upwards. Both share the
// main screen's left edge, so only y changes: it is mirrored about the main
// screen's height. Pure functions, except mainScreenHeight().
#pragma once

#include <QRect>

#include "Platform/Geometry.hpp"

namespace quillo::platform {

/// A rectangle of Qt's global coordinates in the seams' coordinates.
Rect rectFromQt(const QRect& rect, int mainScreenHeight);
/// A rectangle of the seams' coordinates in Qt's, rounded to whole pixels.
QRect rectToQt(const Rect& rect, int mainScreenHeight);
/// The height of the primary screen (Qt's main screen); 0 without one. GUI
/// thread only.
int mainScreenHeight();

}  // namespace quillo::platform
