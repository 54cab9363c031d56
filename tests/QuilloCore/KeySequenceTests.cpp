#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "QuilloCore/KeySequence.hpp"
#include "QuilloCore/KeymapFile.hpp"
#include "SequenceListing.hpp"

namespace quillo {
namespace {

TEST(KeySequence, TextAndDisplayForms) {
  struct Case {
    const char* text;
    const char* keymapString;  // "" when the text is refused
    const char* display;
    bool isSequence;
  };
  const Case cases[] = {
      {"g i", "g i", "G then I", true},
      {"g I", "g I", "G then \u21E7I", true},
      {"ctrl+x e", "ctrl+x e", "\u2303X then E", true},
      {"cmd+k cmd+s", "cmd+k cmd+s", "\u2318K then \u2318S", true},
      {"g return", "g return", "G then \u21A9", true},
      {"g +", "g +", "G then +", true},
      {"g cmd++", "g cmd++", "G then \u2318+", true},
      {"Cmd+K x", "cmd+k x", "\u2318K then X", true},
      {"# !", "# !", "# then !", true},
      // One chord on its own, as a key of "keys" is written.
      {"e", "e", "E", false},
      {"I", "I", "\u21E7I", false},
      {"cmd+e", "cmd+e", "\u2318E", false},
      // Refused: three keys, empty parts, unknown keys, shift alone in a chord.
      {"g i x", "", "", false},
      {"g  i", "", "", false},
      {"gg i", "", "", false},
      {"g shift+i", "", "", false},
      {"hyper+g i", "", "", false},
      {"g ", "", "", false},
      {" g", "", "", false},
      {"", "", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto parsed = KeySequence::fromKeymapString(c.text);
    if (std::string(c.keymapString).empty()) {
      EXPECT_FALSE(parsed.has_value());
      continue;
    }
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->keymapString(), c.keymapString);
    EXPECT_EQ(parsed->displayString(), c.display);
    EXPECT_EQ(parsed->isSequence(), c.isSequence);
    EXPECT_EQ(KeySequence::fromKeymapString(parsed->keymapString()), parsed) << "round trip";
  }
}

// MARK: - keymap.json

using testing::sequenceListing;

TEST(KeymapParseSequences, SectionsAndWarnings) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<std::string> sequences;
    std::vector<std::string> warnings;
  };
  const Case cases[] = {
      {"two sequences share a first key",
       R"({"keys": {"g i": "archive", "g s": "toggleFlag", "e": "archive"}})",
       {"keys: g i -> archive", "keys: g s -> toggleFlag"},
       {}},
      {"a chord starts a sequence; a plain second key",
       R"({"keys": {"ctrl+x e": "archive", "ctrl+x cmd+r": "reply"}})",
       {"keys: ctrl+x cmd+r -> reply", "keys: ctrl+x e -> archive"},
       {}},
      {"the single binding of the first key wins, whatever the order",
       R"({"keys": {"g": "archive", "g i": "reply", "a": "forward", "a b": "reply"}})",
       {},
       {R"(Key "a b" is ignored: its first key "a" already does forward on its own in "keys".)",
        R"(Key "g i" is ignored: its first key "g" already does archive on its own in "keys".)"}},
      {"an upper-case first key clashes with its single key only",
       R"({"keys": {"I": "markRead", "I x": "archive", "i x": "reply"}})",
       {"keys: i x -> reply"},
       {R"(Key "I x" is ignored: its first key "I" already does markRead on its own in "keys".)"}},
      {"a list chord clashes with a sequence starting with it",
       R"({"keys": {"ctrl+x": "archive", "ctrl+x e": "reply"}})",
       {},
       {R"(Key "ctrl+x e" is ignored: its first key "ctrl+x" already does archive on its own in "keys".)"}},
      {"a first key bound in another section does not clash",
       R"({"keys": {"cmd+k x": "archive"}, "anywhereKeys": {"cmd+k": "copy"}})",
       {"keys: cmd+k x -> archive"},
       {}},
      {"compose and anywhere sequences need a modifier on the first key",
       R"({"composeKeys": {"cmd+k s": "send", "k s": "send"},
           "anywhereKeys": {"ctrl+c c": "copy", "c c": "copy"}})",
       {"anywhereKeys: ctrl+c c -> copy", "composeKeys: cmd+k s -> send"},
       {R"(Anywhere key "c c" needs cmd, ctrl or option on its first key, or it would block typing.)",
        R"(Compose key "k s" needs cmd, ctrl or option on its first key, or it would block typing.)"}},
      {"a compose chord clashes with a compose sequence",
       R"({"composeKeys": {"cmd+k": "send", "cmd+k s": "send"}})",
       {},
       {R"(Compose key "cmd+k s" is ignored: its first key "cmd+k" already does send on its own in "composeKeys".)"}},
      {"malformed sequences",
       R"({"keys": {"g i x": "archive", "g shift+i": "archive", "g nope": "archive"}})",
       {},
       {R"(Key "g i x" isn't a sequence of two keys like "g i".)",
        R"(Key "g nope" isn't a sequence of two keys like "g i".)",
        R"(Key "g shift+i" isn't a sequence of two keys like "g i".)"}},
      {"unknown action, and no binding meant",
       R"({"keys": {"g i": "goNowhere", "g s": null, "g d": "none", "g t": ""}})",
       {},
       {R"(Key "g i" maps to unknown action "goNowhere".)"}},
      {"a sequence meaning no binding does not clash with the single key",
       R"({"keys": {"g": "archive", "g i": null}})",
       {},
       {}},
      {"a space that does not sit between two keys is read as before",
       R"({"keys": {" ": "archive", "cmd+ ": "reply", "g ": "forward"}})",
       {},
       {R"(Key "g " isn't a single character or a named key (return, enter, tab, space, escape, delete, up, down, left, right).)"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const KeymapLoadResult result = Keymap::parse(c.text);
    EXPECT_EQ(sequenceListing(result.keymap), c.sequences);
    std::vector<std::string> warnings = result.warnings;
    std::sort(warnings.begin(), warnings.end());
    EXPECT_EQ(warnings, c.warnings);
  }
}

