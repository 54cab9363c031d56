// SetRow: one shortcut set to choose — a radio mark (filled in the accent
// colour when selected, an empty circle in the secondary colour when not),
// the set's title and its description line. A click asks to select the
// set; a selected row reads as checked to accessibility. Main thread; owned
// by its parent.
#pragma once

#include <QAbstractButton>

#include "Gui/Palette.hpp"
#include "PanelContent.hpp"

namespace quillo::gui {

class SetRow final : public QAbstractButton {
  Q_OBJECT

 public:
  SetRow(const PanelContent::SetRow& row, const Palette& palette, QWidget* parent = nullptr);
  QSize sizeHint() const override;
  /// Where the radio mark is drawn.
  static QRect markRect();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void nextCheckState() override {}  // selection is the content's

 private:
  PanelContent::SetRow row_;
  Palette palette_;
  QFont titleFont_, descriptionFont_;
};

}  // namespace quillo::gui
