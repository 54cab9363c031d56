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

TEST(KeymapParse, FixtureTable) {
  const auto fixture = testing::loadFixture("keymap_parse.json");
  for (const auto& entry : fixture["cases"]) {
    SCOPED_TRACE(entry["name"].get<std::string>());
    const std::string text = entry["text"];
    if (entry.contains("error")) {
      try {
        Keymap::parse(text);
        ADD_FAILURE() << "parsed without error";
      } catch (const KeymapError& error) {
        EXPECT_EQ(error.description(), entry["error"].get<std::string>());
        EXPECT_STREQ(error.what(), error.description().c_str());
      }
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
    if (entry.contains("listChords")) {
      EXPECT_EQ(result.keymap.listChords, chordsFrom(entry["listChords"]));
    }
    if (entry.contains("composeBindings")) {
      EXPECT_EQ(result.keymap.composeBindings, chordsFrom(entry["composeBindings"]));
    }
    if (entry.contains("anywhereChords")) {
      EXPECT_EQ(result.keymap.anywhereChords, chordsFrom(entry["anywhereChords"]));
    }
    if (entry.contains("actions")) {
      EXPECT_EQ(result.keymap.actions.size(), 19u);
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

TEST(KeymapParse, RejectsDeepNestingCleanly) {
  for (const auto& [open, close] : {std::pair{'[', ']'}, std::pair{'{', '}'}}) {
    std::string deep = nested(100000, open, close);
    if (open == '{') {
      // A deep chain of objects, each one member deep.
      deep.clear();
      for (int i = 0; i < 100000; ++i)
        deep += "{\"a\":";
      deep += "1";
      deep += std::string(100000, '}');
    }
    try {
      Keymap::parse(deep);
      ADD_FAILURE() << "a 100,000-deep document parsed";
    } catch (const KeymapError& error) {
      EXPECT_EQ(error.kind(), KeymapError::Kind::invalidJSON);
      EXPECT_EQ(error.description(),
                "keymap.json isn't valid: it is nested more than 32 levels deep");
    }
  }
  // Brackets inside strings are text, not nesting.
  const std::string brackets =
      "{\"about\": \"" + std::string(1000, '[') + "\\\"" + std::string(1000, '{') + "\"}";
  EXPECT_NO_THROW(Keymap::parse(brackets));
  // The deepest real keymap shapes are far below the limit.
  EXPECT_NO_THROW(Keymap::parse("{\"x\":" + nested(30, '[', ']') + "}"));
}

TEST(KeymapParse, RejectsOversizedFiles) {
  const std::string huge = "{\"about\": \"" + std::string(FileLimits::maximumSize, 'x') + "\"}";
  try {
    Keymap::parse(huge);
    ADD_FAILURE() << "an oversized file parsed";
  } catch (const KeymapError& error) {
    EXPECT_EQ(error.description(), "keymap.json isn't valid: the file is larger than 4 MB");
  }
}

TEST(KeymapParse, AnyBytesAfterTheDocumentMakeItInvalidWithOneMessage) {
  using namespace std::string_literals;
  const std::string document = R"({"keys": {"y": "archive"}})";
  EXPECT_NO_THROW(Keymap::parse(document + " \n\t"));  // white space is no trailing text
  for (const std::string& trailing :
       {" junk"s, "\0"s, "\0junk"s, " \0 {}"s, "}"s, "\0\0\0"s, "x\0"s}) {
    try {
      Keymap::parse(document + trailing);
      ADD_FAILURE() << "accepted with trailing bytes of size " << trailing.size();
    } catch (const KeymapError& error) {
      EXPECT_EQ(error.description(), "keymap.json isn't valid: malformed JSON");
    }
  }
  // A NUL inside a string is no better.
  EXPECT_THROW(Keymap::parse("{\"about\": \"a\0b\"}"s), KeymapError);
}

TEST(KeymapParse, InvalidUTF8IsMalformed) {
  EXPECT_THROW(Keymap::parse("{\"keys\": {\"\xFF\": \"archive\"}}"), KeymapError);
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
  EXPECT_EQ(document["actions"].size(), 19u);
  EXPECT_EQ(document["focus"].size(), 7u);
}

}  // namespace
}  // namespace quillo
