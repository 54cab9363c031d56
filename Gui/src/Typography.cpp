#include "Typography.hpp"

#include <QApplication>
#include <QScreen>

namespace quillo::gui {

namespace {

// Qt sizes fonts in typographic points of 1/72 inch; the panel's sizes are
// pixels at the screen's logical resolution.
double typographicPoints(double pixels) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInchY() : 72.0;
  return pixels * 72.0 / dpi;
}

}  // namespace

QFont systemFont(double points, QFont::Weight weight) {
  QFont font = QApplication::font();
  font.setPointSizeF(typographicPoints(points));
  font.setWeight(weight);
  return font;
}

QFont roundedFont(double points, QFont::Weight weight) {
  QFont font = systemFont(points, weight);
  font.setFamilies({QStringLiteral("SF Pro Rounded"), QApplication::font().family()});
  return font;
}

}  // namespace quillo::gui
