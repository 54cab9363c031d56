// The simulated workspace: activation, termination and panels of other
// processes; and the simulated status item.
#include <gtest/gtest.h>

#include "SimulatorFixture.hpp"

namespace quillo::sim {
namespace {

using namespace testing;

TEST_F(SimulatorTest, ActivationAndTerminationNotificationsCarryTheApplication) {
  std::vector<std::string> heard;
  auto activation = mac.workspace().observeActivation([&](auto app) {
    heard.push_back("activate " +
                    (app ? app->bundleIdentifier.value_or("?") : std::string("nothing")));
  });
  auto termination = mac.workspace().observeTermination([&](auto app) {
    heard.push_back("terminate " + (app ? std::to_string(app->processIdentifier) : "?"));
  });
  const pid_t mail = user.mail().pid();
  user.switchTo(SimulatedMac::safariBundleID, "Safari");
  user.openMail();
  user.openMail();  // already in front: announced again
  mac.workspace().postActivationWithoutApplication();
  user.quitMail();  // nothing is activated after it
  EXPECT_EQ(heard, (std::vector<std::string>{"activate com.apple.Safari", "activate com.apple.mail",
                                             "activate com.apple.mail", "activate nothing",
                                             "terminate " + std::to_string(mail)}));
  activation.reset();
  user.switchTo(SimulatedMac::safariBundleID);
  EXPECT_EQ(heard.size(), 5u);
  EXPECT_EQ(mac.workspace().runningApplications("com.apple.Safari").size(), 1u);
  EXPECT_TRUE(mac.workspace().runningApplications("com.apple.mail").empty());
}

// The previous application brought forward a moment after the front one
// quits stands in system/mail-quits-in-front.scenario.
TEST_F(SimulatorTest, ThePreviousAppIsNotBroughtOverOneTheUserBroughtForwardMeanwhile) {
  mac.afterFrontQuits = {.activatesPrevious = true, .delay = Duration(0.5)};
  user.switchTo(SimulatedMac::safariBundleID, "Safari");
  user.openMail();
  user.quitMail();
  user.switchTo("com.apple.TextEdit", "TextEdit");
  loop.advance(Duration(1));
  EXPECT_EQ(mac.workspace().frontmostApplication()->localizedName, "TextEdit");
}

TEST_F(SimulatorTest, APanelOfAnotherProcessTakesTheKeyboardWhileMailStaysInFront) {
  auto& ax = mac.accessibility();
  const pid_t mail = user.mail().pid();
  user.showPanel("com.apple.Spotlight", "Spotlight");
  auto* spotlight = dynamic_cast<TextApp*>(mac.app("com.apple.Spotlight"));
  ASSERT_NE(spotlight, nullptr);
  EXPECT_EQ(mac.workspace().frontmostApplication()->processIdentifier, mail);
  pid_t focused = 0;
  ax.getPid(*read(ax.createSystemWide(), "AXFocusedApplication").get<AXUIElement>(), focused);
  EXPECT_EQ(focused, spotlight->pid());
  user.type("inv");
  EXPECT_EQ(spotlight->text(), "inv");
  user.closePanel();
  ax.getPid(*read(ax.createSystemWide(), "AXFocusedApplication").get<AXUIElement>(), focused);
  EXPECT_EQ(focused, mail);
  // Activating an application closes it too, and that application takes
  // the typing.
  user.showPanel("com.apple.Spotlight", "Spotlight");
  user.switchTo("com.apple.TextEdit", "TextEdit");
  user.type("x");
  EXPECT_EQ(spotlight->text(), "inv");
  auto* textEdit = dynamic_cast<TextApp*>(mac.app("com.apple.TextEdit"));
  ASSERT_NE(textEdit, nullptr);
  EXPECT_EQ(textEdit->text(), "x");
}

TEST(SimStatusItemTest, AClickOpensTheMenuAfterItsUpdateAndChoosingRunsTheItem) {
  SimStatusItem item;
  std::vector<std::string> ran;
  platform::Menu menu;
  int updates = 0;
  const auto entry = [](std::string title, std::function<void()> action = {},
                        std::vector<platform::MenuItem> submenu = {}) {
    platform::MenuItem made;
    made.title = std::move(title);
    made.action = std::move(action);
    made.submenu = std::move(submenu);
    return made;
  };
  menu.needsUpdate = [&] {
    ++updates;
    menu.items = {entry("Quit", [&] { ran.push_back("quit"); }),
                  entry("Debug", {},
                        {entry("Check", [&] { ran.push_back("check"); }),
                         entry("Off")})};  // no action: disabled
  };
  std::vector<std::uint64_t> clicks;
  item.setOnClick([&](std::uint64_t flags) { clicks.push_back(flags); });
  EXPECT_EQ(item.choose({"Quit"}), "the menu is not open");
  item.click(platform::EventFlags::alternate);  // no menu: the handler hears it
  EXPECT_EQ(clicks, std::vector<std::uint64_t>{platform::EventFlags::alternate});

  item.setMenu(&menu);
  item.click();
  EXPECT_EQ(updates, 1);
  ASSERT_NE(item.openMenu(), nullptr);
  EXPECT_EQ(item.choose({"Debug"}), "\"Debug\" opens a submenu");
  EXPECT_EQ(item.choose({"Debug", "Off"}), "\"Off\" is disabled");
  EXPECT_EQ(item.choose({"Debug", "Nothing"}), "no item \"Nothing\"");
  EXPECT_EQ(item.choose({"Debug", "Check"}), std::nullopt);
  EXPECT_EQ(ran, std::vector<std::string>{"check"});
  EXPECT_EQ(item.openMenu(), nullptr);  // choosing closed it
  EXPECT_EQ(clicks.size(), 1u);         // a menu takes the click
}

}  // namespace
}  // namespace quillo::sim
