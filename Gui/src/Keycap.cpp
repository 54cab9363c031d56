#include "Keycap.hpp"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "Typography.hpp"

namespace quillo::gui {

namespace {

constexpr double fontSize = 11, largeFontSize = 11.5;
constexpr int padding = 5, largePadding = 8;
constexpr int smallMinimumWidth = 20, largeMinimumWidth = 22;
constexpr int verticalPadding = 2;

}  // namespace

KeycapLook keycapLook(const PanelContent::Keycap& key, bool dimmed) {
  if (key.outlined) return KeycapLook::outlined;
  return dimmed ? KeycapLook::dimmed : KeycapLook::filled;
}

Keycap::Keycap(const QString& text, KeycapLook look, bool large, const Palette& palette,
               QWidget* parent)
    : QWidget(parent), text_(text), look_(look), large_(large), palette_(palette) {
  setFont(roundedFont(large ? largeFontSize : fontSize));
  setAccessibleName(text);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize Keycap::sizeHint() const {
  const QFontMetricsF metrics(font());
  const int pad = large_ ? largePadding : padding;
  const int width = static_cast<int>(std::ceil(metrics.horizontalAdvance(text_))) + 2 * pad;
  const int height = static_cast<int>(std::ceil(metrics.height())) + 2 * verticalPadding;
  return {std::max(width, large_ ? largeMinimumWidth : smallMinimumWidth), height};
}

void Keycap::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QColor fill = Qt::transparent, border = palette_.tertiary, text = palette_.secondary;
  switch (look_) {
    case KeycapLook::filled:
      fill = border = palette_.accent;
      text = palette_.onAccent;
      break;
    case KeycapLook::outlined:
      break;
    case KeycapLook::dimmed: {
      // The accent in grey scale, at half strength: Quillo's keys rest.
      const int grey = qGray(palette_.accent.rgb());
      fill = border = QColor(grey, grey, grey, 128);
      text = QColor(255, 255, 255, 160);
      break;
    }
    case KeycapLook::prompt:
      border = palette_.accent;
      text = palette_.accent;
      break;
  }
  p.setPen(QPen(border, 1));
  p.setBrush(fill);
  p.drawRoundedRect(box, cornerRadius, cornerRadius);
  p.setPen(text);
  p.drawText(rect(), Qt::AlignCenter, text_);
}

}  // namespace quillo::gui
