// Mail in another language: items found by their key equivalents, and the
// check of the active keymap against the running Mail.
#include <gtest/gtest.h>

#include <deque>

#include "MailMenu.hpp"
#include "MailMenuSnapshot.hpp"
#include "MenuReachability.hpp"
#include "Platform/KeyCodes.hpp"
#include "QuilloCore/Keymap.hpp"
#include "QuilloFixture.hpp"
#include "SimulatedMacFixture.hpp"
#include "Simulator/USKeyboard.hpp"
#include "StepLoop.hpp"
#include "TreeApp.hpp"

namespace quillo {
namespace {

using platform::AXError;
using platform::CFValue;
namespace Bits = platform::MenuItemModifiers;

KeyChord chord(std::string_view text) {
  return *KeyChord::fromKeymapString(text);
}

TEST(MenuKeyEquivalentReading, FromTheThreeAttributes) {
  struct Case {
    CFValue character, modifiers, virtualKey;
    std::optional<std::string> chord;  // keymap text form; none: no key equivalent
  };
  const CFValue absent;
  const Case cases[] = {
      {"A", Bits::control, absent, "ctrl+cmd+a"},
      {"A", Bits::none, absent, "cmd+a"},
      {"D", Bits::shift, absent, "shift+cmd+d"},
      {"F", Bits::option, absent, "option+cmd+f"},
      {"R", absent, absent, "cmd+r"},  // modifiers unreadable: command alone
      {";", Bits::none, absent, "cmd+;"},
      {"N", Bits::shift | Bits::option | Bits::control, absent, "ctrl+option+shift+cmd+n"},
      {absent, Bits::noCommand, std::int64_t{platform::KeyCode::deleteKey}, "delete"},
      {"", Bits::none, std::int64_t{platform::KeyCode::returnKey}, "cmd+return"},
      {"A", Bits::none, std::int64_t{platform::KeyCode::a}, "cmd+a"},  // a character key's code
      {absent, Bits::none, absent, std::nullopt},                      // no key equivalent
      {"", Bits::none, absent, std::nullopt},
      {std::int64_t{65}, Bits::none, absent, std::nullopt},  // not a string
  };
  for (const Case& c : cases) {
    const auto found = menuKeyEquivalent(c.character, c.modifiers, c.virtualKey);
    EXPECT_EQ(found ? std::optional(found->keymapString()) : std::nullopt, c.chord)
        << (c.chord ? *c.chord : "none");
  }
}

/// The executor over a German Mail, with its notes collected.
class GermanMailTest : public testing::SimulatedMacTest {
 protected:
  void SetUp() override {
    mac.permissions.accessibility = true;
    user.openMail();
    relaunch({});
    executor.setOnFoundByKeyEquivalent([this](const std::string& note) { notes.push_back(note); });
  }
  sim::MailApp& relaunch(std::vector<sim::MailVariant::AppShortcut> shortcuts) {
    sim::MailVariant variant;
    variant.language = "de";
    variant.appShortcuts = std::move(shortcuts);
    mail = &user.relaunchMail(variant);
    return *mail;
  }
  ActionOutcome perform(ActionID action) {
    const ActionOutcome outcome =
        executor.perform(action, *Keymap::default_().spec(action), mail->pid());
    loop.runUntilIdle();
    return outcome;
  }

