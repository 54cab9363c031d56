#include "StatusPanelController.hpp"

#include <gtest/gtest.h>

#include "PanelWindowSpy.hpp"
#include "Platform/KeyCodes.hpp"
#include "QuilloFixture.hpp"
#include "Simulator/SimEventMonitors.hpp"
#include "Simulator/SimStatusItem.hpp"

namespace quillo {
namespace {

using platform::MonitoredEvent;

/// A drawing that asks for a size of its choosing.
class SizedView final : public PanelView {
 public:
  // A person's clicks on it, as the drawing makes them.
  using PanelView::makeRequest;
  using PanelView::updateViewState;

  void display(const PanelContent& content) override {
    last = content;
    ++displays;
  }
  std::optional<platform::Size> fittingSize() const override { return size; }
  std::optional<platform::Size> size;
  std::optional<PanelContent> last;
  int displays = 0;
};

class StatusPanelControllerTest : public testing::QuilloTest {
 protected:
  void SetUp() override {
    session.start();
    loop.runUntilIdle();
    // The button is a window of the panel's process, as on a Mac.
    item.mouseDown = [this](std::uint64_t flags) {
      return monitors.mouseDownInOwnWindow(platform::EventWindow::statusItemButton, flags);
    };
  }

  /// Opens the panel on the custom set and starts recording a key for `action`.
  void record(ActionID action) {
    item.click();
    panel.perform(PanelRequests::SelectSet{ShortcutSet::custom});
    panel.perform(PanelRequests::Record{action});
  }

  static MonitoredEvent key(std::uint16_t code, std::string characters, std::uint64_t flags = 0) {
    MonitoredEvent event;
    event.type = MonitoredEvent::Type::keyDown;
    event.keyCode = code;
    event.characters = characters;
    event.charactersIgnoringModifiers = std::move(characters);
    event.modifierFlags = flags;
    event.window = platform::EventWindow::panel;
    return event;
  }

