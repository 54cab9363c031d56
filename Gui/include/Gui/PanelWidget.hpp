// PanelWidget: the panel's content drawn with Qt widgets — the PanelView of a
// desktop. It shows a PanelContent as it is and hands each request one of its
// controls makes to the panel controller. Main thread (the Qt GUI thread) only; the
// widget is owned by its Qt parent, or by whoever created it without one.
//
// Every display builds the sections anew from the content; the switches are
// kept, so that a value that changed slides over. The tree a display
// replaces is hidden at once and deleted when control returns to the event
// loop, since the click that asked for the new content may still be running
// in it. The background is a rounded rectangle of corner radius 18; the
// window around it should be frameless and translucent to show the corners.
//
// Three parts, top to bottom: the header with the switches, the sets and the
// warnings; the middle (the shortcut list and what follows it); the footer.
// The size the panel asks for is measured once per content change (and when
// the font or the style changes), never from inside a size hint or a layout
// pass: a size hint that measured afresh would invalidate the layouts that ask
// for it, which ask again, without end. Given less height than it asks for,
// the panel keeps its header and footer whole and the middle scrolls, with a
// thin scroller over its right margin so that nothing narrows.
//
// Keys: the panel controller's local event monitor sees key presses before
// any window and records shortcuts there. What reaches this widget is
// handled as the content says: while a row records, Esc asks to stop
// recording; while the help card shows, Return, Enter and Esc press its OK.
#pragma once

#include <QWidget>
#include <array>
#include <optional>

#include "Gui/Palette.hpp"
#include "PanelView.hpp"

namespace quillo::gui {

class OnOffSwitch;
class HelpOverlay;
class ScrollingMiddle;

class PanelWidget final : public QWidget, public PanelView {
  Q_OBJECT

 public:
  /// Puts the view's own state as a person's clicks would (pictures and
  /// tests of a state start so).
  using PanelView::updateViewState;

  static constexpr double cornerRadius = 18;

  explicit PanelWidget(QWidget* parent = nullptr);
  ~PanelWidget() override;

  void display(const PanelContent& content) override;
  std::optional<platform::Size> fittingSize() const override;

  /// Light or dark regardless of the desktop's palette; none follows it.
  void setAppearance(std::optional<Appearance> appearance);
  Appearance appearance() const;

  /// The measured size (what fittingSize says).
  QSize sizeHint() const override;

  /// The middle's scrolling: how far down it is and how far it can go (0
  /// when everything shows).
  int scrollPosition() const;
  int scrollRange() const;
  void scrollTo(int position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void rebuild();
  /// Builds the three parts for the content into top_, middle (returned,
  /// for the scroll area) and bottom_.
  QWidget* buildParts(const PanelContent& content);
  /// Takes the size the content asks for, and fixes the header's and the
  /// footer's heights in it.
  void measure();
  void forward(const PanelRequest& request, unsigned generation);
  /// Changes the view's own state and asks for a drawing of it.
  void changeViewState(const PanelViewState& state, unsigned generation);
  OnOffSwitch* switchFor(std::size_t slot, bool on, const QString& name);

  std::optional<PanelContent> content_;
  std::optional<Appearance> appearance_;
  QWidget* top_ = nullptr;
  ScrollingMiddle* middle_ = nullptr;
  QWidget* bottom_ = nullptr;
  std::optional<QSize> measured_;
  HelpOverlay* help_ = nullptr;
  // The three status switches, then debug logging's.
  std::array<OnOffSwitch*, 4> switches_{};
  // Controls of a replaced tree may still fire while it waits to be
  // deleted; their requests belong to content no longer shown.
  unsigned generation_ = 0;
};

}  // namespace quillo::gui
