// Card: a raised surface other widgets lie on (the help, the editor's open
// chooser): rounded, in the card colour, outlined by a separator line.
#pragma once

#include <QPainter>
#include <QWidget>

#include "Gui/Palette.hpp"

namespace quillo::gui {

class Card : public QWidget {
 public:
  Card(const Palette& palette, qreal cornerRadius, QWidget* parent)
      : QWidget(parent), fill_(palette.card), outline_(palette.separator), radius_(cornerRadius) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(outline_, 1));
    p.setBrush(fill_);
    // Half a pixel in, so that the one-pixel outline falls on whole pixels.
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius_, radius_);
  }

 private:
  QColor fill_;
  QColor outline_;
  qreal radius_;
};

}  // namespace quillo::gui
