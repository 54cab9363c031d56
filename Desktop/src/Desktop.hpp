// Desktop: Quillo on the simulated Mac with a real interface — the tray icon
// and its classic menu or the panel (PanelWidget in a Qt panel window), and
// the mailbox picker (PickerWidget in a second such window) —
// running on Qt's loop with Quillo's real XDG files, and the simulated Mail
// shown in a window a person types into.
//
// The desktop owns the Qt implementations of the seams and hands them to
// the session (Session), which wires the application as `quillo` does. Keys
// typed into the Mail window are pressed on the simulated keyboard and go
// through Quillo's event tap; the window shows the simulated Mail's state
// whenever the loop has done some work and is about to wait again (nothing
// polls: an idle desktop sleeps). Needs a QApplication made first; GUI thread
// only; everything it owns goes with it, the application first.
#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Gui/PanelWidget.hpp"
#include "Gui/PickerWidget.hpp"
#include "MailWindow.hpp"
#include "Platform/qt/QtEventMonitors.hpp"
#include "Platform/qt/QtMainLoop.hpp"
#include "Platform/qt/QtPanelWindow.hpp"
#include "Platform/qt/QtStatusItem.hpp"
#include "QtLoopDriver.hpp"
#include "Session/Session.hpp"

namespace quillo::desktop {

struct DesktopOptions {
  /// Quillo's command line.
  std::vector<std::string> arguments;
  std::optional<std::filesystem::path> resourceFolder;
  /// Answers Quillo's alerts with a button's title; none: a message box asks.
  std::function<std::string(const platform::Alert&)> answerAlert;
};

class Desktop {
 public:
  explicit Desktop(DesktopOptions options = {});
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  /// Quillo starts; Mail launches in front and Quillo is granted
  /// Accessibility, as a person trying Quillo would set the Mac up; the
  /// Mail window shows.
  void start();
  /// Runs until Quillo quits (or SIGINT / SIGTERM); the exit status.
  int run();

  simulated::Session& session() { return *session_; }
  platform::QtMainLoop& loop() { return loop_; }
  QtLoopDriver& driver() { return driver_; }
  platform::QtStatusItem& statusItem() { return statusItem_; }
  platform::QtPanelWindow& panelWindow() { return panelWindow_; }
  /// The panel's drawing, inside the panel window.
  gui::PanelWidget& panelView() { return *panelView_; }
  platform::QtPanelWindow& pickerWindow() { return pickerWindow_; }
  /// The mailbox picker's drawing, inside the picker window.
  gui::PickerWidget& pickerView() { return *pickerView_; }
  MailWindow& mailWindow() { return mailWindow_; }
  /// Draws the Mail window and the strip from the state now (nothing when
  /// that is what they show).
  void redraw();
  /// Quillo's last decision and outcome, as the strip shows them.
  const std::string& lastDecision() const { return lastDecision_; }
  const std::string& lastOutcome() const { return lastOutcome_; }

 private:
  /// The tray icon's menu and symbols as the panel's widgets draw them.
  static platform::QtStatusItem::Drawing statusItemDrawing();
  void wireMailWindow();
  void observeInterceptor();
  /// The keyboard goes back to the Mail window when the picker closes.
  void returnKeyboardFromPicker();

  platform::QtMainLoop loop_;
  QtLoopDriver driver_{loop_};
  platform::QtStatusItem statusItem_{statusItemDrawing()};
  gui::PanelWidget* panelView_;  // owned by the panel window
  platform::QtPanelWindow panelWindow_;
  gui::PickerWidget* pickerView_;  // owned by the picker window
  platform::QtPanelWindow pickerWindow_;
  QObject* pickerWatcher_ = nullptr;  // a child of the picker window
  platform::QtEventMonitors monitors_{&panelWindow_};
  MailWindow mailWindow_;
  std::unique_ptr<simulated::SessionDesktop> parts_;
  std::unique_ptr<simulated::Session> session_;
  std::string lastDecision_;
  std::string lastOutcome_;
};

}  // namespace quillo::desktop
