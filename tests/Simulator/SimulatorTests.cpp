#include <gtest/gtest.h>

#include "Platform/Text.hpp"
#include "SimulatedMacFixture.hpp"
#include "Simulator/USKeyboard.hpp"

namespace quillo::sim {
namespace {

using namespace platform;
using Place = MailApp::Place;

class SimulatorTest : public testing::SimulatedMacTest {
 protected:
  void SetUp() override {
    user.openMail();
    mac.permissions.accessibility = true;
  }

  /// A session tap that records what it sees and drops the keys in `dropped`.
  struct RecordingTap {
    std::vector<std::string> seen;
    std::vector<std::uint16_t> dropped;
    std::vector<EventType> notices;

    static Event* callback(EventTapProxy, EventType type, Event* event, void* userInfo) {
      auto* self = static_cast<RecordingTap*>(userInfo);
      if (type != EventType::keyDown && type != EventType::keyUp) {
        self->notices.push_back(type);
        return event;
      }
      const auto code =
          static_cast<std::uint16_t>(event->integerValueField(EventField::keyboardEventKeycode));
      self->seen.push_back((type == EventType::keyDown ? "down " : "up ") +
                           USKeyboard::keyName(code));
      for (auto drop : self->dropped) {
        if (drop == code) return nullptr;
      }
      return event;
    }
  };

  MachPort installTap(RecordingTap& tap) {
    const auto port = mac.windowServer().tapCreate(
        EventTapLocation::session, EventTapPlacement::headInsert, EventTapOptions::defaultTap,
        eventMaskBit(EventType::keyDown) | eventMaskBit(EventType::keyUp), &RecordingTap::callback,
        &tap);
    EXPECT_TRUE(port.has_value());
    const auto source = mac.windowServer().machPortCreateRunLoopSource(*port);
    mac.windowServer().runLoopAddSource(source);
    return *port;
  }

  CFValue read(const AXUIElement& element, std::string_view attribute) {
    CFValue value;
    EXPECT_EQ(mac.accessibility().copyAttributeValue(element, attribute, value), AXError::success)
        << attribute << " of element " << element.pid << ":" << element.element;
    return value;
  }

  std::string role(const AXUIElement& element) {
    return *read(element, "AXRole").get<std::string>();
  }
};

// MARK: - Keyboard and taps

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

TEST_F(SimulatorTest, AutoRepeatAndKeyUpFollowTheKeyDown) {
  RecordingTap tap;
  installTap(tap);
  user.hold("j", 3);
  EXPECT_EQ(tap.seen, (std::vector<std::string>{"down j", "down j", "down j", "down j", "up j"}));
  const auto& log = mac.windowServer().log;
  ASSERT_EQ(log.size(), 5u);
  EXPECT_FALSE(log[0].autorepeat);
  EXPECT_TRUE(log[1].autorepeat && log[3].autorepeat);
}

TEST_F(SimulatorTest, TapsNeedPermissionsAndFollowEnableAndInvalidate) {
  RecordingTap tap;
  mac.permissions.accessibility = false;
  EXPECT_FALSE(mac.windowServer().tapCreate(
      EventTapLocation::session, EventTapPlacement::headInsert, EventTapOptions::defaultTap, 0xC00,
      &RecordingTap::callback, &tap));
  mac.permissions.accessibility = true;
  mac.permissions.tapNeedsInputMonitoring = true;
  EXPECT_FALSE(mac.windowServer().tapCreate(
      EventTapLocation::session, EventTapPlacement::headInsert, EventTapOptions::defaultTap, 0xC00,
      &RecordingTap::callback, &tap));
  mac.permissions.inputMonitoring = true;
  const MachPort port = installTap(tap);
  EXPECT_TRUE(mac.windowServer().tapIsEnabled(port));
  mac.windowServer().tapEnable(port, false);
  user.press("a");
  EXPECT_TRUE(tap.seen.empty());
  mac.windowServer().tapEnable(port, true);
  user.press("a");
  EXPECT_EQ(tap.seen.size(), 2u);
  mac.windowServer().machPortInvalidate(port);
  user.press("a");
  EXPECT_EQ(tap.seen.size(), 2u);
  EXPECT_EQ(mac.windowServer().tapCount(), 0u);
}

TEST_F(SimulatorTest, TheSystemDisablesTapsAndSaysSo) {
  RecordingTap tap;
  const MachPort port = installTap(tap);
  mac.windowServer().disableTapsByTimeout();
  EXPECT_FALSE(mac.windowServer().tapIsEnabled(port));
  loop.runUntilIdle();
  EXPECT_EQ(tap.notices, std::vector{EventType::tapDisabledByTimeout});
  mac.windowServer().tapEnable(port, true);
  mac.windowServer().disableTapsByUserInput();
  loop.runUntilIdle();
  EXPECT_EQ(tap.notices.back(), EventType::tapDisabledByUserInput);
}

TEST_F(SimulatorTest, SecureKeyboardEntryIsHeldPerProcessAndHidesKeysFromTaps) {
  RecordingTap tap;
  tap.dropped = {USKeyboard::KeyCode::down};
  installTap(tap);
  auto& server = mac.windowServer();
  user.switchTo("com.apple.Terminal", "Terminal");
  const pid_t terminal = mac.app(std::string("com.apple.Terminal"))->pid();
  const pid_t mail = user.mail().pid();
  user.openMail();

  server.enableSecureEventInput(terminal);
  server.enableSecureEventInput(terminal);  // counted: two ons need two offs
  server.enableSecureEventInput(mail);
  EXPECT_TRUE(server.isSecureEventInputEnabled());
  EXPECT_EQ(server.secureEventInputHolders(), (std::vector<pid_t>{mail, terminal}));  // by pid
  const auto before = user.mail().selectedMessage()->subject;
  user.press("down");  // the tap would drop it, but never sees it
  EXPECT_TRUE(tap.seen.empty());
  EXPECT_EQ(server.log.back().deliveredTo, mail);
  EXPECT_NE(user.mail().selectedMessage()->subject, before);

  server.disableSecureEventInput(mail);
  server.disableSecureEventInput(mail);  // an off without an on does nothing
  server.disableSecureEventInput(terminal);
  EXPECT_EQ(server.secureEventInputHolders(), std::vector<pid_t>{terminal});
  mac.quit(terminal);  // quitting ends what it held
  EXPECT_FALSE(server.isSecureEventInputEnabled());
  user.press("a");
  EXPECT_EQ(tap.seen, (std::vector<std::string>{"down a", "up a"}));
}

TEST_F(SimulatorTest, AnInvalidatedTapPortNeverDeliversAgainAndNobodyIsTold) {
  RecordingTap tap;
  const MachPort port = installTap(tap);
  auto& server = mac.windowServer();
  EXPECT_TRUE(server.machPortIsValid(port));
  server.invalidateTapPorts();
  loop.runUntilIdle();
  EXPECT_FALSE(server.machPortIsValid(port));
  EXPECT_FALSE(server.tapIsEnabled(port));
  user.press("a");
  EXPECT_TRUE(tap.seen.empty());
  EXPECT_TRUE(tap.notices.empty());
  EXPECT_EQ(server.log.back().deliveredTo, user.mail().pid());
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
  const auto port =
      mac.windowServer().tapCreate(EventTapLocation::session, EventTapPlacement::headInsert,
                                   EventTapOptions::defaultTap, 0xC00, &SlowTap::callback, &slow);
  mac.windowServer().runLoopAddSource(mac.windowServer().machPortCreateRunLoopSource(*port));
  user.click(Place::searchField);
  user.press("q");
  EXPECT_FALSE(mac.windowServer().tapIsEnabled(*port));
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
      case EventType::flagsChanged:
      case EventType::tapDisabledByUserInput:
        return event;
    }
    return event;
  }
};

