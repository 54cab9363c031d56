#include <gtest/gtest.h>

#include <memory>

#include "Fixtures.hpp"
#include "QuilloCore/MenuResolver.hpp"

namespace quillo {
namespace {

/// An in-memory menu tree whose nodes count how often their children are
/// asked for, standing in for Mail's menus where each such call is a request.
struct TreeNode {
  std::optional<std::string> title;
  std::vector<std::shared_ptr<TreeNode>> items;
};

class CountingNode {
 public:
  CountingNode(std::shared_ptr<TreeNode> node, std::shared_ptr<int> calls)
      : node_(std::move(node)), calls_(std::move(calls)) {}
  std::optional<std::string> title() const { return node_->title; }
  std::vector<CountingNode> children() const {
    ++*calls_;
    std::vector<CountingNode> result;
    for (const auto& item : node_->items)
      result.emplace_back(item, calls_);
    return result;
  }
  const TreeNode* node() const { return node_.get(); }

 private:
  std::shared_ptr<TreeNode> node_;
  std::shared_ptr<int> calls_;
};
static_assert(MenuTreeNode<CountingNode>);

std::shared_ptr<TreeNode> item(std::optional<std::string> title,
                               std::vector<std::shared_ptr<TreeNode>> items = {}) {
  return std::make_shared<TreeNode>(TreeNode{std::move(title), std::move(items)});
}

class MenuResolverTest : public ::testing::Test {
 protected:
  std::vector<CountingNode> roots(std::vector<std::shared_ptr<TreeNode>> menus) {
    std::vector<CountingNode> nodes;
    for (auto& menu : menus)
      nodes.emplace_back(menu, calls);
    return nodes;
  }
  std::optional<std::string> resolvedTitle(const std::vector<std::string>& path,
                                           const std::vector<CountingNode>& menus, int depth = 4) {
    const auto found = MenuResolver::resolve(path, menus, depth);
    return found ? found->title() : std::nullopt;
  }

  std::shared_ptr<int> calls = std::make_shared<int>(0);
};

TEST(MenuTitleMatching, FollowsTheFixtureTable) {
  const auto fixture = testing::loadFixture("menu_titles.json");
  for (const auto& c : fixture["cases"]) {
    const std::string title = c["title"], pattern = c["pattern"];
    EXPECT_EQ(MenuResolver::titleMatches(title, pattern), c["matches"].get<bool>())
        << "\"" << title << "\" ~ \"" << pattern << "\"";
  }
}

TEST_F(MenuResolverTest, PlainPathWalksFirstMatchesAndAsksChildrenOncePerEntryButTheLast) {
  auto menus = roots({
      item("Mail"),
      item("Message",
           {item("Reply"), item("Flag", {item("Toggle Flag"), item("Red")}), item("Archive")}),
      item("Edit", {item("Find", {item("Mailbox Search")})}),
  });
  EXPECT_EQ(resolvedTitle({"Message", "Flag", "Toggle Flag"}, menus), "Toggle Flag");
  EXPECT_EQ(*calls, 2);
  *calls = 0;
  EXPECT_EQ(resolvedTitle({"message", "archive"}, menus), "Archive");
  EXPECT_EQ(*calls, 1);
  *calls = 0;
  // A one-title path finds a menu-bar item itself.
  EXPECT_EQ(resolvedTitle({"Edit"}, menus), "Edit");
  EXPECT_EQ(*calls, 0);
  EXPECT_FALSE(resolvedTitle({"Message", "Forward"}, menus));
  EXPECT_FALSE(resolvedTitle({}, menus));
  // "**" later in a path is an ordinary title.
  EXPECT_FALSE(resolvedTitle({"Message", "**"}, menus));
}

TEST_F(MenuResolverTest, PlainPathDoesNotBacktrackToALaterSibling) {
  auto menus = roots({
      item("Message", {item("Move"), item("Archive")}),
      item("Message", {item("Flag", {item("Toggle Flag")})}),
  });
  EXPECT_FALSE(resolvedTitle({"Message", "Flag", "Toggle Flag"}, menus));
}

TEST_F(MenuResolverTest, NodesWithoutTitleNeverMatch) {
  auto menus = roots({item(std::nullopt), item(""), item("View", {item(""), item("Sort")})});
  EXPECT_FALSE(resolvedTitle({"*"}, menus));
  EXPECT_FALSE(resolvedTitle({"**", "*"}, menus));
  EXPECT_EQ(resolvedTitle({"**", "Sort"}, menus), "Sort");
}

TEST_F(MenuResolverTest, AnywhereSearchIsBreadthFirstAndNeverMatchesRoots) {
  auto menus = roots({
      item("File", {item("Export", {item("Deep", {item("Send")})})}),
      item("Message", {item("Reply"), item("Send")}),
      item("Send", {item("Other")}),
  });
  // The depth-2 "Send" under Message wins over the depth-4 one under File.
  const auto found = MenuResolver::resolve<CountingNode>({"**", "Send"}, menus, 4);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->node(), menus[1].children()[1].node());
  // A root titled like the target is not the target.
  EXPECT_FALSE(resolvedTitle({"**", "Message"}, menus));
  // Earlier menus win within one depth.
  auto twice = roots({item("Edit", {item("Send")}), item("Message", {item("Send")})});
  const auto first = MenuResolver::resolve<CountingNode>({"**", "Send"}, twice, 4);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->node(), twice[0].children()[0].node());
}

