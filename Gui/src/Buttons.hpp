// Buttons: the panel's three kinds of button, drawn by us so they look the
// same on every desktop — a link (accent-coloured text), a symbol alone (an
// icon with a tool tip and an accessible name), and a bordered button
// (plain, or prominent in the accent colour for a card's default). Each
// only emits `clicked`; what a click asks for is the caller's business.
// Main thread; owned by their parents.
#pragma once

#include <QAbstractButton>

#include "Gui/Palette.hpp"
#include "Gui/Symbols.hpp"

namespace quillo::gui {

class LinkButton final : public QAbstractButton {
 public:
  LinkButton(const QString& title, double points, const Palette& palette,
             QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Palette palette_;
};

class SymbolButton final : public QAbstractButton {
 public:
  SymbolButton(Symbol symbol, int points, const QColor& colour, QWidget* parent = nullptr);
  QSize sizeHint() const override { return {size_ + 2, size_ + 2}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Symbol symbol_;
  int size_;
  QColor colour_;
};

class BorderedButton final : public QAbstractButton {
 public:
  BorderedButton(const QString& title, bool prominent, const Palette& palette,
                 QWidget* parent = nullptr);
  bool isProminent() const { return prominent_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool prominent_;
  Palette palette_;
};

}  // namespace quillo::gui