TEST_F(SimulatorTest, KeyEventsComeOverTimeWithTheMainLoopRunningBetween) {
  PostingTap tap{&mac, Duration(0), {}};
  const auto port =
      mac.windowServer().tapCreate(EventTapLocation::session, EventTapPlacement::headInsert,
                                   EventTapOptions::defaultTap, 0xC00, &PostingTap::callback, &tap);
  mac.windowServer().runLoopAddSource(mac.windowServer().machPortCreateRunLoopSource(*port));
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
  const auto port =
      mac.windowServer().tapCreate(EventTapLocation::session, EventTapPlacement::headInsert,
                                   EventTapOptions::defaultTap, 0xC00, &PostingTap::callback, &tap);
  mac.windowServer().runLoopAddSource(mac.windowServer().machPortCreateRunLoopSource(*port));
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
  mac.windowServer().tapEnable(*port, true);
  tap.busy = Duration(0);
  user.press("e");
  EXPECT_EQ(tap.seen.back(), "up");
}

TEST_F(SimulatorTest, ATapWhoseProcessLosesAccessibilityHoldsTheKeysUntilTimedOut) {
  RecordingTap tap;
  const auto port = installTap(tap);
  user.click(Place::searchField);
  mac.permissions.accessibility = false;
  user.press("q");
  // Handed to the tap but never passed on; the system then disables it.
  EXPECT_EQ(tap.seen, std::vector<std::string>{"down q"});
  EXPECT_EQ(tap.notices, std::vector{EventType::tapDisabledByTimeout});
  EXPECT_EQ(user.mail().text(Place::searchField), "");
  EXPECT_FALSE(mac.windowServer().log[0].deliveredTo.has_value());
  // Switched back on, it holds the next key again.
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

TEST_F(SimulatorTest, KeyLayoutTranslatesKeysWithAndWithoutShift) {
  const auto layout = mac.windowServer().currentKeyboardLayout();
  ASSERT_NE(layout, nullptr);
  std::uint32_t dead = 0;
  std::u16string out;
  EXPECT_EQ(layout->translate(USKeyboard::KeyCode::e, keyActionDown, 0, 40,
                              keyTranslateNoDeadKeysMask, dead, 4, out),
            0);
  EXPECT_EQ(out, u"e");
  EXPECT_EQ(layout->translate(USKeyboard::KeyCode::e, keyActionDown, 2, 40,
                              keyTranslateNoDeadKeysMask, dead, 4, out),
            0);
  EXPECT_EQ(out, u"E");
  EXPECT_EQ(layout->translate(20, keyActionDown, 2, 40, keyTranslateNoDeadKeysMask, dead, 4, out),
            0);
  EXPECT_EQ(out, u"#");
  EXPECT_NE(layout->translate(200, keyActionDown, 0, 40, keyTranslateNoDeadKeysMask, dead, 4, out),
            0);
  mac.windowServer().layoutDataAvailable = false;
  EXPECT_EQ(mac.windowServer().currentKeyboardLayout(), nullptr);
}

// MARK: - Mail's own shortcuts and menus

TEST_F(SimulatorTest, MailsOwnShortcutsWorkWithoutAnyTap) {
  auto& mail = user.mail();
  const auto first = mail.selectedMessage()->subject;
  user.press("ctrl+cmd+a");
  EXPECT_EQ(mail.mailbox("Archive").back().subject, first);
  EXPECT_EQ(mail.menuPresses.back().path, "Message \u203a Archive");
  EXPECT_TRUE(mail.menuPresses.back().viaKeyEquivalent);
  user.press("cmd+z");
  EXPECT_EQ(mail.mailbox("Inbox").front().subject, first);
  user.press("cmd+r");
  EXPECT_EQ(mail.windowList().front().kind, MailApp::WindowKind::compose);
  EXPECT_EQ(mail.windowList().front().title, "Re: " + first);
  user.type("Sounds good");
  EXPECT_EQ(mail.text(Place::body), "Sounds good");
  user.press("shift+cmd+d");
  EXPECT_EQ(mail.mailbox("Sent").back().subject, "Re: " + first);
  EXPECT_EQ(mail.windowList().size(), 1u);
  user.press("down");
  EXPECT_EQ(mail.selectedMessage()->subject, mail.mailbox("Inbox")[1].subject);
  // ⇧⌘D does nothing outside a compose window: the item is disabled.
  const auto sent = mail.mailbox("Sent").size();
  user.press("shift+cmd+d");
  EXPECT_EQ(mail.mailbox("Sent").size(), sent);
  EXPECT_FALSE(mail.menuPresses.back().enabled);
}

class MenuItemTest : public SimulatorTest {
 protected:
  /// Presses the item over accessibility, as Quillo does.
  AXError press(const std::vector<std::string>& path) {
    const auto item = user.mail().menuItem(path);
    EXPECT_NE(item, nullptr);
    if (!item) return AXError::failure;
    const AXError result = mac.accessibility().performAction(
        AccessibilityServer::element(user.mail().pid(), *item), "AXPress");
    loop.runUntilIdle();
    return result;
  }
};

TEST_F(MenuItemTest, EachItemQuilloUsesDoesItsJob) {
  auto& mail = user.mail();
  const auto& inbox = mail.mailbox("Inbox");
  const auto subject = [&](std::size_t i) { return inbox.at(i).subject; };
  const std::string first = subject(0);

  EXPECT_EQ(press({"Message", "Archive"}), AXError::success);
  EXPECT_EQ(mail.mailbox("Archive").back().subject, first);
  EXPECT_EQ(mail.selectedMessage()->subject, subject(0));  // the next one took its place
  EXPECT_EQ(mail.menuItem({"Edit", "Undo Archive"}) != nullptr, true);
  EXPECT_EQ(press({"Edit", "Undo Archive"}), AXError::success);
  EXPECT_EQ(subject(0), first);
  EXPECT_EQ(mail.menuItem({"Edit", "Undo"})->isEnabled(), false);

  EXPECT_EQ(press({"Edit", "Delete"}), AXError::success);
  EXPECT_EQ(mail.mailbox("Trash").back().subject, first);
  press({"Edit", "Undo Delete"});

  EXPECT_FALSE(mail.selectedMessage()->read);
  EXPECT_EQ(press({"Message", "Mark as Read"}), AXError::success);
  EXPECT_TRUE(mail.selectedMessage()->read);
  EXPECT_FALSE(mail.menuItem({"Message", "Mark as Read"})->isEnabled());
  EXPECT_EQ(press({"Message", "Mark as Unread"}), AXError::success);
  EXPECT_FALSE(mail.selectedMessage()->read);

  EXPECT_EQ(press({"Message", "Flag", "Toggle Flag"}), AXError::success);
  EXPECT_TRUE(mail.selectedMessage()->flagged);

  EXPECT_EQ(press({"Message", "Move to Junk"}), AXError::success);
  EXPECT_EQ(mail.mailbox("Junk").back().subject, first);
  press({"Edit", "Undo Move to Junk"});

  for (const auto& [path, kind, title] :
       {std::tuple{std::vector<std::string>{"Message", "Reply"}, MailApp::WindowKind::compose,
                   "Re: " + first},
        std::tuple{std::vector<std::string>{"Message", "Reply All"}, MailApp::WindowKind::compose,
                   "Re: " + first},
        std::tuple{std::vector<std::string>{"Message", "Forward"}, MailApp::WindowKind::compose,
                   "Fwd: " + first},
        std::tuple{std::vector<std::string>{"File", "New Message"}, MailApp::WindowKind::compose,
                   std::string("New Message")}}) {
    EXPECT_EQ(press(path), AXError::success);
    EXPECT_EQ(mail.windowList().front().kind, kind);
    EXPECT_EQ(mail.windowList().front().title, title);
    mail.closeKeyWindow();
    if (mail.windowList().front().hasSheet) mail.dismissSheet(true);
  }

  EXPECT_EQ(press({"Edit", "Find", "Mailbox Search"}), AXError::success);
  EXPECT_EQ(mail.focusDescription(), "viewer: search field");
  user.click(Place::messageList);

  EXPECT_EQ(press({"File", "Open Message"}), AXError::success);
  EXPECT_EQ(mail.windowList().front().kind, MailApp::WindowKind::message);
  EXPECT_EQ(mail.focusDescription(), "message window: message content");
  EXPECT_EQ(press({"Message", "Archive"}), AXError::success);  // archiving closes it
  EXPECT_EQ(mail.windowList().size(), 1u);

  // Send only in a compose window.
  EXPECT_FALSE(mail.menuItem({"Message", "Send"})->isEnabled());
  EXPECT_EQ(press({"Message", "Send"}), AXError::cannotComplete);
  mail.newMessage();
  user.type("someone@example.com");
  user.press("tab");
  user.type("Hi");
  EXPECT_EQ(press({"Message", "Send"}), AXError::success);
  EXPECT_EQ(mail.mailbox("Sent").back().subject, "Hi");

  // Copy, cut and paste in a text field.
  user.click(Place::searchField);
  user.type("invoice");
  EXPECT_EQ(press({"Edit", "Copy"}), AXError::success);
  EXPECT_EQ(mac.pasteboard, "invoice");
  EXPECT_EQ(press({"Edit", "Cut"}), AXError::success);
  EXPECT_EQ(mail.text(Place::searchField), "");
  EXPECT_EQ(press({"Edit", "Paste"}), AXError::success);
  EXPECT_EQ(mail.text(Place::searchField), "invoice");
}

TEST_F(MenuItemTest, NothingSelectedDisablesTheMessageCommands) {
  auto& mail = user.mail();
  mail.showMailbox("Trash");  // empty
  for (const auto& path :
       std::vector<std::vector<std::string>>{{"Message", "Archive"},
                                             {"Edit", "Delete"},
                                             {"Message", "Reply"},
                                             {"Message", "Flag", "Toggle Flag"}}) {
    EXPECT_FALSE(mail.menuItem(path)->isEnabled()) << path.back();
    EXPECT_EQ(press(path), AXError::cannotComplete);
  }
}

TEST_F(MenuItemTest, VariantsOfMail) {
  MailVariant variant;
  variant.junkTitle = "Move to Spam";
  variant.missingItems = {{"Message", "Archive"}};
  variant.disabledItems = {{"Message", "Reply"}};
  auto& mail = user.relaunchMail(variant);
  EXPECT_EQ(mail.menuItem({"Message", "Move to Junk"}), nullptr);
  EXPECT_NE(mail.menuItem({"Message", "Move to Spam"}), nullptr);
  EXPECT_EQ(mail.menuItem({"Message", "Archive"}), nullptr);
  EXPECT_FALSE(mail.menuItem({"Message", "Reply"})->isEnabled());
  const auto first = mail.selectedMessage()->subject;
  press({"Message", "Move to Spam"});
  EXPECT_EQ(mail.mailbox("Junk").back().subject, first);
  EXPECT_EQ(mail.undoName(), "Move to Spam");
}

TEST_F(MenuItemTest, AGermanMailHasGermanTitlesAndTheSameKeyEquivalents) {
  MailVariant german;
  german.language = "de";
  auto& mail = user.relaunchMail(german);
  EXPECT_EQ(mail.menuItem({"Message", "Archive"}), nullptr);
  ASSERT_NE(mail.menuItem({"Nachricht", "Archivieren"}), nullptr);
  EXPECT_NE(mail.menuItem({"Postfach", "Zu bevorzugtem Postfach wechseln", "Archiv"}), nullptr);
  EXPECT_NE(mail.menuItem({"Nachricht", "Markierung", "Markierung umschalten"}), nullptr);
  const auto undo = mail.menuItem({"Bearbeiten", "Widerrufen"});
  ASSERT_NE(undo, nullptr);
  const auto first = mail.selectedMessage()->subject;
  user.press("ctrl+cmd+a");
  EXPECT_EQ(mail.mailbox("Archive").back().subject, first);
  EXPECT_EQ(mail.menuPresses.back().path, "Nachricht \u203a Archivieren");
  EXPECT_EQ(mail.undoName(), "Archive");
  EXPECT_EQ(undo->currentTitle(), "Widerrufen Archive");
  EXPECT_EQ(press({"Bearbeiten", "Widerrufen Archive"}), AXError::success);
  EXPECT_EQ(mail.mailbox("Inbox").front().subject, first);
  MailVariant frenchVariant;
  frenchVariant.language = "fr";
  auto& french = user.relaunchMail(frenchVariant);
  EXPECT_NE(french.menuItem({"Message", "Archiver"}), nullptr);
  EXPECT_NE(french.menuItem({"Édition", "Rechercher", "Recherche dans la boîte aux lettres"}),
            nullptr);
}

TEST_F(MenuItemTest, KeyEquivalentsReadOverAccessibilityAsOnAMac) {
  MailVariant variant;
  // The user gave Select All Mail's Archive shortcut, and Reply ⌥⌘R.
  variant.appShortcuts = {
      {{"Edit", "Select All"}, {u'a', EventFlags::control | EventFlags::command}},
      {{"Message", "Reply"}, {u'r', EventFlags::alternate | EventFlags::command}}};
  auto& mail = user.relaunchMail(variant);
  auto& ax = mac.accessibility();
  const auto read = [&](const std::vector<std::string>& path, const char* attribute) {
    CFValue value;
    const AXError error = ax.copyAttributeValue(
        AccessibilityServer::element(mail.pid(), *mail.menuItem(path)), attribute, value);
    return std::pair(error, value);
  };
  struct Case {
    std::vector<std::string> path;
    const char* character;  // none: no key equivalent
    std::int64_t modifiers;
    std::int64_t virtualKey;  // 0: none
  };
  namespace M = MenuItemModifiers;
  const Case cases[] = {
      {{"Message", "Archive"}, "A", M::control, 0},
      {{"Edit", "Select All"}, "A", M::control, 0},
      {{"Message", "Reply"}, "R", M::option, 0},
      {{"Message", "Reply All"}, "R", M::shift, 0},
      {{"File", "New Message"}, "N", M::none, 0},
      {{"Edit", "Find", "Mailbox Search"}, "F", M::option, 0},
      {{"Edit", "Delete"}, "\b", M::noCommand, KeyCode::deleteKey},
      {{"Edit", "Redo"}, "Z", M::shift, 0},
      {{"View", "Show Favorites Bar"}, nullptr, M::none, 0},
  };
  for (const Case& c : cases) {
    const auto [charError, character] = read(c.path, "AXMenuItemCmdChar");
    if (c.character) {
      EXPECT_EQ(charError, AXError::success) << c.path.back();
      EXPECT_EQ(character, CFValue(c.character)) << c.path.back();
    } else {
      EXPECT_EQ(charError, AXError::noValue) << c.path.back();
    }
    EXPECT_EQ(read(c.path, "AXMenuItemCmdModifiers").second, CFValue(c.modifiers)) << c.path.back();
    const auto [keyError, key] = read(c.path, "AXMenuItemCmdVirtualKey");
    if (c.virtualKey) {
      EXPECT_EQ(key, CFValue(c.virtualKey)) << c.path.back();
    } else {
      EXPECT_EQ(keyError, AXError::noValue) << c.path.back();
    }
  }
  // Two items with ⌃⌘A: the keyboard runs the first in menu order.
  user.press("ctrl+cmd+a");
  EXPECT_EQ(mail.menuPresses.back().path, "Edit \u203a Select All");
}

TEST_F(SimulatorTest, SheetsAndPopoversTakeTheFocus) {
  auto& mail = user.mail();
  mail.newMessage();
  user.type("x");
  mail.showPopover();
  EXPECT_EQ(mail.focusDescription(), "compose window: address suggestions");
  user.press("return");
  EXPECT_EQ(mail.text(Place::toField), "Priya Raman <priya@larkmoor.example>");
  user.press("tab");
  user.type("Plans");
  user.press("cmd+w");
  EXPECT_TRUE(mail.windowList().front().hasSheet);
  EXPECT_EQ(mail.focusDescription(), "compose window: sheet");
  user.type("abc");  // typing does not reach the fields behind a sheet
  EXPECT_EQ(mail.text(Place::subjectField), "Plans");
  user.press("escape");
  EXPECT_FALSE(mail.windowList().front().hasSheet);
  user.press("cmd+w");
  user.press("return");
  EXPECT_EQ(mail.windowList().size(), 1u);
}

// MARK: - Accessibility

TEST_F(SimulatorTest, TheTreeAnswersWhatQuilloReads) {
  auto& ax = mac.accessibility();
  const auto systemWide = ax.createSystemWide();
  const auto appElement = *read(systemWide, "AXFocusedApplication").get<AXUIElement>();
  pid_t pid = 0;
  EXPECT_EQ(ax.getPid(appElement, pid), AXError::success);
  EXPECT_EQ(pid, user.mail().pid());
  EXPECT_EQ(appElement, ax.createApplication(pid));  // the same element, CFEqual

  // The focused element and its chain up to the window.
  const auto table = *read(appElement, "AXFocusedUIElement").get<AXUIElement>();
  CFValue info;
  ASSERT_EQ(ax.copyMultipleAttributeValues(
                table, {"AXRole", "AXSubrole", "AXIdentifier", "AXParent"}, 0, info),
            AXError::success);
  const auto& values = *info.get<CFValue::Array>();
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[0], CFValue("AXTable"));
  EXPECT_EQ(values[1], CFValue(AXValueError{AXError::noValue}));
  EXPECT_EQ(values[2], CFValue("Mail.messageList"));
  std::vector<std::string> chain;
  for (auto element = *values[3].get<AXUIElement>();;) {
    const std::string r = role(element);
    chain.push_back(r);
    if (r == "AXApplication") break;
    element = *read(element, "AXParent").get<AXUIElement>();
  }
  EXPECT_EQ(chain, (std::vector<std::string>{"AXScrollArea", "AXSplitGroup", "AXWindow",
                                             "AXApplication"}));
  const auto window = *read(appElement, "AXFocusedWindow").get<AXUIElement>();
  EXPECT_EQ(*read(window, "AXSubrole").get<std::string>(), "AXStandardWindow");
  // The preview is not a direct child of the viewer.
  const CFValue windowChildren = read(window, "AXChildren");
  for (const auto& child : *windowChildren.get<CFValue::Array>()) {
    EXPECT_NE(role(*child.get<AXUIElement>()), "AXWebArea");
  }

  // The menu bar: the Apple menu first, then Mail's menus with their items.
  const auto bar = *read(appElement, "AXMenuBar").get<AXUIElement>();
  const auto menus = *read(bar, "AXChildren").get<CFValue::Array>();
  std::vector<std::string> titles;
  for (const auto& menu : menus)
    titles.push_back(*read(*menu.get<AXUIElement>(), "AXTitle").get<std::string>());
  EXPECT_EQ(titles, (std::vector<std::string>{"Apple", "Mail", "File", "Edit", "View", "Mailbox",
                                              "Message", "Format", "Window", "Help"}));
  const auto messageMenu = *read(*menus[6].get<AXUIElement>(), "AXChildren").get<CFValue::Array>();
  ASSERT_EQ(messageMenu.size(), 1u);
  EXPECT_EQ(role(*messageMenu[0].get<AXUIElement>()), "AXMenu");
  const auto items = *read(*messageMenu[0].get<AXUIElement>(), "AXChildren").get<CFValue::Array>();
  const auto send = *items[0].get<AXUIElement>();
  EXPECT_EQ(*read(send, "AXTitle").get<std::string>(), "Send");
  EXPECT_EQ(*read(send, "AXEnabled").get<bool>(), false);

  // Windows of the application.
  EXPECT_EQ(read(appElement, "AXWindows").get<CFValue::Array>()->size(), 1u);
  CFValue missing;
  EXPECT_EQ(ax.copyAttributeValue(appElement, "AXNoSuchThing", missing),
            AXError::attributeUnsupported);
}

