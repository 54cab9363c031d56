#include "Buttons.hpp"

#include <QPainter>
#include <cmath>

#include "Typography.hpp"

namespace quillo::gui {

namespace {

QSize textSize(const QFont& font, const QString& text) {
  const QFontMetricsF metrics(font);
  return {static_cast<int>(std::ceil(metrics.horizontalAdvance(text))),
          static_cast<int>(std::ceil(metrics.height()))};
}

}  // namespace

LinkButton::LinkButton(const QString& title, double points, const Palette& palette, QWidget* parent)
    : QAbstractButton(parent), palette_(palette) {
  setText(title);
  setAccessibleName(title);
  setFont(systemFont(points));
  setCursor(Qt::PointingHandCursor);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize LinkButton::sizeHint() const {
  return textSize(font(), text());
}

void LinkButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QColor colour = palette_.accent;
  if (isDown()) colour = colour.darker(130);
  p.setPen(colour);
  p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text());
}

SymbolButton::SymbolButton(Symbol symbol, int points, const QColor& colour, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol), size_(points), colour_(colour) {
  setCursor(Qt::PointingHandCursor);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRectF box((width() - size_) / 2.0, (height() - size_) / 2.0, size_, size_);
  drawSymbol(p, symbol_, box, isDown() ? colour_.darker(130) : colour_);
}

BorderedButton::BorderedButton(const QString& title, bool prominent, const Palette& palette,
                               QWidget* parent)
    : QAbstractButton(parent), prominent_(prominent), palette_(palette) {
  setText(title);
  setAccessibleName(title);
  setFont(systemFont(12, prominent ? QFont::DemiBold : QFont::Normal));
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize BorderedButton::sizeHint() const {
  const QSize text = textSize(font(), this->text());
  return {std::max(text.width() + 20, prominent_ ? 64 : 0), text.height() + 8};
}

void BorderedButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QColor fill = prominent_ ? palette_.accent : palette_.buttonFill;
  if (isDown()) fill = fill.darker(115);
  p.setPen(QPen(prominent_ ? palette_.accent : palette_.separator, 1));
  p.setBrush(fill);
  p.drawRoundedRect(box, 6, 6);
  p.setPen(prominent_ ? palette_.onAccent : palette_.primary);
  p.drawText(rect(), Qt::AlignCenter, text());
}

}  // namespace quillo::gui
