// Labels: the panel's text, one line or wrapped, in a font and colour of
// its palette. A wrapped label takes the width the panel gives it and asks
// only for the height that needs, so long texts never widen the panel.
// Main thread; the label is owned by `parent`.
#pragma once

#include <QLabel>

namespace quillo::gui {

QLabel* textLabel(const QString& text, const QFont& font, const QColor& colour,
                  QWidget* parent = nullptr);
QLabel* wrappedLabel(const QString& text, const QFont& font, const QColor& colour,
                     QWidget* parent = nullptr);

}  // namespace quillo::gui
