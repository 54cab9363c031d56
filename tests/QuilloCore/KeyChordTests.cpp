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
  const auto fixture = testing::loadFixture("token_text.json");
  for (const auto& c : fixture["cases"]) {
    const std::string text = c["text"];
    EXPECT_EQ(describe(KeyToken::fromKeymapString(text)),
              c["token"].is_null() ? "null" : c["token"].get<std::string>())
        << "text: \"" << text << "\"";
  }
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
  // Shift on a letter makes a different chord.
  const auto plain = KeyChord::fromKeymapString("cmd+k");
  const auto shifted = KeyChord::fromKeymapString("shift+cmd+k");
  EXPECT_NE(*plain, *shifted);
  EXPECT_EQ((std::unordered_set<KeyChord>{*plain, *shifted}.size()), 2u);

  // A character never equals a named key, even one whose name is that text.
  EXPECT_NE(KeyToken::character(" "), KeyToken::named(NamedKey::space));
  EXPECT_NE(KeyToken::character("e"), KeyToken::character("E"));
}

TEST(KeyChordDisplay, ReadsAsOnAMac) {
  const auto fixture = testing::loadFixture("chord_display.json");
  for (const auto& c : fixture["cases"]) {
    const std::string chord = c["chord"];
    EXPECT_EQ(KeyChord::fromKeymapString(chord)->displayString(), c["shown"].get<std::string>())
        << chord;
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
