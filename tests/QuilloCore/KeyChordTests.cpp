#include <gtest/gtest.h>

#include <unordered_set>

#include "Fixtures.hpp"
#include "Platform/Text.hpp"
#include "QuilloCore/KeyChord.hpp"

namespace quillo {
namespace {

using NamedKey = KeyToken::NamedKey;

std::string describe(const std::optional<KeyToken>& token) {
  if (!token) return "null";
  if (token->isNamed()) return "named:" + std::string(token->text());
  return "char:" + std::string(token->character());
}

TEST(KeyChordText, ParsesAndWritesEveryFixtureCase) {
  const auto fixture = testing::loadFixture("chord_text.json");
  for (const auto& entry : fixture["cases"]) {
    const std::string text = entry["text"];
    SCOPED_TRACE("text: \"" + text + "\"");
    const auto chord = KeyChord::fromKeymapString(text);
    if (entry["written"].is_null()) {
      EXPECT_FALSE(chord.has_value()) << "parsed to " << chord->keymapString();
      continue;
    }
    ASSERT_TRUE(chord.has_value());
    EXPECT_EQ(chord->keymapString(), entry["written"].get<std::string>());
    // Writing a normalised chord and parsing it again gives the same chord.
    const auto reparsed = KeyChord::fromKeymapString(chord->keymapString());
    ASSERT_TRUE(reparsed.has_value());
    EXPECT_EQ(*reparsed, *chord);
    EXPECT_EQ(reparsed->hash(), chord->hash());
  }
}

TEST(KeyTokenTyped, FollowsTheFixtureTable) {
  const auto fixture = testing::loadFixture("typed_tokens.json");
  for (const auto& entry : fixture["cases"]) {
    std::u32string scalars;
    for (const auto& scalar : entry["scalars"])
      scalars += static_cast<char32_t>(std::stoul(scalar.get<std::string>(), nullptr, 16));
    SCOPED_TRACE("scalars: " + entry["scalars"].dump());
    const std::string text = platform::text::utf8(scalars);
    const std::string expected =
        entry["token"].is_null() ? "null" : entry["token"].get<std::string>();
    EXPECT_EQ(describe(KeyToken::typed(text)), expected);
  }
}

TEST(KeyTokenTyped, RejectsInvalidUTF8) {
  EXPECT_FALSE(KeyToken::typed("\xC3").has_value());
  EXPECT_FALSE(KeyToken::typed("\xFF").has_value());
  EXPECT_FALSE(KeyToken::typed("\xE2\x82").has_value());
  EXPECT_FALSE(KeyToken::fromKeymapString("\xFF").has_value());
}

TEST(KeyTokenKeymapString, KeepsOneCharacterAndReadsNamesInAnyCase) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"E", "char:E"},
      {"e", "char:e"},
      {"Return", "named:return"},
      {"RETURN", "named:return"},
      {"return", "named:return"},
      {" ", "named:space"},
      {"\t", "named:tab"},
      {"esc", "null"},
      {"backspace", "null"},
      {"f1", "null"},
      {"", "null"},
      {"Delete", "named:delete"},
      {"ab", "null"},
      {"é", "char:é"},
      {"\r", "named:return"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("text: \"" + c.text + "\"");
    EXPECT_EQ(describe(KeyToken::fromKeymapString(c.text)), c.expected);
  }
}

TEST(KeyChordNormalising, LowercasesLettersAndDropsShiftFromOtherCharacters) {
  const KeyChord upper(KeyToken::character("E"), KeyModifiers::control);
  EXPECT_EQ(upper.key(), KeyToken::character("e"));
  EXPECT_EQ(upper.modifiers(), KeyModifiers::control);

  const KeyChord question(KeyToken::character("?"), KeyModifiers::shift | KeyModifiers::command);
  EXPECT_EQ(question.modifiers(), KeyModifiers::command);

  const KeyChord shiftedLetter(KeyToken::character("K"),
                               KeyModifiers::shift | KeyModifiers::command);
  EXPECT_EQ(shiftedLetter.key(), KeyToken::character("k"));
  EXPECT_EQ(shiftedLetter.modifiers(), KeyModifiers::shift | KeyModifiers::command);

  const KeyChord named(KeyToken::named(NamedKey::tab), KeyModifiers::shift);
  EXPECT_EQ(named.modifiers(), KeyModifiers::shift);
  EXPECT_EQ(named.keymapString(), "shift+tab");

  // Letters of other scripts are letters too.
  const KeyChord greek(KeyToken::character("Σ"), KeyModifiers::option);
  EXPECT_EQ(greek.key(), KeyToken::character("σ"));
}

