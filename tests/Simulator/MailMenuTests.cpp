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

// Archive, Undo, Delete, Mark as Read, Toggle Flag, Mailbox Search, Send,
// Reply, Copy, Cut and Paste pressed over accessibility, and what each did to
// Mail, stand in the golden transcripts of keypath/ and language/; here the
// items Quillo uses that no transcript presses.
TEST_F(MenuItemTest, TheItemsNoTranscriptPressesDoTheirJob) {
  auto& mail = user.mail();
  const std::string first = mail.selectedMessage()->subject;
  EXPECT_EQ(press({"Message", "Mark as Read"}), AXError::success);
  EXPECT_FALSE(mail.menuItem({"Message", "Mark as Read"})->isEnabled());
  EXPECT_EQ(press({"Message", "Mark as Unread"}), AXError::success);
  EXPECT_FALSE(mail.selectedMessage()->read);

  EXPECT_EQ(press({"Message", "Move to Junk"}), AXError::success);
  EXPECT_EQ(mail.mailbox("Junk").back().subject, first);
  EXPECT_EQ(press({"Edit", "Undo Move to Junk"}), AXError::success);
  EXPECT_EQ(mail.mailbox("Inbox").front().subject, first);

  const std::pair<std::vector<std::string>, std::string> composing[] = {
      {{"Message", "Reply All"}, "Re: " + first},
      {{"Message", "Forward"}, "Fwd: " + first},
      {{"File", "New Message"}, "New Message"},
  };
  for (const auto& [path, title] : composing) {
    EXPECT_EQ(press(path), AXError::success);
    EXPECT_EQ(mail.windowList().front().kind, MailApp::WindowKind::compose) << title;
    EXPECT_EQ(mail.windowList().front().title, title);
    mail.closeKeyWindow();
    if (mail.windowList().front().hasSheet) mail.dismissSheet(true);
  }

  EXPECT_EQ(press({"File", "Open Message"}), AXError::success);
  EXPECT_EQ(mail.windowList().front().kind, MailApp::WindowKind::message);
  EXPECT_EQ(mail.focusDescription(), "message window: message content");
  EXPECT_EQ(press({"Message", "Archive"}), AXError::success);  // archiving closes it
  EXPECT_EQ(mail.windowList().size(), 1u);
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

// Pressing them by their key equivalents and the undo title's language
// stand in language/german-mail.scenario.
TEST_F(MenuItemTest, GermanAndFrenchMailsHaveTheirOwnTitles) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"de", {"E-Mail", "Archivieren"}},
      {"de", {"Postfach", "Zu bevorzugtem Postfach wechseln", "Archiv"}},
      {"de", {"E-Mail", "Markierung", "Markierung umschalten"}},
      {"de", {"Bearbeiten", "Widerrufen"}},
      {"fr", {"Message", "Archiver"}},
      {"fr", {"Édition", "Rechercher", "Recherche dans la boîte aux lettres"}},
  };
  for (const auto& [language, path] : cases) {
    auto& mail = user.relaunchMail({.language = language});
    EXPECT_NE(mail.menuItem(path), nullptr) << language << " " << path.back();
    EXPECT_EQ(mail.menuItem({"Message", "Archive"}), nullptr) << language;
  }
}

// Each item's key equivalent as accessibility reads it (character,
// modifiers, virtual key) stands in the menu checks of
// language/german-mail.scenario and language/changed-shortcut.scenario.
TEST_F(MenuItemTest, OfTwoItemsWithOneKeyEquivalentTheKeyboardRunsTheFirst) {
  MailVariant variant;
  // The user gave Select All Mail's Archive shortcut.
  variant.appShortcuts = {
      {{"Edit", "Select All"}, {u'a', EventFlags::control | EventFlags::command}}};
  auto& mail = user.relaunchMail(variant);
  user.press("ctrl+cmd+a");
  EXPECT_EQ(mail.menuPresses.back().path, "Edit \u203a Select All");
}

// A popover of address suggestions taking the focus and giving it back
// with the address chosen stands in keypath/sheet-over-compose.scenario.
TEST_F(SimulatorTest, ASheetTakesTheFocusAndTheTyping) {
  auto& mail = user.mail();
  mail.newMessage();
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
