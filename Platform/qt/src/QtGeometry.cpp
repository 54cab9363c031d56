#include "Platform/qt/QtGeometry.hpp"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace quillo::platform {

Rect rectFromQt(const QRect& rect, int mainScreenHeight) {
  // QRect::bottom() is one short of the edge; y + height is the edge itself.
  return Rect{static_cast<double>(rect.x()),
              static_cast<double>(mainScreenHeight - (rect.y() + rect.height())),
              static_cast<double>(rect.width()), static_cast<double>(rect.height())};
}

QRect rectToQt(const Rect& rect, int mainScreenHeight) {
  const int left = static_cast<int>(std::lround(rect.minX()));
  const int top = static_cast<int>(std::lround(mainScreenHeight - rect.maxY()));
  const int right = static_cast<int>(std::lround(rect.maxX()));
  const int bottom = static_cast<int>(std::lround(mainScreenHeight - rect.minY()));
  return QRect(left, top, right - left, bottom - top);
}

int mainScreenHeight() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().height() : 0;
}

}  // namespace quillo::platform
