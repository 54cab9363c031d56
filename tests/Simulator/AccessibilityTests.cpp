// The simulated Mail's accessibility tree, time-outs and round trips.
#include <gtest/gtest.h>

#include "SimulatorFixture.hpp"

namespace quillo::sim {
namespace {

using namespace testing;

TEST_F(SimulatorTest, TheTreeAnswersWhatQuilloReads) {
  auto& ax = mac.accessibility();
  const auto systemWide = ax.createSystemWide();
  const auto appElement = *read(systemWide, "AXFocusedApplication").get<AXUIElement>();
  pid_t pid = 0;
  EXPECT_EQ(ax.getPid(appElement, pid), AXError::success);
  EXPECT_EQ(pid, user.mail().pid());
  EXPECT_EQ(appElement, ax.createApplication(pid));  // the same element, CFEqual

  // The focused element and its chain up to the window.
  const auto table = *read(appElement, "AXFocusedUIElement").get<AXUIElement>();
  CFValue info;
  ASSERT_EQ(ax.copyMultipleAttributeValues(
                table, {"AXRole", "AXSubrole", "AXIdentifier", "AXParent"}, 0, info),
            AXError::success);
  const auto& values = *info.get<CFValue::Array>();
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[0], CFValue("AXTable"));
  EXPECT_EQ(values[1], CFValue(AXValueError{AXError::noValue}));
  EXPECT_EQ(values[2], CFValue("Mail.messageList"));
  std::vector<std::string> chain;
  for (auto element = *values[3].get<AXUIElement>();;) {
    const std::string r = role(element);
    chain.push_back(r);
    if (r == "AXApplication") break;
    element = *read(element, "AXParent").get<AXUIElement>();
  }
  EXPECT_EQ(chain, (std::vector<std::string>{"AXScrollArea", "AXSplitGroup", "AXWindow",
                                             "AXApplication"}));
  const auto window = *read(appElement, "AXFocusedWindow").get<AXUIElement>();
  EXPECT_EQ(*read(window, "AXSubrole").get<std::string>(), "AXStandardWindow");
  // The preview is not a direct child of the viewer.
  const CFValue windowChildren = read(window, "AXChildren");
  for (const auto& child : *windowChildren.get<CFValue::Array>()) {
    EXPECT_NE(role(*child.get<AXUIElement>()), "AXWebArea");
  }

  // The menu bar: the Apple menu first, then Mail's menus with their items.
  const auto bar = *read(appElement, "AXMenuBar").get<AXUIElement>();
  const auto menus = *read(bar, "AXChildren").get<CFValue::Array>();
  std::vector<std::string> titles;
  for (const auto& menu : menus)
    titles.push_back(*read(*menu.get<AXUIElement>(), "AXTitle").get<std::string>());
  EXPECT_EQ(titles, (std::vector<std::string>{"Apple", "Mail", "File", "Edit", "View", "Mailbox",
                                              "Message", "Format", "Window", "Help"}));
  const auto messageMenu = *read(*menus[6].get<AXUIElement>(), "AXChildren").get<CFValue::Array>();
  ASSERT_EQ(messageMenu.size(), 1u);
  EXPECT_EQ(role(*messageMenu[0].get<AXUIElement>()), "AXMenu");
  const auto items = *read(*messageMenu[0].get<AXUIElement>(), "AXChildren").get<CFValue::Array>();
  const auto send = *items[0].get<AXUIElement>();
  EXPECT_EQ(*read(send, "AXTitle").get<std::string>(), "Send");
  EXPECT_EQ(*read(send, "AXEnabled").get<bool>(), false);

