// quillo-gui: Quillo on the simulated Mac with a real desktop interface.
//
// The same application as `quillo`, with its tray icon (the menu bar's status
// item) and its panel drawn with Qt, on Qt's loop, keeping its real files
// under the XDG folders — and the simulated Mail in a window of its own: what
// a person types there is pressed on the simulated keyboard and reaches Mail
// through Quillo's event tap.
#include <QApplication>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "Desktop.hpp"
#include "SelfTest.hpp"

namespace {

constexpr const char* kHelp =
    R"HELP(usage: quillo-gui [--diagnose] [--self-test tray|mail]

Runs Quillo on a simulated Mac with its real interface: its icon in the
system tray (left click: the panel; with the classic menu chosen, the menu)
and a window showing the simulated Apple Mail. Click into that window and
type: each key goes through Quillo's keyboard event tap to Mail, as on a Mac
(Ctrl stands for Command, Alt for Option, Super for Control). Quillo keeps
its real files under $XDG_CONFIG_HOME/Quillo and $XDG_STATE_HOME/Quillo.

options:
  --diagnose          1 second after start, write the permission and tap
                      state and every diagnostic to the debug log
  --self-test WHICH   check the desktop and exit 0 (all held) or 1:
                      tray  the icon, a real click opening the panel under it
                            and a click elsewhere closing it (needs a tray
                            host and xdotool)
                      mail  e typed into the Mail window archiving, typing
                            in a compose window only typing (needs xdotool)
                      placement  the tallest panel inside the screen, its
                            middle scrolling, no frame at a stale size
                      clicks  quick clicks on the icon, each one opening or
                            closing the panel
                      alert  the launch-at-login question drawn, the icon
                            not answering while it waits, SIGTERM ending it
                      picker  v typed into the Mail window opening the
                            mailbox picker, idle while open, typed keys
                            filtering it and Return filing the message
  --help              this text
)HELP";

}  // namespace

int main(int argc, char** argv) {
  std::optional<std::string> selfTest;
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::cout << kHelp;
      return 0;
    }
    if (argument == "--self-test" && i + 1 < argc) {
      selfTest = argv[++i];
    } else if (argument == "--diagnose") {
      arguments.push_back(argument);
    } else {
      std::cerr << "quillo-gui: unknown option " << argument << " (try quillo-gui --help)\n";
      return 2;
    }
  }
  QApplication application(argc, argv);
  // A menu-bar application: closing the Mail window does not end it.
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setApplicationName("Quillo");

  quillo::desktop::DesktopOptions options;
  options.arguments = std::move(arguments);
  if (selfTest && *selfTest != "alert") {
    // Nobody is there to answer: the cautious last button, as unanswered.
    options.answerAlert = [](const quillo::platform::Alert& alert) {
      return alert.buttons.empty() ? std::string() : alert.buttons.back();
    };
  }
  quillo::desktop::Desktop desktop(std::move(options));
  desktop.start();
  if (selfTest) return quillo::desktop::runSelfTest(desktop, *selfTest, std::cout);
  return desktop.run();
}
