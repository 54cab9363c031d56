#include "PlaceIcons.hpp"

#include <QPainter>

#include "Gui/Symbols.hpp"
#include "QuilloCore/RawValueEnum.hpp"

namespace quillo::gui {

namespace {

constexpr int iconHeight = 13;
constexpr double semibold = 1.25;

}  // namespace

Symbol PlaceIcons::symbolOf(CheatSheet::Place place) {
  switch (place) {
    case CheatSheet::Place::messageList:
      return Symbol::listBullet;
    case CheatSheet::Place::openMessage:
      return Symbol::envelopeOpen;
    case CheatSheet::Place::writing:
      return Symbol::pencil;
  }
  return Symbol::listBullet;
}

PlaceIcons::PlaceIcons(CheatSheet::PlaceSet places, const Palette& palette, QWidget* parent)
    : QWidget(parent), places_(places), palette_(palette) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QRect PlaceIcons::iconRect(CheatSheet::Place place) {
  const int index = static_cast<int>(place);
  return {index * (iconWidth + spacing), 0, iconWidth, iconHeight};
}

QSize PlaceIcons::sizeHint() const {
  return {3 * iconWidth + 2 * spacing, iconHeight};
}

void PlaceIcons::paintEvent(QPaintEvent*) {
  QPainter p(this);
  for (const CheatSheet::Place place : allCases<CheatSheet::Place>()) {
    const QColor colour = places_.contains(place) ? palette_.green : palette_.tertiary;
    drawSymbol(p, symbolOf(place), QRectF(iconRect(place)).adjusted(0.5, 0.5, -0.5, -0.5), colour,
               semibold);
  }
}

}  // namespace quillo::gui
