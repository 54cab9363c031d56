#include <gtest/gtest.h>

#include "QuilloCore/KeymapPreset.hpp"
#include "QuilloFixture.hpp"
#include "Simulator/USKeyboard.hpp"

namespace quillo {
namespace {

using namespace platform;
using Place = sim::MailApp::Place;
namespace Key = sim::USKeyboard::KeyCode;

class KeyInterceptorTest : public testing::KeyPathTest {
 protected:
  /// A key event as the keyboard would make it.
  Event keyEvent(std::string_view spec, EventType type = EventType::keyDown, bool repeat = false) {
    const auto stroke = sim::User::keystroke(spec);
    Event event(type);
    event.setFlags(stroke.flags | sim::USKeyboard::keyFlags(stroke.keyCode));
    event.setIntegerValueField(EventField::keyboardEventKeycode, stroke.keyCode);
    event.setIntegerValueField(EventField::keyboardEventAutorepeat, repeat ? 1 : 0);
    event.setKeyboardUnicodeString(sim::USKeyboard::eventCharacters(stroke.keyCode, event.flags()));
    return event;
  }

  std::optional<pid_t> deliveredTo(std::size_t fromEnd = 0) {
    const auto& log = mac.windowServer().log;
    return log.at(log.size() - 1 - fromEnd).deliveredTo;
  }
};

TEST_F(KeyInterceptorTest, ABoundKeyIsSwallowedWithItsKeyUpAndActsAfterTheCallback) {
  const std::string first = mail->selectedMessage()->subject;
  EXPECT_TRUE(interceptor.handle(EventType::keyDown, keyEvent("e")));
  EXPECT_EQ(mail->mailbox("Archive").size(), 2u);  // nothing has happened yet
  EXPECT_TRUE(interceptor.swallowedKeyCodes().contains(Key::e));
  loop.runUntilIdle();
  EXPECT_EQ(mail->mailbox("Archive").back().subject, first);
  EXPECT_TRUE(interceptor.handle(EventType::keyUp, keyEvent("e", EventType::keyUp)));
  EXPECT_FALSE(interceptor.handle(EventType::keyUp, keyEvent("e", EventType::keyUp)));
}

TEST_F(KeyInterceptorTest, OwnEventsPassEvenWhenBound) {
  Event own = keyEvent("e");
  own.setIntegerValueField(EventField::eventSourceUserData, ownEventMarker);
  EXPECT_FALSE(interceptor.handle(EventType::keyDown, own));
  EXPECT_TRUE(interceptor.swallowedKeyCodes().empty());
}

TEST_F(KeyInterceptorTest, SuspendedPassesEverything) {
  interceptor.setSuspended(true);
  user.press("e");
  EXPECT_EQ(deliveredTo(1), mail->pid());
  EXPECT_EQ(deliveredTo(0), mail->pid());
  EXPECT_EQ(mail->mailbox("Archive").size(), 2u);
}

TEST_F(KeyInterceptorTest, MailNotInFrontPassesAndForgetsSwallowedKeys) {
  EXPECT_TRUE(interceptor.handle(EventType::keyDown, keyEvent("e")));
  EXPECT_TRUE(interceptor.handle(EventType::keyDown, keyEvent("j")));
  EXPECT_EQ(interceptor.swallowedKeyCodes(), (std::set<std::int64_t>{Key::e, Key::j}));
  user.switchTo(sim::SimulatedMac::safariBundleID, "Safari");
  mac.accessibility().resetRoundTrips();
  EXPECT_FALSE(interceptor.handle(EventType::keyDown, keyEvent("e")));
  EXPECT_TRUE(interceptor.swallowedKeyCodes().empty());
  EXPECT_EQ(mac.accessibility().totalRoundTrips(), 0u);
}

TEST_F(KeyInterceptorTest, KeysAimedAtAnotherProcessPassAndAreLoggedOncePerRun) {
  log.isEnabled = true;
  Event foreign = keyEvent("e");
  foreign.setIntegerValueField(EventField::eventTargetUnixProcessID, 4242);
  Event toMail = keyEvent("x");  // unbound, aimed at Mail
  toMail.setIntegerValueField(EventField::eventTargetUnixProcessID, mail->pid());
  EXPECT_FALSE(interceptor.handle(EventType::keyDown, foreign));
  EXPECT_FALSE(interceptor.handle(EventType::keyDown, foreign));
  EXPECT_EQ(interceptor.lastForeignTarget(), 4242);
  EXPECT_FALSE(interceptor.handle(EventType::keyDown, toMail));
  EXPECT_EQ(interceptor.lastForeignTarget(), 0);
  EXPECT_FALSE(interceptor.handle(EventType::keyDown, foreign));
  const std::string line = "passing keys through: events are targeted at pid 4242, not Mail (" +
                           std::to_string(mail->pid()) + ")";
  auto lines = logLines();
  std::erase_if(lines, [](const auto& l) { return !l.starts_with("passing keys through"); });
  EXPECT_EQ(lines, (std::vector<std::string>{line, line}));
}

TEST_F(KeyInterceptorTest, AKeyUpFollowsItsKeyDownEvenWhenTheFocusChangedBetween) {
  EXPECT_FALSE(interceptor.handle(EventType::keyDown, keyEvent("x")));  // unbound: passes
  EXPECT_FALSE(interceptor.handle(EventType::keyUp, keyEvent("x", EventType::keyUp)));
  user.click(Place::searchField);
  EXPECT_FALSE(interceptor.handle(EventType::keyDown, keyEvent("e")));  // typing: passes
  user.click(Place::messageList);
  EXPECT_FALSE(interceptor.handle(EventType::keyUp, keyEvent("e", EventType::keyUp)));
}

TEST_F(KeyInterceptorTest, AutoRepeatOfANonRepeatableActionIsSwallowedWithoutActing) {
  std::vector<std::string> decisions;
  KeyInterceptor::Observer observer;
  observer.decided = [&](auto, auto, auto, const Decision& d) {
    decisions.push_back(d.description());
  };
  interceptor.addObserver(std::move(observer));
  EXPECT_TRUE(interceptor.handle(EventType::keyDown, keyEvent("e", EventType::keyDown, true)));
  loop.runUntilIdle();
  EXPECT_EQ(mail->mailbox("Archive").size(), 2u);
  EXPECT_EQ(decisions, std::vector<std::string>{"swallow archive"});
  // The key-up of a swallowed key never reaches Mail on its own.
  EXPECT_TRUE(interceptor.handle(EventType::keyUp, keyEvent("e", EventType::keyUp)));
}

TEST_F(KeyInterceptorTest, ControlKeysAreReadFromTheLayout) {
  struct Case {
    const char* spec;
    std::optional<KeyToken> token;
  };
  const Case cases[] = {
      {"ctrl+e", KeyToken::character("e")},
      {"ctrl+shift+r", KeyToken::character("R")},
      {"ctrl+]", KeyToken::character("]")},
      {"ctrl+1", KeyToken::character("1")},
      {"ctrl+return", KeyToken::named(KeyToken::NamedKey::return_)},
      {"ctrl+enter", KeyToken::named(KeyToken::NamedKey::enter)},
      {"ctrl+tab", KeyToken::named(KeyToken::NamedKey::tab)},
      {"ctrl+delete", KeyToken::named(KeyToken::NamedKey::delete_)},
      {"ctrl+escape", KeyToken::named(KeyToken::NamedKey::escape)},
      {"ctrl+left", KeyToken::named(KeyToken::NamedKey::left)},
      {"cmd+e", KeyToken::character("e")},
      {"shift+cmd+t", KeyToken::character("T")},
      {"f1", std::nullopt},
      {"option+e", std::nullopt},  // a dead key types nothing
  };
  for (const auto& c : cases) {
    EXPECT_EQ(interceptor.keyToken(keyEvent(c.spec)), c.token) << c.spec;
  }
  mac.windowServer().layoutDataAvailable = false;
  EXPECT_EQ(interceptor.keyToken(keyEvent("ctrl+e")), std::nullopt);  // U+0005 is no key
}

TEST_F(KeyInterceptorTest, OutlookChordsWorkThroughTheLayout) {
  useKeymap(keymap(KeymapPreset::outlookMac));
  const std::string first = mail->selectedMessage()->subject;
  user.press("ctrl+e");
  EXPECT_EQ(mail->mailbox("Archive").back().subject, first);
}

TEST_F(KeyInterceptorTest, AnActionWithoutSpecIsSwallowedAndNothingIsPerformed) {
  Keymap keymap = Keymap::default_();
  keymap.actions.erase(ActionID::archive);
  useKeymap(keymap);
  std::vector<std::string> performed;
  KeyInterceptor::Observer observer;
  observer.performed = [&](ActionID a, const ActionOutcome&) {
    performed.push_back(std::string(rawValue(a)));
  };
  interceptor.addObserver(std::move(observer));
  user.press("e");
  EXPECT_FALSE(deliveredTo(1));
  EXPECT_TRUE(performed.empty());
  EXPECT_EQ(mail->mailbox("Archive").size(), 2u);
}

TEST_F(KeyInterceptorTest, OutcomesAreLoggedWhileDebugLoggingIsOn) {
  log.isEnabled = true;
  user.press("e");
  user.press("j");
  const auto lines = logLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "archive: pressed Message \u203a Archive"),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "nextMessage: posted down"), lines.end());
}

