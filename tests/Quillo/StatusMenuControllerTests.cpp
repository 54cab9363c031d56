#include "StatusMenuController.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "QuilloFixture.hpp"

namespace quillo {
namespace {

using platform::Duration;

std::string contentsOf(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class StatusMenuControllerTest : public testing::QuilloTest {
 protected:
  void startClassic() {
    app.environment().defaults.set(Preferences::Keys::classicMenu, true);
    session.start();
    loop.runUntilIdle();
  }
  /// Opens the menu and chooses the item at this path of titles.
  void choose(const std::vector<std::string>& titles) {
    item.click();
    ASSERT_NE(item.openMenu(), nullptr);
    const auto error = item.choose(titles);
    ASSERT_FALSE(error) << *error;
    loop.runUntilIdle();
  }
  sim::SimStatusItem& item = mac.statusItem();
};

TEST_F(StatusMenuControllerTest, TheButtonFollowsTheStatusWithoutTheMenuOpening) {
  startClassic();
  EXPECT_EQ(item.symbol(), "exclamationmark.triangle");
  EXPECT_EQ(item.accessibilityDescription(), "Quillo needs permission");
  EXPECT_EQ(item.toolTip(), "Quillo \u2014 needs Accessibility permission");
  EXPECT_FALSE(item.dimmed());
  mac.permissions.accessibility = true;
  loop.advance(Duration(2));
  EXPECT_EQ(item.symbol(), "");
  EXPECT_EQ(item.accessibilityDescription(), "Quillo");
  EXPECT_EQ(item.toolTip(), "Quillo \u2014 ready (works while Mail is in front)");
  EXPECT_TRUE(item.dimmed());
  EXPECT_EQ(item.openMenu(), nullptr);
}

TEST_F(StatusMenuControllerTest, WithoutClassicMenuTheItemOpensThePanelInstead) {
  session.start();
  loop.runUntilIdle();
  EXPECT_FALSE(session.panelLines().has_value());
  item.click();
  EXPECT_EQ(item.openMenu(), nullptr);
  EXPECT_TRUE(session.panelLines().has_value());
  EXPECT_EQ(item.toolTip(), "Quillo \u2014 Needs Accessibility permission");  // the panel's words
  EXPECT_GT(session.statusText().refreshes(), 0);
}

TEST_F(StatusMenuControllerTest, RefreshesAreStillCountedWithTheClassicMenu) {
  startClassic();
  const int refreshes = session.statusText().refreshes();
  EXPECT_GT(refreshes, 0);
  app.selectSet(ShortcutSet::outlookMac);
  EXPECT_GT(session.statusText().refreshes(), refreshes);
}

TEST_F(StatusMenuControllerTest, EnabledGoesOffAndBackToTheRememberedSet) {
  startClassic();
  app.selectSet(ShortcutSet::outlookWindows);
  choose({"Enabled"});
  EXPECT_EQ(app.shortcutSet(), ShortcutSet::off);
  EXPECT_FALSE(app.prefs().enabled());
  choose({"Enabled"});
  EXPECT_EQ(app.shortcutSet(), ShortcutSet::outlookWindows);
  EXPECT_TRUE(app.prefs().enabled());
}

TEST_F(StatusMenuControllerTest, EnabledFallsBackToGmailWhenNoValidSetIsRemembered) {
  startClassic();
  app.selectSet(ShortcutSet::outlookMac);
  app.selectSet(ShortcutSet::off);
  app.environment().defaults.set(Preferences::Keys::lastActiveSet, "nonsense");
  choose({"Enabled"});
  EXPECT_EQ(app.shortcutSet(), ShortcutSet::gmail);
}

TEST_F(StatusMenuControllerTest, AFailedLaunchAtLoginChangeIsLoggedAndShown) {
  startClassic();
  mac.loginItems().registrationError = "The operation couldn't be completed.";
  session.application().answers.push_back("OK");
  choose({"Launch at Login"});
  ASSERT_EQ(session.application().alerts.size(), 1u);
  const auto& shown = session.application().alerts.front().alert;
  EXPECT_EQ(shown.messageText, "Couldn't change Launch at Login");
  EXPECT_EQ(shown.informativeText, "The operation couldn't be completed.");
  const auto log = appLog();
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "Launch at login change failed: The operation couldn't be completed."),
            log.end());
}

TEST_F(StatusMenuControllerTest, CancelKeepsTheKeymapFileAndResetReplacesIt) {
  startClassic();
  const auto path = app.keymapStore().filePath();
  const std::string mine = "{ \"actions\": { \"bogus\": {} } }\n";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << mine;
  loop.advance(Duration(0.5));
  ASSERT_EQ(app.keymapStore().warnings().size(), 1u);
  session.application().answers.push_back("Cancel");
  choose({"Keymap: 1 warning", "Reset Keymap to Defaults"});
  ASSERT_EQ(session.application().alerts.size(), 1u);
  const auto& shown = session.application().alerts.front().alert;
  EXPECT_EQ(shown.messageText, "Reset keymap.json to the defaults?");
  EXPECT_EQ(shown.informativeText, "Your current keymap file will be replaced.");
  EXPECT_EQ(shown.buttons, (std::vector<std::string>{"Reset", "Cancel"}));
  loop.advance(Duration(0.5));
  EXPECT_EQ(contentsOf(path), mine);
  session.application().answers.push_back("Reset");
  choose({"Keymap: 1 warning", "Reset Keymap to Defaults"});
  loop.advance(Duration(0.5));
  EXPECT_NE(contentsOf(path), mine);
  EXPECT_TRUE(app.keymapStore().warnings().empty());
}

TEST_F(StatusMenuControllerTest, TheGrantedAccessibilityRowOpensItsSettingsWithoutAsking) {
  startClassic();
  const auto asked = [&] { return mac.permissions.prompts.size(); };
  const std::size_t atStart = asked();  // the first launch asks for Accessibility
  choose({"Accessibility: required \u2014 Open Settings\u2026"});
  EXPECT_EQ(asked(), atStart + 1);
  EXPECT_EQ(mac.workspace().openedURLs.back(), SystemPermissions::accessibilitySettingsURL);
  mac.permissions.accessibility = true;
  loop.advance(Duration(AppController::permissionCheckInterval));
  const std::size_t urls = mac.workspace().openedURLs.size();
  choose({"Accessibility: granted"});
  EXPECT_EQ(asked(), atStart + 1);  // granted: nothing to ask for
  ASSERT_EQ(mac.workspace().openedURLs.size(), urls + 1);
  EXPECT_EQ(mac.workspace().openedURLs.back(), SystemPermissions::accessibilitySettingsURL);
}

TEST_F(StatusMenuControllerTest, QuitEndsTheApplication) {
  startClassic();
  const pid_t quillo = session.application().pid();
  choose({"Quit Quillo"});
  // The process ended, as on a Mac: a new one, not started, stands ready.
  EXPECT_FALSE(session.isRunning());
  EXPECT_EQ(mac.app(quillo), nullptr);
  EXPECT_NE(session.application().pid(), quillo);
}

TEST_F(StatusMenuControllerTest, AnActionKeptPastTheControllerDoesNothing) {
  startClassic();
  item.click();
  ASSERT_NE(item.openMenu(), nullptr);
  // "Contact Support…", copied out as a menu that outlived its owner would be.
  std::function<void()> kept;
  for (const auto& made : *item.openMenu()) {
    if (made.title == "Contact Support\u2026") kept = made.action;
  }
  ASSERT_TRUE(kept);
  const auto opened = mac.workspace().openedURLs.size();
  kept();
  ASSERT_EQ(mac.workspace().openedURLs.size(), opened + 1);
  EXPECT_EQ(mac.workspace().openedURLs.back(), StatusMenuController::supportURL);
  session.quit();
  // The menu went with the controller: a click opens nothing.
  item.click();
  EXPECT_EQ(item.openMenu(), nullptr);
  kept();
  EXPECT_EQ(mac.workspace().openedURLs.size(), opened + 1);
}

}  // namespace
}  // namespace quillo