TEST_F(SimulatorTest, OpenedMessageAndComposeWindowsHoldTheirMarkersDirectly) {
  auto& mail = user.mail();
  const auto identifiersOfFrontWindow = [&] {
    const auto app = mac.accessibility().createApplication(mail.pid());
    const auto window = *read(app, "AXFocusedWindow").get<AXUIElement>();
    std::vector<std::string> ids;
    const CFValue children = read(window, "AXChildren");
    for (const auto& child : *children.get<CFValue::Array>()) {
      CFValue id;
      if (mac.accessibility().copyAttributeValue(*child.get<AXUIElement>(), "AXIdentifier", id) ==
          AXError::success) {
        ids.push_back(*id.get<std::string>());
      }
    }
    return ids;
  };
  mail.openSelectedMessage();
  EXPECT_EQ(identifiersOfFrontWindow(), std::vector<std::string>{"_MAIL_MESSAGE_CONTENT"});
  mail.newMessage();
  EXPECT_EQ(identifiersOfFrontWindow(),
            (std::vector<std::string>{"Mail.toField", "Mail.subjectField"}));
}

TEST_F(SimulatorTest, UntrustedCallsFailWithAPIDisabledAndCostNothing) {
  mac.permissions.accessibility = false;
  auto& ax = mac.accessibility();
  CFValue value;
  EXPECT_EQ(ax.copyAttributeValue(ax.createSystemWide(), "AXFocusedApplication", value),
            AXError::apiDisabled);
  EXPECT_EQ(ax.copyAttributeValue(ax.createApplication(user.mail().pid()), "AXMenuBar", value),
            AXError::apiDisabled);
  EXPECT_EQ(ax.totalRoundTrips(), 0u);
  EXPECT_FALSE(ax.isProcessTrusted());
}

