// PanelWidget: the panel's content drawn with Qt widgets — the PanelView of a
// desktop. It shows a PanelContent as it is and hands each request one of its
// controls makes to `onRequest`. Main thread (the Qt GUI thread) only; the
// widget is owned by its Qt parent, or by whoever created it without one.
#pragma once

#include <QWidget>
#include <optional>

#include "PanelView.hpp"

namespace quillo::gui {

class PanelWidget final : public QWidget, public PanelView {
  Q_OBJECT

 public:
  explicit PanelWidget(QWidget* parent = nullptr);
  ~PanelWidget() override;

  void display(const PanelContent& content) override;
  std::optional<platform::Size> fittingSize() const override;

 private:
  bool drawn_ = false;
};

}  // namespace quillo::gui