  // Windows of the application.
  EXPECT_EQ(read(appElement, "AXWindows").get<CFValue::Array>()->size(), 1u);
  CFValue missing;
  EXPECT_EQ(ax.copyAttributeValue(appElement, "AXNoSuchThing", missing),
            AXError::attributeUnsupported);
}

TEST_F(SimulatorTest, OpenedMessageAndComposeWindowsHoldTheirMarkersDirectly) {
  auto& mail = user.mail();
  const auto identifiersOfFrontWindow = [&] {
    const auto app = mac.accessibility().createApplication(mail.pid());
    const auto window = *read(app, "AXFocusedWindow").get<AXUIElement>();
    std::vector<std::string> ids;
    const CFValue children = read(window, "AXChildren");
    for (const auto& child : *children.get<CFValue::Array>()) {
      CFValue id;
      if (mac.accessibility().copyAttributeValue(*child.get<AXUIElement>(), "AXIdentifier", id) ==
          AXError::success) {
        ids.push_back(*id.get<std::string>());
      }
    }
    return ids;
  };
  mail.openSelectedMessage();
  EXPECT_EQ(identifiersOfFrontWindow(), std::vector<std::string>{"_MAIL_MESSAGE_CONTENT"});
  mail.newMessage();
  EXPECT_EQ(identifiersOfFrontWindow(),
            (std::vector<std::string>{"Mail.toField", "Mail.subjectField"}));
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

TEST_F(SimulatorTest, ARelaunchedMailHasANewPidAndOldElementsAreInvalid) {
  auto& ax = mac.accessibility();
  const pid_t before = user.mail().pid();
  const auto oldMenuBar = AccessibilityServer::element(before, *user.mail().menuBar());
  user.mail().showMailbox("Archive");
  user.quitMail();
  EXPECT_EQ(mac.mail(), nullptr);
  EXPECT_EQ(mac.workspace().frontmostApplication(), std::nullopt);  // nothing came forward
  auto& again = user.relaunchMail();
  EXPECT_NE(again.pid(), before);
  CFValue value;
  EXPECT_EQ(ax.copyAttributeValue(oldMenuBar, "AXChildren", value), AXError::invalidUIElement);
  EXPECT_EQ(ax.copyAttributeValue(ax.createApplication(before), "AXMenuBar", value),
            AXError::invalidUIElement);
  // The mailboxes outlive the process.
  EXPECT_EQ(again.mailbox("Inbox").size(), mac.mailStore().mailboxes["Inbox"].size());
}

TEST_F(SimulatorTest, LaggingMenusTellTheEnabledStateOfTheirLastValidation) {
  auto& ax = mac.accessibility();
  auto& mail = user.relaunchMail(MailVariant{.lagMenus = true});
  const auto archive =
      AccessibilityServer::element(mail.pid(), *mail.menuItem({"Message", "Archive"}));
  const auto undo = AccessibilityServer::element(mail.pid(), *mail.menuItem({"Edit", "Undo"}));
  const auto enabled = [&](const AXUIElement& item) {
    return *read(item, "AXEnabled").get<bool>();
  };
  mail.showMailbox("Trash");  // nothing selected: Archive is disabled now
  EXPECT_TRUE(enabled(archive));
  // Pressed over accessibility by that state, it reaches Mail, which does nothing.
  EXPECT_EQ(ax.performAction(archive, "AXPress"), AXError::success);
  EXPECT_FALSE(mail.menuPresses.back().enabled);
  mail.validateMenus("Edit");  // another menu: Archive still lags
  EXPECT_TRUE(enabled(archive));
  mail.validateMenus("Message");
  EXPECT_FALSE(enabled(archive));
  EXPECT_EQ(ax.performAction(archive, "AXPress"), AXError::cannotComplete);

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

TEST_F(SimulatorTest, RoundTripsAreCountedPerProcess) {
  auto& ax = mac.accessibility();
  ax.resetRoundTrips();
  CFValue value;
  pid_t pid = 0;
  ax.copyAttributeValue(ax.createSystemWide(), "AXFocusedApplication", value);
  ax.getPid(*value.get<AXUIElement>(), pid);  // not a round trip
  ax.copyAttributeValue(ax.createApplication(pid), "AXFocusedUIElement", value);
  EXPECT_EQ(ax.roundTrips(0), 1u);
  EXPECT_EQ(ax.roundTrips(pid), 1u);
  EXPECT_EQ(ax.totalRoundTrips(), 2u);
}

}  // namespace
}  // namespace quillo::sim
