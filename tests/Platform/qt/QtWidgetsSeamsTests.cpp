// The Qt implementations of the interface seams, offscreen: the status item's
// classic menu and icon, the panel window and the event monitors.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <vector>

#include "Platform/KeyCodes.hpp"
#include "Platform/qt/QtAlert.hpp"
#include "Platform/qt/QtEventMonitors.hpp"
#include "Platform/qt/QtPanelWindow.hpp"
#include "Platform/qt/QtPanelWindowRules.hpp"
#include "Platform/qt/QtStatusItem.hpp"

namespace quillo::platform {
namespace {

/// A drawing that records: the menu as its items' titles, symbols as the
/// names asked for (painted as a filled box, so they show).
struct RecordingDrawing {
  std::vector<std::string> events;
  QtStatusItem::Drawing drawing() {
    return {[this](QMenu& menu, const Menu& content) {
              events.push_back("fill");
              menu.clear();
              for (const MenuItem& item : content.items)
                menu.addAction(QString::fromStdString(item.title));
            },
            [this](QPainter& painter, const std::string& symbol, const QRectF& box) {
              events.push_back("draw " + symbol);
              painter.fillRect(box, Qt::black);
            },
            nullptr};
  }
};

std::vector<std::string> titles(const QMenu& menu) {
  std::vector<std::string> out;
  for (const QAction* action : menu.actions())
    out.push_back(action->text().toStdString());
  return out;
}

TEST(QtStatusItem, TheClassicMenuIsUpdatedThenFilledAnewEachTimeItIsAboutToShow) {
  RecordingDrawing recorded;
  QtStatusItem item(recorded.drawing());
  int updates = 0;
  Menu menu;
  menu.needsUpdate = [&] {
    ++updates;
    recorded.events.push_back("update");
    MenuItem first;
    first.title = "Quillo \u2014 active in Mail";
    MenuItem count;
    count.title = "opened " + std::to_string(updates);
    menu.items = {first, count};
  };
  item.setMenu(&menu);
  ASSERT_NE(item.qtMenu(), nullptr);
  EXPECT_TRUE(recorded.events.empty());  // nothing until it is about to show
  emit item.qtMenu()->aboutToShow();
  EXPECT_EQ(titles(*item.qtMenu()),
            (std::vector<std::string>{"Quillo \u2014 active in Mail", "opened 1"}));
  emit item.qtMenu()->aboutToShow();
  EXPECT_EQ(titles(*item.qtMenu()).back(), "opened 2");
  EXPECT_EQ(recorded.events, (std::vector<std::string>{"update", "fill", "update", "fill"}));
  // Detached: no menu, and a click is a click again.
  std::vector<std::uint64_t> clicks;
  item.setOnClick([&](std::uint64_t flags) { clicks.push_back(flags); });
  emit item.trayIcon().activated(QSystemTrayIcon::Trigger);
  EXPECT_TRUE(clicks.empty());  // the menu took it
  const QPointer<QMenu> open = item.qtMenu();
  EXPECT_TRUE(open->isVisible());
  item.setMenu(nullptr);
  EXPECT_EQ(item.qtMenu(), nullptr);
  EXPECT_TRUE(!open || !open->isVisible());  // it closed with its item
  // A double click right after a click, in the same turn of the loop, is
  // that click's mouse-down again; a double click alone is a click of its
  // own. A middle click is none.
  emit item.trayIcon().activated(QSystemTrayIcon::Context);
  emit item.trayIcon().activated(QSystemTrayIcon::DoubleClick);
  EXPECT_EQ(clicks, (std::vector<std::uint64_t>{0}));
  QApplication::processEvents();
  emit item.trayIcon().activated(QSystemTrayIcon::DoubleClick);
  emit item.trayIcon().activated(QSystemTrayIcon::MiddleClick);
  EXPECT_EQ(clicks, (std::vector<std::uint64_t>{0, 0}));
  QApplication::processEvents();
}

TEST(QtStatusItem, TheIconIsATemplateAt1And2xDrawnWithTheAlphaAndDimmedWhenDisabled) {
  RecordingDrawing recorded;
  auto drawing = recorded.drawing();
  std::vector<QRectF> appIconBoxes;
  drawing.drawAppIcon = [&](QPainter& painter, const QRectF& box) {
    appIconBoxes.push_back(box);
    painter.fillRect(box, Qt::black);
  };
  QtStatusItem item(drawing);
  EXPECT_TRUE(item.currentIcon().isMask());
  // The app's icon: a square at 1× and at 2×, the 18-point glyph in the
  // middle of each.
  const QImage at1 = item.currentIcon().pixmap(QSize(22, 22), 1.0).toImage();
  const QImage at2 = item.currentIcon().pixmap(QSize(22, 22), 2.0).toImage();
  EXPECT_EQ(at1.size(), QSize(QtStatusItem::iconSide, QtStatusItem::iconSide));
  EXPECT_EQ(at2.size(), QSize(2 * QtStatusItem::iconSide, 2 * QtStatusItem::iconSide));
  EXPECT_EQ(appIconBoxes, (std::vector<QRectF>{QRectF(2, 2, 18, 18), QRectF(4, 4, 36, 36)}));
  EXPECT_EQ(qAlpha(at1.pixel(1, 1)), 0);
  EXPECT_EQ(qAlpha(at1.pixel(11, 11)), 255);
  EXPECT_DOUBLE_EQ(item.currentOpacity(), 1.0);
  item.setAlphaValue(0.6);
  EXPECT_DOUBLE_EQ(item.currentOpacity(), 0.6);
  item.setAppearsDisabled(true);
  EXPECT_DOUBLE_EQ(item.currentOpacity(), 0.6 * QtStatusItem::disabledOpacity);
  // The drawn pixels follow: the most opaque one is as opaque as the opacity.
  const QImage image = item.currentIcon().pixmap(QSize(22, 22), 1.0).toImage();
  int most = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      most = std::max(most, qAlpha(image.pixel(x, y)));
  EXPECT_NEAR(most, 255 * 0.6 * QtStatusItem::disabledOpacity, 3);
  // Setting what is shown already draws nothing again.
  const auto drawn = appIconBoxes.size();
  item.setAlphaValue(0.6);
  item.setAppearsDisabled(true);
  item.setImage("", "Quillo");
  EXPECT_EQ(appIconBoxes.size(), drawn);
  // A symbol is drawn in the same place by the interface's painter.
  item.setImage("exclamationmark.triangle", "Quillo needs permission");
  EXPECT_EQ(recorded.events.back(), "draw exclamationmark.triangle");
  EXPECT_EQ(item.currentIcon().pixmap(QSize(22, 22), 1.0).size(),
            QSize(QtStatusItem::iconSide, QtStatusItem::iconSide));
  item.setToolTip("Quillo \u2014 Active");
  EXPECT_EQ(item.trayIcon().toolTip().toStdString(), "Quillo \u2014 Active");
}

TEST(QtStatusItem, WithoutATrayTheButtonSitsAtTheTopRightOfTheMainScreen) {
  QtStatusItem item({});  // the offscreen platform has no tray
  const Rect visible = item.visibleFrameOfButtonScreen();
  const Rect button = item.buttonFrameOnScreen();
  EXPECT_GT(visible.width, 0);
  EXPECT_EQ(button.maxY(), visible.maxY());
  EXPECT_EQ(button.maxX(), visible.maxX());
}

TEST(QtPanelWindow, FramesAreInTheSeamsCoordinatesBothWays) {
  QtPanelWindow panel(new QLineEdit);
  panel.setFrame(Rect{100, 200, 400, 300});
  EXPECT_EQ(panel.frame(), (Rect{100, 200, 400, 300}));
  const int height = panel.screen()->geometry().height();
  EXPECT_EQ(panel.geometry(), QRect(100, height - 500, 400, 300));
}

TEST(QtPanelWindow, ResigningKeyTellsTheObserversStillThereOnTheNextTurn) {
  QtPanelWindow panel(new QLineEdit);
  int told = 0, toldGone = 0;
  auto observer = panel.observeResignKey([&] { ++told; });
  auto gone = panel.observeResignKey([&] { ++toldGone; });
  panel.orderFrontAsKey();
  EXPECT_TRUE(panel.isVisible());
  panel.orderOut();
  EXPECT_FALSE(panel.isVisible());
  EXPECT_EQ(told, 0);  // not inside the call
  gone.reset();
  QApplication::processEvents();
  EXPECT_EQ(told, 1);
  EXPECT_EQ(toldGone, 0);
  // Out already: ordering out again resigns nothing.
  panel.orderOut();
  QApplication::processEvents();
  EXPECT_EQ(told, 1);
}

TEST(QtPanelWindow, OnAMacQtMakesItAPanelThatShowsWithoutActivatingQuillo) {
  QtPanelWindow panel(new QLineEdit);
  EXPECT_TRUE(qtMakesPanelOnMac(panel.windowType()));
  EXPECT_FALSE(qtMakesPanelOnMac(Qt::Window));
  EXPECT_FALSE(panelMayRaise("cocoa"));
  EXPECT_TRUE(panelMayRaise("xcb"));
}

TEST(QtPanelWindow, EveryShowEndsWithTheAfterShowStepOnTheShownNativeWindow) {
  QtPanelWindow panel(new QLineEdit);
  std::vector<bool> shownWithNativeWindow;
  panel.setAfterShow(
      [&] { shownWithNativeWindow.push_back(panel.isVisible() && panel.internalWinId() != 0); });
  panel.orderFrontAsKey();
  panel.orderOut();
  panel.orderFrontAsKey();
  EXPECT_EQ(shownWithNativeWindow, (std::vector<bool>{true, true}));
}

TEST(QtEventMonitors, LocalMonitorsSeeTheApplicationsKeysFirstAndMaySwallowThem) {
  auto* field = new QLineEdit;
  QtPanelWindow panel(field);
  panel.orderFrontAsKey();
  // Offscreen, activation is whatever the last test left: make it ours.
  QApplication::setActiveWindow(&panel);
  field->setFocus();
  QtEventMonitors monitors(&panel);
  std::vector<MonitoredEvent> seen;
  bool swallow = true;
  auto token = monitors.addLocalMonitor([&](const MonitoredEvent& event) {
    seen.push_back(event);
    return !swallow;
  });
  const auto press = [&](int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(panel.windowHandle(), &event);
  };
  press(Qt::Key_E, Qt::ShiftModifier, "E");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].type, MonitoredEvent::Type::keyDown);
  EXPECT_EQ(seen[0].keyCode, KeyCode::e);
  EXPECT_EQ(seen[0].modifierFlags, EventFlags::shift);
  EXPECT_EQ(seen[0].charactersIgnoringModifiers, "E");
  EXPECT_EQ(seen[0].window, EventWindow::panel);
  EXPECT_EQ(field->text(), "");  // swallowed
  swallow = false;
  press(Qt::Key_X, Qt::ControlModifier, "\x18");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].modifierFlags, EventFlags::command);
  EXPECT_EQ(seen[1].charactersIgnoringModifiers, "x");
  press(Qt::Key_A, Qt::NoModifier, "a");
  EXPECT_EQ(field->text(), "a");  // passed on to the window
  token.reset();
  press(Qt::Key_B, Qt::NoModifier, "b");
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_EQ(field->text(), "ab");
}

