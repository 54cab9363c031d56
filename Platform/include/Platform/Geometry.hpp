// Geometry: points, sizes and rectangles in screen coordinates, as AppKit
// has them (NSPoint, NSSize, NSRect): the origin at the bottom left of the
// main screen and y growing upwards. Plain values.
#pragma once

namespace quillo::platform {

struct Size {
  double width = 0;
  double height = 0;
  bool operator==(const Size&) const = default;
};

struct Rect {
  double x = 0;  // left edge
  double y = 0;  // bottom edge
  double width = 0;
  double height = 0;

  double minX() const { return x; }
  double maxX() const { return x + width; }
  double minY() const { return y; }
  double maxY() const { return y + height; }
  bool operator==(const Rect&) const = default;
};

}  // namespace quillo::platform
