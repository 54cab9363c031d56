#include "SetRow.hpp"

#include <QPainter>
#include <cmath>

#include "Gui/Symbols.hpp"
#include "QtText.hpp"
#include "Typography.hpp"

namespace quillo::gui {

namespace {

constexpr int markSize = 15, spacing = 8, verticalPadding = 2, lineGap = 1;

}  // namespace

SetRow::SetRow(const PanelContent::SetRow& row, const Palette& palette, QWidget* parent)
    : QAbstractButton(parent),
      row_(row),
      palette_(palette),
      titleFont_(systemFont(13)),
      descriptionFont_(systemFont(11)) {
  setCheckable(true);
  setChecked(row.selected);
  setText(qt(row.title));
  setAccessibleName(qt(row.title));
  setAccessibleDescription(qt(row.description));
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
}

QRect SetRow::markRect() {
  return {0, verticalPadding + 1, markSize, markSize};
}

QSize SetRow::sizeHint() const {
  const QFontMetricsF title(titleFont_), description(descriptionFont_);
  const double text = std::max(title.horizontalAdvance(qt(row_.title)),
                               description.horizontalAdvance(qt(row_.description)));
  return {markSize + spacing + static_cast<int>(std::ceil(text)),
          static_cast<int>(std::ceil(title.height() + lineGap + description.height())) +
              2 * verticalPadding};
}

void SetRow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QFontMetricsF title(titleFont_);
  const QRect mark = markRect();
  drawSymbol(p, row_.selected ? Symbol::largecircleFillCircle : Symbol::circle, QRectF(mark),
             row_.selected ? palette_.accent : palette_.secondary);
  const int x = markSize + spacing;
  p.setFont(titleFont_);
  p.setPen(palette_.primary);
  const int titleHeight = static_cast<int>(std::ceil(title.height()));
  p.drawText(QRect(x, verticalPadding, width() - x, titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
             qt(row_.title));
  p.setFont(descriptionFont_);
  p.setPen(palette_.secondary);
  p.drawText(QRect(x, verticalPadding + titleHeight + lineGap, width() - x,
                   height() - titleHeight - lineGap - verticalPadding),
             Qt::AlignLeft | Qt::AlignTop, qt(row_.description));
}

}  // namespace quillo::gui
