// The keyboard waits for nobody: how long Quillo's reading of a slow Mail
// may keep a key event waiting — inside the tap callback, and in each turn of
// the main loop.
#include <gtest/gtest.h>

#include "AXFocusInspector.hpp"
#include "BudgetedAccessibility.hpp"
#include "MailMenu.hpp"
#include "MenuReachability.hpp"
#include "Platform/linux/LinuxServices.hpp"
#include "Session/RecordedServices.hpp"
#include "SimulatedMacFixture.hpp"
#include "TempHome.hpp"

namespace quillo {
namespace {

using platform::AXError;
using platform::CFValue;

class KeyboardWaitsTest : public testing::SimulatedMacTest {
 protected:
  void SetUp() override {
    mac.permissions.accessibility = true;
    mac.accessibility().setMessagingTimeout(mac.accessibility().createSystemWide(), 0.25f);
  }
  double now() const { return loop.elapsed().count(); }
  std::size_t roundTrips() { return mac.accessibility().totalRoundTrips(); }
  /// Runs posted work until none is left; the longest turn it took.
  double runTurns() {
    loop.takeLongestTurn();
    loop.runUntilIdle();
    return loop.takeLongestTurn().count();
  }

  testing::TempHome home;
  platform::XdgPaths paths;
  platform::RecordingSystemLog systemLog;
  DebugLog log{paths, systemLog, [this] { return loop.now(); }};
};

// MARK: - A budget

class BudgetTest : public KeyboardWaitsTest {
 protected:
  void SetUp() override {
    KeyboardWaitsTest::SetUp();
    mail = &user.openMail();
    mail->latency = 0.03;
  }
  AXError title(CFValue& value) {
    return budget.copyAttributeValue(mac.accessibility().createApplication(mail->pid()), "AXTitle",
                                     value);
  }

  sim::MailApp* mail = nullptr;
  BudgetedAccessibility budget{mac.accessibility(), [this] { return loop.now(); }};
};

TEST_F(BudgetTest, EachRequestGetsWhatIsLeftAndNoneIsMadeOnceItIsSpent) {
  CFValue value;
  budget.begin(0.07);
  const double started = now();
  EXPECT_EQ(title(value), AXError::success);  // 30 ms
  EXPECT_EQ(title(value), AXError::success);  // 60 ms
  EXPECT_FALSE(budget.ranOut());
  EXPECT_EQ(title(value), AXError::cannotComplete);  // 10 ms were left
  EXPECT_TRUE(budget.ranOut());
  EXPECT_NEAR(now() - started, 0.07, 1e-6);
  const std::size_t trips = roundTrips();
  EXPECT_EQ(title(value), AXError::cannotComplete);  // refused, not asked
  EXPECT_EQ(roundTrips(), trips);
  EXPECT_NEAR(now() - started, 0.07, 1e-6);
  EXPECT_EQ(budget.asked(), 3u);
  budget.end();
  EXPECT_EQ(title(value), AXError::success);  // without a budget, as it is
}

TEST_F(BudgetTest, AnswersAreRememberedButNotTheOnesTimeCutShort) {
  budget.setRemembering(true);
  CFValue value;
  budget.begin(0.05);
  EXPECT_EQ(budget.copyAttributeValue(mac.accessibility().createApplication(mail->pid()),
                                      "AXFocusedWindow", value),
            AXError::success);
  EXPECT_EQ(title(value), AXError::cannotComplete);  // 20 ms left: cut short
  EXPECT_EQ(budget.rememberedCount(), 1u);
  budget.begin(0.05);
  const std::size_t trips = roundTrips();
  EXPECT_EQ(budget.copyAttributeValue(mac.accessibility().createApplication(mail->pid()),
                                      "AXFocusedWindow", value),
            AXError::success);
  EXPECT_EQ(roundTrips(), trips);  // from memory, at once
  EXPECT_EQ(title(value), AXError::success);
  EXPECT_EQ(value, CFValue("Mail"));
  EXPECT_EQ(budget.rememberedCount(), 2u);
}

TEST_F(BudgetTest, AFirstRequestThatTimesOutIsMailsOwnAnswer) {
  // Slower than the whole budget: the time-out is Mail's answer, not the
  // budget's, and is remembered, so that a walk goes on past it next time.
  mail->latency = 0.2;
  budget.setRemembering(true);
  CFValue value;
  budget.begin(0.1);
  EXPECT_EQ(title(value), AXError::cannotComplete);
  EXPECT_FALSE(budget.ranOut());
  EXPECT_TRUE(budget.timedOut());
  EXPECT_EQ(budget.rememberedCount(), 1u);
  EXPECT_FALSE(budget.affords(0.01));
  EXPECT_TRUE(budget.ranOut());
}

// MARK: - The focus read of one key

class FocusBudgetTest : public KeyboardWaitsTest {
 protected:
  void SetUp() override {
    KeyboardWaitsTest::SetUp();
    log.setEnabled(true);
    user.openMail();
    sim::MailVariant deep;
    deep.listNesting = 30;  // the message list 33 elements below its window
    mail = &user.relaunchMail(deep);
  }
  std::vector<std::string> outOfTimeLines() {
    std::vector<std::string> lines;
    for (const auto& line : systemLog.messages("debug"))
      if (line.find("could not be read within") != std::string::npos) lines.push_back(line);
    return lines;
  }

