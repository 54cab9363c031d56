// PickerWidget: the mailbox picker drawn with Qt widgets — the PickerView of
// a desktop, in the panel's palette and fonts. Top to bottom: the title; a
// box that looks like a search field, showing what was typed (or the
// placeholder, dimmed) with a caret that does not blink; the rows of
// mailboxes (the name, then its place in secondary text, a clock before a
// recent choice, the selected row in the accent colour), or the note in
// their place; a divider and the footer.
//
// Its size is measured once, when it is made (and again only when the font
// or the style changes), and is the same for every content: there is room
// for MailboxPicker::visibleRows rows whatever the filter leaves, so the
// window never changes size while the user types, and no size hint or
// layout pass ever measures. The parts are made once and placed at fixed
// places; a display only gives them their new texts. Nothing in it runs
// while it is idle: no timer, no animation.
//
// Requests: a click on a row asks for that row's `choose`; the mouse wheel
// over the list moves it by whole rows, one Scroll request per step of the
// wheel (QApplication::wheelScrollLines rows, negative upwards). Nothing
// else asks for anything. Keys never reach it (the picker's controller
// takes them first) and it takes no focus. Each row is a button whose
// accessible name is the row's accessibility label. The background is a
// rounded rectangle; the window around it should be frameless and
// translucent to show the corners. Main thread (the Qt GUI thread) only.
#pragma once

#include <QWidget>
#include <array>
#include <optional>

#include "Gui/Palette.hpp"
#include "MailboxPicker.hpp"
#include "PickerView.hpp"

class QLabel;

namespace quillo::gui {

class PickerField;
class PickerRow;

class PickerWidget final : public QWidget, public PickerView {
 public:
  static constexpr double cornerRadius = 12;

  explicit PickerWidget(QWidget* parent = nullptr);
  ~PickerWidget() override;

  void display(const PickerContent& content) override;
  /// The measured size once something was displayed.
  std::optional<platform::Size> fittingSize() const override;

  /// Light or dark regardless of the desktop's palette; none follows it.
  void setAppearance(std::optional<Appearance> appearance);
  Appearance appearance() const;

  /// The measured size (what fittingSize says, also before a display).
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  /// Fonts, the size and every part's place, from the fonts alone.
  void measure();
  /// The texts and colours of the content shown.
  void fill();

  std::optional<PickerContent> content_;
  std::optional<Appearance> appearance_;
  QSize measured_;
  QRect list_;  // where the rows (or the note) go
  int rowHeight_ = 0;
  QLabel* title_;
  PickerField* field_;
  std::array<PickerRow*, MailboxPicker::visibleRows> rows_{};
  QLabel* note_;
  QLabel* footer_;
  int dividerY_ = 0;
  // The wheel's turn not yet made into whole steps (trackpads send less
  // than a step at a time), in eighths of a degree.
  int wheelRemainder_ = 0;
};

}  // namespace quillo::gui
