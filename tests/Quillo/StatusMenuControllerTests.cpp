#include "StatusMenuController.hpp"

#include <gtest/gtest.h>

#include "QuilloFixture.hpp"

namespace quillo {
namespace {

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

TEST_F(StatusMenuControllerTest, AFailedLaunchAtLoginChangeShowsTheSystemsReason) {
  startClassic();
  mac.loginItems().registrationError = "The operation couldn't be completed.";
  session.application().answers.push_back("OK");
  choose({"Launch at Login"});
  ASSERT_EQ(session.application().alerts.size(), 1u);
  const auto& shown = session.application().alerts.front().alert;
  EXPECT_EQ(shown.informativeText, "The operation couldn't be completed.");
}

TEST_F(StatusMenuControllerTest, TheGrantedAccessibilityRowOpensItsSettingsWithoutAsking) {
  mac.permissions.accessibility = true;
  startClassic();
  const std::size_t asked = mac.permissions.prompts.size();
  choose({"Accessibility: granted"});
  EXPECT_EQ(mac.permissions.prompts.size(), asked);  // granted: nothing to ask for
  EXPECT_EQ(mac.workspace().openedURLs,
            std::vector<std::string>{std::string(SystemPermissions::accessibilitySettingsURL)});
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
