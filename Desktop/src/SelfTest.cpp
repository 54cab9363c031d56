#include "SelfTest.hpp"

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "SelfTestProbes.hpp"
#include "Session/MailState.hpp"

namespace quillo::desktop {
namespace {

int trayTest(Desktop& desktop, Checks& checks) {
  QSystemTrayIcon& tray = desktop.statusItem().trayIcon();
  const std::optional<QRect> placed = trayIcon(desktop, checks);
  if (!placed) return checks.status();
  const QRect icon = *placed;
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

/// Gives the Mail window the keyboard, as a click into it would; the
/// subject of the message selected there, none (a check failed) when the
/// window did not get it or nothing is selected.
std::optional<std::string> giveMailTheKeyboard(Desktop& desktop, Checks& checks) {
  QWidget& window = desktop.mailWindow();
  QProcess::execute("xdotool", {"windowfocus", "--sync", QString::number(window.winId())});
  if (!checks.check(waitFor(
                        desktop, [&] { return QApplication::focusWidget() == &window; }, 5),
                    "the Mail window has the keyboard"))
    return std::nullopt;
  const auto before = simulated::MailState::of(desktop.session().mac());
  if (!checks.check(before.selected.has_value(), "a message is selected")) return std::nullopt;
  checks.note("selected: " + *before.selected);
  return before.selected;
}

int mailTest(Desktop& desktop, Checks& checks) {
  auto& session = desktop.session();
  if (!checks.check(waitFor(
                        desktop, [&] { return session.status() == "active"; }, 20),
                    "Quillo is active"))
    return checks.status();
  const auto selected = giveMailTheKeyboard(desktop, checks);
  if (!selected) return checks.status();
  const std::string subject = *selected;
  const auto mailboxOf = [&](const std::string& wanted) {
    for (const auto& [id, message] : simulated::MailState::of(session.mac()).messages) {
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
    const auto state = simulated::MailState::of(session.mac());
    return state.focus.starts_with("compose");
  };
  if (!checks.check(waitFor(desktop, composing, 3), "c opened a compose window with the focus"))
    return checks.status();
  const auto beforeTyping = simulated::MailState::of(session.mac());
  checks.note("focus: " + beforeTyping.focus);
  for (const char* key : {"h", "e", "l", "l", "o"})
    type(desktop, key);
  const auto typedHello = [&] {
    for (const auto& [place, text] : simulated::MailState::of(session.mac()).texts) {
      if (text.find("hello") != std::string::npos) return true;
    }
    return false;
  };
  checks.check(waitFor(desktop, typedHello, 3), "hello is in the compose window's field");
  const auto after = simulated::MailState::of(session.mac());
  std::vector<std::string> changes;
  for (const auto& line : simulated::MailState::changes(beforeTyping, after)) {
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

/// The panel made as tall as it gets — the debug section (Option-click),
/// the editor and its chooser open — on the 800-point screen: it stays
/// inside the screen's visible frame, every frame painted has the final
/// geometry, the header and the footer show, and the middle scrolls to its
/// last control.
int placementTest(Desktop& desktop, Checks& checks) {
  const std::optional<QRect> placed = trayIcon(desktop, checks);
  if (!placed) return checks.status();
  const QRect icon = *placed;
  QWidget& panel = desktop.panelWindow();
  QWidget& view = desktop.panelView();
  const QRect available = panel.screen()->availableGeometry();
  checks.note("screen " + describe(panel.screen()->geometry()) + ", visible " +
              describe(available));
  PanelFrames frames(panel, view);
  const auto settle = [&] {
    waitFor(
        desktop, [] { return false; }, 0.4);
  };
  const auto lookAt = [&](const std::string& state) {
    const QRect frame = panel.geometry();
    checks.note(state + ": panel at " + describe(frame) + ", content " +
                std::to_string(view.sizeHint().height()) + " high, scrolls " +
                std::to_string(desktop.panelView().scrollRange()));
    checks.check(frame.left() >= available.left() + 8 && frame.right() <= available.right() - 8 &&
                     frame.top() >= available.top() && frame.bottom() <= available.bottom() - 8,
                 state + ": the panel is inside the visible frame, 8 points clear");
    checks.check(frame.top() >= icon.bottom(), state + ": the panel is below the icon");
    // A frame painted before the content changed had the old content's
    // size; none may have a size other than its content's (the height that
    // fits, when that is less), nor a place other than under the icon.
    bool stale = false;
    const int room = available.bottom() + 1 - 8 - frame.top();
    for (const auto& painted : frames.painted) {
      const QSize fits(painted.asked.width(), std::min(painted.asked.height(), room));
      stale = stale || painted.geometry.size() != fits || painted.geometry.top() != frame.top() ||
              painted.geometry.right() !=
                  std::min(icon.left() + painted.asked.width() - 1, available.right() - 8);
    }
    checks.check(!frames.painted.empty() && !stale, state + ": every frame painted (" +
                                                        std::to_string(frames.painted.size()) +
                                                        ") has its content's size and place");
    checks.check(!frames.painted.empty() && frames.painted.back().geometry == frame,
                 state + ": the last frame painted has the final geometry");
    frames.painted.clear();
    QLabel* title = nullptr;
    for (auto* label : view.findChildren<QLabel*>()) {
      if (label->text() == QStringLiteral("Shortcuts for Apple Mail") && label->isVisibleTo(&view))
        title = label;
    }
    QAbstractButton* quit = panelButton(view, QStringLiteral("Quit"));
    checks.check(title && inView(panel, *title) && quit && inView(panel, *quit),
                 state + ": the header and the footer with Quit show");
  };

  checks.check(clickAt(icon.center(), true), "xdotool Option-clicked the icon");
  if (!checks.check(waitFor(
                        desktop, [&] { return panel.isVisible(); }, 5),
                    "the click opened the panel"))
    return checks.status();
  settle();
  // Whether the Alt that xdotool holds reaches Qt differs between X
  // servers; the editor and its chooser make the panel too tall for the
  // screen either way.
  checks.note(view.findChild<QWidget*>(QStringLiteral("debug")) ? "with the debug section"
                                                                : "without the debug section");
  lookAt("opened");

  QAbstractButton* edit = panelButton(view, QStringLiteral("Edit Shortcuts\u2026"));
  if (!checks.check(edit && inView(panel, *edit), "\"Edit Shortcuts\u2026\" shows"))
    return checks.status();
  clickAt(edit->mapToGlobal(edit->rect().center()));
  if (!checks.check(waitFor(
                        desktop, [&] { return panelButton(view, "baseline") != nullptr; }, 5),
                    "the click opened the editor"))
    return checks.status();
  settle();
  lookAt("with the editor");

  QAbstractButton* baseline = panelButton(view, QStringLiteral("baseline"));
  if (!checks.check(baseline && inView(panel, *baseline), "the \"Start from\" button shows"))
    return checks.status();
  clickAt(baseline->mapToGlobal(baseline->rect().center()));
  checks.check(waitFor(
                   desktop, [&] { return panelButton(view, "baselineChoice") != nullptr; }, 5),
               "the click opened the chooser");
  settle();
  lookAt("with the chooser");

  auto& widget = desktop.panelView();
  checks.check(widget.scrollRange() > 0, "the middle scrolls");
  // The lowest control of the middle: out of view at the top, in view once
  // scrolled to the end.
  QWidget* last = nullptr;
  for (auto* control : view.findChildren<QAbstractButton*>()) {
    if (!control->isVisibleTo(&view)) continue;
    if (!last || placeIn(panel, *control).bottom() > placeIn(panel, *last).bottom()) {
      if (control->accessibleName() != QStringLiteral("Quit") &&
          control->accessibleName() != QStringLiteral("Support"))
        last = control;
    }
  }
  checks.check(last && !inView(panel, *last), "the lowest control of the middle is out of view");
  const QString lowest = last ? last->accessibleName() : QString();
  widget.scrollTo(widget.scrollRange());
  settle();
  // Scrolling moves the chooser under the pointer, whose hover draws the
  // panel anew: the control is looked up again.
  last = lowest.isEmpty() ? nullptr : panelButton(view, lowest);
  checks.check(last && inView(panel, *last), "scrolled to the end, it shows");
  checks.note("it is \"" + lowest.toStdString() + "\"");
  frames.painted.clear();

  // Closed, then opened with a plain click: its smaller size at once.
  clickAt(icon.center());
  checks.check(waitFor(
                   desktop, [&] { return !panel.isVisible(); }, 5),
               "a click on the icon closed the panel");
  clickAt(icon.center());
  checks.check(waitFor(
                   desktop, [&] { return panel.isVisible(); }, 5),
               "a plain click opened it again");
  checks.note("it last closed because " + desktop.session().panelCloseReason());
  settle();
  checks.check(panel.height() == view.sizeHint().height(),
               "without the debug section it is as tall as its content (" +
                   std::to_string(panel.height()) + ")");
  lookAt("plain");
  return checks.status();
}

/// CPU time the process used so far, in seconds.
double cpuSeconds() {
  timespec used{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
  return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

/// Counts the paint events of a widget and of its parts.
class PaintCounter final : public QObject {
 public:
  explicit PaintCounter(QWidget& root) {
    root.installEventFilter(this);
    for (QWidget* part : root.findChildren<QWidget*>())
      part->installEventFilter(this);
  }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint ? 1 : 0;
    return false;
  }
};

/// The visible rows of the picker, by their accessible names, top first.
std::vector<std::string> pickerRows(Desktop& desktop) {
  std::vector<std::pair<int, std::string>> rows;
  for (auto* row : desktop.pickerView().findChildren<QAbstractButton*>()) {
    if (row->objectName() == QStringLiteral("pickerRow") && row->isVisibleTo(&desktop.pickerView()))
      rows.emplace_back(row->y(), row->accessibleName().toStdString());
  }
  std::sort(rows.begin(), rows.end());
  std::vector<std::string> names;
  for (auto& [y, name] : rows)
    names.push_back(std::move(name));
  return names;
}

/// V in the Mail window opens the picker, painted at its final size from
/// the first frame; open and idle it uses no CPU to speak of; the keys
/// typed reach its controller and filter it; Return files the message and
/// the keyboard goes back to Mail; opened again, a click in Mail closes it.
int pickerTest(Desktop& desktop, Checks& checks) {
  auto& session = desktop.session();
  // A fresh home is asked about launching at login first; Quillo comes to
  // the front for it (which would close the picker), and a click into
  // Mail's message list brings Mail back, as a person's would.
  waitFor(
      desktop, [&] { return !session.alertLines().empty(); }, 10);
  QWidget& mail = desktop.mailWindow();
  auto* messageList = mail.findChild<QWidget*>(QStringLiteral("message list"));
  if (!checks.check(messageList && waitFor(
                                       desktop, [&] { return messageList->isVisible(); }, 5),
                    "the Mail window shows its \"message list\" button"))
    return checks.status();
  checks.check(clickAt(messageList->mapToGlobal(messageList->rect().center())),
               "xdotool clicked into Mail's message list");
  if (!checks.check(waitFor(
                        desktop, [&] { return session.status() == "active"; }, 20),
                    "Quillo is active"))
    return checks.status();
  const auto selected = giveMailTheKeyboard(desktop, checks);
  if (!selected) return checks.status();
  const std::string subject = *selected;

  QWidget& picker = desktop.pickerWindow();
  PanelFrames frames(picker, desktop.pickerView());
  checks.check(type(desktop, "v"), "xdotool typed v");
  if (!checks.check(waitFor(
                        desktop, [&] { return picker.isVisible(); }, 5),
                    "v opened the picker"))
    return checks.status();
  waitFor(
      desktop, [&] { return !pickerRows(desktop).empty(); }, 5);
  waitFor(
      desktop, [] { return false; }, 0.3);
  const QRect frame = picker.geometry();
  const QSize asked = desktop.pickerView().sizeHint();
  checks.note("picker at " + describe(frame) + ", listing " +
              std::to_string(pickerRows(desktop).size()) + " mailboxes");
  checks.check(picker.screen()->availableGeometry().contains(frame),
               "the picker is inside the screen's visible frame");
  checks.check(frame.size() == asked, "it is as large as its content asks");
  bool stale = false;
  for (const auto& painted : frames.painted)
    stale = stale || painted.geometry != frame || painted.asked != asked;
  checks.check(!frames.painted.empty() && !stale, "every frame painted (" +
                                                      std::to_string(frames.painted.size()) +
                                                      ") has the final size and place");

  // Open and idle: the loop sleeps. A person could not measure what is
  // left (a redraw of the Mail window's strip when anything wakes it).
  int wakes = 0;
  const QMetaObject::Connection awake = QObject::connect(
      QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, [&] { ++wakes; });
  PaintCounter paints(desktop.pickerView());
  const double cpuBefore = cpuSeconds();
  const auto wallBefore = std::chrono::steady_clock::now();
  desktop.driver().wait(platform::Duration(3.0));
  const double cpu = cpuSeconds() - cpuBefore;
  QObject::disconnect(awake);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
  checks.check(cpu / wall < 0.01,
               "open and idle, it used " + std::to_string(static_cast<int>(cpu * 1000)) +
                   " ms of CPU in " + std::to_string(wall).substr(0, 4) + " s (under 1 %)");
  // The wait itself wakes the loop (as it starts, at its timer, as it
  // stops), and so does the permission check every two seconds: five at
  // most. A caret blinking twice a second would add six.
  checks.check(wakes <= 5, "the loop woke " + std::to_string(wakes) + " times (no timer)");
  checks.check(paints.paints == 0,
               "nothing of it was painted (" + std::to_string(paints.paints) + " paints)");

  for (const char* key : {"a", "c", "m"})
    type(desktop, key);
  const auto acmeFirst = [&] {
    const auto rows = pickerRows(desktop);
    return !rows.empty() && rows.front().starts_with("Acme");
  };
  checks.check(waitFor(desktop, acmeFirst, 3), "typing acm lists Acme first");
  const auto rows = pickerRows(desktop);
  checks.note("rows: " + std::to_string(rows.size()) +
              (rows.empty() ? std::string() : ", the first \"" + rows.front() + "\""));
  checks.check(picker.geometry() == frame, "its frame did not change while typing");

  type(desktop, "Return");
  checks.check(waitFor(
                   desktop, [&] { return !picker.isVisible(); }, 3),
               "Return closed the picker");
  checks.note("it closed because " + session.pickerCloseReason());
  const auto mailboxOf = [&](const std::string& wanted) {
    for (const auto& [id, message] : simulated::MailState::of(session.mac()).messages) {
      if (message.subject == wanted) return message.mailbox;
    }
    return std::string();
  };
  checks.check(waitFor(
                   desktop, [&] { return mailboxOf(subject) == "Work › Clients › Acme"; }, 3),
               "the message is in Work › Clients › Acme");
  checks.check(waitFor(
                   desktop, [&] { return QApplication::focusWidget() == &mail; }, 3),
               "the Mail window has the keyboard again");

  checks.check(type(desktop, "v"), "xdotool typed v again");
  if (!checks.check(waitFor(
                        desktop, [&] { return picker.isVisible(); }, 5),
                    "v opened the picker again"))
    return checks.status();
  waitFor(
      desktop, [] { return false; }, 0.3);
  checks.check(clickAt(mail.geometry().center()), "xdotool clicked the Mail window");
  checks.check(waitFor(
                   desktop, [&] { return !picker.isVisible(); }, 5),
               "the click in Mail closed the picker");
  checks.note("it closed because " + session.pickerCloseReason());
  return checks.status();
}

/// Clicks on the icon 130 ms apart, as quick as a person clicks twice: each
/// one opens or closes the panel.
int clicksTest(Desktop& desktop, Checks& checks) {
  const std::optional<QRect> placed = trayIcon(desktop, checks);
  if (!placed) return checks.status();
  QWidget& panel = desktop.panelWindow();
  PanelFrames frames(panel, desktop.panelView());
  std::map<std::string, int> closes;
  frames.onHide = [&] { ++closes[desktop.session().panelCloseReason()]; };
  // What Qt reported for each mouse-down, in order: T a click, D a double
  // click.
  std::string reported;
  QObject::connect(&desktop.statusItem().trayIcon(), &QSystemTrayIcon::activated,
                   &desktop.panelView(), [&](QSystemTrayIcon::ActivationReason reason) {
                     reported += reason == QSystemTrayIcon::DoubleClick ? 'D' : 'T';
                   });
  constexpr int clicks = 40;
  QProcess xdotool;
  xdotool.start("xdotool", {"mousemove", "--sync", QString::number(placed->center().x()),
                            QString::number(placed->center().y()), "click", "--repeat",
                            QString::number(clicks), "--delay", "130", "1"});
  // The loop runs while xdotool clicks, as it would under a person's.
  checks.check(waitFor(
                   desktop, [&] { return xdotool.state() == QProcess::NotRunning; }, 30),
               "xdotool clicked the icon " + std::to_string(clicks) + " times, 130 ms apart");
  waitFor(
      desktop, [] { return false; }, 0.5);
  checks.note("Qt reported " + reported);
  for (const auto& [why, count] : closes)
    checks.note("closed " + std::to_string(count) + " times because " + why);
  checks.note("shown " + std::to_string(frames.shown) + " times, hidden " +
              std::to_string(frames.hidden) + " times; last closed because " +
              desktop.session().panelCloseReason());
  checks.check(frames.shown == clicks / 2 && frames.hidden == clicks / 2,
               "the panel opened and closed " + std::to_string(clicks / 2) + " times each");
  checks.check(!panel.isVisible(), "it is closed after an even number of clicks");
  return checks.status();
}

/// The launch-at-login question as a person meets it: drawn, not a black
/// box; the icon's clicks doing nothing while it waits (it is app-modal, as
/// NSAlert's runModal is on a Mac); and SIGTERM while it waits ending the
/// loop, the question answered with its cautious "Not Now".
int alertTest(Desktop& desktop, Checks& checks) {
  const std::optional<QRect> placed = trayIcon(desktop, checks, false);
  if (!placed) return checks.status();
  QWidget& panel = desktop.panelWindow();
  // The alert waits in a loop of its own: what happens while it is up is
  // looked at from a timer, which runs in that loop.
  enum class Step { waiting, shown, clicked, signalled };
  Step step = Step::waiting;
  int ticks = 0;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    QWidget* alert = QApplication::activeModalWidget();
    ++ticks;
    switch (step) {
      case Step::waiting:
        if (!alert) return;
        checks.note("the alert is up at " + describe(alert->geometry()));
        step = Step::shown;
        ticks = 0;
        return;
      case Step::shown: {
        if (!alert || ticks < 5) return;  // half a second to be drawn
        // What the X server shows there, as a person sees it.
        const QRect area = alert->geometry();
        const QImage shot = alert->screen()
                                ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                                .toImage();
        int dark = 0;
        for (int y = 0; y < shot.height(); ++y)
          for (int x = 0; x < shot.width(); ++x)
            dark += qGray(shot.pixel(x, y)) < 40 ? 1 : 0;
        const double share = shot.isNull() ? 1 : double(dark) / (shot.width() * shot.height());
        checks.check(share < 0.3, "the alert is drawn, not a black box (" +
                                      std::to_string(int(share * 100)) + " % dark)");
        checks.check(clickAt(placed->center()), "xdotool clicked the icon while it waits");
        step = Step::clicked;
        ticks = 0;
        return;
      }
      case Step::clicked:
        if (ticks < 5) return;
        checks.check(!panel.isVisible(), "the click did nothing while the alert waits");
        step = Step::signalled;
        ::kill(::getpid(), SIGTERM);
        return;
      case Step::signalled:
        return;
    }
  });
  probe.start(100);
  const bool ended = waitFor(
      desktop, [&] { return desktop.loop().stoppedBySignal(); }, 30);
  probe.stop();
  checks.check(step == Step::signalled, "the launch-at-login question was asked");
  checks.check(ended, "SIGTERM while the alert waits ended the loop");
  const auto lines = desktop.session().alertLines();
  checks.check(!lines.empty() && lines.back().ends_with("answered Not Now"),
               "the question was answered \"Not Now\"");
  for (const auto& line : lines)
    checks.note(line);
  return checks.status();
}

}  // namespace

int runSelfTest(Desktop& desktop, std::string_view which, std::ostream& out) {
  Checks checks(out);
  if (which == "tray") return trayTest(desktop, checks);
  if (which == "mail") return mailTest(desktop, checks);
  if (which == "placement") return placementTest(desktop, checks);
  if (which == "clicks") return clicksTest(desktop, checks);
  if (which == "alert") return alertTest(desktop, checks);
  if (which == "picker") return pickerTest(desktop, checks);
  out << "unknown self-test " << which << " (tray, mail, placement, clicks, alert or picker)\n";
  return 2;
}

}  // namespace quillo::desktop