TEST_F(SimulatorTest, ABusyMailTimesOutWithCannotComplete) {
  auto& ax = mac.accessibility();
  user.mail().latency = 0.2;
  const auto app = ax.createApplication(user.mail().pid());
  ASSERT_EQ(ax.setMessagingTimeout(app, 0.1f), AXError::success);
  CFValue value;
  auto before = loop.elapsed();
  EXPECT_EQ(ax.copyAttributeValue(app, "AXFocusedUIElement", value), AXError::cannotComplete);
  EXPECT_NEAR((loop.elapsed() - before).count(), 0.1, 1e-6);  // it blocked for the time-out
  // Elements without their own time-out use the process-wide one.
  ASSERT_EQ(ax.setMessagingTimeout(ax.createSystemWide(), 0.25f), AXError::success);
  const auto bar = AccessibilityServer::element(user.mail().pid(), *user.mail().menuBar());
  before = loop.elapsed();
  EXPECT_EQ(ax.copyAttributeValue(bar, "AXChildren", value), AXError::success);
  EXPECT_NEAR((loop.elapsed() - before).count(), 0.2, 1e-6);
  user.mail().latency = 0.3;
  EXPECT_EQ(ax.copyAttributeValue(bar, "AXChildren", value), AXError::cannotComplete);
  EXPECT_EQ(ax.roundTrips(user.mail().pid()), 3u);
}

