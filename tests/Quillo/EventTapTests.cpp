#include <gtest/gtest.h>

#include "EventTap.hpp"
#include "FrontmostAppMonitor.hpp"
#include "Session/RecordedServices.hpp"
#include "SimulatedMacFixture.hpp"

namespace quillo {
namespace {

using platform::EventType;

class EventTapTest : public testing::SimulatedMacTest {
 protected:
  void SetUp() override {
    mac.permissions.accessibility = true;
    user.openMail();
    tap.setOnKeyEvent([this](EventType type, const platform::Event& event) {
      seen.push_back(type);
      return swallow && event.integerValueField(platform::EventField::keyboardEventKeycode) == 14;
    });
  }

  platform::RecordingSystemLog systemLog;
  EventTap tap{mac.windowServer(), systemLog, loop};
  std::vector<EventType> seen;
  bool swallow = true;
};

TEST_F(EventTapTest, StartingTwiceInstallsOneTap) {
  EXPECT_TRUE(tap.start());
  EXPECT_TRUE(tap.start());
  EXPECT_EQ(mac.windowServer().tapCount(), 1u);
  EXPECT_TRUE(tap.isInstalled());
}

TEST_F(EventTapTest, StartingWithoutPermissionFails) {
  mac.permissions.accessibility = false;
  EXPECT_FALSE(tap.start());
  EXPECT_FALSE(tap.isInstalled());
  EXPECT_TRUE(systemLog.lines.empty());  // a refusal is only reported by the answer
}

TEST_F(EventTapTest, ANewTapListensOnlyWhenListeningWasAskedFor) {
  ASSERT_TRUE(tap.start());
  user.press("e");
  EXPECT_TRUE(seen.empty());
  tap.setListening(true);
  user.press("e");
  EXPECT_EQ(seen, (std::vector{EventType::keyDown, EventType::keyUp}));
  // The tap dropped e: Mail never saw it.
  EXPECT_FALSE(mac.windowServer().log.back().deliveredTo.has_value());
}

TEST_F(EventTapTest, StopThenStartWhileListeningIsEnabledAtOnce) {
  tap.setListening(true);
  ASSERT_TRUE(tap.start());
  tap.stop();
  EXPECT_FALSE(tap.isInstalled());
  EXPECT_TRUE(tap.isListening());
  EXPECT_EQ(mac.windowServer().tapCount(), 0u);
  ASSERT_TRUE(tap.start());
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 1u);
  user.press("e");
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(EventTapTest, DisabledByTheSystemWhileListeningIsReenabledAndLogged) {
  tap.setListening(true);
  ASSERT_TRUE(tap.start());
  mac.windowServer().disableTapsByTimeout();
  loop.runUntilIdle();
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 1u);
  ASSERT_EQ(systemLog.lines.size(), 1u);
  EXPECT_EQ(systemLog.lines[0],
            (platform::RecordingSystemLog::Line{
                "app", platform::LogLevel::default_,
                "Event tap was disabled by the system (timeout); re-enabling: true"}));

  tap.setListening(false);
  mac.windowServer().tapEnable(platform::MachPort{1}, true);
  mac.windowServer().disableTapsByUserInput();
  loop.runUntilIdle();
  EXPECT_EQ(systemLog.lines.back().message,
            "Event tap was disabled by the system (user input); re-enabling: false");
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 0u);
}

TEST_F(EventTapTest, TheDisabledHandlerHearsFirstAndMayRemoveTheTap) {
  tap.setListening(true);
  ASSERT_TRUE(tap.start());
  std::vector<bool> enabledWhenTold;
  tap.setOnDisabled([&] { enabledWhenTold.push_back(mac.windowServer().enabledTapCount() == 1); });
  mac.windowServer().disableTapsByTimeout();
  loop.runUntilIdle();
  EXPECT_EQ(enabledWhenTold, std::vector{false});  // told before it is switched back on
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 1u);

  tap.setOnDisabled([&] { tap.stop(); });
  mac.windowServer().disableTapsByTimeout();
  loop.runUntilIdle();
  EXPECT_FALSE(tap.isInstalled());
  EXPECT_EQ(mac.windowServer().tapCount(), 0u);
  EXPECT_EQ(systemLog.lines.back().message,
            "Event tap was disabled by the system (timeout); re-enabling: false");
}