TEST_F(KeyInterceptorTest, ThePrivacyOfWhatTheUserTypes) {
  log.isEnabled = true;
  const std::string sentence = "Meet me at the harbour at seven, bring the blue folder";
  const std::string password = "Tr0ub4dor&3xkcd!";
  mail->newMessage();
  user.press("tab");
  user.type(sentence);
  user.press("tab");
  user.type(password);
  user.click(Place::searchField);
  user.type(sentence);
  user.type(password);
  ASSERT_EQ(mail->text(Place::searchField), sentence + password);  // it all reached Mail

  std::ifstream in(log.fileURL());
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_FALSE(all.empty());
  for (const std::string& secret :
       {sentence, password, std::string("harbour"), std::string("Tr0ub"), std::string("folder")}) {
    EXPECT_EQ(all.find(secret), std::string::npos) << secret;
  }
  for (const auto& line : systemLog.lines) {
    EXPECT_EQ(line.message.find("harbour"), std::string::npos);
    EXPECT_EQ(line.message.find("Tr0ub"), std::string::npos);
  }
  // What is there: roles, identifiers and the classification.
  EXPECT_NE(all.find("AXTextField#Mail.subjectField"), std::string::npos);
  EXPECT_NE(all.find("AXTextField/AXSearchField#Mail.searchField"), std::string::npos);
}