TEST_F(SimulatorTest, ATimeOutHoldsForOneReferenceOnly) {
  auto& ax = mac.accessibility();
  const pid_t pid = user.mail().pid();
  ASSERT_EQ(ax.setMessagingTimeout(ax.createSystemWide(), 0.25f), AXError::success);
  user.mail().latency = 0.2;
  const auto first = ax.createApplication(pid);
  const auto second = ax.createApplication(pid);
  EXPECT_EQ(first, second);  // CFEqual, yet two references
  ASSERT_EQ(ax.setMessagingTimeout(first, 0.1f), AXError::success);
  CFValue value;
  EXPECT_EQ(ax.copyAttributeValue(first, "AXMenuBar", value), AXError::cannotComplete);
  EXPECT_EQ(ax.copyAttributeValue(second, "AXMenuBar", value), AXError::success);
  EXPECT_EQ(ax.copyAttributeValue(ax.createApplication(pid), "AXMenuBar", value), AXError::success);
  // An element read from an attribute is a new reference as well: a time-out
  // set on it is its own.
  const auto bar = *value.get<AXUIElement>();
  ASSERT_EQ(ax.setMessagingTimeout(bar, 0.3f), AXError::success);
  user.mail().latency = 0.28;
  EXPECT_EQ(ax.copyAttributeValue(bar, "AXChildren", value), AXError::success);
  EXPECT_EQ(ax.copyAttributeValue(second, "AXMenuBar", value), AXError::cannotComplete);
}