  ActionExecutor executor{mac.accessibility(), mac.windowServer(), loop};
  sim::MailApp* mail = nullptr;
  std::vector<std::string> notes;
};

// Items pressed by their key equivalents, and said so once in a Mail's
// life, stand in language/german-mail.scenario.
TEST_F(GermanMailTest, ANewMailProcessIsToldAgainOfAnItemFoundByItsKeyEquivalent) {
  EXPECT_EQ(perform(ActionID::archive),
            ActionOutcome(ActionOutcome::Pressed{{"E-Mail", "Archivieren"}}));
  EXPECT_EQ(executor.resolved().at(ActionID::archive).keyEquivalent, chord("ctrl+cmd+a"));
  relaunch({});
  perform(ActionID::archive);
  EXPECT_EQ(notes, std::vector<std::string>(
                       2, "archive: found E-Mail › Archivieren by its key equivalent ⌃⌘A"));
}

TEST_F(GermanMailTest, ACachedItemCostsThreeRequestsLikeOneFoundByItsTitle) {
  auto& ax = mac.accessibility();
  ax.resetRoundTrips();
  EXPECT_EQ(perform(ActionID::archive),
            ActionOutcome(ActionOutcome::Pressed{{"E-Mail", "Archivieren"}}));
  // The first search walks the menus once, within the reader's limit.
  EXPECT_LE(ax.roundTrips(mail->pid()), MailMenuReader::Limits{}.requests + 8);
  ax.resetRoundTrips();
  EXPECT_EQ(perform(ActionID::archive),
            ActionOutcome(ActionOutcome::Pressed{{"E-Mail", "Archivieren"}}));
  EXPECT_EQ(ax.roundTrips(mail->pid()), 3u);  // its key equivalent, enabled, press
}

TEST_F(GermanMailTest, MenusReadEarlierAreCheckedAgainBeforeAnItemIsPressed) {
  MailMenuReader earlier(mac.accessibility(), mail->pid(), MailMenuReader::Limits{});
  earlier.readAll();
  ASSERT_TRUE(earlier.complete());
  executor.setMenusRead([&](pid_t) { return &earlier.menus(); });
  // Since that reading, the user took ⌃⌘A away from Archivieren.
  mail->menuItem({"E-Mail", "Archivieren"})->keyEquivalent = {};
  EXPECT_EQ(perform(ActionID::archive), ActionOutcome(ActionOutcome::Unavailable{}));
  EXPECT_TRUE(mail->menuPresses.empty());
}

TEST_F(GermanMailTest, MarkReadAndMarkUnreadAreNotGuessed) {
  EXPECT_EQ(perform(ActionID::markRead), ActionOutcome(ActionOutcome::Unavailable{}));
  EXPECT_EQ(perform(ActionID::markUnread), ActionOutcome(ActionOutcome::Unavailable{}));
  EXPECT_TRUE(mail->menuPresses.empty());
}

class ReachabilityTest : public testing::SimulatedMacTest {
 protected:
  void SetUp() override {
    mac.permissions.accessibility = true;
    mac.accessibility().setMessagingTimeout(mac.accessibility().createSystemWide(), 0.25f);
    mail = &user.openMail();
    reachability.setOnChange([this] { ++changes; });
  }
  /// Runs the check to its end; the requests of each turn.
  std::vector<std::size_t> runCheck(const Keymap& keymap) {
    reachability.check(mail->pid(), keymap);
    std::vector<std::size_t> perTurn;
    auto& ax = mac.accessibility();
    ax.resetRoundTrips();
    while (steps.runOne()) {
      perTurn.push_back(ax.totalRoundTrips());
      ax.resetRoundTrips();
    }
    return perTurn;
  }

