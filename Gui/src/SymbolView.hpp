// SymbolView: a symbol (or the app icon) that only shows — warning signs,
// the header's icon, the help card's places. Main thread; owned by its
// parent.
#pragma once

#include <QWidget>
#include <optional>

#include "Gui/Symbols.hpp"

namespace quillo::gui {

class SymbolView final : public QWidget {
 public:
  /// A symbol `points` wide and high.
  SymbolView(Symbol symbol, int points, const QColor& colour, QWidget* parent = nullptr);
  /// The app's icon, `points` wide and high.
  explicit SymbolView(int points, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<Symbol> symbol_;  // none: the app's icon
  QColor colour_;
};

/// A one-pixel line between sections, in the separator colour.
class Divider final : public QWidget {
 public:
  explicit Divider(const QColor& colour, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor colour_;
};

}  // namespace quillo::gui
