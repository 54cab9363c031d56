// PlaceIcons: where a shortcut works — the list, the open envelope and the
// pencil, in that order, each 13 points wide, 3 apart, green where it works
// and tertiary where it doesn't. Main thread; owned by its parent.
#pragma once

#include <QWidget>

#include "Gui/Palette.hpp"
#include "Gui/Symbols.hpp"
#include "QuilloCore/CheatSheet.hpp"

namespace quillo::gui {

class PlaceIcons final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int iconWidth = 13, spacing = 3;

  PlaceIcons(CheatSheet::PlaceSet places, const Palette& palette, QWidget* parent = nullptr);

  /// The symbol that stands for `place`, here and in the help card's legend.
  static Symbol symbolOf(CheatSheet::Place place);
  /// Where the icon of `place` is drawn, in this widget's coordinates.
  static QRect iconRect(CheatSheet::Place place);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CheatSheet::PlaceSet places_;
  Palette palette_;
};

}  // namespace quillo::gui