TEST_F(EventTapTest, WithoutAHandlerOrWhenTheHandlerThrowsKeysPass) {
  tap.setListening(true);
  ASSERT_TRUE(tap.start());
  tap.setOnKeyEvent(nullptr);
  user.press("e");
  EXPECT_EQ(mac.windowServer().log.back().deliveredTo, user.mail().pid());
  tap.setOnKeyEvent(
      [](EventType, const platform::Event&) -> bool { throw std::runtime_error("boom"); });
  user.press("e");
  EXPECT_EQ(mac.windowServer().log.back().deliveredTo, user.mail().pid());
}

// MARK: - When the tap goes blind

TEST(TapTimeouts, TheThirdWithinAMinuteCallsForANewTap) {
  struct Case {
    const char* what;
    std::vector<double> at;  // seconds
    std::vector<bool> renew;
  };
  const Case cases[] = {
      {"three in quick succession", {0, 1, 2}, {false, false, true}},
      {"the third just a minute after the first", {0, 30, 60}, {false, false, true}},
      {"the third just past a minute", {0, 30, 60.001}, {false, false, false}},
      {"the oldest falls out of the minute", {0, 40, 70, 71}, {false, false, false, true}},
      {"after a renewal the count starts afresh",
       {0, 1, 2, 3, 4, 5},
       {false, false, true, false, false, true}},
      {"a clock set back forgets the later ones",
       {100, 101, 50, 51, 52},
       {false, false, false, false, true}},
  };
  for (const auto& c : cases) {
    TapTimeouts timeouts;
    std::vector<bool> renew;
    for (const double seconds : c.at) {
      renew.push_back(timeouts.noteTimeout(
          platform::WallClock::time_point() +
          std::chrono::duration_cast<platform::WallClock::duration>(platform::Duration(seconds))));
    }
    EXPECT_EQ(renew, c.renew) << c.what;
  }
}

TEST(TapRenewalText, Forms) {
  using Reason = TapRenewal::Reason;
  EXPECT_EQ((TapRenewal{Reason::repeatedTimeouts, true}).description(),
            "event tap re-created (timed out 3 times within 60 seconds)");
  EXPECT_EQ((TapRenewal{Reason::portInvalid, true}).description(),
            "event tap re-created (its port became invalid)");
  EXPECT_EQ((TapRenewal{Reason::portInvalid, false}).description(),
            "event tap re-creation failed (its port became invalid)");
}

class TapHealthTest : public EventTapTest {
 protected:
  void SetUp() override {
    EventTapTest::SetUp();
    tap.setOnRenewed([this](const TapRenewal& renewal) { renewed.push_back(renewal); });
    tap.setListening(true);
    ASSERT_TRUE(tap.start());
  }
  void timeOut(int times) {
    for (int i = 0; i < times; ++i) {
      mac.windowServer().disableTapsByTimeout();
      loop.runUntilIdle();
    }
  }

  std::vector<TapRenewal> renewed;
};

TEST_F(TapHealthTest, ThreeTimeOutsWithinAMinuteGetANewTap) {
  const platform::MachPort first{1};
  ASSERT_TRUE(mac.windowServer().machPortIsValid(first));
  timeOut(2);
  EXPECT_TRUE(renewed.empty());
  EXPECT_TRUE(mac.windowServer().machPortIsValid(first));  // only switched back on
  timeOut(1);
  EXPECT_EQ(renewed, (std::vector{TapRenewal{TapRenewal::Reason::repeatedTimeouts, true}}));
  EXPECT_EQ(tap.renewals(), 1);
  EXPECT_FALSE(mac.windowServer().machPortIsValid(first));
  EXPECT_EQ(mac.windowServer().tapCount(), 1u);
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 1u);
  EXPECT_EQ(systemLog.lines.back().message,
            "event tap re-created (timed out 3 times within 60 seconds)");
  user.press("e");
  EXPECT_EQ(seen.size(), 2u);  // the new tap hears the keys
  EXPECT_FALSE(mac.windowServer().log.back().deliveredTo.has_value());
}

TEST_F(TapHealthTest, TimeOutsFurtherApartAreOnlySwitchedBackOn) {
  timeOut(2);
  loop.advance(platform::Duration(61));
  timeOut(2);
  EXPECT_TRUE(renewed.empty());
  EXPECT_TRUE(mac.windowServer().machPortIsValid(platform::MachPort{1}));
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 1u);
}

TEST_F(TapHealthTest, ANewTapCountsNoTimeOutOfTheOldOne) {
  timeOut(2);
  mac.windowServer().invalidateTapPorts();
  ASSERT_TRUE(tap.renewIfPortInvalid());
  timeOut(2);  // the new tap's first two: only switched back on
  EXPECT_EQ(renewed, (std::vector{TapRenewal{TapRenewal::Reason::portInvalid, true}}));
  EXPECT_EQ(tap.renewals(), 1);
}

