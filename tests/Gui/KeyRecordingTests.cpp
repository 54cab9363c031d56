// Recording a shortcut through the Qt panel, with the real panel controller
// over Quillo on the simulated Mac: the keys reach the controller's local
// monitor, its model changes, and the widget shows what it says.
#include <QLabel>

#include "PanelFixture.hpp"
#include "PanelWindowSpy.hpp"
#include "Platform/KeyCodes.hpp"
#include "QuilloFixture.hpp"
#include "Simulator/SimEventMonitors.hpp"
#include "Simulator/SimStatusItem.hpp"
#include "StatusPanelController.hpp"

namespace quillo::gui::testing {
namespace {

using platform::MonitoredEvent;

class QtPanelTest : public quillo::testing::QuilloTest {
 protected:
  void SetUp() override {
    session.start();
    loop.runUntilIdle();
    widget.setAppearance(Appearance::light);
  }

  static MonitoredEvent key(std::uint16_t code, std::string characters, std::uint64_t flags = 0) {
    MonitoredEvent event;
    event.keyCode = code;
    event.characters = characters;
    event.charactersIgnoringModifiers = std::move(characters);
    event.modifierFlags = flags;
    event.window = platform::EventWindow::panel;
    return event;
  }
  void open() {
    item.click();
    const auto size = widget.fittingSize();
    ASSERT_TRUE(size);
    widget.resize(static_cast<int>(size->width), static_cast<int>(size->height));
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  }
  void click(const char* name) {
    QWidget* target = theOne(widget, QString::fromUtf8(name));
    ASSERT_NE(target, nullptr);
    QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
  }
  QLabel* message() { return theOne<QLabel>(widget, "editorMessage", true); }
  bool messageIsOrange() {
    QLabel* label = message();
    const QRect place(label->mapTo(&widget, QPoint()), label->size());
    return pixelsNear(widget.grab().toImage(), place, Palette::of(Appearance::light).orange, 40) >
           20;
  }

  sim::SimStatusItem item;
  quillo::testing::PanelWindowSpy window;
  sim::SimEventMonitors monitors{mac, 9999};
  PanelWidget widget;
  StatusPanelController panel{app, item, window, monitors, widget, session.application()};
};

TEST_F(QtPanelTest, ARefusedKeyShowsInOrangeAndRecordingGoesOnUntilAKeyIsTaken) {
  open();
  click("Custom");
  ASSERT_TRUE(panel.model().editing);
  click("Click, then press the shortcut you want for Send");
  EXPECT_EQ(visibleNamed(widget, "Press keys\u2026").size(), 1u);
  EXPECT_FALSE(panel.handleLocalEvent(key(platform::KeyCode::e, "e")));
  EXPECT_EQ(message()->text(),
            "Send needs \u2318, \u2303 or \u2325, so it can't interfere with typing.");
  EXPECT_TRUE(messageIsOrange());
  EXPECT_EQ(visibleNamed(widget, "Press keys\u2026").size(), 1u);
  EXPECT_FALSE(
      panel.handleLocalEvent(key(platform::KeyCode::e, "e", platform::EventFlags::control)));
  EXPECT_TRUE(visibleNamed(widget, "Press keys\u2026").empty());
  EXPECT_FALSE(messageIsOrange());
  EXPECT_EQ(visibleNamed(widget, "Send: \u2303E, Quillo, works while writing").size(), 1u);
}

TEST_F(QtPanelTest, EscCancelsRecordingWhetherTheMonitorOrThePanelSeesIt) {
  open();
  click("Custom");
  click("Click, then press the shortcut you want for Reply");
  EXPECT_FALSE(panel.handleLocalEvent(key(platform::KeyCode::escape, "\x1b")));
  EXPECT_FALSE(panel.model().recording);
  EXPECT_TRUE(visibleNamed(widget, "Press keys\u2026").empty());
  EXPECT_TRUE(window.visible);
  // With no monitor before it, the panel's own Esc asks the same.
  click("Click, then press the shortcut you want for Reply");
  ASSERT_EQ(panel.model().recording, ActionID::reply);
  QTest::keyClick(&widget, Qt::Key_Escape);
  EXPECT_FALSE(panel.model().recording);
  EXPECT_TRUE(visibleNamed(widget, "Press keys\u2026").empty());
  EXPECT_EQ(message()->text(), "Click a key, then press the shortcut you want. Esc cancels.");
}

TEST_F(QtPanelTest, ThePanelIsPlacedWithTheSizeTheWidgetAsksFor) {
  open();
  const auto size = *widget.fittingSize();
  EXPECT_EQ(window.frame().width, size.width);
  EXPECT_EQ(window.frame().height, size.height);
  click("Custom");  // the editor makes it taller, and the panel follows
  EXPECT_GT(widget.fittingSize()->height, size.height);
  EXPECT_EQ(window.frame().height, widget.fittingSize()->height);
}

}  // namespace
}  // namespace quillo::gui::testing
