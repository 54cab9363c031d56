#include <gtest/gtest.h>

#include "AXFocusInspector.hpp"
#include "Platform/linux/LinuxServices.hpp"
#include "Session/RecordedServices.hpp"
#include "SimulatedMacFixture.hpp"
#include "TempHome.hpp"
#include "TreeApp.hpp"

namespace quillo {
namespace {

using Place = sim::MailApp::Place;
using sim::AXNode;

class AXFocusInspectorTest : public testing::SimulatedMacTest {
 protected:
  void SetUp() override {
    mac.permissions.accessibility = true;
    log.setEnabled(true);
  }

  /// A hand-built app that says it is Mail, launched and in front.
  testing::TreeApp& treeApp() { return mac.launch<testing::TreeApp>(); }

  std::size_t roundTrips() { return mac.accessibility().totalRoundTrips(); }

  testing::TempHome home;
  platform::XdgPaths paths;
  platform::RecordingSystemLog systemLog;
  DebugLog log{paths, systemLog, [this] { return loop.now(); }};
  AXFocusInspector inspector{mac.accessibility(), log, loop};
};

TEST_F(AXFocusInspectorTest, ClassifiesMailsPlacesAndLogsNewClassificationsOnly) {
  auto& mail = user.openMail();
  const pid_t pid = mail.pid();
  EXPECT_EQ(inspector.context(pid), FocusContext::messageList);
  EXPECT_EQ(inspector.context(pid), FocusContext::messageList);
  user.click(Place::searchField);
  EXPECT_EQ(inspector.context(pid), FocusContext::other);
  mail.newMessage();
  EXPECT_EQ(inspector.context(pid), FocusContext::compose);
  user.click(Place::body);
  EXPECT_EQ(inspector.context(pid), FocusContext::compose);
  mail.showSheet("Save?");
  EXPECT_EQ(inspector.context(pid), FocusContext::other);
  mail.dismissSheet(false);
  user.click(Place::messageList);
  mail.openSelectedMessage();
  EXPECT_EQ(inspector.context(pid), FocusContext::messageWindow);

  const auto focusLines = systemLog.messages("debug");
  ASSERT_EQ(focusLines.size(), 6u);  // one per new focused element, none for the repeat
  EXPECT_EQ(
      focusLines[0],
      "focus changed: AXTable#Mail.messageList \u2039 AXScrollArea \u2039 AXSplitGroup \u2039 "
      "AXWindow/AXStandardWindow [window has ] \u2192 messageList");
  EXPECT_EQ(focusLines[2],
            "focus changed: AXTextField#Mail.toField \u2039 AXWindow/AXStandardWindow [window has "
            "Mail.toField, Mail.subjectField] \u2192 compose");
}

TEST_F(AXFocusInspectorTest, OtherApplicationFocusedMeansUnknownWithoutTouchingTheCaches) {
  auto& mail = user.openMail();
  EXPECT_EQ(inspector.context(mail.pid()), FocusContext::messageList);
  user.switchTo(sim::SimulatedMac::safariBundleID, "Safari");
  EXPECT_EQ(inspector.context(mail.pid()), FocusContext::unknown);
  EXPECT_TRUE(inspector.hasCachedFocus());
  user.openMail();
  mac.accessibility().resetRoundTrips();
  EXPECT_EQ(inspector.context(mail.pid()), FocusContext::messageList);
  EXPECT_EQ(roundTrips(), 2u);  // answered from the cache
}

TEST_F(AXFocusInspectorTest, TheSameFocusedElementCostsTwoRequestsAndAPolicyChangeClassifiesAgain) {
  auto& mail = user.openMail();
  EXPECT_EQ(inspector.context(mail.pid()), FocusContext::messageList);
  mac.accessibility().resetRoundTrips();
  EXPECT_EQ(inspector.context(mail.pid()), FocusContext::messageList);
  EXPECT_EQ(roundTrips(), 2u);
  EXPECT_EQ(mac.accessibility().roundTrips(0), 1u);  // the system's focused application
  EXPECT_EQ(mac.accessibility().roundTrips(mail.pid()), 1u);

  FocusPolicy noList = FocusPolicy::default_();
  noList.allow.clear();
  inspector.setPolicy(noList);
  inspector.clearCachedFocus();
  EXPECT_EQ(inspector.context(mail.pid()), FocusContext::other);
}

TEST_F(AXFocusInspectorTest, NoFocusedElementAndNoWindowIsUnknownAndClearsTheCache) {
  auto& tree = treeApp();
  mac.activate(tree.pid());
  tree.window = tree.node("AXWindow", "AXStandardWindow");
  tree.focused = tree.window;
  EXPECT_NE(inspector.context(tree.pid()), FocusContext::unknown);
  EXPECT_TRUE(inspector.hasCachedFocus());
  tree.focused.reset();
  tree.window.reset();
  EXPECT_EQ(inspector.context(tree.pid()), FocusContext::unknown);
  EXPECT_FALSE(inspector.hasCachedFocus());
}

TEST_F(AXFocusInspectorTest, AFocusedWindowIsItsOwnOnlyAncestor) {
  auto& tree = treeApp();
  tree.window = tree.node("AXWindow", "AXStandardWindow", "main");
  AXNode::adopt(tree.window, tree.node("AXTextField", std::nullopt, "Mail.toField"));
  AXNode::adopt(tree.window, tree.node("AXButton"));
  tree.focused = nullptr;  // no focused element: the focused window stands in
  const auto snapshot = inspector.snapshot(tree.pid());
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->focused.role, "AXWindow");
  ASSERT_EQ(snapshot->ancestors.size(), 1u);
  EXPECT_EQ(snapshot->ancestors[0], snapshot->focused);
  EXPECT_EQ(snapshot->windowContents, std::vector<std::string>{"Mail.toField"});
}

TEST_F(AXFocusInspectorTest, TheAncestorWalkStopsAtForty) {
  auto& tree = treeApp();
  std::vector<std::string> roles(45, "AXGroup");
  roles.insert(roles.begin(), "AXWindow");
  roles.back() = "AXTable";
  const auto nodes = tree.chain(roles);
  tree.focused = nodes.back();
  mac.accessibility().resetRoundTrips();
  const auto snapshot = inspector.snapshot(tree.pid());
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->ancestors.size(), 40u);
  EXPECT_TRUE(snapshot->windowContents.empty());
  EXPECT_EQ(snapshot->window(), nullptr);
  // One request for the focused element, then one per element read.
  EXPECT_EQ(roundTrips(), 1u + 1u + 40u);
}