TEST_F(TapHealthTest, ARenewalFindsNothingToDoOnceTheTapWasRemoved) {
  timeOut(2);
  // Removed after the third time-out is told, before the renewal runs.
  tap.setOnDisabled([&] { loop.post([&] { tap.stop(); }); });
  timeOut(1);
  EXPECT_TRUE(renewed.empty());
  EXPECT_EQ(tap.renewals(), 0);
  EXPECT_FALSE(tap.isInstalled());
  EXPECT_EQ(mac.windowServer().tapCount(), 0u);
}

TEST_F(TapHealthTest, ADeadPortIsReplacedWhenAskedAndOnlyThen) {
  EXPECT_FALSE(tap.renewIfPortInvalid());
  mac.windowServer().invalidateTapPorts();
  user.press("e");
  EXPECT_TRUE(seen.empty());  // blind, and nobody said so
  EXPECT_TRUE(renewed.empty());
  EXPECT_TRUE(tap.isInstalled());
  EXPECT_TRUE(tap.renewIfPortInvalid());
  EXPECT_EQ(renewed, (std::vector{TapRenewal{TapRenewal::Reason::portInvalid, true}}));
  user.press("e");
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_FALSE(tap.renewIfPortInvalid());
  EXPECT_EQ(tap.renewals(), 1);
}

TEST_F(TapHealthTest, ARenewalTheSystemRefusesLeavesNoTapAndSaysSo) {
  mac.windowServer().refuseTaps = true;
  mac.windowServer().invalidateTapPorts();
  EXPECT_TRUE(tap.renewIfPortInvalid());
  EXPECT_EQ(renewed, (std::vector{TapRenewal{TapRenewal::Reason::portInvalid, false}}));
  EXPECT_FALSE(tap.isInstalled());
  EXPECT_TRUE(tap.isListening());  // a later start() listens at once
  EXPECT_EQ(systemLog.lines.back(), (platform::RecordingSystemLog::Line{
                                        "app", platform::LogLevel::error,
                                        "event tap re-creation failed (its port became invalid)"}));
  mac.windowServer().refuseTaps = false;
  ASSERT_TRUE(tap.start());
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 1u);
}

TEST_F(TapHealthTest, KeysHiddenFollowsSecureKeyboardEntry) {
  EXPECT_FALSE(tap.keysHidden());
  mac.windowServer().enableSecureEventInput(user.mail().pid());
  EXPECT_TRUE(tap.keysHidden());
  user.press("e");
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(mac.windowServer().log.back().deliveredTo, user.mail().pid());
  mac.windowServer().disableSecureEventInput(user.mail().pid());
  EXPECT_FALSE(tap.keysHidden());
}

// MARK: - FrontmostAppMonitor

class FrontmostAppMonitorTest : public testing::SimulatedMacTest {};

TEST_F(FrontmostAppMonitorTest, StartingWhileMailIsInFrontCallsNothing) {
  user.openMail();
  FrontmostAppMonitor monitor(mac.workspace());
  int changes = 0;
  monitor.setOnChange([&] { ++changes; });
  EXPECT_EQ(monitor.mailPID(), user.mail().pid());
  loop.runUntilIdle();
  EXPECT_EQ(changes, 0);
}

TEST_F(FrontmostAppMonitorTest, FollowsActivationsAndTerminations) {
  FrontmostAppMonitor monitor(mac.workspace());
  std::vector<std::optional<pid_t>> changes;
  monitor.setOnChange([&] { changes.push_back(monitor.mailPID()); });
  EXPECT_FALSE(monitor.mailPID());

  user.openMail();
  const pid_t first = user.mail().pid();
  user.switchTo(sim::SimulatedMac::mailBundleID);  // Mail again: nothing changes
  user.switchTo(sim::SimulatedMac::safariBundleID, "Safari");
  user.switchTo("com.apple.TextEdit", "TextEdit");  // a second other app: nothing
  user.openMail();
  user.relaunchMail();  // quits while in front, comes back with a new pid
  const pid_t second = user.mail().pid();
  user.switchTo(sim::SimulatedMac::safariBundleID);
  user.quitMail();  // terminating while not in front changes nothing
  mac.workspace().postActivationWithoutApplication();
  EXPECT_EQ(changes, (std::vector<std::optional<pid_t>>{first, std::nullopt, first, std::nullopt,
                                                        second, std::nullopt}));
}

TEST_F(FrontmostAppMonitorTest, AnActivationWithoutApplicationCountsAsAnotherApplication) {
  user.openMail();
  FrontmostAppMonitor monitor(mac.workspace());
  int changes = 0;
  monitor.setOnChange([&] { ++changes; });
  mac.workspace().postActivationWithoutApplication();
  loop.runUntilIdle();
  EXPECT_FALSE(monitor.mailPID());
  EXPECT_EQ(changes, 1);
}

