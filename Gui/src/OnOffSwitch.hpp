// OnOffSwitch: the panel's own switch — a 34 × 20 track, green when on and
// tertiary when off, with a white knob (shadowed) at the leading edge when
// off and the trailing edge when on. It shows the state it is given and
// never flips itself: a click only asks (the `clicked` signal), and when the
// next content says the value changed, the knob slides there with a 0.15 s
// ease-out. For accessibility it is a checkable button with its row's title.
// Main thread; owned by its parent.
#pragma once

#include <QAbstractButton>
#include <QVariantAnimation>

#include "Gui/Palette.hpp"

namespace quillo::gui {

class OnOffSwitch final : public QAbstractButton {
  Q_OBJECT

 public:
  static constexpr int trackWidth = 34, trackHeight = 20, knobInset = 2;
  static constexpr int slideMilliseconds = 150;

  explicit OnOffSwitch(QWidget* parent = nullptr);

  /// Shows `on`: slides there when `animated` and the value changed, else
  /// jumps.
  void setOn(bool on, bool animated);
  bool isOn() const { return on_; }
  void setPalette(const Palette& palette);
  QSize sizeHint() const override { return {trackWidth, trackHeight}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void nextCheckState() override {}  // the content decides, not a click

 private:
  bool on_ = false;
  double position_ = 0;  // 0 leading (off) … 1 trailing (on)
  QVariantAnimation slide_;
  Palette palette_ = Palette::of(Appearance::light);
};

}  // namespace quillo::gui
