#include <gtest/gtest.h>

#include "QuilloFixture.hpp"

namespace quillo {
namespace {

using platform::Duration;
using platform::LoginItemStatus;

class LaunchAtLoginTest : public testing::QuilloTest {
 protected:
  void grantAndStart() {
    mac.permissions.accessibility = true;
    session.start();
    loop.runUntilIdle();
  }
  std::size_t alertsShown() { return session.application().alerts.size(); }
};

TEST_F(LaunchAtLoginTest, TheQuestionComesOnceAboutOneAndAHalfSecondsAfterTheTap) {
  session.application().answers.push_back("Not Now");
  grantAndStart();
  EXPECT_EQ(app.environment().defaults.boolean("askedLaunchAtLogin"), true);
  loop.advance(Duration(1.4));
  EXPECT_EQ(alertsShown(), 0u);
  loop.advance(Duration(0.2));
  ASSERT_EQ(alertsShown(), 1u);
  const auto& shown = session.application().alerts.front();
  EXPECT_EQ(shown.alert.messageText, "Open Quillo automatically when you log in?");
  EXPECT_EQ(shown.alert.informativeText,
            "Quillo only works while it's running. You can change this any time from the Quillo "
            "menu bar icon.");
  EXPECT_EQ(shown.alert.buttons, (std::vector<std::string>{"Open at Login", "Not Now"}));
  EXPECT_EQ(mac.loginItems().registerCalls, 0);
}

TEST_F(LaunchAtLoginTest, AnsweringOpenAtLoginRegistersAndNeverAsksAgainInALaterRun) {
  session.application().answers.push_back("Open at Login");
  grantAndStart();
  loop.advance(Duration(2));
  EXPECT_EQ(mac.loginItems().status(), LoginItemStatus::enabled);
  EXPECT_EQ(mac.loginItems().settingsOpened, 0);
  // The same user starts Quillo again, with the login item turned off meanwhile.
  mac.loginItems().status_ = LoginItemStatus::notRegistered;
  session.delegate().launchAtLogin().offerIfNeverOffered();
  loop.advance(Duration(2));
  EXPECT_EQ(alertsShown(), 1u);
}

TEST_F(LaunchAtLoginTest, AlreadyOpeningAtLoginMeansNoQuestionButTheFlagIsSet) {
  mac.loginItems().status_ = LoginItemStatus::enabled;
  grantAndStart();
  loop.advance(Duration(5));
  EXPECT_EQ(alertsShown(), 0u);
  EXPECT_EQ(app.environment().defaults.boolean("askedLaunchAtLogin"), true);
}

TEST_F(LaunchAtLoginTest, WithoutATapThereIsNoQuestion) {
  session.start();
  loop.advance(Duration(10));
  EXPECT_EQ(alertsShown(), 0u);
  EXPECT_FALSE(app.environment().defaults.boolean("askedLaunchAtLogin").has_value());
}

TEST_F(LaunchAtLoginTest, RequiringApprovalOpensTheLoginItemsSettings) {
  mac.loginItems().registrationNeedsApproval = true;
  session.application().answers.push_back("Open at Login");
  grantAndStart();
  loop.advance(Duration(2));
  EXPECT_EQ(mac.loginItems().status(), LoginItemStatus::requiresApproval);
  EXPECT_EQ(mac.loginItems().settingsOpened, 1);
  EXPECT_EQ(session.statusText().refreshes() > 0, true);
}

TEST_F(LaunchAtLoginTest, AFailureIsOnlyLogged) {
  mac.loginItems().registrationError = "The operation couldn't be completed.";
  session.application().answers.push_back("Open at Login");
  grantAndStart();
  const int refreshes = session.statusText().refreshes();
  loop.advance(Duration(1.6));
  EXPECT_EQ(appLog().back(), "Launch at login failed: The operation couldn't be completed.");
  EXPECT_EQ(mac.loginItems().settingsOpened, 0);
  EXPECT_GT(session.statusText().refreshes(), refreshes);
}

TEST_F(LaunchAtLoginTest, TheEntryMakesAnAccessoryApplicationWithItsMainMenu) {
  session.start();
  EXPECT_EQ(session.application().policy, platform::ActivationPolicy::accessory);
  const auto& menu = session.application().mainMenu;
  ASSERT_EQ(menu.size(), 3u);
  EXPECT_EQ(menu[0].title, "Quillo");
  EXPECT_TRUE(menu[0].items.empty());
  ASSERT_EQ(menu[1].items.size(), 7u);
  EXPECT_EQ(menu[1].items[1], (platform::MainMenuItem{"Redo", "redo:", u'z', 0x120000}));
  EXPECT_TRUE(menu[1].items[2].title.empty());
  EXPECT_EQ(menu[2].items,
            (std::vector<platform::MainMenuItem>{{"Close", "performClose:", u'w', 0x100000}}));
}

// MARK: - --diagnose

class DiagnoseTest : public ::testing::Test {
 protected:
  testing::TempHome home;
  simulated::Session session{testing::testSessionOptions({"--diagnose"})};
};

TEST_F(DiagnoseTest, OneSecondAfterStartTheStateLineAndFourOutputsInOrder) {
  auto& loop = *session.manualLoop();
  session.mac().permissions.accessibility = true;
  session.user().openMail();
  session.start();
  loop.advance(Duration(0.9));
  std::ifstream early(session.controller().log().filePath());
  std::string text((std::istreambuf_iterator<char>(early)), {});
  EXPECT_EQ(text.find("--diagnose"), std::string::npos);
  loop.advance(Duration(0.2));
  std::vector<std::string> lines;
  std::ifstream in(session.controller().log().filePath());
  for (std::string line; std::getline(in, line);) {
    if (!line.substr(24).starts_with("  ")) lines.push_back(line.substr(24));
  }
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[1],
            "--diagnose: Accessibility=true, Input Monitoring preflight=false, "
            "tap=installed(inputMonitoringGranted: false), secure keyboard entry=false, "
            "tap renewals=0");
  EXPECT_EQ(lines[2], "menu check (Mail pid " + std::to_string(session.user().mail().pid()) + "):");
  EXPECT_EQ(lines[3], "Mail menu structure:");
  EXPECT_EQ(lines[4], "Mail window structure (tables and outlines):");
  EXPECT_TRUE(lines[5].starts_with("focus capture: AXTable#Mail.messageList"));
  EXPECT_FALSE(session.controller().log().isEnabled());
}

}  // namespace
}  // namespace quillo