TEST_F(FrontmostAppMonitorTest, MailQuittingInFrontIsForgottenBeforeAnythingElseIsActivated) {
  const pid_t mail = user.openMail().pid();
  FrontmostAppMonitor monitor(mac.workspace());
  int changes = 0;
  monitor.setOnChange([&] { ++changes; });
  // Only the terminations: which application comes to the front next, and
  // when, is the system's business.
  mac.workspace().terminated({mail + 1000, std::string("com.apple.Safari"), "Safari"});
  loop.runUntilIdle();
  EXPECT_EQ(monitor.mailPID(), mail);
  mac.workspace().terminated({mail, std::string(sim::SimulatedMac::mailBundleID), "Mail"});
  loop.runUntilIdle();
  EXPECT_EQ(monitor.mailPID(), std::nullopt);
  EXPECT_EQ(changes, 1);
}

TEST_F(FrontmostAppMonitorTest, MailAnnouncedAgainWhileInFrontCallsNothing) {
  const pid_t mail = user.openMail().pid();
  FrontmostAppMonitor monitor(mac.workspace());
  int changes = 0;
  monitor.setOnChange([&] { ++changes; });
  int announced = 0;
  const auto observer = mac.workspace().observeActivation([&](auto) { ++announced; });
  user.openMail();
  user.click(sim::MailApp::Place::searchField);
  EXPECT_EQ(announced, 2);  // the workspace did announce Mail again, twice
  EXPECT_EQ(monitor.mailPID(), mail);
  EXPECT_EQ(changes, 0);
}

TEST_F(FrontmostAppMonitorTest, MailQuittingInFrontIsForgottenWithNothingActivatedAfter) {
  user.openMail();
  FrontmostAppMonitor monitor(mac.workspace());
  int changes = 0;
  monitor.setOnChange([&] { ++changes; });
  user.quitMail();
  loop.advance(platform::Duration(5));
  EXPECT_EQ(mac.workspace().frontmostApplication(), std::nullopt);
  EXPECT_EQ(monitor.mailPID(), std::nullopt);
  EXPECT_EQ(changes, 1);
}

TEST_F(FrontmostAppMonitorTest, ARelaunchedMailIsFollowedWhateverTheSystemActivatesLater) {
  mac.afterFrontQuits = {.activatesPrevious = true, .delay = platform::Duration(0.5)};
  user.switchTo(sim::SimulatedMac::safariBundleID, "Safari");
  user.openMail();
  FrontmostAppMonitor monitor(mac.workspace());
  std::vector<std::optional<pid_t>> changes;
  monitor.setOnChange([&] { changes.push_back(monitor.mailPID()); });
  const pid_t second = user.relaunchMail().pid();
  loop.advance(platform::Duration(1));  // Mail is in front: the system leaves it there
  EXPECT_EQ(changes, (std::vector<std::optional<pid_t>>{std::nullopt, second}));
  EXPECT_EQ(monitor.mailPID(), second);
  // Quitting in front, the system brings Safari forward a moment later.
  user.quitMail();
  loop.advance(platform::Duration(1));
  EXPECT_EQ(mac.workspace().frontmostApplication()->bundleIdentifier,
            sim::SimulatedMac::safariBundleID);
  EXPECT_EQ(changes, (std::vector<std::optional<pid_t>>{std::nullopt, second, std::nullopt}));
}

TEST_F(FrontmostAppMonitorTest, AnotherMailProcessInFrontReplacesTheRememberedOne) {
  const pid_t first = user.openMail().pid();
  FrontmostAppMonitor monitor(mac.workspace());
  std::vector<std::optional<pid_t>> changes;
  monitor.setOnChange([&] { changes.push_back(monitor.mailPID()); });
  const pid_t second = mac.launchMail().pid();  // a second Mail, the first still running
  mac.activate(second);
  loop.runUntilIdle();
  EXPECT_NE(first, second);
  EXPECT_EQ(changes, std::vector<std::optional<pid_t>>{second});
}

TEST_F(FrontmostAppMonitorTest, NotificationsAfterTheMonitorIsGoneAreHarmless) {
  {
    FrontmostAppMonitor monitor(mac.workspace());
    monitor.setOnChange([] { FAIL() << "called after destruction"; });
    mac.launchMail();  // the notification is queued, the monitor goes
  }
  loop.runUntilIdle();
}

}  // namespace
}  // namespace quillo