  testing::StepLoop steps{loop};
  MenuReachability reachability{mac.accessibility(), steps, MenuReachability::Limits{}};
  sim::MailApp* mail = nullptr;
  int changes = 0;
};

TEST_F(ReachabilityTest, ChecksOneMenuPerTurnAndNothingBeforeTheLoopRuns) {
  auto& ax = mac.accessibility();
  ax.resetRoundTrips();
  reachability.check(mail->pid(), Keymap::default_());
  EXPECT_EQ(ax.totalRoundTrips(), 0u);  // posted, not run
  reachability.clear();
  while (steps.runOne()) {  // the dropped check's turn does nothing
  }
  EXPECT_EQ(ax.totalRoundTrips(), 0u);
  const auto perTurn = runCheck(Keymap::default_());
  // The menu bar, then Mail, File, Edit, View, Mailbox, Message, Format,
  // Window, Help: one turn each.
  ASSERT_EQ(perTurn.size(), 10u);
  EXPECT_EQ(perTurn.front(), 2u);
  std::size_t total = 0;
  for (std::size_t requests : perTurn) {
    // No turn holds the keyboard long; the Message menu's turn is the
    // longest, with the mailboxes of its Move To and Copy To menus.
    EXPECT_LE(requests, 60u);
    total += requests;
  }
  EXPECT_EQ(total, reachability.requestsOfLastCheck());
  EXPECT_TRUE(reachability.problems().empty());
  EXPECT_EQ(reachability.checkedPID(), mail->pid());
  EXPECT_EQ(changes, 1);  // once, when found: clear() leaves the telling to its caller
}

TEST_F(ReachabilityTest, OnlyActionsTheKeymapBindsAreChecked) {
  Keymap keymap = Keymap::default_();
  keymap.bindings.clear();  // markRead is bound to no key now
  keymap.actions[ActionID::markRead] = ActionSpec{{{"Message", "Mark Read"}}, std::nullopt};
  runCheck(keymap);
  EXPECT_TRUE(reachability.problems().empty());
}

TEST_F(ReachabilityTest, ABusyMailEndsTheCheckAtTheFirstTimeOutWithoutFalseProblems) {
  Keymap keymap = Keymap::default_();
  keymap.actions[ActionID::markRead] = ActionSpec{{{"Message", "Mark Read"}}, std::nullopt};
  runCheck(keymap);
  ASSERT_EQ(reachability.problems().size(), 1u);
  mail->latency = 0.3;  // every request waits out the 0.25 s time-out
  const auto started = loop.elapsed();
  const auto perTurn = runCheck(keymap);
  EXPECT_EQ(reachability.requestsOfLastCheck(), 1u);
  EXPECT_LE((loop.elapsed() - started).count(), 0.25 + 1e-9);
  EXPECT_TRUE(reachability.problems().empty());  // unknown, not unreachable
  EXPECT_EQ(reachability.checkedPID(), std::nullopt);
}

TEST_F(ReachabilityTest, AReadingStopsAtFiveHundredRequests) {
  // Menus far bigger than any Mail's, answered at once: only the request
  // bound ends the reading.
  std::vector<sim::Menu> table;
  for (int m = 0; m < 30; ++m) {
    sim::Menu menu{"Menu " + std::to_string(m), {}};
    for (int i = 0; i < 30; ++i)
      menu.items.push_back({.title = "Item " + std::to_string(i)});
    table.push_back(std::move(menu));
  }
  auto& tree = mac.launch<testing::TreeApp>();
  tree.menus(std::move(table));
  Keymap keymap = Keymap::default_();
  reachability.check(tree.pid(), keymap);
  while (steps.runOne()) {
  }
  EXPECT_EQ(reachability.requestsOfLastCheck(), 500u);
  EXPECT_TRUE(reachability.problems().empty());  // cut short: it cannot tell
  EXPECT_EQ(reachability.checkedPID(), std::nullopt);
}

TEST_F(ReachabilityTest, AReadingStopsAfterTwoSeconds) {
  const std::size_t whole = [&] {
    runCheck(Keymap::default_());
    return reachability.requestsOfLastCheck();
  }();
  ASSERT_EQ(reachability.checkedPID(), mail->pid());
  // Slow enough that the whole reading would take more than twice as long.
  mail->latency = 4.0 / static_cast<double>(whole);
  const auto started = loop.elapsed();
  runCheck(Keymap::default_());
  const double took = (loop.elapsed() - started).count();
  EXPECT_GE(took, 2.0);
  EXPECT_LE(took, 2.0 + mainLoopTurnBudget + 1e-9);  // past the bound by one turn at most
  EXPECT_LT(reachability.requestsOfLastCheck(), whole);
  EXPECT_EQ(reachability.checkedPID(), std::nullopt);
}

/// The whole app: the check runs after a keymap is applied and when Mail
/// launches, never inside a key press.
using ReachabilityInAppTest = testing::KeyPathTest;

TEST_F(ReachabilityInAppTest, NeverOnTheKeyPath) {
  auto& ax = mac.accessibility();
  app.checkMenuTargets();
  ASSERT_EQ(app.reachability().checkingPID(), mail->pid());
  ax.resetRoundTrips();
  interceptor.handle(platform::EventType::keyDown, keyEvent("q"));
  EXPECT_EQ(ax.totalRoundTrips(), 0u);  // the check waits for the loop
  loop.runUntilIdle();
  EXPECT_EQ(app.reachability().checkingPID(), std::nullopt);
  EXPECT_EQ(app.reachability().checkedPID(), mail->pid());
}

TEST_F(ReachabilityInAppTest, ALaunchedOrRelaunchedMailIsChecked) {
  const pid_t before = *app.reachability().checkedPID();
  EXPECT_EQ(before, mail->pid());
  mail = &user.relaunchMail();
  EXPECT_NE(mail->pid(), before);
  EXPECT_EQ(app.reachability().checkedPID(), mail->pid());
  user.quitMail();
  EXPECT_EQ(app.reachability().checkedPID(), std::nullopt);
  user.openMail();
  EXPECT_TRUE(app.reachability().checkedPID().has_value());
  // Without Accessibility, what was read goes: it can no longer be checked.
  mac.permissions.accessibility = false;
  app.checkPermissions(false);
  EXPECT_EQ(app.reachability().checkedPID(), std::nullopt);
  EXPECT_TRUE(app.mailMenus().empty());
}

TEST_F(ReachabilityInAppTest, TheFirstPressInAGermanMailUsesTheMenusTheCheckRead) {
  sim::MailVariant german;
  german.language = "de";
  mail = &user.relaunchMail(german);
  ASSERT_EQ(app.reachability().checkedPID(), mail->pid());
  auto& ax = mac.accessibility();
  ax.resetRoundTrips();
  EXPECT_EQ(
      executor.perform(ActionID::archive, *Keymap::default_().spec(ActionID::archive), mail->pid()),
      ActionOutcome(ActionOutcome::Pressed{{"E-Mail", "Archivieren"}}));
  // The English paths tried, the item's key equivalent confirmed, enabled,
  // pressed: no walk of all of Mail's menus (over a hundred requests).
  EXPECT_LE(ax.roundTrips(mail->pid()), 30u);
}

}  // namespace
}  // namespace quillo
