// The simulated keyboard, window server and event taps.
#include <gtest/gtest.h>

#include "Platform/Text.hpp"
#include "SimulatorFixture.hpp"

namespace quillo::sim {
namespace {

using namespace testing;

TEST_F(SimulatorTest, KeystrokesReachTheFocusedFieldUnlessATapDropsThem) {
  user.mail().newMessage();
  user.click(Place::subjectField);
  user.type("Hello, World!");
  EXPECT_EQ(user.mail().text(Place::subjectField), "Hello, World!");

  RecordingTap tap;
  tap.dropped = {USKeyboard::KeyCode::x};
  installTap(tap);
  user.type("xyx");
  EXPECT_EQ(user.mail().text(Place::subjectField), "Hello, World!y");
  EXPECT_EQ(tap.seen,
            (std::vector<std::string>{"down x", "up x", "down y", "up y", "down x", "up x"}));
  user.press("delete");
  EXPECT_EQ(user.mail().text(Place::subjectField), "Hello, World!");
}

TEST_F(SimulatorTest, EventCharactersFollowTheUSLayoutTheWayMacOSReportsThem) {
  struct Case {
    const char* spec;
    std::u16string characters;
    std::uint64_t extraFlags;
  };
  const Case cases[] = {
      {"e", u"e", 0},
      {"E", u"E", EventFlags::shift},
      {"#", u"#", EventFlags::shift},
      {"ctrl+a", u"\x01", 0},
      {"ctrl+shift+r", u"\x12", 0},
      {"ctrl+]", u"\x1D", 0},
      {"ctrl+1", u"1", 0},
      {"cmd+e", u"e", 0},
      {"option+f", u"ƒ", 0},
      {"option+e", u"", 0},  // a dead key
      {"up", u"\uF700", EventFlags::secondaryFn | EventFlags::numericPad},
      {"right", u"\uF703", EventFlags::secondaryFn | EventFlags::numericPad},
      {"f1", u"\uF704", EventFlags::secondaryFn},
      {"return", u"\r", 0},
      {"enter", u"\x03", EventFlags::numericPad},
      {"delete", u"\x7F", 0},
      {"escape", u"\x1B", 0},
      {"tab", u"\t", 0},
      {"shift+tab", u"\x19", 0},
      {"space", u" ", 0},
  };
  for (const auto& c : cases) {
    const auto stroke = User::keystroke(c.spec);
    mac.windowServer().log.clear();
    loop.advance(mac.windowServer().pressKey(stroke.keyCode, stroke.flags));
    ASSERT_EQ(mac.windowServer().log.size(), 2u) << c.spec;
    const auto& down = mac.windowServer().log.front();
    EXPECT_EQ(down.type, EventType::keyDown);
    EXPECT_EQ(down.characters, platform::text::utf8(c.characters)) << c.spec;
    EXPECT_EQ(down.flags, stroke.flags | c.extraFlags) << c.spec;
    EXPECT_EQ(down.deliveredTo, user.mail().pid());
  }
  EXPECT_THROW(User::keystroke("hyper+e"), UnknownKey);
  EXPECT_THROW(User::keystroke("f99"), UnknownKey);
}

// Counted ons, keys hidden from taps yet reaching the application, and a
// quitting holder ending it stand in menu/secure-input-in-the-menu.scenario
// and keypath/secure-input-hides-keys.scenario.
TEST_F(SimulatorTest, SecureKeyboardEntryIsHeldPerProcessAndAnOffWithoutAnOnDoesNothing) {
  auto& server = mac.windowServer();
  user.switchTo("com.apple.Terminal", "Terminal");
  const pid_t terminal = mac.app(std::string("com.apple.Terminal"))->pid();
  const pid_t mail = user.mail().pid();
  server.enableSecureEventInput(terminal);
  server.enableSecureEventInput(mail);
  EXPECT_TRUE(server.isSecureEventInputEnabled());
  EXPECT_EQ(server.secureEventInputHolders(), (std::vector<pid_t>{mail, terminal}));  // by pid
  server.disableSecureEventInput(mail);
  server.disableSecureEventInput(mail);  // an off without an on does nothing
  EXPECT_EQ(server.secureEventInputHolders(), std::vector<pid_t>{terminal});
}

struct SlowTap {
  SimulatedMac* mac;
  std::vector<EventType> notices;
  static Event* callback(EventTapProxy, EventType type, Event*, void* userInfo) {
    auto* self = static_cast<SlowTap*>(userInfo);
    if (type == EventType::keyDown) self->mac->block(Duration(1.5));
    if (type == EventType::tapDisabledByTimeout) self->notices.push_back(type);
    return nullptr;  // wants to drop everything
  }
};

TEST_F(SimulatorTest, ATapThatAnswersTooSlowlyIsDisabledByTimeoutAndTheKeyPasses) {
  SlowTap slow{&mac, {}};
  const MachPort port = installTap(slow);
  user.click(Place::searchField);
  user.press("q");
  EXPECT_FALSE(mac.windowServer().tapIsEnabled(port));
  EXPECT_EQ(slow.notices, std::vector{EventType::tapDisabledByTimeout});
  EXPECT_EQ(user.mail().text(Place::searchField), "q");
}

/// A tap whose key-downs post main-loop work, as an application's actions
/// do; the work takes `busy` of the main thread.
struct PostingTap {
  SimulatedMac* mac;
  Duration busy{0};
  std::vector<std::string> seen;
  static Event* callback(EventTapProxy, EventType type, Event* event, void* userInfo) {
    auto* self = static_cast<PostingTap*>(userInfo);
    switch (type) {
      case EventType::keyDown:
        self->seen.push_back("down");
        self->mac->loop().post([self] {
          self->seen.push_back("work");
          self->mac->block(self->busy);
        });
        return nullptr;
      case EventType::keyUp:
        self->seen.push_back("up");
        return nullptr;
      case EventType::tapDisabledByTimeout:
        self->seen.push_back("disabled by timeout");
        return event;
      case EventType::null:
      case EventType::leftMouseDown:
      case EventType::rightMouseDown:
      case EventType::flagsChanged:
      case EventType::tapDisabledByUserInput:
        return event;
    }
    return event;
  }
};

TEST_F(SimulatorTest, KeyEventsComeOverTimeWithTheMainLoopRunningBetween) {
  PostingTap tap{&mac, Duration(0), {}};
  installTap(tap);
  const Duration start = loop.elapsed();
  user.hold("j", 2);
  // The work of each key-down runs before the next repeat and the key-up.
  EXPECT_EQ(tap.seen,
            (std::vector<std::string>{"down", "work", "down", "work", "down", "work", "up"}));
  const auto& server = mac.windowServer();
  EXPECT_DOUBLE_EQ((loop.elapsed() - start).count(),
                   (server.keyRepeatDelay + server.keyRepeatInterval * 1.5).count());
  tap.seen.clear();
  user.press(std::vector<std::string>{"a", "b"});
  EXPECT_EQ(tap.seen, (std::vector<std::string>{"down", "work", "up", "down", "work", "up"}));
}

TEST_F(SimulatorTest, AKeyWaitingForABusyMainThreadTimesTheTapOutAndPasses) {
  PostingTap tap{&mac, Duration(1.5), {}};
  const MachPort port = installTap(tap);
  user.click(Place::searchField);
  // The first key-down's work keeps the main thread busy for 1.5 s: its
  // key-up and the next key wait longer than the tap's time-out.
  user.press(std::vector<std::string>{"q", "w"});
  EXPECT_EQ(tap.seen, (std::vector<std::string>{"down", "work", "disabled by timeout"}));
  EXPECT_EQ(user.mail().text(Place::searchField), "w");
  const auto& log = mac.windowServer().log;
  ASSERT_EQ(log.size(), 4u);
  EXPECT_FALSE(log[0].deliveredTo.has_value());  // q went down while the tap was free
  for (std::size_t i = 1; i < log.size(); ++i)
    EXPECT_EQ(log[i].deliveredTo, user.mail().pid());
  // Once the tap is back on, keys typed after that reach it again.
  mac.windowServer().tapEnable(port, true);
  tap.busy = Duration(0);
  user.press("e");
  EXPECT_EQ(tap.seen.back(), "up");
}

// The first key held until the system times the tap out stands in
// app/accessibility-revoked-while-tapping.scenario.
TEST_F(SimulatorTest, ATapWhoseProcessLostAccessibilityHoldsTheNextKeyOnceSwitchedBackOn) {
  RecordingTap tap;
  const auto port = installTap(tap);
  user.click(Place::searchField);
  mac.permissions.accessibility = false;
  user.press("q");
  mac.windowServer().tapEnable(port, true);
  user.press("w");
  EXPECT_EQ(tap.seen.back(), "down w");
  EXPECT_EQ(user.mail().text(Place::searchField), "");
  // The kinder model: the tap just stops seeing keys.
  mac.windowServer().revokedTapsHoldEvents = false;
  mac.windowServer().tapEnable(port, true);
  user.press("e");
  EXPECT_EQ(tap.seen.back(), "down w");
  EXPECT_EQ(user.mail().text(Place::searchField), "e");
}

TEST_F(SimulatorTest, TheWindowServerKeepsOnlyTheLatestEvents) {
  auto& server = mac.windowServer();
  const std::uint64_t before = server.eventsLogged();
  user.type(std::string(WindowServer::keptEvents, 'a'));
  EXPECT_EQ(server.log.size(), WindowServer::keptEvents);
  EXPECT_EQ(server.eventsLogged(), before + 2 * WindowServer::keptEvents);
  EXPECT_EQ(server.loggedEvent(before), nullptr);
  const auto* last = server.loggedEvent(server.eventsLogged() - 1);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last, &server.log.back());
  EXPECT_EQ(server.loggedEvent(server.eventsLogged()), nullptr);
}

TEST_F(SimulatorTest, PostedEventsCarryTheirUserDataPassTapsAndReachTheTargetProcess) {
  RecordingTap tap;
  installTap(tap);
  auto& server = mac.windowServer();
  const auto source = server.eventSourceCreate(EventSourceStateID::privateState);
  ASSERT_TRUE(source);
  server.eventSourceSetUserData(*source, 0x514C4F21);
  auto down = server.createKeyboardEvent(source, USKeyboard::KeyCode::down, true);
  auto up = server.createKeyboardEvent(source, USKeyboard::KeyCode::down, false);
  ASSERT_TRUE(down && up);
  EXPECT_EQ(down->integerValueField(EventField::eventSourceUserData), 0x514C4F21);
  down->setFlags(0xA00000);
  up->setFlags(0xA00000);
  user.switchTo(SimulatedMac::safariBundleID, "Safari");  // Mail is not even in front
  const auto before = user.mail().selectedMessage()->subject;
  server.postToPid(user.mail().pid(), *down);
  server.postToPid(user.mail().pid(), *up);
  loop.runUntilIdle();
  EXPECT_EQ(tap.seen, (std::vector<std::string>{"down down", "up down"}));
  ASSERT_EQ(server.log.size(), 2u);
  EXPECT_TRUE(server.log[0].posted);
  EXPECT_EQ(server.log[0].userData, 0x514C4F21);
  EXPECT_EQ(server.log[0].targetPID, user.mail().pid());
  EXPECT_EQ(server.log[0].deliveredTo, user.mail().pid());
  EXPECT_NE(user.mail().selectedMessage()->subject, before);  // the arrow moved the selection
  server.eventCreationFails = true;
  EXPECT_FALSE(server.eventSourceCreate(EventSourceStateID::privateState));
}

}  // namespace
}  // namespace quillo::sim
