#include "OnOffSwitch.hpp"

#include <QPainter>

namespace quillo::gui {

namespace {

QColor mix(const QColor& from, const QColor& to, double t) {
  const auto lerp = [t](float a, float b) { return a + static_cast<float>(t) * (b - a); };
  QColor colour;
  colour.setRgbF(lerp(from.redF(), to.redF()), lerp(from.greenF(), to.greenF()),
                 lerp(from.blueF(), to.blueF()), lerp(from.alphaF(), to.alphaF()));
  return colour;
}

}  // namespace

OnOffSwitch::OnOffSwitch(QWidget* parent) : QAbstractButton(parent) {
  setCheckable(true);
  setFixedSize(trackWidth, trackHeight);
  setCursor(Qt::PointingHandCursor);
  slide_.setDuration(slideMilliseconds);
  slide_.setEasingCurve(QEasingCurve::OutQuad);
  connect(&slide_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
    position_ = value.toDouble();
    update();
  });
}

void OnOffSwitch::setOn(bool on, bool animated) {
  const bool changed = on != on_;
  on_ = on;
  setChecked(on);
  const double target = on ? 1.0 : 0.0;
  if (changed && animated) {
    slide_.stop();
    slide_.setStartValue(position_);
    slide_.setEndValue(target);
    slide_.start();
    return;
  }
  slide_.stop();
  position_ = target;
  update();
}

void OnOffSwitch::setPalette(const Palette& palette) {
  palette_ = palette;
  update();
}

void OnOffSwitch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF track(0, 0, trackWidth, trackHeight);
  p.setPen(Qt::NoPen);
  p.setBrush(mix(palette_.tertiary, palette_.green, position_));
  p.drawRoundedRect(track, trackHeight / 2.0, trackHeight / 2.0);

  const double knob = trackHeight - 2.0 * knobInset;
  const double x = knobInset + position_ * (trackWidth - 2.0 * knobInset - knob);
  const QRectF knobRect(x, knobInset, knob, knob);
  // A black shadow at 25 %, half a point down, about a point soft.
  p.setBrush(QColor(0, 0, 0, 32));
  p.drawEllipse(knobRect.translated(0, 0.5).adjusted(-1, -1, 1, 1));
  p.setBrush(QColor(0, 0, 0, 64));
  p.drawEllipse(knobRect.translated(0, 0.5));
  p.setBrush(palette_.knob);
  p.drawEllipse(knobRect);
}

}  // namespace quillo::gui