TEST(QtEventMonitors, ClicksInOtherWindowsAreNotThePanels) {
  QtPanelWindow panel(new QLineEdit);
  QWidget other;
  other.show();
  panel.orderFrontAsKey();
  QtEventMonitors monitors(&panel);
  EXPECT_EQ(monitors.windowOf(panel.windowHandle()), EventWindow::panel);
  EXPECT_EQ(monitors.windowOf(other.windowHandle()), EventWindow::other);
  EXPECT_EQ(monitors.windowOf(nullptr), EventWindow::none);
}

}  // namespace
}  // namespace quillo::platform

namespace quillo::platform {
namespace {

/// Answers the next alert by clicking the button with `title`, once it shows.
void answerAlertWith(const QString& title, QString* seenText) {
  QTimer::singleShot(0, [title, seenText] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    *seenText = box->text() + "|" + box->informativeText();
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == title) button->click();
    }
  });
}

TEST(QtAlert, TheAnswerIsTheChosenButtonCountedFromTheFirstAsNSAlertDoes) {
  const Alert alert{"Reset keymap.json to the defaults?",
                    "Your current keymap file will be replaced.",
                    {"Reset", "Cancel"}};
  QString seen;
  answerAlertWith("Cancel", &seen);
  EXPECT_EQ(runQtAlert(alert), alertFirstButtonReturn + 1);
  EXPECT_EQ(seen.toStdString(),
            "Reset keymap.json to the defaults?|Your current keymap file will be replaced.");
  answerAlertWith("Reset", &seen);
  EXPECT_EQ(runQtAlert(alert), alertFirstButtonReturn);
}

}  // namespace
}  // namespace quillo::platform
