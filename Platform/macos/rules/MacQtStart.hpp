// MacQtStart: what Quillo.app tells Qt's macOS plug-in before the Qt
// application object exists. The plug-in reads these environment variables
// once, when the application object is made (and, for raising, at the first
// raise), so setting them later changes nothing. Read against Qt 6's own
// macOS sources (qcocoaintegration.mm, qcocoaapplicationdelegate.mm,
// qcocoawindow.mm):
//   - QT_MAC_DISABLE_FOREGROUND_APPLICATION_TRANSFORM: unless it is set, the
//     plug-in turns the process into a foreground application and, when
//     launching finishes, activates it ignoring other applications. A
//     menu-bar utility must never take the front by starting, least of all
//     at login, when it would take Mail's place.
//   - QT_MAC_SET_RAISE_PROCESS=0: QWindow::raise() otherwise activates the
//     whole application. Quillo's panel never raises itself on a Mac (see
//     QtPanelWindow), and this keeps any other raise from activating it.
// Main thread, before QApplication; pure apart from setenv.
#pragma once

#include <span>
#include <string>

namespace quillo::platform::mac {

struct EnvironmentSetting {
  const char* name;
  const char* value;
};

/// The settings, in the order they are made.
std::span<const EnvironmentSetting> qtEnvironmentForMenuBarApp();

/// "NAME=value NAME=value", for logs and tests.
std::string describe(std::span<const EnvironmentSetting> settings);

/// Sets each in this process's environment, replacing a value that is
/// already there (one inherited from a shell must not undo them). False
/// when setenv fails for any of them.
bool applyQtEnvironmentForMenuBarApp();

}  // namespace quillo::platform::mac