TEST_F(KeyInterceptorTest, CostPerKeyPressInAccessibilityRoundTrips) {
  auto& ax = mac.accessibility();
  const Event unbound = keyEvent("q");
  ax.resetRoundTrips();
  interceptor.handle(EventType::keyDown, unbound);
  EXPECT_EQ(ax.totalRoundTrips(), 0u);

  interceptor.handle(EventType::keyDown, keyEvent("j"));  // first time: classifies
  loop.runUntilIdle();
  ax.resetRoundTrips();
  EXPECT_TRUE(interceptor.handle(EventType::keyDown, keyEvent("j")));
  EXPECT_EQ(ax.totalRoundTrips(), 2u);  // unchanged focus: the cache answers

  // A cached menu action: title, enabled, press.
  interceptor.handle(EventType::keyDown, keyEvent("s"));
  loop.runUntilIdle();
  ax.resetRoundTrips();
  interceptor.handle(EventType::keyDown, keyEvent("s"));
  EXPECT_EQ(ax.totalRoundTrips(), 2u);
  loop.runUntilIdle();
  EXPECT_EQ(ax.totalRoundTrips(), 2u + 3u);

  user.switchTo(sim::SimulatedMac::safariBundleID, "Safari");
  ax.resetRoundTrips();
  interceptor.handle(EventType::keyDown, keyEvent("e"));
  EXPECT_EQ(ax.totalRoundTrips(), 0u);
}

TEST_F(KeyInterceptorTest, ThrowingInsideTheKeyPathPassesTheKeyAtTheTap) {
  struct Throwing final : FocusInspecting {
    FocusPolicy held;
    const FocusPolicy& policy() const override { return held; }
    void setPolicy(FocusPolicy p) override { held = std::move(p); }
    void clearCachedFocus() override {}
    FocusContext context(pid_t) override { throw std::runtime_error("lost"); }
    std::optional<FocusSnapshot> snapshot(pid_t) override { return std::nullopt; }
  } throwing;
  KeyInterceptor fragile(throwing, executor, frontmost, log, loop, mac.windowServer());
  app.selectSet(ShortcutSet::off);  // Quillo's own tap stands aside
  EventTap tap(mac.windowServer(), systemLog, loop);
  tap.setOnKeyEvent(
      [&](EventType type, const Event& event) { return fragile.handle(type, event); });
  ASSERT_TRUE(tap.start());
  tap.setListening(true);
  user.press("e");  // bound to archive, so the focus is asked for, and that throws
  EXPECT_EQ(deliveredTo(1), mail->pid());
  EXPECT_EQ(deliveredTo(0), mail->pid());
  EXPECT_EQ(mail->mailbox("Archive").size(), 2u);
}

}  // namespace
}  // namespace quillo
