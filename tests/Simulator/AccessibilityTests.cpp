// The simulated Mail's accessibility tree, time-outs and round trips.
#include <gtest/gtest.h>

#include "SimulatorFixture.hpp"

namespace quillo::sim {
namespace {

using namespace testing;

// The focused element's chain, the window's children and the menus as Quillo
// reads them stand in the focus lines and diagnostics of the golden
// transcripts; here, what those do not show.
TEST_F(SimulatorTest, TheFocusedApplicationIsMailsApplicationElement) {
  auto& ax = mac.accessibility();
  const auto appElement = *read(ax.createSystemWide(), "AXFocusedApplication").get<AXUIElement>();
  pid_t pid = 0;
  EXPECT_EQ(ax.getPid(appElement, pid), AXError::success);
  EXPECT_EQ(pid, user.mail().pid());
  EXPECT_EQ(appElement, ax.createApplication(pid));  // the same element, CFEqual
  EXPECT_EQ(read(appElement, "AXWindows").get<CFValue::Array>()->size(), 1u);
  CFValue missing;
  EXPECT_EQ(ax.copyAttributeValue(appElement, "AXNoSuchThing", missing),
            AXError::attributeUnsupported);
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

TEST_F(SimulatorTest, ATimeOutGoesWithTheLastCopyOfItsReference) {
  auto& ax = mac.accessibility();
  const std::size_t before = ax.heldTimeouts();
  {
    const auto app = ax.createApplication(user.mail().pid());
    ASSERT_EQ(ax.setMessagingTimeout(app, 0.1f), AXError::success);
    const auto copy = app;
    EXPECT_EQ(ax.heldTimeouts(), before + 1);
  }
  EXPECT_EQ(ax.heldTimeouts(), before);
}

// Nothing coming forward after it and the mailboxes outliving it stand in
// system/mail-quits-in-front.scenario.
TEST_F(SimulatorTest, ARelaunchedMailHasANewPidAndOldElementsAreInvalid) {
  auto& ax = mac.accessibility();
  const pid_t before = user.mail().pid();
  const auto oldMenuBar = AccessibilityServer::element(before, *user.mail().menuBar());
  user.quitMail();
  EXPECT_EQ(mac.mail(), nullptr);
  auto& again = user.relaunchMail();
  EXPECT_NE(again.pid(), before);
  CFValue value;
  EXPECT_EQ(ax.copyAttributeValue(oldMenuBar, "AXChildren", value), AXError::invalidUIElement);
  EXPECT_EQ(ax.copyAttributeValue(ax.createApplication(before), "AXMenuBar", value),
            AXError::invalidUIElement);
}

// Lagging states read, pressed and validated by opening a menu stand in
// keypath/lagging-menu-states.scenario.
TEST_F(SimulatorTest, LaggingMenusAreValidatedByAKeyEquivalentButNotByASelection) {
  auto& ax = mac.accessibility();
  auto& mail = user.relaunchMail(MailVariant{.lagMenus = true});
  const auto archive =
      AccessibilityServer::element(mail.pid(), *mail.menuItem({"Message", "Archive"}));
  const auto undo = AccessibilityServer::element(mail.pid(), *mail.menuItem({"Edit", "Undo"}));
  const auto enabled = [&](const AXUIElement& item) {
    return *read(item, "AXEnabled").get<bool>();
  };
  mail.showMailbox("Trash");  // nothing selected
  mail.validateMenus("Message");
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

}  // namespace
}  // namespace quillo::sim
