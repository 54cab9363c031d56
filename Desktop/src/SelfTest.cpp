#include "SelfTest.hpp"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <chrono>

#include "Console/MailState.hpp"

namespace quillo::desktop {
namespace {

/// Lets the loop run until `done` holds or `seconds` pass; whether it held.
/// Polls: a tray host or a window manager answers when it is ready, not at
/// a time known in advance.
bool waitFor(Desktop& desktop, const std::function<bool()>& done, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(seconds));
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    desktop.driver().wait(platform::Duration(0.02));
  }
  return true;
}

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

std::string describe(const QRect& rect) {
  return std::to_string(rect.x()) + "," + std::to_string(rect.y()) + " " +
         std::to_string(rect.width()) + "\u00d7" + std::to_string(rect.height());
}

/// A real click of the first button at a point of the screen, through the
/// X server, as a person's.
bool clickAt(const QPoint& point) {
  return QProcess::execute("xdotool", {"mousemove", "--sync", QString::number(point.x()),
                                       QString::number(point.y()), "click", "1"}) == 0;
}

int trayTest(Desktop& desktop, Checks& checks) {
  QSystemTrayIcon& tray = desktop.statusItem().trayIcon();
  if (!checks.check(waitFor(
                        desktop, [] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 20),
                    "a system tray is available"))
    return checks.status();
  // Until the tray host embeds it, the icon is an unplaced window at the
  // origin; the test's tray sits at the top right.
  if (!checks.check(
          waitFor(
              desktop, [&] { return !tray.geometry().isEmpty() && tray.geometry().x() > 0; }, 20),
          "the icon is placed in the tray"))
    return checks.status();
  const QRect icon = tray.geometry();
  checks.note("icon at " + describe(icon));
  checks.check(!tray.icon().isNull() && tray.isVisible(), "the icon shows");

  checks.check(clickAt(icon.center()), "xdotool clicked the icon");
  QWidget& panel = desktop.panelWindow();
  if (!checks.check(waitFor(
                        desktop, [&] { return panel.isVisible(); }, 5),
                    "the click opened the panel"))
    return checks.status();
  waitFor(
      desktop, [] { return false; }, 0.2);  // let it settle where it was put
  const QRect frame = panel.geometry();
  const QRect screen = panel.screen()->geometry();
  checks.note("panel at " + describe(frame) + " on a screen of " + describe(screen));
  checks.check(frame.top() >= icon.y() + icon.height(), "the panel is below the icon");
  checks.check(screen.contains(frame), "the panel is inside the screen");

  QWidget& mail = desktop.mailWindow();
  checks.check(clickAt(mail.geometry().center()), "xdotool clicked the Mail window");
  checks.check(waitFor(
                   desktop, [&] { return !panel.isVisible(); }, 5),
               "the click elsewhere closed the panel");
  checks.note("it closed because " + desktop.session().panelCloseReason());
  return checks.status();
}

/// A real key press (xdotool, through the X server) into the window that
/// has the keyboard, by its X key name ("e").
bool type(Desktop& desktop, const char* key) {
  const bool typed = QProcess::execute("xdotool", {"key", QString::fromLatin1(key)}) == 0;
  // A person's pace, so the key is up before the next goes down.
  desktop.driver().wait(platform::Duration(0.15));
  return typed;
}

int mailTest(Desktop& desktop, Checks& checks) {
  auto& session = desktop.session();
  if (!checks.check(waitFor(
                        desktop, [&] { return session.status() == "active"; }, 20),
                    "Quillo is active"))
    return checks.status();
  // The keyboard goes to the Mail window, as a click into it would give it.
  QWidget& window = desktop.mailWindow();
  QProcess::execute("xdotool", {"windowfocus", "--sync", QString::number(window.winId())});
  if (!checks.check(waitFor(
                        desktop, [&] { return QApplication::focusWidget() == &window; }, 5),
                    "the Mail window has the keyboard"))
    return checks.status();
  const auto before = console::MailState::of(session.mac());
  if (!checks.check(before.selected.has_value(), "a message is selected")) return checks.status();
  const std::string subject = *before.selected;
  checks.note("selected: " + subject);
  const auto mailboxOf = [&](const std::string& wanted) {
    for (const auto& [id, message] : console::MailState::of(session.mac()).messages) {
      if (message.subject == wanted) return message.mailbox;
    }
    return std::string();
  };

  checks.check(type(desktop, "e"), "xdotool typed e");
  checks.check(waitFor(
                   desktop, [&] { return mailboxOf(subject) == "Archive"; }, 3),
               "e in the message list archived it");
  checks.note("Quillo decided " + desktop.lastDecision() + "; " + desktop.lastOutcome());
  desktop.redraw();
  checks.check(desktop.mailWindow().shown().rows.empty() ||
                   desktop.mailWindow().shown().rows.front().subject != subject,
               "the Mail window no longer lists it first");

  checks.check(type(desktop, "c"), "xdotool typed c");
  const auto composing = [&] {
    const auto state = console::MailState::of(session.mac());
    return state.focus.starts_with("compose");
  };
  if (!checks.check(waitFor(desktop, composing, 3), "c opened a compose window with the focus"))
    return checks.status();
  const auto beforeTyping = console::MailState::of(session.mac());
  checks.note("focus: " + beforeTyping.focus);
  for (const char* key : {"h", "e", "l", "l", "o"})
    type(desktop, key);
  const auto typedHello = [&] {
    for (const auto& [place, text] : console::MailState::of(session.mac()).texts) {
      if (text.find("hello") != std::string::npos) return true;
    }
    return false;
  };
  checks.check(waitFor(desktop, typedHello, 3), "hello is in the compose window's field");
  const auto after = console::MailState::of(session.mac());
  std::vector<std::string> changes;
  for (const auto& line : console::MailState::changes(beforeTyping, after)) {
    if (line.find("text") == std::string::npos) changes.push_back(line);
  }
  for (const auto& line : changes)
    checks.note("changed: " + line);
  checks.check(
      after.messages.size() == beforeTyping.messages.size() &&
          [&] {
            for (const auto& [id, message] : after.messages) {
              const auto& was = beforeTyping.messages.at(id);
              if (was.mailbox != message.mailbox || was.read != message.read ||
                  was.flagged != message.flagged)
                return false;
            }
            return true;
          }(),
      "typing changed no message");
  checks.check(after.focus == beforeTyping.focus, "the focus stayed in the field");
  return checks.status();
}

}  // namespace

int runSelfTest(Desktop& desktop, std::string_view which, std::ostream& out) {
  Checks checks(out);
  if (which == "tray") return trayTest(desktop, checks);
  if (which == "mail") return mailTest(desktop, checks);
  out << "unknown self-test " << which << " (tray or mail)\n";
  return 2;
}

}  // namespace quillo::desktop
