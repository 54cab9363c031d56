#include "SymbolView.hpp"

#include <QPainter>

namespace quillo::gui {

SymbolView::SymbolView(Symbol symbol, int points, const QColor& colour, QWidget* parent)
    : QWidget(parent), symbol_(symbol), colour_(colour) {
  setFixedSize(points, points);
}

SymbolView::SymbolView(int points, QWidget* parent) : QWidget(parent) {
  setFixedSize(points, points);
}

void SymbolView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (symbol_) {
    drawSymbol(p, *symbol_, QRectF(rect()), colour_);
  } else {
    drawAppIcon(p, QRectF(rect()));
  }
}

Divider::Divider(const QColor& colour, QWidget* parent) : QWidget(parent), colour_(colour) {
  setFixedHeight(1);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), colour_);
}

}  // namespace quillo::gui
