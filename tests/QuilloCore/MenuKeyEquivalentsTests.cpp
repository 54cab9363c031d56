#include <gtest/gtest.h>

#include "QuilloCore/MenuKeyEquivalents.hpp"

namespace quillo {
namespace {

using MenuKeyEquivalents::reach;

/// A menu item as a plain value: its title, its key equivalent, its submenu.
struct KeyedNode {
  std::optional<std::string> name;
  std::optional<KeyChord> key;
  std::vector<KeyedNode> items;

  std::optional<std::string> title() const { return name; }
  std::vector<KeyedNode> children() const { return items; }
  std::optional<KeyChord> keyEquivalent() const { return key; }
};
static_assert(MenuKeyEquivalents::KeyedMenuTreeNode<KeyedNode>);
using Way = MenuKeyEquivalents::Reach<KeyedNode>::Way;

KeyChord chord(std::string_view text) {
  return *KeyChord::fromKeymapString(text);
}

KeyedNode item(std::string title, std::optional<std::string_view> key = {},
               std::vector<KeyedNode> items = {}) {
  return KeyedNode{std::move(title), key ? std::optional(chord(*key)) : std::nullopt,
                   std::move(items)};
}

/// A German Mail's menus, as far as these tests need them. How each action
/// is found in the whole of them is the language goldens' business.
std::vector<KeyedNode> germanMenus() {
  return {
      item("Ablage", {}, {item("Neue E-Mail", "cmd+n"), item("E-Mail öffnen", "cmd+o")}),
      item(
          "Bearbeiten", {},
          {item("Widerrufen", "cmd+z"), item("Kopieren", "cmd+c"),
           item("Suchen", {}, {item("Suchen …", "cmd+f"), item("Postfachsuche", "option+cmd+f")})}),
      item("Nachricht", {},
           {item("Senden", "shift+cmd+d"), item("Antworten", "cmd+r"),
            item("Als gelesen markieren", "shift+cmd+u"),
            item("Markierung", {}, {item("Markierung umschalten", "shift+cmd+l")}),
            item("Archivieren", "ctrl+cmd+a"), item("Bewegen nach", {}, {item("Archiv")})}),
  };
}

ActionSpec spec(std::vector<MenuPath> menu, std::optional<KeyToken::NamedKey> key = {}) {
  return ActionSpec{std::move(menu), key};
}

std::string text(const MenuPath& path) {
  return MenuResolver::pathText(path);
}

TEST(MenuReach, AMatchingTitlePathWinsOverTheKeyEquivalent) {
  auto menus = germanMenus();
  menus.push_back(item("Message", {}, {item("Archive")}));  // a half-translated Mail
  const auto result = reach(ActionID::archive, spec({{"Message", "Archive"}}), menus, 4);
  EXPECT_EQ(result.way, Way::menuPath);
  EXPECT_EQ(text(result.path), "Message › Archive");
  EXPECT_EQ(result.keyEquivalent, std::nullopt);  // not even looked for
}

TEST(MenuReach, AShortcutNoItemCarriesLeavesTheFallbackKeyOrNothing) {
  auto menus = germanMenus();
  menus[2].items[4].key = chord("option+cmd+a");  // the user moved Archive's shortcut
  const auto none = reach(ActionID::archive, spec({{"Message", "Archive"}}), menus, 4);
  EXPECT_EQ(none.way, Way::none);
  EXPECT_EQ(none.carrierCount, 0u);
  const auto key = reach(ActionID::archive,
                         spec({{"Message", "Archive"}}, KeyToken::NamedKey::delete_), menus, 4);
  EXPECT_EQ(key.way, Way::fallbackKey);
}

TEST(MenuReach, AnActionWithoutMenuPathsGoesByItsKeyAlone) {
  const auto result =
      reach(ActionID::openMessage, spec({}, KeyToken::NamedKey::return_), germanMenus(), 4);
  EXPECT_EQ(result.way, Way::fallbackKey);
  EXPECT_EQ(result.keyEquivalent, std::nullopt);
}

TEST(MenuReach, KeyEquivalentsAreLookedForOnlyDownToTheDepthLimit) {
  const std::vector<KeyedNode> deep{
      item("A", {}, {item("B", {}, {item("C", {}, {item("D", {}, {item("Reply", "cmd+r")})})})})};
  EXPECT_EQ(reach(ActionID::reply, spec({{"X", "Y"}}), deep, 4).way, Way::keyEquivalent);
  EXPECT_EQ(reach(ActionID::reply, spec({{"X", "Y"}}), deep, 3).way, Way::none);
  // The menu-bar items themselves are never the item found.
  const std::vector<KeyedNode> bar{item("Reply", "cmd+r")};
  EXPECT_EQ(reach(ActionID::reply, spec({{"X", "Y"}}), bar, 4).way, Way::none);
}

}  // namespace
}  // namespace quillo