  sim::SimStatusItem item;
  testing::PanelWindowSpy window;
  sim::SimEventMonitors monitors{mac, 9999};
  SizedView view;
  StatusPanelController panel{app, item, window, monitors, view, session.application()};
};

TEST_F(StatusPanelControllerTest, ThePanelTakesTheDrawingsSizeUnderTheButtonInsideTheScreen) {
  using platform::Rect;
  using platform::Size;
  const Rect wide = sim::SimStatusItem::defaultVisibleFrame;
  const Rect button = sim::SimStatusItem::defaultButtonFrame;  // at 1200 of 1440 points
  struct Case {
    const char* what;
    std::optional<Size> fitting;
    Rect button, screen, expected;
  };
  const Case cases[] = {
      {"too small: its own size", Size{80, 600}, {300, 878, 30, 22}, wide, {300, 313, 500, 560}},
      {"no size: its own size", std::nullopt, {300, 878, 30, 22}, wide, {300, 313, 500, 560}},
      {"a laid-out size is kept", Size{420, 610}, {300, 878, 30, 22}, wide, {300, 263, 420, 610}},
      {"near the right edge", std::nullopt, button, wide, {wide.maxX() - 508, 313, 500, 560}},
      // 1280 x 800 with a 24-point menu bar.
      {"short screen", Size{517, 914}, {1240, 777, 22, 22}, {0, 0, 1280, 776}, {755, 8, 517, 764}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    view.size = c.fitting;
    item.buttonFrame = c.button;
    item.visibleFrame = c.screen;
    item.click();
    ASSERT_TRUE(window.visible);
    EXPECT_TRUE(item.highlighted());
    EXPECT_EQ(window.frame(), c.expected);
    item.click();
  }
}

TEST_F(StatusPanelControllerTest, RecordingSuspendsTheInterceptorAndEscOnlyCancelsIt) {
  record(ActionID::archive);
  ASSERT_TRUE(panel.model().editing);
  EXPECT_TRUE(app.interceptor().suspended());
  EXPECT_FALSE(panel.handleLocalEvent(key(platform::KeyCode::escape, "\x1b")));
  EXPECT_TRUE(window.visible);
  EXPECT_FALSE(panel.model().recording);
  EXPECT_FALSE(app.interceptor().suspended());
  // Esc without a recording closes the panel.
  EXPECT_FALSE(panel.handleLocalEvent(key(platform::KeyCode::escape, "\x1b")));
  EXPECT_FALSE(window.visible);
}

TEST_F(StatusPanelControllerTest, ARefusedKeyKeepsRecordingAndAnAcceptedOneIsAssigned) {
  record(ActionID::send);
  EXPECT_FALSE(panel.handleLocalEvent(key(platform::KeyCode::e, "e")));
  EXPECT_EQ(panel.model().recording, ActionID::send);
  EXPECT_EQ(panel.model().recordMessage,
            "Send needs ⌘, ⌃ or ⌥, so it can't interfere with typing.");
  EXPECT_TRUE(app.interceptor().suspended());
  EXPECT_FALSE(
      panel.handleLocalEvent(key(platform::KeyCode::e, "e", platform::EventFlags::control)));
  // Kept at once; the recorder listens on for a second key until the wait
  // a sequence is given has run out.
  EXPECT_TRUE(app.customStore().exists());
  const auto chords = app.customStore().definition().overrides.at(ActionID::send);
  EXPECT_EQ(chords,
            (std::vector<KeyChord>{KeyChord(KeyToken::character("e"), KeyModifiers::control)}));
  EXPECT_TRUE(app.interceptor().suspended());
  loop.advance(platform::Duration(1.4));
  EXPECT_TRUE(panel.model().recording);
  loop.advance(platform::Duration(0.2));
  EXPECT_FALSE(panel.model().recording);
  EXPECT_FALSE(app.interceptor().suspended());
}

TEST_F(StatusPanelControllerTest, AClickElsewhereInTheAppClosesThePanelAndGoesOn) {
  item.click();
  MonitoredEvent click;
  click.type = MonitoredEvent::Type::leftMouseDown;
  click.window = platform::EventWindow::panel;
  EXPECT_TRUE(panel.handleLocalEvent(click));
  EXPECT_TRUE(window.visible);
  click.window = platform::EventWindow::other;
  EXPECT_TRUE(panel.handleLocalEvent(click));
  EXPECT_FALSE(window.visible);
}

TEST_F(StatusPanelControllerTest, ReturnClosesTheHelpCardAndOtherKeysPass) {
  item.click();
  panel.perform(PanelRequests::ToggleHelp{});
  ASSERT_TRUE(panel.model().showingHelp);
  EXPECT_TRUE(panel.handleLocalEvent(key(platform::KeyCode::e, "e")));
  EXPECT_TRUE(panel.model().showingHelp);
  EXPECT_FALSE(panel.handleLocalEvent(key(platform::KeyCode::returnKey, "\r")));
  EXPECT_FALSE(panel.model().showingHelp);
  EXPECT_TRUE(window.visible);
}

TEST_F(StatusPanelControllerTest, ClosingWhileRecordingGivesTheKeysBackToTheInterceptorAtOnce) {
  record(ActionID::archive);
  ASSERT_TRUE(app.interceptor().suspended());
  item.click();  // closes; no later refresh may be needed for the keys
  EXPECT_FALSE(window.visible);
  EXPECT_FALSE(app.interceptor().suspended());
}

TEST_F(StatusPanelControllerTest, StartingToRecordForgetsTheKeysTheInterceptorSwallowed) {
  mac.permissions.accessibility = true;
  user.openMail();
  loop.advance(platform::Duration(AppController::permissionCheckInterval));
  ASSERT_TRUE(app.tap().isInstalled());
  const auto stroke = sim::User::keystroke("e");
  platform::Event down(platform::EventType::keyDown);
  down.setIntegerValueField(platform::EventField::keyboardEventKeycode, stroke.keyCode);
  down.setKeyboardUnicodeString(u"e");
  ASSERT_TRUE(app.interceptor().handle(platform::EventType::keyDown, down));  // archives
  ASSERT_FALSE(app.interceptor().swallowedKeyCodes().empty());
  record(ActionID::archive);
  // e's key-up goes to the recorder now; the next e typed later keeps its key-up.
  EXPECT_TRUE(app.interceptor().swallowedKeyCodes().empty());
}

TEST_F(StatusPanelControllerTest, TheOptionKeyIsReadWhenTheIconIsClicked) {
  struct Case {
    const char* what;
    std::uint64_t clickFlags;      // the click event's own
    std::uint64_t heldAtClick;     // the keyboard's when the click is handled
    std::uint64_t heldAfterwards;  // then the panel is redrawn
    bool debug;
  };
  constexpr auto option = platform::EventFlags::alternate;
  const Case cases[] = {
      {"option on the click", option, 0, 0, true},
      {"option held, a click without flags (a tray icon)", 0, option, 0, true},
      {"option pressed only after the click", 0, 0, option, false},
      {"option released after the click", option, option, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    monitors.modifierFlags = c.heldAtClick;
    item.click(c.clickFlags);
    ASSERT_TRUE(window.visible);
    monitors.modifierFlags = c.heldAfterwards;
    app.refreshUI();
    ASSERT_TRUE(view.last);
    EXPECT_EQ(view.last->debug.has_value(), c.debug);
    item.click(0);
    ASSERT_FALSE(window.visible);
  }
}

TEST_F(StatusPanelControllerTest, AClickInAnotherApplicationClosesThePanel) {
  // The spy window never resigns key: only the global monitor can hear it.
  item.click();
  const pid_t finder = mac.app(sim::SimulatedMac::finderBundleID)->pid();
  mac.windowServer().mouseDown(9999);  // the panel's own process: no effect
  EXPECT_TRUE(window.visible);
  mac.windowServer().mouseDown(finder);
  EXPECT_FALSE(window.visible);
  EXPECT_FALSE(item.highlighted());
}

TEST_F(StatusPanelControllerTest, QuillosOwnActivationLeavesThePanelOpenAnotherClosesIt) {
  // The spy window never resigns key: only the activation rule can close it.
  item.click();
  mac.activate(session.application().pid());
  loop.runUntilIdle();
  EXPECT_TRUE(window.visible);
  mac.activate(mac.app(sim::SimulatedMac::finderBundleID)->pid());
  loop.runUntilIdle();
  EXPECT_FALSE(window.visible);
  EXPECT_EQ(panel.lastCloseReason(), "another application became active");
}

TEST(PanelActivationRule, OnlyAnotherProcessOrAnUnnamedOneCloses) {
  const auto app = [](pid_t pid) { return platform::RunningApplication{pid, {}, ""}; };
  EXPECT_FALSE(StatusPanelController::activationClosesPanel(app(42), 42));
  EXPECT_TRUE(StatusPanelController::activationClosesPanel(app(403), 42));
  EXPECT_TRUE(StatusPanelController::activationClosesPanel(std::nullopt, 42));
}

TEST_F(StatusPanelControllerTest, APermissionCheckThatChangesNothingRedrawsNothing) {
  item.click();
  const int looks = item.looksSet(), displays = view.displays;
  const platform::Rect frame = window.frame();
  // The app refreshes its interface after every permission check, every
  // two seconds.
  const auto checks = [&](int count) {
    for (int i = 0; i < count; ++i) {
      loop.advance(platform::Duration(2));
      panel.refresh();
    }
  };
  checks(5);
  EXPECT_EQ(item.looksSet(), looks);
  EXPECT_EQ(view.displays, displays);
  EXPECT_EQ(window.frame(), frame);
  // What does change is shown, once.
  mac.permissions.accessibility = true;
  checks(1);
  EXPECT_GT(item.looksSet(), looks);
  EXPECT_EQ(view.displays, displays + 1);
  ASSERT_TRUE(view.last);
  EXPECT_EQ(view.last->switches.at(2).on, true);
  const int changedLooks = item.looksSet();
  checks(2);
  EXPECT_EQ(item.looksSet(), changedLooks);
  EXPECT_EQ(view.displays, displays + 1);
}

TEST_F(StatusPanelControllerTest, TheViewsOwnChangesReplaceAnOpenPanelForItsNewSizeAtOnce) {
  view.size = platform::Size{500, 600};
  item.click();
  view.makeRequest(PanelRequests::EditShortcuts{});
  ASSERT_EQ(window.frame().height, 600);
  // The chooser opens: the drawing is taller, and the panel with it,
  // before control goes back to the loop.
  view.size = platform::Size{500, 700};
  view.updateViewState({true, std::nullopt});
  ASSERT_TRUE(view.last && view.last->editor);
  EXPECT_FALSE(view.last->editor->choices.empty());
  EXPECT_EQ(window.frame().height, 700);
  EXPECT_EQ(window.frame().maxY(), item.buttonFrame.minY() - 5);
}

using A = PanelRequests;

class PanelRequestTest : public StatusPanelControllerTest {
 protected:
  /// Opens the panel, makes the request the way a control would, and tells
  /// whether the panel is still open.
  bool request(const PanelRequest& made) {
    if (!window.visible) item.click();
    view.makeRequest(made);
    return window.visible;
  }
  std::string lastURL() const {
    const auto& urls = mac.workspace().openedURLs;
    return urls.empty() ? "" : urls.back();
  }
};

TEST_F(PanelRequestTest, RequestsThatLeaveForSettingsOrMailCloseThePanelFirst) {
  EXPECT_FALSE(request(A::OpenLoginItems{}));
  EXPECT_EQ(mac.loginItems().settingsOpened, 1);
  EXPECT_FALSE(request(A::FixAccessibility{}));
  EXPECT_EQ(lastURL(),
            "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility");
  EXPECT_FALSE(request(A::FixInputMonitoring{}));
  EXPECT_FALSE(request(A::FixInputMonitoring{}));
  EXPECT_EQ(lastURL(),
            "x-apple.systempreferences:com.apple.preference.security?Privacy_ListenEvent");
  EXPECT_EQ(std::count(mac.permissions.prompts.begin(), mac.permissions.prompts.end(),
                       "Input Monitoring"),
            1);  // asked once per run
  EXPECT_FALSE(request(A::Support{}));
  EXPECT_TRUE(lastURL().starts_with("mailto:"));
  EXPECT_FALSE(request(A::Debug{A::DebugCommand::menus}));
  EXPECT_FALSE(request(A::Debug{A::DebugCommand::showLog}));
  const auto lines = logLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "opened debug log"), lines.end());
  EXPECT_EQ(mac.workspace().openedFiles.back(), app.log().filePath().string());
}

TEST_F(PanelRequestTest, SwitchesKeepThePanelOpen) {
  app.selectSet(ShortcutSet::outlookMac);
  EXPECT_TRUE(request(A::SetEnabled{false}));
  EXPECT_EQ(app.shortcutSet(), ShortcutSet::off);
  EXPECT_TRUE(request(A::SetEnabled{true}));
  EXPECT_EQ(app.shortcutSet(), ShortcutSet::outlookMac);  // the remembered set
  EXPECT_TRUE(request(A::SetDebugLogging{true}));
  EXPECT_TRUE(app.log().isEnabled());
}

}  // namespace
}  // namespace quillo
