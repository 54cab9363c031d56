#include <gtest/gtest.h>

#include "QuilloCore/Keymap.hpp"
#include "QuilloCore/KeymapPreset.hpp"

namespace quillo {
namespace {

using NamedKey = KeyToken::NamedKey;

KeyChord chord(std::string_view text) {
  return *KeyChord::fromKeymapString(text);
}

TEST(ActionIDTable, PropertiesAndOrder) {
  struct Row {
    std::string_view raw;
    bool worksInMessageWindow;
    bool repeatable;
  };
  const Row rows[] = {
      {"archive", true, false},      {"delete", true, false},
      {"nextMessage", false, true},  {"previousMessage", false, true},
      {"reply", true, false},        {"replyAll", true, false},
      {"forward", true, false},      {"newMessage", true, false},
      {"toggleFlag", true, false},   {"markJunk", true, false},
      {"markRead", true, false},     {"markUnread", true, false},
      {"undo", true, false},         {"focusSearch", false, false},
      {"openMessage", false, false}, {"send", false, false},
      {"copy", false, false},        {"paste", false, false},
      {"cut", false, false},
  };
  const auto all = allCases<ActionID>();
  ASSERT_EQ(all.size(), std::size(rows));
  for (std::size_t i = 0; i < all.size(); ++i) {
    SCOPED_TRACE(rows[i].raw);
    EXPECT_EQ(rawValue(all[i]), rows[i].raw);
    EXPECT_EQ(fromRawValue<ActionID>(rows[i].raw), all[i]);
    EXPECT_EQ(worksInMessageWindow(all[i]), rows[i].worksInMessageWindow);
    EXPECT_EQ(isRepeatable(all[i]), rows[i].repeatable);
  }
  EXPECT_FALSE(fromRawValue<ActionID>("Archive").has_value());
  EXPECT_FALSE(fromRawValue<ActionID>("").has_value());
}

TEST(ActionSpecProblem, FirstProblemPathByPath) {
  struct Case {
    ActionSpec spec;
    std::optional<std::string> problem;
  };
  const std::string blank = "has an empty menu path or title";
  const std::string late = "uses \"**\" somewhere other than the start of a path";
  const std::string count = "must follow \"**\" with exactly one title";
  const Case cases[] = {
      {{}, "has neither a menu path nor a key"},
      {{.key = NamedKey::down}, std::nullopt},
      {{.menu = {{"Message", "Archive"}}}, std::nullopt},
      {{.menu = {{}}}, blank},
      {{.menu = {{"Message", "  "}}}, blank},
      {{.menu = {{"Message", "\t\u00A0\u3000"}}}, blank},
      {{.menu = {{"Message", "\n"}}}, std::nullopt},  // a line break is not blank here
      {{.menu = {{"**", "Send"}}}, std::nullopt},
      {{.menu = {{"**"}}}, count},
      {{.menu = {{"**", "Message", "Send"}}}, count},
      {{.menu = {{"Message", "**"}}}, late},
      {{.menu = {{"Message", "**", " "}}}, blank},  // all of one check before the next
      {{.menu = {{"Message", "Archive"}, {}}, .key = NamedKey::down}, blank},
      {{.menu = {{"**"}, {"Message", "**"}}}, count},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.spec.problem(), c.problem);
  }
}

TEST(DefaultKeymap, HasTheBuiltInTables) {
  const Keymap& keymap = Keymap::default_();
  EXPECT_EQ(keymap.bindings.size(), 16u);
  EXPECT_TRUE(keymap.listChords.empty());
  EXPECT_TRUE(keymap.anywhereChords.empty());
  EXPECT_EQ(keymap.composeBindings.size(), 2u);
  EXPECT_EQ(keymap.composeAction(chord("cmd+return")), ActionID::send);
  EXPECT_EQ(keymap.composeAction(chord("cmd+enter")), ActionID::send);
  EXPECT_EQ(keymap.actions.size(), 19u);
  EXPECT_EQ(keymap.focus, FocusPolicy::default_());

  const std::pair<std::string_view, ActionID> singles[] = {
      {"e", ActionID::archive},     {"#", ActionID::delete_},
      {"j", ActionID::nextMessage}, {"k", ActionID::previousMessage},
      {"r", ActionID::reply},       {"a", ActionID::replyAll},
      {"f", ActionID::forward},     {"c", ActionID::newMessage},
      {"s", ActionID::toggleFlag},  {"!", ActionID::markJunk},
      {"I", ActionID::markRead},    {"U", ActionID::markUnread},
      {"z", ActionID::undo},        {"/", ActionID::focusSearch},
      {"o", ActionID::openMessage},
  };
  for (const auto& [key, action] : singles) {
    EXPECT_EQ(keymap.action(KeyToken::character(key)), action) << key;
  }
  EXPECT_EQ(keymap.action(KeyToken::named(NamedKey::return_)), ActionID::openMessage);
  EXPECT_FALSE(keymap.action(KeyToken::character("i")).has_value());
  EXPECT_FALSE(keymap.action(KeyToken::character("E")).has_value());
}

TEST(DefaultKeymap, ActionSpecsAreTheMailMenuPaths) {
  const Keymap& keymap = Keymap::default_();
  EXPECT_EQ(keymap.spec(ActionID::archive)->menu, (std::vector<MenuPath>{{"Message", "Archive"}}));
  EXPECT_EQ(keymap.spec(ActionID::nextMessage)->key, NamedKey::down);
  EXPECT_TRUE(keymap.spec(ActionID::nextMessage)->menu.empty());
  EXPECT_EQ(keymap.spec(ActionID::previousMessage)->key, NamedKey::up);
  EXPECT_EQ(keymap.spec(ActionID::markJunk)->menu,
            (std::vector<MenuPath>{{"Message", "Move to Junk"}, {"Message", "Move to Spam"}}));
  EXPECT_EQ(keymap.spec(ActionID::toggleFlag)->menu,
            (std::vector<MenuPath>{{"Message", "Flag", "Toggle Flag"}}));
  EXPECT_EQ(keymap.spec(ActionID::undo)->menu, (std::vector<MenuPath>{{"Edit", "Undo*"}}));
  EXPECT_EQ(keymap.spec(ActionID::focusSearch)->menu,
            (std::vector<MenuPath>{{"Edit", "Find", "Mailbox Search"}}));
  EXPECT_EQ(keymap.spec(ActionID::send)->menu,
            (std::vector<MenuPath>{{"Message", "Send"}, {"**", "Send"}}));
  for (const auto& [action, spec] : keymap.actions) {
    EXPECT_FALSE(spec.problem().has_value()) << rawValue(action);
  }
}

TEST(Keymap, LookupsAreExactAndSpecMayBeMissing) {
  Keymap keymap = Keymap::default_();
  keymap.actions.erase(ActionID::archive);
  EXPECT_EQ(keymap.spec(ActionID::archive), nullptr);
  EXPECT_NE(keymap.spec(ActionID::delete_), nullptr);
  // The chord tables are not consulted by the single-key lookup and vice versa.
  EXPECT_FALSE(keymap.listAction(chord("cmd+return")).has_value());
  EXPECT_FALSE(keymap.anywhereAction(chord("cmd+return")).has_value());
  EXPECT_NE(keymap, Keymap::default_());
}

TEST(KeymapDefaults, AreBuiltOnceAndShared) {
  EXPECT_EQ(&Keymap::default_(), &Keymap::default_());
  EXPECT_EQ(&Keymap::defaultBindings(), &Keymap::defaultBindings());
  EXPECT_EQ(&keymap(KeymapPreset::outlookMac), &keymap(KeymapPreset::outlookMac));
}

}  // namespace
}  // namespace quillo
