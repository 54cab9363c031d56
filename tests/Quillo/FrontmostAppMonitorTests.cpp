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
