#include "Gui/QtMenu.hpp"

#include <gtest/gtest.h>

#include <QAction>

namespace quillo::gui {
namespace {

using Kind = platform::MenuItem::Kind;

platform::MenuItem item(std::string title, std::function<void()> action = nullptr) {
  platform::MenuItem made;
  made.title = std::move(title);
  made.action = std::move(action);
  return made;
}

TEST(QtMenu, ItemsSeparatorsChecksAndSubmenusAsTheMenuHasThem) {
  int chosen = 0;
  platform::Menu content;
  content.items.push_back(item("Quillo \u2014 paused"));
  auto enabled = item("Enabled", [&] { ++chosen; });
  enabled.checked = true;
  content.items.push_back(enabled);
  platform::MenuItem separator;
  separator.kind = Kind::separator;
  content.items.push_back(separator);
  auto approve = item("Approve in Login Items Settings\u2026", [] {});
  approve.indentationLevel = 1;
  content.items.push_back(approve);
  auto warning = item("Keymap: 2 warnings");
  warning.symbol = "exclamationmark.triangle";
  warning.submenu = {item("w: unknown action"),
                     item("Reset Keymap to Defaults", [&] { chosen += 10; })};
  content.items.push_back(warning);
  auto quit = item("Quit Quillo", [] {});
  quit.keyEquivalent = "q";
  content.items.push_back(quit);

  QMenu menu;
  fillQMenu(menu, content);
  const auto actions = menu.actions();
  ASSERT_EQ(actions.size(), 6);
  EXPECT_EQ(actions[0]->text(), "Quillo \u2014 paused");
  EXPECT_FALSE(actions[0]->isEnabled());
  EXPECT_TRUE(actions[1]->isChecked());
  EXPECT_TRUE(actions[2]->isSeparator());
  EXPECT_EQ(actions[3]->text(), "    Approve in Login Items Settings\u2026");
  ASSERT_NE(actions[4]->menu(), nullptr);
  EXPECT_TRUE(actions[4]->isEnabled());
  EXPECT_FALSE(actions[4]->icon().isNull());
  EXPECT_EQ(actions[5]->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
  actions[1]->trigger();
  EXPECT_EQ(chosen, 1);
  const auto sub = actions[4]->menu()->actions();
  ASSERT_EQ(sub.size(), 2);
  EXPECT_FALSE(sub[0]->isEnabled());
  sub[1]->trigger();
  EXPECT_EQ(chosen, 11);
}

TEST(QtMenu, FillingAgainReplacesEverything) {
  QMenu menu;
  platform::Menu first;
  first.items = {item("One"), item("Two")};
  fillQMenu(menu, first);
  platform::Menu second;
  second.items = {item("Three")};
  fillQMenu(menu, second);
  ASSERT_EQ(menu.actions().size(), 1);
  EXPECT_EQ(menu.actions()[0]->text(), "Three");
}

}  // namespace
}  // namespace quillo::gui
