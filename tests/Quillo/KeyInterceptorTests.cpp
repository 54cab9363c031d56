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

// A key-down that passes has its key-up passed, whatever an earlier
// key-down of the same key left behind: here one whose key-up never came
// (it went to a window that came to the front meanwhile).
TEST_F(KeyInterceptorTest, AKeyDownThatPassesHasItsKeyUpPassed) {
  EXPECT_TRUE(interceptor.handle(EventType::keyDown, keyEvent("e")));  // archives; no key-up
  loop.runUntilIdle();
  ASSERT_TRUE(user.click(Place::searchField));
  EXPECT_FALSE(interceptor.handle(EventType::keyDown, keyEvent("e")));  // typed
  EXPECT_FALSE(interceptor.handle(EventType::keyUp, keyEvent("e", EventType::keyUp)));
  EXPECT_TRUE(interceptor.swallowedKeyCodes().empty());
}

// A tap that stops listening sees no key-ups; the ones still due are
// forgotten then, not when the next key comes.
TEST_F(KeyInterceptorTest, KeysStillDueAreForgottenWhenTheTapStopsListening) {
  EXPECT_TRUE(interceptor.handle(EventType::keyDown, keyEvent("e")));
  EXPECT_TRUE(interceptor.handle(EventType::keyDown, keyEvent("j")));
  ASSERT_EQ(interceptor.swallowedKeyCodes(), (std::set<std::int64_t>{Key::e, Key::j}));
  user.switchTo(sim::SimulatedMac::safariBundleID, "Safari");
  EXPECT_FALSE(app.tap().isListening());
  EXPECT_TRUE(interceptor.swallowedKeyCodes().empty());
  // And when the system takes Accessibility away and the tap goes.
  user.openMail();
  EXPECT_TRUE(interceptor.handle(EventType::keyDown, keyEvent("e")));
  mac.permissions.accessibility = false;
  loop.advance(Duration(2.1));
  EXPECT_FALSE(app.tap().isInstalled());
  EXPECT_TRUE(interceptor.swallowedKeyCodes().empty());
}

