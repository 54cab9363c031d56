// SelfTestProbes: how the desktop self-tests act as a person does (real
// clicks and keys through the X server) and what they look at (the tray
// icon, the panel window's frames, its buttons and what of them is in view).
#pragma once

#include <QAbstractButton>
#include <QEvent>
#include <QObject>
#include <QRect>
#include <QWidget>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Desktop.hpp"

namespace quillo::desktop {

/// What a self-test found, one line a fact, and its exit status.
class Checks {
 public:
  explicit Checks(std::ostream& out) : out_(out) {}
  bool check(bool held, const std::string& fact) {
    out_ << (held ? "\u2713 " : "\u2717 ") << fact << "\n" << std::flush;
    if (!held) ++failures_;
    return held;
  }
  void note(const std::string& line) { out_ << "  " << line << "\n" << std::flush; }
  int status() const { return failures_ == 0 ? 0 : 1; }

 private:
  std::ostream& out_;
  int failures_ = 0;
};

/// Lets the loop run until `done` holds or `seconds` pass; whether it held.
/// Polls: a tray host or a window manager answers when it is ready, not at
/// a time known in advance.
bool waitFor(Desktop& desktop, const std::function<bool()>& done, double seconds);
std::string describe(const QRect& rect);
/// A real click of the first button at a point of the screen, through the
/// X server, as a person's; with Alt (Option) held when asked.
bool clickAt(const QPoint& point, bool alt = false);
/// A real key press (xdotool, through the X server) into the window that
/// has the keyboard, by its X key name ("e").
bool type(Desktop& desktop, const char* key);
/// Waits for the tray host to take the icon in; where it is then.
/// With `askedFirst`, also waits for the launch-at-login question a fresh
/// home is asked (answered by the test): Quillo activates itself for it,
/// which closes an open panel, as any application coming to the front does.
std::optional<QRect> trayIcon(Desktop& desktop, Checks& checks, bool askedFirst = true);

/// Every frame the panel window painted — its geometry, and the size its
/// content asked for then — and how often it was shown and hidden.
class PanelFrames final : public QObject {
 public:
  PanelFrames(QWidget& panel, QWidget& content) : panel_(panel), content_(content) {
    panel_.installEventFilter(this);
  }
  ~PanelFrames() override { panel_.removeEventFilter(this); }
  struct Frame {
    QRect geometry;
    QSize asked;
  };
  std::vector<Frame> painted;
  int shown = 0, hidden = 0;
  /// Called when the panel hides.
  std::function<void()> onHide;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &panel_) {
      switch (event->type()) {
        case QEvent::Paint:
          painted.push_back({panel_.geometry(), content_.sizeHint()});
          break;
        case QEvent::Show:
          ++shown;
          break;
        case QEvent::Hide:
          ++hidden;
          if (onHide) onHide();
          break;
        default:
          break;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget& panel_;
  QWidget& content_;
};

/// The one visible button of the panel so named, or none.
QAbstractButton* panelButton(QWidget& panel, const QString& name);
/// Where `child` lies in the panel window, and whether that is inside the
/// part of the panel shown (not scrolled out of view).
QRect placeIn(QWidget& panel, const QWidget& child);
bool inView(QWidget& panel, const QWidget& child);

}  // namespace quillo::desktop
