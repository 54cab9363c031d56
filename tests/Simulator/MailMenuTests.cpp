// The simulated Mail's own shortcuts, menus, sheets and popovers.
#include <gtest/gtest.h>

#include "SimulatorFixture.hpp"

namespace quillo::sim {
namespace {

using namespace testing;

TEST_F(SimulatorTest, MailsOwnShortcutsWorkWithoutAnyTap) {
  auto& mail = user.mail();
  const auto first = mail.selectedMessage()->subject;
  user.press("ctrl+cmd+a");
  EXPECT_EQ(mail.mailbox("Archive").back().subject, first);
  EXPECT_EQ(mail.menuPresses.back().path, "Message \u203a Archive");
  EXPECT_TRUE(mail.menuPresses.back().viaKeyEquivalent);
  user.press("cmd+z");
  EXPECT_EQ(mail.mailbox("Inbox").front().subject, first);
  user.press("cmd+r");
  EXPECT_EQ(mail.windowList().front().kind, MailApp::WindowKind::compose);
  EXPECT_EQ(mail.windowList().front().title, "Re: " + first);
  user.type("Sounds good");
  EXPECT_EQ(mail.text(Place::body), "Sounds good");
  user.press("shift+cmd+d");
  EXPECT_EQ(mail.mailbox("Sent").back().subject, "Re: " + first);
  EXPECT_EQ(mail.windowList().size(), 1u);
  user.press("down");
  EXPECT_EQ(mail.selectedMessage()->subject, mail.mailbox("Inbox")[1].subject);
  // ⇧⌘D does nothing outside a compose window: the item is disabled.
  const auto sent = mail.mailbox("Sent").size();
  user.press("shift+cmd+d");
  EXPECT_EQ(mail.mailbox("Sent").size(), sent);
  EXPECT_FALSE(mail.menuPresses.back().enabled);
}

class MenuItemTest : public SimulatorTest {
 protected:
  /// Presses the item over accessibility, as Quillo does.
  AXError press(const std::vector<std::string>& path) {
    const auto item = user.mail().menuItem(path);
    EXPECT_NE(item, nullptr);
    if (!item) return AXError::failure;
    const AXError result = mac.accessibility().performAction(
        AccessibilityServer::element(user.mail().pid(), *item), "AXPress");
    loop.runUntilIdle();
    return result;
  }
};

TEST_F(MenuItemTest, EachItemQuilloUsesDoesItsJob) {
  auto& mail = user.mail();
  const auto& inbox = mail.mailbox("Inbox");
  const auto subject = [&](std::size_t i) { return inbox.at(i).subject; };
  const std::string first = subject(0);

  EXPECT_EQ(press({"Message", "Archive"}), AXError::success);
  EXPECT_EQ(mail.mailbox("Archive").back().subject, first);
  EXPECT_EQ(mail.selectedMessage()->subject, subject(0));  // the next one took its place
  EXPECT_EQ(mail.menuItem({"Edit", "Undo Archive"}) != nullptr, true);
  EXPECT_EQ(press({"Edit", "Undo Archive"}), AXError::success);
  EXPECT_EQ(subject(0), first);
  EXPECT_EQ(mail.menuItem({"Edit", "Undo"})->isEnabled(), false);

  EXPECT_EQ(press({"Edit", "Delete"}), AXError::success);
  EXPECT_EQ(mail.mailbox("Trash").back().subject, first);
  press({"Edit", "Undo Delete"});

  EXPECT_FALSE(mail.selectedMessage()->read);
  EXPECT_EQ(press({"Message", "Mark as Read"}), AXError::success);
  EXPECT_TRUE(mail.selectedMessage()->read);
  EXPECT_FALSE(mail.menuItem({"Message", "Mark as Read"})->isEnabled());
  EXPECT_EQ(press({"Message", "Mark as Unread"}), AXError::success);
  EXPECT_FALSE(mail.selectedMessage()->read);

  EXPECT_EQ(press({"Message", "Flag", "Toggle Flag"}), AXError::success);
  EXPECT_TRUE(mail.selectedMessage()->flagged);

  EXPECT_EQ(press({"Message", "Move to Junk"}), AXError::success);
  EXPECT_EQ(mail.mailbox("Junk").back().subject, first);
  press({"Edit", "Undo Move to Junk"});

  for (const auto& [path, kind, title] :
       {std::tuple{std::vector<std::string>{"Message", "Reply"}, MailApp::WindowKind::compose,
                   "Re: " + first},
        std::tuple{std::vector<std::string>{"Message", "Reply All"}, MailApp::WindowKind::compose,
                   "Re: " + first},
        std::tuple{std::vector<std::string>{"Message", "Forward"}, MailApp::WindowKind::compose,
                   "Fwd: " + first},
        std::tuple{std::vector<std::string>{"File", "New Message"}, MailApp::WindowKind::compose,
                   std::string("New Message")}}) {
    EXPECT_EQ(press(path), AXError::success);
    EXPECT_EQ(mail.windowList().front().kind, kind);
    EXPECT_EQ(mail.windowList().front().title, title);
    mail.closeKeyWindow();
    if (mail.windowList().front().hasSheet) mail.dismissSheet(true);
  }

  EXPECT_EQ(press({"Edit", "Find", "Mailbox Search"}), AXError::success);
  EXPECT_EQ(mail.focusDescription(), "viewer: search field");
  user.click(Place::messageList);

  EXPECT_EQ(press({"File", "Open Message"}), AXError::success);
  EXPECT_EQ(mail.windowList().front().kind, MailApp::WindowKind::message);
  EXPECT_EQ(mail.focusDescription(), "message window: message content");
  EXPECT_EQ(press({"Message", "Archive"}), AXError::success);  // archiving closes it
  EXPECT_EQ(mail.windowList().size(), 1u);

  // Send only in a compose window.
  EXPECT_FALSE(mail.menuItem({"Message", "Send"})->isEnabled());
  EXPECT_EQ(press({"Message", "Send"}), AXError::cannotComplete);
  mail.newMessage();
  user.type("someone@example.com");
  user.press("tab");
  user.type("Hi");
  EXPECT_EQ(press({"Message", "Send"}), AXError::success);
  EXPECT_EQ(mail.mailbox("Sent").back().subject, "Hi");

  // Copy, cut and paste in a text field.
  user.click(Place::searchField);
  user.type("invoice");
  EXPECT_EQ(press({"Edit", "Copy"}), AXError::success);
  EXPECT_EQ(mac.pasteboard, "invoice");
  EXPECT_EQ(press({"Edit", "Cut"}), AXError::success);
  EXPECT_EQ(mail.text(Place::searchField), "");
  EXPECT_EQ(press({"Edit", "Paste"}), AXError::success);
  EXPECT_EQ(mail.text(Place::searchField), "invoice");
}

TEST_F(MenuItemTest, NothingSelectedDisablesTheMessageCommands) {
  auto& mail = user.mail();
  mail.showMailbox("Trash");  // empty
  for (const auto& path :
       std::vector<std::vector<std::string>>{{"Message", "Archive"},
                                             {"Edit", "Delete"},
                                             {"Message", "Reply"},
                                             {"Message", "Flag", "Toggle Flag"}}) {
    EXPECT_FALSE(mail.menuItem(path)->isEnabled()) << path.back();
    EXPECT_EQ(press(path), AXError::cannotComplete);
  }
}

TEST_F(MenuItemTest, VariantsOfMail) {
  MailVariant variant;
  variant.junkTitle = "Move to Spam";
  variant.missingItems = {{"Message", "Archive"}};
  variant.disabledItems = {{"Message", "Reply"}};
  auto& mail = user.relaunchMail(variant);
  EXPECT_EQ(mail.menuItem({"Message", "Move to Junk"}), nullptr);
  EXPECT_NE(mail.menuItem({"Message", "Move to Spam"}), nullptr);
  EXPECT_EQ(mail.menuItem({"Message", "Archive"}), nullptr);
  EXPECT_FALSE(mail.menuItem({"Message", "Reply"})->isEnabled());
  const auto first = mail.selectedMessage()->subject;
  press({"Message", "Move to Spam"});
  EXPECT_EQ(mail.mailbox("Junk").back().subject, first);
  EXPECT_EQ(mail.undoName(), "Move to Spam");
}

TEST_F(MenuItemTest, AGermanMailHasGermanTitlesAndTheSameKeyEquivalents) {
  MailVariant german;
  german.language = "de";
  auto& mail = user.relaunchMail(german);
  EXPECT_EQ(mail.menuItem({"Message", "Archive"}), nullptr);
  ASSERT_NE(mail.menuItem({"Nachricht", "Archivieren"}), nullptr);
  EXPECT_NE(mail.menuItem({"Postfach", "Zu bevorzugtem Postfach wechseln", "Archiv"}), nullptr);
  EXPECT_NE(mail.menuItem({"Nachricht", "Markierung", "Markierung umschalten"}), nullptr);
  const auto undo = mail.menuItem({"Bearbeiten", "Widerrufen"});
  ASSERT_NE(undo, nullptr);
  const auto first = mail.selectedMessage()->subject;
  user.press("ctrl+cmd+a");
  EXPECT_EQ(mail.mailbox("Archive").back().subject, first);
  EXPECT_EQ(mail.menuPresses.back().path, "Nachricht \u203a Archivieren");
  EXPECT_EQ(mail.undoName(), "Archive");
  EXPECT_EQ(undo->currentTitle(), "Widerrufen Archive");
  EXPECT_EQ(press({"Bearbeiten", "Widerrufen Archive"}), AXError::success);
  EXPECT_EQ(mail.mailbox("Inbox").front().subject, first);
  MailVariant frenchVariant;
  frenchVariant.language = "fr";
  auto& french = user.relaunchMail(frenchVariant);
  EXPECT_NE(french.menuItem({"Message", "Archiver"}), nullptr);
  EXPECT_NE(french.menuItem({"Édition", "Rechercher", "Recherche dans la boîte aux lettres"}),
            nullptr);
}

TEST_F(MenuItemTest, KeyEquivalentsReadOverAccessibilityAsOnAMac) {
  MailVariant variant;
  // The user gave Select All Mail's Archive shortcut, and Reply ⌥⌘R.
  variant.appShortcuts = {
      {{"Edit", "Select All"}, {u'a', EventFlags::control | EventFlags::command}},
      {{"Message", "Reply"}, {u'r', EventFlags::alternate | EventFlags::command}}};
  auto& mail = user.relaunchMail(variant);
  auto& ax = mac.accessibility();
  const auto read = [&](const std::vector<std::string>& path, const char* attribute) {
    CFValue value;
    const AXError error = ax.copyAttributeValue(
        AccessibilityServer::element(mail.pid(), *mail.menuItem(path)), attribute, value);
    return std::pair(error, value);
  };
  struct Case {
    std::vector<std::string> path;
    const char* character;  // none: no key equivalent
    std::int64_t modifiers;
    std::int64_t virtualKey;  // 0: none
  };
  namespace M = MenuItemModifiers;
  const Case cases[] = {
      {{"Message", "Archive"}, "A", M::control, 0},
      {{"Edit", "Select All"}, "A", M::control, 0},
      {{"Message", "Reply"}, "R", M::option, 0},
      {{"Message", "Reply All"}, "R", M::shift, 0},
      {{"File", "New Message"}, "N", M::none, 0},
      {{"Edit", "Find", "Mailbox Search"}, "F", M::option, 0},
      {{"Edit", "Delete"}, "\b", M::noCommand, KeyCode::deleteKey},
      {{"Edit", "Redo"}, "Z", M::shift, 0},
      {{"View", "Show Favorites Bar"}, nullptr, M::none, 0},
  };
  for (const Case& c : cases) {
    const auto [charError, character] = read(c.path, "AXMenuItemCmdChar");
    if (c.character) {
      EXPECT_EQ(charError, AXError::success) << c.path.back();
      EXPECT_EQ(character, CFValue(c.character)) << c.path.back();
    } else {
      EXPECT_EQ(charError, AXError::noValue) << c.path.back();
    }
    EXPECT_EQ(read(c.path, "AXMenuItemCmdModifiers").second, CFValue(c.modifiers)) << c.path.back();
    const auto [keyError, key] = read(c.path, "AXMenuItemCmdVirtualKey");
    if (c.virtualKey) {
      EXPECT_EQ(key, CFValue(c.virtualKey)) << c.path.back();
    } else {
      EXPECT_EQ(keyError, AXError::noValue) << c.path.back();
    }
  }
  // Two items with ⌃⌘A: the keyboard runs the first in menu order.
  user.press("ctrl+cmd+a");
  EXPECT_EQ(mail.menuPresses.back().path, "Edit \u203a Select All");
}

TEST_F(SimulatorTest, SheetsAndPopoversTakeTheFocus) {
  auto& mail = user.mail();
  mail.newMessage();
  user.type("x");
  mail.showPopover();
  EXPECT_EQ(mail.focusDescription(), "compose window: address suggestions");
  user.press("return");
  EXPECT_EQ(mail.text(Place::toField), "Priya Raman <priya@larkmoor.example>");
  user.press("tab");
  user.type("Plans");
  user.press("cmd+w");
  EXPECT_TRUE(mail.windowList().front().hasSheet);
  EXPECT_EQ(mail.focusDescription(), "compose window: sheet");
  user.type("abc");  // typing does not reach the fields behind a sheet
  EXPECT_EQ(mail.text(Place::subjectField), "Plans");
  user.press("escape");
  EXPECT_FALSE(mail.windowList().front().hasSheet);
  user.press("cmd+w");
  user.press("return");
  EXPECT_EQ(mail.windowList().size(), 1u);
}

}  // namespace
}  // namespace quillo::sim
