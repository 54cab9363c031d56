// ShortcutList: the shortcut rows in two columns 18 points apart, the
// content's left column and its right one; each row shows the action's
// title, its keys as keycaps (filled for Quillo's, outlined for the Mac's
// own) and where it works. In the editor the keys become a button that
// starts recording ("Press keys…" while this row records), with a clear
// button beside Quillo's keys. Object names: "leftColumn", "rightColumn",
// "shortcutRow" (accessible name: the row's label), "keys". Main thread;
// owned by its parent.
#pragma once

#include <QWidget>

#include "Forward.hpp"
#include "Gui/Palette.hpp"
#include "PanelContent.hpp"

namespace quillo::gui {

class ShortcutList final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int columnSpacing = 18, rowSpacing = 5;

  ShortcutList(const PanelContent& content, const Palette& palette, const Forward& forward,
               QWidget* parent = nullptr);
};

}  // namespace quillo::gui
