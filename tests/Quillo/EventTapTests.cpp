#include <gtest/gtest.h>

#include "EventTap.hpp"
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

// A time-out while listening is switched back on and logged in
// keypath/tap-disabled-by-timeout.scenario.
TEST_F(EventTapTest, DisabledByUserInputWhileNotListeningStaysOffAndIsLogged) {
  tap.setListening(true);
  ASSERT_TRUE(tap.start());
  tap.setListening(false);
  mac.windowServer().tapEnable(platform::MachPort{1}, true);
  mac.windowServer().disableTapsByUserInput();
  loop.runUntilIdle();
  EXPECT_EQ(systemLog.lines.back(),
            (platform::RecordingSystemLog::Line{
                "app", platform::LogLevel::default_,
                "Event tap was disabled by the system (user input); re-enabling: false"}));
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 0u);
}

// A handler that removes the tap instead: the revoked-Accessibility case of
// app/accessibility-revoked-while-tapping.scenario.
TEST_F(EventTapTest, TheDisabledHandlerHearsBeforeTheTapIsSwitchedBackOn) {
  tap.setListening(true);
  ASSERT_TRUE(tap.start());
  std::vector<bool> enabledWhenTold;
  tap.setOnDisabled([&] { enabledWhenTold.push_back(mac.windowServer().enabledTapCount() == 1); });
  mac.windowServer().disableTapsByTimeout();
  loop.runUntilIdle();
  EXPECT_EQ(enabledWhenTold, std::vector{false});  // told before it is switched back on
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 1u);
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

// The tap coming back, listening, once it can be made again stands in
// keypath/tap-port-dies.scenario.
TEST_F(TapHealthTest, ARenewalTheSystemRefusesLeavesNoTapAndSaysSoAsAnError) {
  mac.windowServer().refuseTaps = true;
  mac.windowServer().invalidateTapPorts();
  EXPECT_TRUE(tap.renewIfPortInvalid());
  EXPECT_EQ(renewed, (std::vector{TapRenewal{TapRenewal::Reason::portInvalid, false}}));
  EXPECT_FALSE(tap.isInstalled());
  EXPECT_EQ(systemLog.lines.back(), (platform::RecordingSystemLog::Line{
                                        "app", platform::LogLevel::error,
                                        "event tap re-creation failed (its port became invalid)"}));
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

}  // namespace
}  // namespace quillo
