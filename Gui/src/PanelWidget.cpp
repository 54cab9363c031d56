#include "Gui/PanelWidget.hpp"

namespace quillo::gui {

PanelWidget::PanelWidget(QWidget* parent) : QWidget(parent) {}

PanelWidget::~PanelWidget() = default;

void PanelWidget::display(const PanelContent&) {
  drawn_ = true;
}

std::optional<platform::Size> PanelWidget::fittingSize() const {
  if (!drawn_) return std::nullopt;
  const QSize size = sizeHint();
  return platform::Size{static_cast<double>(size.width()), static_cast<double>(size.height())};
}

}  // namespace quillo::gui
