#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "Files.hpp"

#include "QuilloFixture.hpp"
#include "TreeApp.hpp"

namespace quillo {
namespace {

using platform::Duration;
using sim::AXNode;

class DiagnosticsTest : public testing::QuilloTest {
 protected:
  void SetUp() override {
    mac.permissions.accessibility = true;
    session.start();
    loop.runUntilIdle();
    lines();  // forget the start-up lines
  }
  /// Debug-log lines written since the last call.
  std::vector<std::string> lines() {
    auto all = logLines();
    std::vector<std::string> fresh(all.begin() + static_cast<long>(std::min(seen, all.size())),
                                   all.end());
    seen = all.size();
    return fresh;
  }
  bool has(const std::vector<std::string>& written, const std::string& line) {
    return std::find(written.begin(), written.end(), line) != written.end();
  }
  std::size_t seen = 0;
};

TEST_F(DiagnosticsTest, WithMailQuitEachCommandWritesOneLine) {
  app.menuCheck();
  app.menuStructure();
  app.windowStructure();
  app.focusCapture();
  EXPECT_EQ(lines(),
            (std::vector<std::string>{
                "menu check: Mail isn't running", "menu structure: Mail isn't running",
                "window structure: Mail isn't running", "focus capture: Mail isn't running"}));
}

// The lines of a whole check stand in menu/debug-and-more.scenario and
// keypath/lagging-menu-states.scenario.
TEST_F(DiagnosticsTest, MenuCheckListsEveryPathAndLeavesTheExecutorsCacheAlone) {
  user.relaunchMail({.junkTitle = "Move to Spam"});
  app.menuCheck();
  const auto written = lines();
  ASSERT_EQ(written.size(), 23u);
  EXPECT_EQ(written[10],
            "  markJunk: Message \u203a Move to Junk \u2717; Message \u203a Move to Spam \u2713 "
            "enabled");
  EXPECT_TRUE(app.executor().resolved().empty());
}

TEST_F(DiagnosticsTest, MenuCheckOfASpecWithNeitherPathNorKey) {
  user.openMail();
  Keymap keymap = app.activeKeymap();
  keymap.actions[ActionID::archive] = ActionSpec{};
  keymap.actions.erase(ActionID::delete_);
  const auto written = menuCheckLines(mac.accessibility(), user.mail().pid(), keymap);
  EXPECT_EQ(written[0], "archive: ");
  EXPECT_EQ(written[1], "delete: no spec");
  // An action done by Quillo is never looked for in Mail, spec or none.
  EXPECT_EQ(written[19], "showShortcuts: done by Quillo, not in Mail's menus");
  mac.permissions.accessibility = false;
  EXPECT_EQ(menuCheckLines(mac.accessibility(), user.mail().pid(), keymap),
            std::vector<std::string>{"Couldn't read Mail's menu bar (Accessibility permission?)"});
}

// Separators, disabled items and the window list skipped: the hand-built
// menus of the next test.
TEST_F(DiagnosticsTest, MenuStructureOfMailShowsOnlyTheFindAndFlagSubmenus) {
  user.openMail();
  app.menuStructure();
  const auto written = lines();
  EXPECT_EQ(written[0], "Mail menu structure:");
  EXPECT_TRUE(has(written, "  Mail"));
  EXPECT_TRUE(has(written, "    Quit Mail"));
  EXPECT_TRUE(has(written, "    Find"));
  EXPECT_TRUE(has(written, "      Mailbox Search"));
  EXPECT_TRUE(has(written, "    Flag"));
  EXPECT_TRUE(has(written, "      Toggle Flag"));
  EXPECT_FALSE(has(written, "      Date"));  // only Find and Flag show their submenus
}

TEST_F(DiagnosticsTest, TheSecondToLastMenuIsSkippedWhateverItsTitle) {
  auto& tree = mac.launch<testing::TreeApp>();
  loop.runUntilIdle();
  tree.menus({{"First",
               {{.title = "One"},
                sim::MenuItem::separator(),
                {.title = "Two", .enabled = [] { return false; }}}},
              {"Lists", {{.title = "Anything"}}},
              {"Last", {{.title = "Three"}}}});
  EXPECT_EQ(menuStructureLines(mac.accessibility(), tree.pid()),
            (std::vector<std::string>{"First", "  One", "  Two  (disabled)",
                                      "Lists (skipped: lists open windows)", "Last", "  Three"}));
}

TEST_F(DiagnosticsTest, TheWindowWalkListsAndSkipsByRole) {
  auto& tree = mac.launch<testing::TreeApp>();
  loop.runUntilIdle();
  tree.window = tree.node("AXWindow", "AXStandardWindow");
  const auto add = [&](const std::shared_ptr<AXNode>& parent, const char* role,
                       std::optional<std::string> identifier = {}) {
    auto made = tree.node(role, std::nullopt, std::move(identifier));
    AXNode::adopt(parent, made);
    return made;
  };
  auto plainText = add(tree.window, "AXTextArea");
  add(plainText, "AXGroup", "Mail.insidePlainText");
  auto mailText = add(tree.window, "AXTextArea", "Mail.body");
  add(mailText, "AXGroup", "Mail.insideMailText");
  auto mailGroup = add(tree.window, "AXGroup", "Mail.group");
  add(mailGroup, "AXTable");
  auto outline = add(tree.window, "AXOutline");
  add(outline, "AXGroup", "Mail.insideOutline");
  auto plainGroup = add(tree.window, "AXGroup");
  add(plainGroup, "AXButton", "Mail.button");
  add(plainGroup, "AXButton", "Other.button");
  EXPECT_EQ(windowStructureLines(mac.accessibility(), tree.pid()),
            (std::vector<std::string>{
                "window 1: AXWindow/AXStandardWindow",
                "  direct children: AXTextArea, AXTextArea#Mail.body, AXGroup#Mail.group, "
                "AXOutline, AXGroup",
                "  AXTextArea#Mail.body",
                "  AXGroup#Mail.group",
                "  AXGroup#Mail.group \u203a AXTable",
                "  AXOutline",
                "  AXGroup \u203a AXButton#Mail.button",
            }));
}

TEST_F(DiagnosticsTest, TheWindowWalkStopsDescendingAfterThreeThousandElementsAndFourteenLevels) {
  auto& tree = mac.launch<testing::TreeApp>();
  loop.runUntilIdle();
  tree.window = tree.node("AXWindow", "AXStandardWindow");
  for (int i = 0; i < 3000; ++i)
    AXNode::adopt(tree.window, tree.node("AXGroup"));
  auto late = tree.node("AXGroup", std::nullopt, "Mail.late");
  AXNode::adopt(tree.window, late);
  AXNode::adopt(late, tree.node("AXGroup", std::nullopt, "Mail.deep"));
  auto lines = windowStructureLines(mac.accessibility(), tree.pid());
  EXPECT_EQ(lines.back(), "  AXGroup#Mail.late");  // listed on its level, not walked into

  tree.window = tree.node("AXWindow", "AXStandardWindow");
  auto parent = tree.window;
  for (int level = 1; level <= 16; ++level) {
    auto child = tree.node("AXGroup", std::nullopt, "Mail.level" + std::to_string(level));
    AXNode::adopt(parent, child);
    parent = child;
  }
  lines = windowStructureLines(mac.accessibility(), tree.pid());
  EXPECT_EQ(lines.size(), 2u + 14u);
  EXPECT_TRUE(lines.back().ends_with("AXGroup#Mail.level14"));
}

TEST_F(DiagnosticsTest, FocusCaptureClassifiesTwice) {
  auto& mail = user.openMail();
  mail.newMessage();
  app.focusCaptureIn3Seconds();
  EXPECT_EQ(lines(), std::vector<std::string>{
                         "capturing Mail's focused element in 3 seconds: switch to Mail now"});
  user.switchTo(sim::SimulatedMac::safariBundleID, "Safari");
  loop.advance(Duration(3));
  EXPECT_EQ(lines(), (std::vector<std::string>{
                         "focus capture: AXTextField#Mail.toField \u2039 AXWindow/AXStandardWindow",
                         "  classified as compose; with the keyboard-focus check: unknown"}));
}

TEST_F(DiagnosticsTest, FocusCaptureGoesByThePermissionQuilloLastSaw) {
  user.openMail();
  mac.permissions.accessibility = false;
  loop.advance(Duration(2));
  lines();
  mac.permissions.accessibility = true;  // granted, but not yet checked
  app.focusCapture();
  EXPECT_EQ(lines(), std::vector<std::string>{"focus capture: couldn't read Mail's focused "
                                              "element (Accessibility permission?)"});
  loop.advance(Duration(2));  // the next check sees it
  lines();                    // the tap comes back with the permission
  app.focusCapture();
  EXPECT_TRUE(lines().front().starts_with("focus capture: AXTable#Mail.messageList"));
}

TEST_F(DiagnosticsTest, FocusCaptureClassifiesWithTheFocusRulesOfKeymapJson) {
  auto keymap = nlohmann::json::parse(
      testing::readText(std::filesystem::path(QUILLO_RESOURCES) / "keymap.json"));
  keymap["focus"]["composeWindowMarkers"] = nlohmann::json::array({"Mail.nothing"});
  testing::writeText(home.config() / "Quillo" / "keymap.json", keymap.dump());
  loop.advance(Duration(0.5));
  ASSERT_FALSE(app.keymapStore().loadError());
  user.openMail().newMessage();
  lines();
  app.focusCapture();
  EXPECT_EQ(lines().back(), "  classified as other; with the keyboard-focus check: other");
}

TEST_F(DiagnosticsTest, MailsProcessIsFoundWhenItIsNotInFront) {
  auto& mail = user.openMail();
  user.switchTo(sim::SimulatedMac::safariBundleID, "Safari");
  EXPECT_EQ(app.mailProcess(), mail.pid());
  app.menuCheck();
  EXPECT_EQ(lines().front(), "menu check (Mail pid " + std::to_string(mail.pid()) + "):");
}

}  // namespace
}  // namespace quillo
