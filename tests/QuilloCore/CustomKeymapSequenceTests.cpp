#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "QuilloCore/CustomKeymap.hpp"
#include "QuilloCore/KeymapFile.hpp"
#include "SequenceListing.hpp"

namespace quillo {
namespace {

using testing::sequenceListing;

KeySequence sequence(const char* text) {
  return *KeySequence::fromKeymapString(text);
}

TEST(CustomKeymapSequences, WhichSequencesOfAFileAreApplied) {
  struct Case {
    const char* name;
    const char* file;
    std::vector<std::string> sequences;
  };
  const Case cases[] = {
      {"sequences beside chords",
       R"({"baseline": "gmail", "overrides": {"archive": ["y", "g a"], "markRead": ["g i"]}})",
       {"keys: g a -> archive", "keys: g i -> markRead"}},
      {"a first key bound on its own wins",
       R"({"baseline": "gmail", "overrides": {"markRead": ["e i"]}})",
       {}},
      {"clipboard actions' chord sequences work anywhere, send's in a compose window",
       R"({"overrides": {"copy": ["ctrl+c c"], "send": ["cmd+k s"]}})",
       {"anywhereKeys: ctrl+c c -> copy", "composeKeys: cmd+k s -> send"}},
      {"refused chords are refused in a sequence too",
       R"({"overrides": {"archive": ["g cmd+q", "cmd+q g"], "send": ["g s"], "reply": ["g tab"]}})",
       {}},
      {"three keys or an empty part are skipped",
       R"({"overrides": {"archive": ["g a x", "g  a"]}})",
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(sequenceListing(CustomKeymap::decode(c.file).keymap()), c.sequences);
  }
}

TEST(CustomKeymapSequences, AnOverrideReplacesTheBaselineKeys) {
  const auto definition =
      CustomKeymap::decode(R"({"baseline": "gmail", "overrides": {"archive": ["g a"]}})");
  const Keymap keymap = definition.keymap();
  EXPECT_FALSE(keymap.action(KeyToken::character("e")).has_value());
  EXPECT_EQ(
      keymap.sequenceAction(KeySection::keys, sequence("g a").first(), *sequence("g a").second()),
      ActionID::archive);
}

TEST(CustomKeymapSequences, TheFileFormKeepsSequencesAfterChords) {
  const char* text =
      R"({"baseline":"gmail","overrides":{"archive":["y","g a"],"markRead":["g I"]}})";
  const auto definition = CustomKeymap::decode(text);
  EXPECT_EQ(definition.toJSON(), nlohmann::json::parse(text));
  EXPECT_EQ(CustomKeymap::fromJSON(definition.toJSON()), definition);
}

TEST(CustomKeymapSequences, EditingKeepsOrDropsSequences) {
  CustomKeymap definition(CustomKeymap::Baseline::gmail, {});
  definition.addSequence(sequence("g i"), ActionID::markRead);
  EXPECT_EQ(sequenceListing(definition.keymap()),
            std::vector<std::string>{"keys: g i -> markRead"});
  // Adding a sequence keeps the action's other keys.
  EXPECT_EQ(definition.keymap().action(KeyToken::character("I")), ActionID::markRead);

  definition.addSequence(sequence("g i"), ActionID::archive);
  EXPECT_EQ(sequenceListing(definition.keymap()), std::vector<std::string>{"keys: g i -> archive"});
  EXPECT_EQ(definition.keymap().action(KeyToken::character("I")), ActionID::markRead);

  definition.assign(*KeyChord::fromKeymapString("y"), ActionID::markUnread);
  EXPECT_EQ(sequenceListing(definition.keymap()), std::vector<std::string>{"keys: g i -> archive"})
      << "another action's chord leaves the sequence alone";

  definition.assign(*KeyChord::fromKeymapString("y"), ActionID::archive);
  EXPECT_EQ(sequenceListing(definition.keymap()), std::vector<std::string>{})
      << "the one shortcut of the action now";

  definition.addSequence(sequence("g i"), ActionID::archive);
  definition.clear(ActionID::archive);
  EXPECT_EQ(sequenceListing(definition.keymap()), std::vector<std::string>{});

  definition.addSequence(sequence("g i"), ActionID::archive);
  definition.resetChanges();
  EXPECT_EQ(definition, CustomKeymap(CustomKeymap::Baseline::gmail, {}));
}

TEST(CustomKeymapSequences, ImportingAKeymapKeepsItsSequences) {
  const Keymap file = Keymap::parse(R"({
    "keys": {"e": "archive", "g i": "markRead", "ctrl+x z": "undo"},
    "anywhereKeys": {"ctrl+c c": "copy"}
  })")
                          .keymap;
  const Keymap imported = CustomKeymap::importing(file).keymap();
  EXPECT_EQ(sequenceListing(imported), sequenceListing(file));
  EXPECT_EQ(imported.bindings, file.bindings);
}

}  // namespace
}  // namespace quillo