  sim::MailApp* mail = nullptr;
  AXFocusInspector inspector{mac.accessibility(), log, loop};
};

// The first key passing in time, the reading going on in short turns and the
// keys after it acting stand in waits/deep-focus-slow-mail.scenario.
TEST_F(FocusBudgetTest, AKeyWhileTheReadingIsLateWaitsNoLongerAndANewEpisodeIsLoggedAnew) {
  mail->latency = 0.03;
  EXPECT_EQ(inspector.context(mail->pid()), FocusContext::unknown);
  const double started = now();
  EXPECT_EQ(inspector.context(mail->pid()), FocusContext::unknown);  // goes further, in time
  EXPECT_LE(now() - started, AXFocusInspector::keyBudget + 1e-9);
  EXPECT_EQ(outOfTimeLines().size(), 1u);
  runTurns();
  EXPECT_FALSE(inspector.isReadingLate());
  EXPECT_EQ(inspector.context(mail->pid()), FocusContext::messageList);
  // Read in time again: the next episode is logged anew.
  user.click(sim::MailApp::Place::searchField);
  EXPECT_EQ(inspector.context(mail->pid()), FocusContext::unknown);
  EXPECT_EQ(outOfTimeLines().size(), 2u);
}

TEST_F(FocusBudgetTest, AReadingCutShortIsNeverClassifiedNorItsWindowRemembered) {
  // A compose window: its direct children's identifiers are read one by
  // one, and a key's budget may end among them.
  mail->newMessage();
  const auto whole = AXFocusInspector(mac.accessibility(), log, loop).snapshot(mail->pid());
  ASSERT_TRUE(whole);
  ASSERT_FALSE(whole->windowContents.empty());
  int cutShort = 0;
  for (const double latency : {0.008, 0.01, 0.012, 0.015, 0.02}) {
    SCOPED_TRACE(latency);
    AXFocusInspector inspector{mac.accessibility(), log, loop};
    mail->latency = latency;
    if (inspector.context(mail->pid()) == FocusContext::unknown) {
      ++cutShort;
      EXPECT_FALSE(inspector.hasCachedFocus());
    }
    mail->latency = 0;
    runTurns();
    EXPECT_TRUE(inspector.hasCachedFocus());
    // The window's identifiers as a whole reading finds them, not the part
    // a key's budget allowed.
    EXPECT_EQ(inspector.snapshot(mail->pid())->windowContents, whole->windowContents);
  }
  EXPECT_GT(cutShort, 0);
}

// MARK: - Menu walks in the main loop's turns

TEST_F(KeyboardWaitsTest, AFirstActionOfASlowMailIsWalkedInShortTurnsAndPressedOnce) {
  auto* mail = &user.openMail();
  mail->latency = 0.05;
  ActionExecutor executor{mac.accessibility(), mac.windowServer(), loop};
  std::vector<ActionOutcome> outcomes;
  const std::size_t archived = mail->mailbox("Archive").size();
  loop.post([&] {
    executor.perform(ActionID::archive, *Keymap::default_().spec(ActionID::archive), mail->pid(),
                     [&](const ActionOutcome& outcome) { outcomes.push_back(outcome); });
    executor.perform(ActionID::nextMessage, *Keymap::default_().spec(ActionID::nextMessage),
                     mail->pid(),
                     [&](const ActionOutcome& outcome) { outcomes.push_back(outcome); });
  });
  const double started = now();
  EXPECT_LE(runTurns(), mainLoopTurnBudget + 1e-9);
  EXPECT_GT(now() - started, 10 * mainLoopTurnBudget);  // a long walk, in many turns
  EXPECT_EQ(outcomes,
            (std::vector<ActionOutcome>{ActionOutcome::Pressed{{"Message", "Archive"}},
                                        ActionOutcome::Posted{KeyToken::NamedKey::down}}));
  EXPECT_EQ(mail->mailbox("Archive").size(), archived + 1);  // pressed once
  EXPECT_EQ(executor.pendingCount(), 0u);
}

TEST_F(KeyboardWaitsTest, AMenuCheckOfASlowMailReadsEveryMenuInShortTurns) {
  auto* mail = &user.openMail();
  MenuReachability reachability{mac.accessibility(), loop, MenuReachability::Limits{}};
  reachability.check(mail->pid(), Keymap::default_());
  runTurns();
  const std::size_t whole = reachability.requestsOfLastCheck();
  mail->latency = 0.01;  // the whole check takes well under its 2 seconds
  reachability.check(mail->pid(), Keymap::default_());
  EXPECT_LE(runTurns(), mainLoopTurnBudget + 1e-9);
  EXPECT_EQ(reachability.requestsOfLastCheck(), whole);  // each request counted once
  EXPECT_EQ(reachability.checkedPID(), mail->pid());
}

TEST_F(KeyboardWaitsTest, TheDiagnosticsOfASlowMailAreReadInShortTurnsAndSayWhatAQuickOnes) {
  auto* mail = &user.openMail();
  MenuDiagnostics diagnostics{mac.accessibility(), log, loop};
  const auto readAll = [&] {
    systemLog.lines.clear();
    loop.post([&] {  // asked for in a turn, as from the debug menu
      diagnostics.menuCheck(mail->pid(), Keymap::default_());
      diagnostics.menuStructure(mail->pid());
      diagnostics.windowStructure(mail->pid());
      diagnostics.windowStructure(std::nullopt);
    });
    const double longest = runTurns();
    EXPECT_EQ(diagnostics.pendingCount(), 0u);
    return std::pair(systemLog.messages("debug"), longest);
  };
  const auto [quick, quickTurn] = readAll();
  ASSERT_GT(quick.size(), 40u);
  EXPECT_EQ(quick.back(), "window structure: Mail isn't running");  // in its place
  mail->latency = 0.05;
  const auto [slow, slowTurn] = readAll();
  EXPECT_LE(slowTurn, mainLoopTurnBudget + 1e-9);
  EXPECT_EQ(slow, quick);
}

}  // namespace
}  // namespace quillo
