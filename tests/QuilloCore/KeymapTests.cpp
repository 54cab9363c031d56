#include <gtest/gtest.h>

#include <cctype>

#include "Fixtures.hpp"
#include "QuilloCore/CheatSheet.hpp"
#include "QuilloCore/CustomKeymap.hpp"
#include "QuilloCore/Decision.hpp"
#include "QuilloCore/FocusContext.hpp"
#include "QuilloCore/Keymap.hpp"
#include "QuilloCore/KeymapPreset.hpp"

namespace quillo {
namespace {

using NamedKey = KeyToken::NamedKey;

KeyChord chord(std::string_view text) {
  return *KeyChord::fromKeymapString(text);
}

/// Files and settings store these enumerations by raw value: every case must
/// come back from its own, and only from exactly that text.
template <class E>
void expectEveryCaseParsesBack(const char* name) {
  SCOPED_TRACE(name);
  for (const E value : allCases<E>()) {
    const std::string raw(rawValue(value));
    ASSERT_FALSE(raw.empty());
    EXPECT_EQ(fromRawValue<E>(raw), value) << raw;
    std::string otherCase = raw;
    otherCase[0] = static_cast<char>(std::isupper(static_cast<unsigned char>(raw[0]))
                                         ? std::tolower(static_cast<unsigned char>(raw[0]))
                                         : std::toupper(static_cast<unsigned char>(raw[0])));
    EXPECT_FALSE(fromRawValue<E>(otherCase).has_value()) << otherCase;
  }
  EXPECT_FALSE(fromRawValue<E>("").has_value());
}

TEST(RawValues, EveryCaseParsesBackFromItsRawValueAndOnlyFromIt) {
  expectEveryCaseParsesBack<ActionID>("ActionID");
  expectEveryCaseParsesBack<KeyToken::NamedKey>("NamedKey");
  expectEveryCaseParsesBack<KeymapPreset>("KeymapPreset");
  expectEveryCaseParsesBack<CustomKeymap::Baseline>("Baseline");
  expectEveryCaseParsesBack<PassReason>("PassReason");
  expectEveryCaseParsesBack<FocusContext>("FocusContext");
  expectEveryCaseParsesBack<CheatSheet::Place>("Place");
}

TEST(ActionSpecProblem, FirstProblemPathByPath) {
  const auto fixture = testing::loadFixture("action_problems.json");
  for (const auto& c : fixture["cases"]) {
    ActionSpec spec{c["menu"].get<std::vector<MenuPath>>(), std::nullopt};
    if (c.contains("key")) spec.key = fromRawValue<NamedKey>(c["key"].get<std::string>()).value();
    EXPECT_EQ(spec.problem(), c["problem"].is_null()
                                  ? std::nullopt
                                  : std::optional(c["problem"].get<std::string>()))
        << c.dump();
  }
}

// The picker's actions are done by Quillo, yet name the menu they list.
TEST(DefaultKeymap, EveryActionOfMailsHasAUsableSpecAndShowShortcutsNone) {
  const Keymap& keymap = Keymap::default_();
  for (ActionID action : allCases<ActionID>()) {
    const ActionSpec* spec = keymap.spec(action);
    if (action == ActionID::showShortcuts) {
      EXPECT_EQ(spec, nullptr) << rawValue(action);
      continue;
    }
    ASSERT_NE(spec, nullptr) << rawValue(action);
    EXPECT_EQ(spec->problem(), std::nullopt) << rawValue(action);
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
  EXPECT_EQ(&FocusPolicy::default_(), &FocusPolicy::default_());
}

}  // namespace
}  // namespace quillo
