#include <gtest/gtest.h>

#include <fstream>

#include "Fixtures.hpp"
#include "KeymapTables.hpp"
#include "QuilloCore/KeymapFile.hpp"

namespace quillo {
namespace {

using nlohmann::json;
using testing::bindingsFrom;
using testing::chordsFrom;

ActionSpec specFrom(const json& object) {
  ActionSpec spec;
  if (object.contains("menu")) spec.menu = object["menu"].get<std::vector<MenuPath>>();
  if (object.contains("key"))
    spec.key = fromRawValue<KeyToken::NamedKey>(object["key"].get<std::string>());
  return spec;
}

/// The description of the error `text` fails to parse with; nothing when it parses.
std::optional<std::string> parseError(const std::string& text) {
  try {
    Keymap::parse(text);
    return std::nullopt;
  } catch (const KeymapError& error) {
    EXPECT_STREQ(error.what(), error.description().c_str());
    return error.description();
  }
}

TEST(KeymapParse, FixtureTable) {
  const auto fixture = testing::loadFixture("keymap_parse.json");
  for (const auto& entry : fixture["cases"]) {
    SCOPED_TRACE(entry["name"].get<std::string>());
    const std::string text = entry["text"];
    if (entry.contains("error")) {
      EXPECT_EQ(parseError(text), entry["error"].get<std::string>());
      continue;
    }
    KeymapLoadResult result = [&] {
      try {
        return Keymap::parse(text);
      } catch (const KeymapError& error) {
        ADD_FAILURE() << error.description();
        return KeymapLoadResult{Keymap::default_(), {}};
      }
    }();
    EXPECT_EQ(result.warnings, entry["warnings"].get<std::vector<std::string>>());
    if (entry.contains("default")) {
      EXPECT_EQ(result.keymap == Keymap::default_(), entry["default"].get<bool>());
    }
    if (entry.contains("bindings")) {
      EXPECT_EQ(result.keymap.bindings, bindingsFrom(entry["bindings"]));
    }
    for (const auto& [member, table] : {std::pair{"listChords", &Keymap::listChords},
                                        {"composeBindings", &Keymap::composeBindings},
                                        {"anywhereChords", &Keymap::anywhereChords}}) {
      if (entry.contains(member)) {
        EXPECT_EQ(result.keymap.*table, chordsFrom(entry[member])) << member;
      }
    }
    if (entry.contains("actions")) {
      EXPECT_EQ(result.keymap.actions.size(), 21u);
      for (const auto& [name, spec] : entry["actions"].items()) {
        EXPECT_EQ(*result.keymap.spec(*fromRawValue<ActionID>(name)), specFrom(spec)) << name;
      }
    }
    if (entry.contains("focusDefault")) {
      EXPECT_EQ(result.keymap.focus == FocusPolicy::default_(), entry["focusDefault"].get<bool>());
    }
  }
}

TEST(KeymapParse, AbsentSectionsKeepTheirDefaults) {
  const auto result = Keymap::parse(R"({"keys": {"x": "archive"}})");
  EXPECT_EQ(result.keymap.bindings, (KeyBindings{{KeyToken::character("x"), ActionID::archive}}));
  EXPECT_EQ(result.keymap.composeBindings, Keymap::defaultComposeBindings());
  EXPECT_TRUE(result.keymap.anywhereChords.empty());
  EXPECT_EQ(result.keymap.actions, Keymap::defaultActions());
  EXPECT_EQ(result.keymap.focus, FocusPolicy::default_());
}

TEST(KeymapParse, FocusRulesWithoutRoleStayInThePolicy) {
  const auto result =
      Keymap::parse(R"({"focus": {"allow": [{"focused": {"subrole": "AXTableRow"}}]}})");
  ASSERT_EQ(result.keymap.focus.allow.size(), 1u);
  EXPECT_EQ(result.keymap.focus.allow[0].focused.subrole, "AXTableRow");
}

std::string nested(std::size_t depth, char open, char close) {
  return std::string(depth, open) + std::string(depth, close);
}

TEST(KeymapParse, RefusesDocumentsTooDeepTooBigOrWithTrailingBytes) {
  using namespace std::string_literals;
  const std::string document = R"({"keys": {"y": "archive"}})";
  std::string deepObjects;  // a deep chain of objects, each one member deep
  for (int i = 0; i < 100000; ++i)
    deepObjects += "{\"a\":";
  deepObjects += "1" + std::string(100000, '}');
  const std::string tooDeep = "keymap.json isn't valid: it is nested more than 32 levels deep";
  const std::string malformed = "keymap.json isn't valid: malformed JSON";
  const struct {
    const char* name;
    std::string text;
    std::optional<std::string> error;
  } cases[] = {
      {"deep arrays", nested(100000, '[', ']'), tooDeep},
      {"deep objects", deepObjects, tooDeep},
      {"brackets in a string are text",
       "{\"about\": \"" + std::string(1000, '[') + "\\\"" + std::string(1000, '{') + "\"}",
       std::nullopt},
      {"real keymap depths", "{\"x\":" + nested(30, '[', ']') + "}", std::nullopt},
      {"oversized", "{\"about\": \"" + std::string(FileLimits::maximumSize, 'x') + "\"}",
       "keymap.json isn't valid: the file is larger than 4 MB"},
      {"trailing white space", document + " \n\t", std::nullopt},
      {"trailing word", document + " junk", malformed},
      {"trailing NUL", document + "\0"s, malformed},
      {"NUL then word", document + "\0junk"s, malformed},
      {"NUL then object", document + " \0 {}"s, malformed},
      {"trailing brace", document + "}", malformed},
      {"NULs", document + "\0\0\0"s, malformed},
      {"letter then NUL", document + "x\0"s, malformed},
      {"NUL inside a string", "{\"about\": \"a\0b\"}"s, malformed},
      {"invalid UTF-8", "{\"keys\": {\"\xFF\": \"archive\"}}", malformed},
  };
  for (const auto& c : cases)
    EXPECT_EQ(parseError(c.text), c.error) << c.name;
}

TEST(KeymapError, EqualityAndDescriptions) {
  EXPECT_EQ(KeymapError::unsupportedVersion(3).description(),
            "keymap.json version 3 is newer than this build of Quillo understands");
  EXPECT_EQ(KeymapError::invalidJSON("x").description(), "keymap.json isn't valid: x");
  EXPECT_EQ(KeymapError::unsupportedVersion(3), KeymapError::unsupportedVersion(3));
  EXPECT_FALSE(KeymapError::unsupportedVersion(3) == KeymapError::unsupportedVersion(4));
  EXPECT_FALSE(KeymapError::invalidJSON("a") == KeymapError::invalidJSON("b"));
}

TEST(DefaultKeymapFile, ParsesToTheBuiltInKeymapWithoutWarnings) {
  const std::string text = testing::readFile(QUILLO_DEFAULT_KEYMAP_FILE);
  const auto result = Keymap::parse(text);
  EXPECT_TRUE(result.warnings.empty());
  EXPECT_EQ(result.keymap, Keymap::default_());
  // Every section is spelled out for people editing it by hand.
  const auto document = json::parse(text);
  for (const char* member :
       {"version", "keys", "composeKeys", "anywhereKeys", "actions", "focus"}) {
    EXPECT_TRUE(document.contains(member)) << member;
  }
  EXPECT_EQ(document["actions"].size(), 21u);
  EXPECT_EQ(document["focus"].size(), 7u);
}

}  // namespace
}  // namespace quillo