TEST_F(KeyInterceptorTest, KeysAimedAtAnotherProcessPassAndAreLoggedOncePerRun) {
  log.setEnabled(true);
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
  observer.decided = [&](auto, auto, auto, const KeyStep& d) {
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

TEST_F(KeyInterceptorTest, ControlAndOptionKeysAreReadFromTheLayout) {
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
      {"option+e", KeyToken::character("e")},  // a dead key: the key's own letter
      // Option chords are the key's own character, not what option types.
      {"option+a", KeyToken::character("a")},
      {"option+cmd+k", KeyToken::character("k")},
      {"option+shift+a", KeyToken::character("A")},
      {"ctrl+option+d", KeyToken::character("d")},
      {"option+1", KeyToken::character("1")},
      {"option+shift+1", KeyToken::character("!")},
      {"option+cmd+/", KeyToken::character("/")},
      {"option+n", KeyToken::character("n")},
      {"option+`", KeyToken::character("`")},
      {"option+space", KeyToken::named(KeyToken::NamedKey::space)},
      {"option+return", KeyToken::named(KeyToken::NamedKey::return_)},
      {"option+up", KeyToken::named(KeyToken::NamedKey::up)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(interceptor.keyToken(keyEvent(c.spec)), c.token) << c.spec;
  }
  mac.windowServer().layoutDataAvailable = false;
  EXPECT_EQ(interceptor.keyToken(keyEvent("ctrl+e")), std::nullopt);  // U+0005 is no key
}

/// The German (ISO) layout of a Mac, for the keys below: what each key
/// types plain, with shift and with option (with and without shift), as
/// UCKeyTranslate gives it; the dead keys (´ and `) type nothing by
/// themselves unless dead keys are switched off.
class GermanLayout final : public UnicodeKeyLayout, public KeyboardLayouts {
 public:
  struct Row {
    std::uint16_t code;
    std::u16string plain, shifted, option, optionShifted;
  };
  static const std::vector<Row>& rows() {
    static const std::vector<Row> table{
        {Key::a, u"a", u"A", u"å", u"Å"},
        {Key::l, u"l", u"L", u"@", u"ﬂ"},
        {Key::e, u"e", u"E", u"€", u"‰"},
        {Key::k, u"k", u"K", u"º", u"˚"},
        {Key::z, u"y", u"Y", u"¥", u"‡"},
        {Key::y, u"z", u"Z", u"Ω", u"ˇ"},
        {Key::seven, u"7", u"/", u"|", u"\\"},
        {Key::eight, u"8", u"(", u"{", u"["},
        {Key::slash, u"-", u"_", u"–", u"—"},
        {Key::semicolon, u"ö", u"Ö", u"œ", u"Œ"},
        {Key::rightBracket, u"+", u"*", u"±", u""},
        {Key::equal, u"", u"", u"'", u"¿"},
    };
    return table;
  }
  static const Row* row(std::uint16_t code) {
    for (const auto& r : rows())
      if (r.code == code) return &r;
    return nullptr;
  }
  /// What a key event of this layout reports (CGEventKeyboardGetUnicodeString).
  static std::u16string reported(std::uint16_t code, std::uint64_t flags) {
    const Row* r = row(code);
    const bool shift = flags & EventFlags::shift;
    if (flags & EventFlags::control)
      return std::u16string(1, char16_t(0x0C));  // a control character
    if (flags & EventFlags::alternate) return shift ? r->optionShifted : r->option;
    return shift ? r->shifted : r->plain;
  }

  std::int32_t translate(std::uint16_t keyCode, std::uint16_t, std::uint32_t modifierKeyState,
                         std::uint32_t, std::uint32_t options, std::uint32_t&, std::size_t,
                         std::u16string& characters) const override {
    const Row* r = row(keyCode);
    if (!r) return -50;
    const bool shift = modifierKeyState & KeyTranslateModifiers::shift;
    const bool option = modifierKeyState & KeyTranslateModifiers::option;
    characters = option ? (shift ? r->optionShifted : r->option) : (shift ? r->shifted : r->plain);
    if (characters.empty() && (options & keyTranslateNoDeadKeysMask))
      characters = shift ? u"`" : u"´";
    return 0;
  }
  std::shared_ptr<const UnicodeKeyLayout> currentKeyboardLayout() const override {
    return std::shared_ptr<const UnicodeKeyLayout>(std::shared_ptr<const UnicodeKeyLayout>{}, this);
  }
  std::uint32_t keyboardType() const override { return 43; }
};

// One rule reads the key of a tap's event and of the panel's key event, so
// what the recorder accepts is what the interceptor sees: the key's own
// character, not what option or control made of it, on any layout.
TEST(KeyTokenOf, OptionAndControlChordsAreTheKeysOwnCharacterOnAGermanLayout) {
  GermanLayout german;
  constexpr std::uint64_t opt = EventFlags::alternate, cmd = EventFlags::command,
                          ctrl = EventFlags::control, shift = EventFlags::shift;
  struct Case {
    std::uint16_t key;
    std::uint64_t flags;
    const char* token;  // as keymap.json writes the chord's key
  };
  const Case cases[] = {
      {Key::a, opt, "a"},
      {Key::l, opt, "l"},
      {Key::l, opt | cmd, "l"},
      {Key::k, opt | cmd, "k"},
      {Key::e, opt, "e"},
      {Key::z, opt, "y"},
      {Key::y, ctrl | opt, "z"},
      {Key::seven, opt, "7"},
      {Key::seven, opt | shift, "/"},
      {Key::eight, opt | cmd, "8"},
      {Key::slash, opt, "-"},
      {Key::slash, opt | shift, "_"},
      {Key::semicolon, opt, "ö"},
      {Key::semicolon, opt | shift, "Ö"},
      {Key::rightBracket, opt | cmd, "+"},
      {Key::equal, opt, "´"},
      {Key::l, ctrl, "l"},
      {Key::l, ctrl | cmd, "l"},
      {Key::a, shift | opt | cmd, "A"},
      // Without option or control the reported character stands.
      {Key::l, cmd, "l"},
      {Key::seven, shift | cmd, "/"},
      {Key::z, 0, "y"},
  };
  for (const auto& c : cases) {
    const auto token = keyTokenOf(c.key, c.flags, GermanLayout::reported(c.key, c.flags), german);
    EXPECT_EQ(token, KeyToken::typed(c.token)) << "key " << c.key << " flags " << c.flags;
  }
  // A dead key pressed alone types nothing, so it is no key, for either reader.
  EXPECT_EQ(keyTokenOf(Key::equal, 0, u"", german), std::nullopt);
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
  log.setEnabled(true);
  user.press("e");
  user.press("j");
  const auto lines = logLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "archive: pressed Message \u203a Archive"),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "nextMessage: posted down"), lines.end());
}

TEST_F(KeyInterceptorTest, ThePrivacyOfWhatTheUserTypes) {
  log.setEnabled(true);
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

  std::ifstream in(log.filePath());
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