TEST_F(SimulatorTest, ARelaunchedMailHasANewPidAndOldElementsAreInvalid) {
  auto& ax = mac.accessibility();
  const pid_t before = user.mail().pid();
  const auto oldMenuBar = AccessibilityServer::element(before, *user.mail().menuBar());
  user.mail().showMailbox("Archive");
  user.quitMail();
  EXPECT_EQ(mac.mail(), nullptr);
  EXPECT_EQ(mac.workspace().frontmostApplication(), std::nullopt);  // nothing came forward
  auto& again = user.relaunchMail();
  EXPECT_NE(again.pid(), before);
  CFValue value;
  EXPECT_EQ(ax.copyAttributeValue(oldMenuBar, "AXChildren", value), AXError::invalidUIElement);
  EXPECT_EQ(ax.copyAttributeValue(ax.createApplication(before), "AXMenuBar", value),
            AXError::invalidUIElement);
  // The mailboxes outlive the process.
  EXPECT_EQ(again.mailbox("Inbox").size(), mac.mailStore().mailboxes["Inbox"].size());
}

TEST_F(SimulatorTest, LaggingMenusTellTheEnabledStateOfTheirLastValidation) {
  auto& ax = mac.accessibility();
  auto& mail = user.relaunchMail(MailVariant{.lagMenus = true});
  const auto archive =
      AccessibilityServer::element(mail.pid(), *mail.menuItem({"Message", "Archive"}));
  const auto undo = AccessibilityServer::element(mail.pid(), *mail.menuItem({"Edit", "Undo"}));
  const auto enabled = [&](const AXUIElement& item) {
    return *read(item, "AXEnabled").get<bool>();
  };
  mail.showMailbox("Trash");  // nothing selected: Archive is disabled now
  EXPECT_TRUE(enabled(archive));
  // Pressed over accessibility by that state, it reaches Mail, which does nothing.
  EXPECT_EQ(ax.performAction(archive, "AXPress"), AXError::success);
  EXPECT_FALSE(mail.menuPresses.back().enabled);
  mail.validateMenus("Edit");  // another menu: Archive still lags
  EXPECT_TRUE(enabled(archive));
  mail.validateMenus("Message");
  EXPECT_FALSE(enabled(archive));
  EXPECT_EQ(ax.performAction(archive, "AXPress"), AXError::cannotComplete);

  mail.showMailbox("Inbox");
  ASSERT_TRUE(mail.select(0));
  EXPECT_FALSE(enabled(archive));  // selecting validates nothing
  EXPECT_EQ(ax.performAction(archive, "AXPress"), AXError::cannotComplete);
  EXPECT_EQ(mail.mailbox("Archive").size(), 2u);
  EXPECT_FALSE(enabled(undo));
  user.press("cmd+ctrl+a");  // matching a key equivalent validates the menus first
  EXPECT_EQ(mail.mailbox("Archive").size(), 3u);
  EXPECT_TRUE(enabled(archive));
  EXPECT_FALSE(enabled(undo));  // as it was before the archive
  user.press("cmd+z");
  EXPECT_EQ(mail.mailbox("Archive").size(), 2u);
}

