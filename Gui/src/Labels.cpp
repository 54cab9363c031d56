#include "Labels.hpp"

namespace quillo::gui {

QLabel* textLabel(const QString& text, const QFont& font, const QColor& colour, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFont(font);
  label->setTextFormat(Qt::PlainText);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  return label;
}

QLabel* wrappedLabel(const QString& text, const QFont& font, const QColor& colour,
                     QWidget* parent) {
  QLabel* label = textLabel(text, font, colour, parent);
  label->setWordWrap(true);
  QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  label->setSizePolicy(policy);
  return label;
}

}  // namespace quillo::gui
