#include <gtest/gtest.h>

#include <memory>

#include "FrontmostAppMonitor.hpp"
#include "SimulatedMacFixture.hpp"

namespace quillo {
namespace {

using Pids = std::vector<std::optional<pid_t>>;
using sim::SimulatedMac;

class FrontmostAppMonitorTest : public testing::SimulatedMacTest {
 protected:
  /// Starts the monitor; every change it announces lands in `changes` as
  /// the Mail process it then knows.
  FrontmostAppMonitor& watch() {
    monitor = std::make_unique<FrontmostAppMonitor>(mac.workspace());
    monitor->setOnChange([this] { changes.push_back(monitor->mailPID()); });
    return *monitor;
  }

  std::unique_ptr<FrontmostAppMonitor> monitor;
  Pids changes;
};

TEST_F(FrontmostAppMonitorTest, StartingWhileMailIsInFrontCallsNothing) {
  user.openMail();
  EXPECT_EQ(watch().mailPID(), user.mail().pid());
  loop.runUntilIdle();
  EXPECT_EQ(changes, Pids{});
}

TEST_F(FrontmostAppMonitorTest, FollowsActivationsAndTerminations) {
  EXPECT_FALSE(watch().mailPID());
  user.openMail();
  const pid_t first = user.mail().pid();
  user.switchTo(SimulatedMac::mailBundleID);  // Mail again: nothing changes
  user.switchTo(SimulatedMac::safariBundleID, "Safari");
  user.switchTo("com.apple.TextEdit", "TextEdit");  // a second other app: nothing
  user.openMail();
  user.relaunchMail();  // quits while in front, comes back with a new pid
  const pid_t second = user.mail().pid();
  user.switchTo(SimulatedMac::safariBundleID);
  user.quitMail();  // terminating while not in front changes nothing
  mac.workspace().postActivationWithoutApplication();
  EXPECT_EQ(changes, (Pids{first, std::nullopt, first, std::nullopt, second, std::nullopt}));
}

TEST_F(FrontmostAppMonitorTest, AnActivationWithoutApplicationCountsAsAnotherApplication) {
  user.openMail();
  watch();
  mac.workspace().postActivationWithoutApplication();
  loop.runUntilIdle();
  EXPECT_EQ(changes, Pids{std::nullopt});
}

TEST_F(FrontmostAppMonitorTest, MailQuittingInFrontIsForgottenBeforeAnythingElseIsActivated) {
  const pid_t mail = user.openMail().pid();
  watch();
  // Only the terminations: which application comes to the front next, and
  // when, is the system's business.
  mac.workspace().terminated({mail + 1000, std::string("com.apple.Safari"), "Safari"});
  loop.runUntilIdle();
  EXPECT_EQ(monitor->mailPID(), mail);
  mac.workspace().terminated({mail, std::string(SimulatedMac::mailBundleID), "Mail"});
  loop.runUntilIdle();
  EXPECT_EQ(changes, Pids{std::nullopt});
}

TEST_F(FrontmostAppMonitorTest, MailAnnouncedAgainWhileInFrontCallsNothing) {
  const pid_t mail = user.openMail().pid();
  watch();
  int announced = 0;
  const auto observer = mac.workspace().observeActivation([&](auto) { ++announced; });
  user.openMail();
  user.click(sim::MailApp::Place::searchField);
  EXPECT_EQ(announced, 2);  // the workspace did announce Mail again, twice
  EXPECT_EQ(monitor->mailPID(), mail);
  EXPECT_EQ(changes, Pids{});
}

TEST_F(FrontmostAppMonitorTest, MailQuittingInFrontIsForgottenWithNothingActivatedAfter) {
  user.openMail();
  watch();
  user.quitMail();
  loop.advance(platform::Duration(5));
  EXPECT_EQ(mac.workspace().frontmostApplication(), std::nullopt);
  EXPECT_EQ(changes, Pids{std::nullopt});
}

TEST_F(FrontmostAppMonitorTest, ARelaunchedMailIsFollowedWhateverTheSystemActivatesLater) {
  mac.afterFrontQuits = {.activatesPrevious = true, .delay = platform::Duration(0.5)};
  user.switchTo(SimulatedMac::safariBundleID, "Safari");
  user.openMail();
  watch();
  const pid_t second = user.relaunchMail().pid();
  loop.advance(platform::Duration(1));  // Mail is in front: the system leaves it there
  EXPECT_EQ(changes, (Pids{std::nullopt, second}));
  // Quitting in front, the system brings Safari forward a moment later.
  user.quitMail();
  loop.advance(platform::Duration(1));
  EXPECT_EQ(mac.workspace().frontmostApplication()->bundleIdentifier, SimulatedMac::safariBundleID);
  EXPECT_EQ(changes, (Pids{std::nullopt, second, std::nullopt}));
}

TEST_F(FrontmostAppMonitorTest, AnotherMailProcessInFrontReplacesTheRememberedOne) {
  const pid_t first = user.openMail().pid();
  watch();
  const pid_t second = mac.launchMail().pid();  // a second Mail, the first still running
  mac.activate(second);
  loop.runUntilIdle();
  EXPECT_NE(first, second);
  EXPECT_EQ(changes, Pids{second});
}

TEST_F(FrontmostAppMonitorTest, NotificationsAfterTheMonitorIsGoneAreHarmless) {
  watch().setOnChange([] { FAIL() << "called after destruction"; });
  mac.launchMail();  // the notification is queued, the monitor goes
  monitor.reset();
  loop.runUntilIdle();
}

}  // namespace
}  // namespace quillo