TEST_F(SimulatorTest, RoundTripsAreCountedPerProcess) {
  auto& ax = mac.accessibility();
  ax.resetRoundTrips();
  CFValue value;
  pid_t pid = 0;
  ax.copyAttributeValue(ax.createSystemWide(), "AXFocusedApplication", value);
  ax.getPid(*value.get<AXUIElement>(), pid);  // not a round trip
  ax.copyAttributeValue(ax.createApplication(pid), "AXFocusedUIElement", value);
  EXPECT_EQ(ax.roundTrips(0), 1u);
  EXPECT_EQ(ax.roundTrips(pid), 1u);
  EXPECT_EQ(ax.totalRoundTrips(), 2u);
}

// MARK: - Workspace

TEST_F(SimulatorTest, ActivationAndTerminationNotificationsCarryTheApplication) {
  std::vector<std::string> heard;
  auto activation = mac.workspace().observeActivation([&](auto app) {
    heard.push_back("activate " +
                    (app ? app->bundleIdentifier.value_or("?") : std::string("nothing")));
  });
  auto termination = mac.workspace().observeTermination([&](auto app) {
    heard.push_back("terminate " + (app ? std::to_string(app->processIdentifier) : "?"));
  });
  const pid_t mail = user.mail().pid();
  user.switchTo(SimulatedMac::safariBundleID, "Safari");
  user.openMail();
  user.openMail();  // already in front: announced again
  mac.workspace().postActivationWithoutApplication();
  user.quitMail();  // nothing is activated after it
  EXPECT_EQ(heard, (std::vector<std::string>{"activate com.apple.Safari", "activate com.apple.mail",
                                             "activate com.apple.mail", "activate nothing",
                                             "terminate " + std::to_string(mail)}));
  activation.reset();
  user.switchTo(SimulatedMac::safariBundleID);
  EXPECT_EQ(heard.size(), 5u);
  EXPECT_EQ(mac.workspace().runningApplications("com.apple.Safari").size(), 1u);
  EXPECT_TRUE(mac.workspace().runningApplications("com.apple.mail").empty());
}