// keypath/many-windows.scenario bounds the number between 8 and 9 only.
TEST_F(AXFocusInspectorTest, WindowContentsAreCachedForTheEightMostRecentWindows) {
  auto& tree = treeApp();
  mac.activate(tree.pid());
  loop.runUntilIdle();
  std::vector<std::shared_ptr<AXNode>> windows, fields;
  for (int i = 0; i < 9; ++i) {
    windows.push_back(tree.node("AXWindow", "AXStandardWindow"));
    auto marker = tree.node("AXButton", std::nullopt, "marker" + std::to_string(i));
    AXNode::adopt(windows.back(), marker);
    fields.push_back(tree.node("AXTextField"));
    AXNode::adopt(windows.back(), fields.back());
  }
  const auto focusIn = [&](int i) {
    tree.focused = fields[static_cast<std::size_t>(i)];
    return inspector.snapshot(tree.pid())->windowContents;
  };
  for (int i = 0; i < 8; ++i)
    focusIn(i);
  // A window seen again while cached is not read again, even if it changed.
  AXNode::adopt(windows[0], tree.node("AXButton", std::nullopt, "added"));
  EXPECT_EQ(focusIn(0), std::vector<std::string>{"marker0"});
  // A ninth window pushes out the oldest addition (window 0), which is then read afresh.
  focusIn(8);
  EXPECT_EQ(focusIn(0), (std::vector<std::string>{"marker0", "added"}));
}

TEST_F(AXFocusInspectorTest, AnotherPidGetsANewApplicationElementAndForgetsTheCachedFocus) {
  auto& mail = user.openMail();
  EXPECT_EQ(inspector.context(mail.pid()), FocusContext::messageList);
  EXPECT_TRUE(inspector.hasCachedFocus());
  auto& tree = treeApp();
  tree.focused = tree.node("AXButton");
  inspector.snapshot(tree.pid());
  EXPECT_FALSE(inspector.hasCachedFocus());
}

TEST_F(AXFocusInspectorTest, ABusyMailIsUnknownWithinTheKeysBudget) {
  auto& mail = user.openMail();
  mail.latency = 0.5;
  const auto before = loop.elapsed();
  EXPECT_EQ(inspector.context(mail.pid()), FocusContext::unknown);
  // The focused element's read takes the whole budget and times out; its
  // focused window is not asked for at all.
  EXPECT_NEAR((loop.elapsed() - before).count(), AXFocusInspector::keyBudget, 1e-6);
}

TEST_F(AXFocusInspectorTest, UntrustedIsUnknown) {
  auto& mail = user.openMail();
  mac.permissions.accessibility = false;
  EXPECT_EQ(inspector.context(mail.pid()), FocusContext::unknown);
  EXPECT_EQ(inspector.snapshot(mail.pid()), std::nullopt);
}

}  // namespace
}  // namespace quillo
