// MailWindow: the simulated Mail on the desktop — a window that shows a
// MailScreen (mailboxes, the message list with its selection, Mail's windows
// and fields, where the focus is) and takes a person's keys and clicks for
// the simulated Mac.
//
// Every key press in the window is converted once (QtKeys) and handed to
// `onKey`, which presses it on the simulated keyboard: it reaches Mail only
// through Quillo's event tap, as on a Mac, and the window shows what Mail
// made of it on its next redraw. None of its parts takes the keyboard, so
// every key is the window's. A strip at the bottom shows Quillo's last
// decision and outcome. GUI thread only.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "MailScreen.hpp"
#include "Platform/qt/QtKeys.hpp"
#include "Simulator/MailApp.hpp"

class QLabel;
class QListWidget;
class QPlainTextEdit;

namespace quillo::desktop {

class MailWindow final : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* title = "Simulated Mail \u2014 Quillo";

  explicit MailWindow(QWidget* parent = nullptr);

  /// Draws the screen, unless it is what is drawn already.
  void display(const MailScreen& screen);
  /// The strip's text: Quillo's status and its last decision and outcome.
  void setStatusStrip(const QString& text);

  /// A key pressed in the window, converted.
  std::function<void(const platform::QtKeystroke&)> onKey;
  /// A click into one of Mail's places (the message list, a field…).
  std::function<void(sim::MailApp::Place)> onPlace;
  /// A click on a message (its index in the current mailbox).
  std::function<void(int)> onSelectMessage;
  std::function<void(const std::string&)> onShowMailbox;
  /// A click anywhere in the window, before what it clicked.
  std::function<void()> onMouseDown;

  const MailScreen& shown() const { return shown_; }
  QString statusStrip() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QLabel* header_;
  QListWidget* mailboxes_;
  QListWidget* messages_;
  QPlainTextEdit* windows_;
  QLabel* status_;
  MailScreen shown_;
  bool drawn_ = false;
};

}  // namespace quillo::desktop