TEST(KeymapParseSequences, SequencesCountInAKeymapsEquality) {
  EXPECT_EQ(Keymap::parse(R"({"version": 1})").keymap, Keymap::default_());
  const auto one = Keymap::parse(R"({"keys": {"g i": "archive"}})").keymap;
  EXPECT_NE(one, Keymap::parse(R"({"keys": {"g i": "reply"}})").keymap);
  EXPECT_EQ(one, Keymap::parse(R"({"keys": {"g i": "archive"}})").keymap);
  EXPECT_EQ(one.sequenceCount(), 1u);
}

// MARK: - What a chord means in a section

TEST(KeymapMeaning, PerformsStartsASequenceOrNothing) {
  const Keymap keymap = Keymap::parse(R"({
    "keys": {"e": "archive", "I": "markRead", "ctrl+e": "reply", "g i": "archive",
             "ctrl+x e": "forward"},
    "anywhereKeys": {"cmd+k x": "copy"}
  })")
                            .keymap;
  const auto chord = [](const char* text) { return KeySequence::fromKeymapString(text)->first(); };
  struct Case {
    KeySection section;
    const char* chord;
    ChordMeaning meaning;
  };
  const Case cases[] = {
      {KeySection::keys, "e", ChordMeaning::performs(ActionID::archive)},
      {KeySection::keys, "I", ChordMeaning::performs(ActionID::markRead)},
      {KeySection::keys, "i", ChordMeaning::nothing()},
      {KeySection::keys, "ctrl+e", ChordMeaning::performs(ActionID::reply)},
      {KeySection::keys, "g", ChordMeaning::startsSequence()},
      {KeySection::keys, "G", ChordMeaning::nothing()},
      {KeySection::keys, "ctrl+x", ChordMeaning::startsSequence()},
      {KeySection::keys, "cmd+k", ChordMeaning::nothing()},
      {KeySection::anywhereKeys, "cmd+k", ChordMeaning::startsSequence()},
      {KeySection::anywhereKeys, "g", ChordMeaning::nothing()},
      {KeySection::composeKeys, "cmd+k", ChordMeaning::nothing()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(rawValue(c.section)) + " " + c.chord);
    EXPECT_EQ(keymap.meaning(c.section, chord(c.chord)), c.meaning);
  }
  EXPECT_EQ(keymap.sequenceAction(KeySection::keys, chord("g"), chord("i")), ActionID::archive);
  EXPECT_EQ(keymap.sequenceAction(KeySection::keys, chord("g"), chord("I")), std::nullopt);
  EXPECT_EQ(keymap.sequenceAction(KeySection::anywhereKeys, chord("g"), chord("i")), std::nullopt);
}

}  // namespace
}  // namespace quillo
