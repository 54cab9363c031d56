// HelpOverlay: "Where shortcuts work" above the whole panel — a black layer
// at 35 % and a card with the explanation, one entry per place with its
// icon, the green and grey legend, and an OK button (prominent: the card's
// default, which Return presses too — the panel widget sees to the keys).
// A click on the layer or OK asks for the card's request. It covers its
// parent: the panel widget sets its geometry. Object names: "helpOverlay",
// "helpCard", "helpOK". Main thread; owned by its parent.
#pragma once

#include <QWidget>

#include "Forward.hpp"
#include "Gui/Palette.hpp"
#include "PanelContent.hpp"

namespace quillo::gui {

class HelpOverlay final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int cardInset = 20;
  static constexpr double layerOpacity = 0.35;

  HelpOverlay(const PanelContent::Help& help, const Palette& palette, const Forward& forward,
              QWidget* parent = nullptr);

  /// The height a panel `width` wide needs to show the whole card.
  int neededHeight(int width) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QWidget* card_;
  Forward forward_;
  PanelRequest dismiss_;
};

}  // namespace quillo::gui
