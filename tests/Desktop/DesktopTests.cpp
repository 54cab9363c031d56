// quillo-gui's desktop on Qt's offscreen platform: the simulated Mail's
// window and what a person does in it, the status item driving the panel,
// and the classic menu — with the whole application behind them, in real
// time, in a temporary home.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWindow>

#include "Desktop.hpp"
#include "MailScreen.hpp"
#include "Session/MailState.hpp"
#include "TempHome.hpp"

namespace quillo::desktop {
namespace {

/// What the application did over a stretch of running its loop: the layout
/// requests and paints any of its objects got, and how often the loop woke
/// up from waiting.
class Activity final : public QObject {
 public:
  Activity() {
    QApplication::instance()->installEventFilter(this);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, this,
            [this] { ++wakeUps; });
  }
  ~Activity() override { QApplication::instance()->removeEventFilter(this); }
  int layouts = 0, paints = 0, wakeUps = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::LayoutRequest) ++layouts;
    if (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

class DesktopTest : public ::testing::Test {
 protected:
  /// Runs the loop until `done` or a time limit; whether it held.
  bool waitFor(const std::function<bool()>& done, double seconds = 5) {
    for (double waited = 0; !done(); waited += 0.02) {
      if (waited > seconds) return false;
      desktop->driver().wait(platform::Duration(0.02));
    }
    return true;
  }
  void start(bool classicMenu = false) {
    DesktopOptions options;
    options.resourceFolder = QUILLO_RESOURCES;
    options.answerAlert = [](const platform::Alert& alert) { return alert.buttons.back(); };
    desktop = std::make_unique<Desktop>(std::move(options));
    if (classicMenu) desktop->session().setClassicMenu(true);
    desktop->start();
    ASSERT_TRUE(waitFor([&] { return desktop->session().status() == "active"; }, 15));
  }
  /// A key typed into the Mail window, as Qt delivers a person's; returns
  /// once its key-down and key-up have come through the window server.
  void type(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const auto& server = desktop->session().mac().windowServer();
    const std::uint64_t before = server.eventsLogged();
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(desktop->mailWindow().windowHandle(), &press);
    ASSERT_TRUE(waitFor([&] { return server.eventsLogged() >= before + 2; }));
  }
  std::string mailboxOf(const std::string& subject) {
    for (const auto& [id, message] : simulated::MailState::of(desktop->session().mac()).messages) {
      if (message.subject == subject) return message.mailbox;
    }
    return "";
  }

  testing::TempHome home;
  std::unique_ptr<Desktop> desktop;
};

TEST_F(DesktopTest, TheMailWindowShowsTheSimulatedMailAndFollowsIt) {
  start();
  desktop->redraw();
  const MailScreen& shown = desktop->mailWindow().shown();
  EXPECT_TRUE(shown.running);
  EXPECT_EQ(shown.front, "Mail");
  EXPECT_EQ(shown.currentMailbox, "Inbox");
  EXPECT_EQ(shown.focus, "viewer: message list");
  ASSERT_GE(shown.rows.size(), 2u);
  EXPECT_EQ(MailScreen::rowText(shown.rows[0]), "\u25cf   Quarterly planning: agenda for Thursday");
  EXPECT_TRUE(shown.rows[0].selected);
  EXPECT_FALSE(shown.rows[1].selected);
  // j (Gmail: next message) moves the selection, and the window follows.
  type(Qt::Key_J);
  ASSERT_TRUE(waitFor([&] { return desktop->mailWindow().shown().rows[1].selected; }));
  EXPECT_FALSE(desktop->mailWindow().shown().rows[0].selected);
}

TEST_F(DesktopTest, KeysTypedInTheMailWindowGoThroughQuillosEventTap) {
  start();
  type(Qt::Key_E);
  EXPECT_TRUE(
      waitFor([&] { return mailboxOf("Quarterly planning: agenda for Thursday") == "Archive"; }));
  EXPECT_EQ(desktop->lastDecision(), "e: perform archive");
  EXPECT_EQ(desktop->lastOutcome(), "archive: pressed Message \u203a Archive");
  desktop->redraw();
  EXPECT_NE(desktop->mailWindow().statusStrip().indexOf("e: perform archive"), -1);
  // Off, Quillo passes every key to Mail: e in the message list does nothing.
  desktop->session().selectSet(ShortcutSet::off);
  type(Qt::Key_E);
  EXPECT_FALSE(
      waitFor([&] { return mailboxOf("[quillo] Pull request #42 merged") == "Archive"; }, 0.5));
}

TEST_F(DesktopTest, ClicksIntoMailsPlacesMoveItsFocus) {
  start();
  desktop->mailWindow().onPlace(sim::MailApp::Place::searchField);
  type(Qt::Key_E);
  type(Qt::Key_E, Qt::ShiftModifier);
  const auto state = simulated::MailState::of(desktop->session().mac());
  EXPECT_EQ(state.focus, "viewer: search field");
  EXPECT_EQ(state.texts.at("search field"), "eE");
  EXPECT_EQ(mailboxOf("Quarterly planning: agenda for Thursday"), "Inbox");
}

TEST_F(DesktopTest, TheStatusItemOpensThePanelUnderItAndAClickInMailClosesIt) {
  start();
  auto& panel = desktop->panelWindow();
  emit desktop->statusItem().trayIcon().activated(QSystemTrayIcon::Trigger);
  ASSERT_TRUE(panel.isVisible());
  const platform::Rect button = desktop->statusItem().buttonFrameOnScreen();
  const platform::Rect frame = panel.frame();
  EXPECT_DOUBLE_EQ(frame.maxY(), button.minY() - 5);
  EXPECT_LE(frame.maxX(), desktop->statusItem().visibleFrameOfButtonScreen().maxX() - 8);
  // A click in the Mail window is a click in another application.
  QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(desktop->mailWindow().windowHandle(), &click);
  EXPECT_FALSE(panel.isVisible());
  EXPECT_EQ(desktop->session().panelCloseReason(), "a click in another application");
  // Its icon clicked twice: open, then closed again.
  emit desktop->statusItem().trayIcon().activated(QSystemTrayIcon::Trigger);
  emit desktop->statusItem().trayIcon().activated(QSystemTrayIcon::Trigger);
  EXPECT_FALSE(panel.isVisible());
  EXPECT_EQ(desktop->session().panelCloseReason(), "its icon was clicked again");
}

TEST_F(DesktopTest, AnOpenPanelLeftAloneLaysOutNothingPaintsNothingAndSleeps) {
  start();
  // The launch-at-login question comes first (Quillo activating itself for
  // it closes the panel); then nothing is due.
  ASSERT_TRUE(waitFor([&] { return !desktop->session().alertLines().empty(); }, 10));
  desktop->driver().wait(platform::Duration(0.5));
  // Opened, then closed: laid out and painted, then quiet. The timer that
  // ends the wait wakes the loop, and the permission check every two
  // seconds if it falls in this second.
  for (const bool open : {true, false}) {
    SCOPED_TRACE(open ? "open" : "closed");
    emit desktop->statusItem().trayIcon().activated(QSystemTrayIcon::Trigger);
    desktop->driver().wait(platform::Duration(0.5));
    Activity activity;
    desktop->driver().wait(platform::Duration(1.0));
    EXPECT_EQ(activity.layouts, 0);
    EXPECT_EQ(activity.paints, 0);
    EXPECT_LE(activity.wakeUps, 3);
    EXPECT_EQ(desktop->panelWindow().isVisible(), open) << desktop->session().panelCloseReason();
  }
}

TEST_F(DesktopTest, VInMailOpensThePickerWhoseKeysFilterItAndReturnFilesTheMessage) {
  start();
  // The launch-at-login question first (Quillo comes to the front for it);
  // a click into Mail's message list brings Mail back, which Quillo hears
  // on a later turn of the loop.
  ASSERT_TRUE(waitFor([&] { return !desktop->session().alertLines().empty(); }, 10));
  ASSERT_TRUE(waitFor([&] { return desktop->session().status() != "active"; }));
  desktop->mailWindow().onPlace(sim::MailApp::Place::messageList);
  ASSERT_TRUE(waitFor([&] { return desktop->session().status() == "active"; }));
  type(Qt::Key_V);
  auto& picker = desktop->pickerWindow();
  QWidget& view = desktop->pickerView();
  const auto rows = [&] {
    std::vector<std::string> names;
    for (auto* row : view.findChildren<QAbstractButton*>()) {
      if (row->isVisibleTo(&view)) names.push_back(row->accessibleName().toStdString());
    }
    return names;
  };
  ASSERT_TRUE(waitFor([&] { return picker.isVisible() && !rows().empty(); }))
      << desktop->lastDecision() << "; " << desktop->lastOutcome();
  // Under the status item, where the panel opens, as large as it asks.
  const platform::Rect button = desktop->statusItem().buttonFrameOnScreen();
  const platform::Rect frame = picker.frame();
  EXPECT_DOUBLE_EQ(frame.maxY(), button.minY() - 5);
  EXPECT_EQ(picker.size(), view.sizeHint());
  {
    // Open and left alone: nothing laid out or painted, the loop asleep
    // but for the wait's own timer and the permission check.
    desktop->driver().wait(platform::Duration(0.5));
    Activity activity;
    desktop->driver().wait(platform::Duration(1.0));
    EXPECT_EQ(activity.layouts, 0);
    EXPECT_EQ(activity.paints, 0);
    EXPECT_LE(activity.wakeUps, 3);
  }
  // Keys go to the picker's window, as Qt delivers them to the window that
  // has the keyboard, and on to its controller.
  for (const auto& [key, text] : {std::pair{Qt::Key_A, "a"}, {Qt::Key_C, "c"}, {Qt::Key_M, "m"}}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
    QApplication::sendEvent(picker.windowHandle(), &press);
  }
  ASSERT_TRUE(waitFor([&] { return !rows().empty() && rows().front().starts_with("Acme"); }));
  EXPECT_EQ(rows().front(), "Acme, in Work \u203a Clients");
  EXPECT_EQ(picker.frame(), frame);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  QApplication::sendEvent(picker.windowHandle(), &enter);
  EXPECT_TRUE(waitFor([&] { return !picker.isVisible(); }));
  EXPECT_EQ(desktop->session().pickerCloseReason(), "a mailbox was chosen");
  EXPECT_TRUE(waitFor([&] {
    return mailboxOf("Quarterly planning: agenda for Thursday") ==
           "Work \u203a Clients \u203a Acme";
  }));
}

TEST_F(DesktopTest, WithTheClassicMenuTheTrayIconCarriesQuillosMenu) {
  start(true);
  QMenu* menu = desktop->statusItem().qtMenu();
  ASSERT_NE(menu, nullptr);
  emit menu->aboutToShow();
  ASSERT_FALSE(menu->actions().isEmpty());
  EXPECT_EQ(menu->actions().back()->text().toStdString(), "Quit Quillo");
  // Choosing Quit ends the application, after the menu has closed.
  menu->actions().back()->trigger();
  EXPECT_EQ(desktop->run(), 0);  // returns: Quit stopped the loop
  EXPECT_TRUE(desktop->session().application().terminated);
}

}  // namespace
}  // namespace quillo::desktop