TEST_F(MenuResolverTest, AnywhereDepthLimitsTheLevelsSearched) {
  auto menus = roots({item("File", {item("Export", {item("Deep", {item("Send")})})})});
  // Send is three levels below the File menu's own items.
  EXPECT_FALSE(resolvedTitle({"**", "Send"}, menus, 2));
  EXPECT_EQ(resolvedTitle({"**", "Send"}, menus, 3), "Send");
  for (int depth : {1, 0, -5}) {
    EXPECT_FALSE(resolvedTitle({"**", "Export"}, menus, depth) == std::nullopt) << depth;
    EXPECT_FALSE(resolvedTitle({"**", "Deep"}, menus, depth)) << depth;
  }
}

TEST_F(MenuResolverTest, AnywhereSearchVisitsWholeLevelsIncludingTheLastBeforeGivingUp) {
  // Two menus with two items each, each item with one child.
  auto menus = roots({
      item("A", {item("a1", {item("x")}), item("a2", {item("y")})}),
      item("B", {item("b1", {item("z")}), item("b2", {item("w")})}),
  });
  *calls = 0;
  EXPECT_FALSE(resolvedTitle({"**", "missing"}, menus, 2));
  // Roots: 2 calls; level 1 (4 items): 4 calls; level 2 (4 leaves): 4 calls.
  EXPECT_EQ(*calls, 10);
  *calls = 0;
  EXPECT_FALSE(resolvedTitle({"**", "missing"}, menus, 1));
  EXPECT_EQ(*calls, 6);
}

TEST_F(MenuResolverTest, MalformedAnywherePathsYieldNothing) {
  auto menus = roots({item("Message", {item("Send")})});
  EXPECT_FALSE(resolvedTitle({"**"}, menus));
  EXPECT_FALSE(resolvedTitle({"**", "Message", "Send"}, menus));
  EXPECT_EQ(*calls, 0);
}

TEST(MenuPathText, ReadsAsTitlesJoinedByAnAngleQuote) {
  EXPECT_EQ(MenuResolver::pathText({"Message", "Archive"}), "Message \u203a Archive");
  EXPECT_EQ(MenuResolver::pathText({"**", "Move to Junk"}), "** \u203a Move to Junk");
  EXPECT_EQ(MenuResolver::pathText({}), "");
}

TEST(MenuPathText, ParsesBothSeparatorsAndRoundTrips) {
  using Path = std::vector<std::string>;
  EXPECT_EQ(MenuResolver::pathFromText("Message \u203a Archive"), (Path{"Message", "Archive"}));
  EXPECT_EQ(MenuResolver::pathFromText("Format > Style > Bold"), (Path{"Format", "Style", "Bold"}));
  EXPECT_EQ(MenuResolver::pathFromText("A > B \u203a C"), (Path{"A", "B", "C"}));
  EXPECT_EQ(MenuResolver::pathFromText("Undo"), (Path{"Undo"}));
  EXPECT_EQ(MenuResolver::pathFromText("Move to>Junk"), (Path{"Move to>Junk"}));  // no spaces
  for (const Path& path : {Path{"Message", "Move to", "Junk"}, Path{"Edit"}}) {
    EXPECT_EQ(MenuResolver::pathFromText(MenuResolver::pathText(path)), path);
  }
}

}  // namespace
}  // namespace quillo