TEST(KeyChordNormalising, TheTokenParserNeverLowercasesButTheChordParserDoes) {
  EXPECT_EQ(KeyToken::fromKeymapString("E"), KeyToken::character("E"));
  EXPECT_NE(KeyToken::fromKeymapString("E"), KeyToken::character("e"));
  EXPECT_EQ(KeyChord::fromKeymapString("cmd+E")->key(), KeyToken::character("e"));
}

TEST(KeyChordEquality, ShiftOnALetterMakesADifferentChord) {
  const auto plain = KeyChord::fromKeymapString("cmd+k");
  const auto shifted = KeyChord::fromKeymapString("shift+cmd+k");
  EXPECT_NE(*plain, *shifted);
  std::unordered_set<KeyChord> set{*plain, *shifted};
  EXPECT_EQ(set.size(), 2u);
}

TEST(KeyTokenEquality, CanonicallyEquivalentCharactersAreEqualAndHashAlike) {
  const auto precomposed = KeyToken::character("\u00E9");
  const auto decomposed = KeyToken::character("e\u0301");
  EXPECT_EQ(precomposed, decomposed);
  EXPECT_EQ(precomposed.hash(), decomposed.hash());
  // Stored exactly as typed; only comparison is canonical.
  EXPECT_EQ(decomposed.character(), "e\u0301");

  const KeyChord a(precomposed, KeyModifiers::command);
  const KeyChord b(decomposed, KeyModifiers::command);
  std::unordered_set<KeyChord> set{a, b};
  EXPECT_EQ(set.size(), 1u);

  // A character never equals a named key, even one whose name is that text.
  EXPECT_NE(KeyToken::character(" "), KeyToken::named(NamedKey::space));
  EXPECT_NE(KeyToken::character("e"), KeyToken::character("E"));
}

TEST(KeyChordDisplay, ReadsAsOnAMac) {
  const auto display = [](std::string_view text) {
    return KeyChord::fromKeymapString(text)->displayString();
  };
  const std::pair<const char*, const char*> cases[] = {
      {"e", "E"},
      {"shift+e", "\u21E7E"},
      {"ctrl+cmd+a", "\u2303\u2318A"},
      {"cmd+option+f", "\u2325\u2318F"},
      {"shift+ctrl+option+cmd+z", "\u2303\u2325\u21E7\u2318Z"},
      {"cmd+return", "\u2318\u21A9"},
      {"cmd+enter", "\u2318\u21A9"},
      {"tab", "\u21E5"},
      {"ctrl+space", "\u2303Space"},
      {"escape", "\u238B"},
      {"cmd+delete", "\u2318\u232B"},
      {"up", "\u2191"},
      {"down", "\u2193"},
      {"left", "\u2190"},
      {"right", "\u2192"},
      {"#", "#"},
      {"cmd++", "\u2318+"},
      {"\u00E9", "\u00C9"},
      {"\u03C9", "\u03A9"},
      {"\u3042", "\u3042"},   // no case: as stored
      {"\u00DF", "\u00DF"},   // its capital is two letters: as stored
      {"\u0130", "I\u0307"},  // a chord holds it as "i" and a dot: shown as their capital
  };
  for (const auto& [chord, shown] : cases) {
    EXPECT_EQ(display(chord), shown) << chord;
  }
}

TEST(KeyModifiersSet, AlgebraAndShortcutTest) {
  EXPECT_EQ(KeyModifiers::shortcutModifiers,
            KeyModifiers::control | KeyModifiers::option | KeyModifiers::command);
  EXPECT_EQ(KeyModifiers(0xFF).rawValue(), 0x0F);  // unknown bits are dropped
  KeyModifiers held = KeyModifiers::shift;
  held.insert(KeyModifiers::command);
  EXPECT_TRUE(held.contains(KeyModifiers::command));
  EXPECT_FALSE(held.contains(KeyModifiers::command | KeyModifiers::control));
  EXPECT_TRUE(KeyModifiers::command.isSubset(held));
  held.remove(KeyModifiers::shift);
  EXPECT_EQ(held, KeyModifiers::command);
  EXPECT_EQ((KeyModifiers::shift ^ KeyModifiers(3)).rawValue(), 2);
  EXPECT_EQ((KeyModifiers(15)).members().size(), 4u);

  const auto chord = [](KeyModifiers m) { return KeyChord(KeyToken::character("e"), m); };
  EXPECT_FALSE(chord({}).hasShortcutModifier());
  EXPECT_FALSE(chord(KeyModifiers::shift).hasShortcutModifier());
  EXPECT_TRUE(chord(KeyModifiers::control).hasShortcutModifier());
  EXPECT_TRUE(chord(KeyModifiers::option).hasShortcutModifier());
  EXPECT_TRUE(chord(KeyModifiers::command | KeyModifiers::shift).hasShortcutModifier());
}

}  // namespace
}  // namespace quillo