TEST_F(SimulatorTest, WhenAskedTheSystemBringsThePreviousAppForwardAMomentAfterTheFrontOneQuits) {
  mac.afterFrontQuits = {.activatesPrevious = true, .delay = Duration(0.5)};
  user.switchTo(SimulatedMac::safariBundleID, "Safari");
  user.openMail();
  user.quitMail();
  EXPECT_EQ(mac.workspace().frontmostApplication(), std::nullopt);
  loop.advance(Duration(0.4));
  EXPECT_EQ(mac.workspace().frontmostApplication(), std::nullopt);
  loop.advance(Duration(0.1));
  EXPECT_EQ(mac.workspace().frontmostApplication()->bundleIdentifier, SimulatedMac::safariBundleID);
  // Not over an application the user brought forward in the meantime.
  user.openMail();
  user.quitMail();
  user.switchTo("com.apple.TextEdit", "TextEdit");
  loop.advance(Duration(1));
  EXPECT_EQ(mac.workspace().frontmostApplication()->localizedName, "TextEdit");
}

TEST_F(SimulatorTest, APanelOfAnotherProcessTakesTheKeyboardWhileMailStaysInFront) {
  auto& ax = mac.accessibility();
  const pid_t mail = user.mail().pid();
  user.showPanel("com.apple.Spotlight", "Spotlight");
  auto* spotlight = dynamic_cast<TextApp*>(mac.app("com.apple.Spotlight"));
  ASSERT_NE(spotlight, nullptr);
  EXPECT_EQ(mac.workspace().frontmostApplication()->processIdentifier, mail);
  pid_t focused = 0;
  ax.getPid(*read(ax.createSystemWide(), "AXFocusedApplication").get<AXUIElement>(), focused);
  EXPECT_EQ(focused, spotlight->pid());
  user.type("inv");
  EXPECT_EQ(spotlight->text(), "inv");
  user.closePanel();
  ax.getPid(*read(ax.createSystemWide(), "AXFocusedApplication").get<AXUIElement>(), focused);
  EXPECT_EQ(focused, mail);
  // Activating an application closes it too.
  user.showPanel("com.apple.Spotlight", "Spotlight");
  user.switchTo("com.apple.TextEdit", "TextEdit");
  user.type("x");
  EXPECT_EQ(spotlight->text(), "inv");
}

TEST_F(SimulatorTest, OtherAppsTakeTypingWhenInFront) {
  user.switchTo("com.apple.TextEdit", "TextEdit");
  user.type("notes");
  auto* textEdit = dynamic_cast<TextApp*>(mac.app("com.apple.TextEdit"));
  ASSERT_NE(textEdit, nullptr);
  EXPECT_EQ(textEdit->text(), "notes");
}

}  // namespace
}  // namespace quillo::sim

namespace quillo::sim {
namespace {

TEST(SimStatusItemTest, AClickOpensTheMenuAfterItsUpdateAndChoosingRunsTheItem) {
  SimStatusItem item;
  std::vector<std::string> ran;
  platform::Menu menu;
  int updates = 0;
  const auto entry = [](std::string title, std::function<void()> action = {},
                        std::vector<platform::MenuItem> submenu = {}) {
    platform::MenuItem made;
    made.title = std::move(title);
    made.action = std::move(action);
    made.submenu = std::move(submenu);
    return made;
  };
  menu.needsUpdate = [&] {
    ++updates;
    menu.items = {entry("Quit", [&] { ran.push_back("quit"); }),
                  entry("Debug", {},
                        {entry("Check", [&] { ran.push_back("check"); }),
                         entry("Off")})};  // no action: disabled
  };
  std::vector<std::uint64_t> clicks;
  item.setOnClick([&](std::uint64_t flags) { clicks.push_back(flags); });
  EXPECT_EQ(item.choose({"Quit"}), "the menu is not open");
  item.click(platform::EventFlags::alternate);  // no menu: the handler hears it
  EXPECT_EQ(clicks, std::vector<std::uint64_t>{platform::EventFlags::alternate});

  item.setMenu(&menu);
  item.click();
  EXPECT_EQ(updates, 1);
  ASSERT_NE(item.openMenu(), nullptr);
  EXPECT_EQ(item.choose({"Debug"}), "\"Debug\" opens a submenu");
  EXPECT_EQ(item.choose({"Debug", "Off"}), "\"Off\" is disabled");
  EXPECT_EQ(item.choose({"Debug", "Nothing"}), "no item \"Nothing\"");
  EXPECT_EQ(item.choose({"Debug", "Check"}), std::nullopt);
  EXPECT_EQ(ran, std::vector<std::string>{"check"});
  EXPECT_EQ(item.openMenu(), nullptr);  // choosing closed it
  EXPECT_EQ(clicks.size(), 1u);         // a menu takes the click
}

}  // namespace
}  // namespace quillo::sim
