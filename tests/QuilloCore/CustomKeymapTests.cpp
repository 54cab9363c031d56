#include <gtest/gtest.h>

#include <random>

#include <nlohmann/json.hpp>

#include "Fixtures.hpp"
#include "QuilloCore/CheatSheet.hpp"
#include "QuilloCore/CustomKeymap.hpp"
#include "QuilloCore/DecodingError.hpp"
#include "QuilloCore/KeymapPreset.hpp"

namespace quillo {
namespace {

using Baseline = CustomKeymap::Baseline;
using NamedKey = KeyToken::NamedKey;
using nlohmann::json;

KeyChord chord(std::string_view text) {
  return *KeyChord::fromKeymapString(text);
}

/// The actions that answer to `key` in any of the keymap's four tables.
std::vector<ActionID> actionsAnswering(const KeyChord& key, const Keymap& keymap) {
  std::vector<ActionID> actions;
  for (ActionID action : allCases<ActionID>()) {
    const auto keys = CheatSheet::keysProvided(action, keymap);
    if (std::find(keys.begin(), keys.end(), key) != keys.end()) actions.push_back(action);
  }
  return actions;
}

TEST(CustomKeymapBaseline, Keymaps) {
  const Keymap& apple = keymap(Baseline::appleMail);
  EXPECT_TRUE(apple.bindings.empty() && apple.listChords.empty() && apple.composeBindings.empty() &&
              apple.anywhereChords.empty());
  EXPECT_EQ(apple.actions, Keymap::defaultActions());
  EXPECT_EQ(CustomKeymap().keymap(), apple);
  EXPECT_EQ(CustomKeymap(Baseline::gmail, {}).keymap(), keymap(KeymapPreset::gmail));
  EXPECT_EQ(CustomKeymap(Baseline::outlookMac, {}).keymap(), keymap(KeymapPreset::outlookMac));
  EXPECT_EQ(CustomKeymap(Baseline::outlookWindows, {}).keymap(),
            keymap(KeymapPreset::outlookWindows));
}

TEST(CustomKeymapProblem, MessagesInRuleOrder) {
  const auto fixture = testing::loadFixture("custom_keymap_problems.json");
  for (const auto& c : fixture["cases"]) {
    const std::string key = c["chord"], action = c["action"];
    EXPECT_EQ(
        CustomKeymap::problem(chord(key), fromRawValue<ActionID>(action).value()),
        c["problem"].is_null() ? std::nullopt : std::optional(c["problem"].get<std::string>()))
        << key << " for " << action;
  }
}

TEST(CustomKeymapAssign, ShiftedLetterBecomesAnUppercaseSingleKey) {
  CustomKeymap definition;
  definition.assign(chord("shift+e"), ActionID::archive);
  Keymap keymap = definition.keymap();
  EXPECT_EQ(keymap.bindings, (KeyBindings{{KeyToken::character("E"), ActionID::archive}}));
  EXPECT_TRUE(keymap.listChords.empty());
  EXPECT_EQ(CheatSheet::keysProvided(ActionID::archive, keymap), std::vector{chord("shift+e")});

  definition.assign(chord("e"), ActionID::archive);
  keymap = definition.keymap();
  EXPECT_EQ(keymap.bindings, (KeyBindings{{KeyToken::character("e"), ActionID::archive}}));
}

TEST(CustomKeymapAssign, CommandReturnForSendAlsoTakesTheKeypadEnter) {
  CustomKeymap definition;
  definition.assign(chord("cmd+return"), ActionID::send);
  EXPECT_EQ(
      definition.keymap().composeBindings,
      (ChordBindings{{chord("cmd+return"), ActionID::send}, {chord("cmd+enter"), ActionID::send}}));
  EXPECT_EQ(definition.overrides.at(ActionID::send), std::vector{chord("cmd+return")});

  definition.assign(chord("cmd+d"), ActionID::send);
  EXPECT_EQ(definition.keymap().composeBindings, (ChordBindings{{chord("cmd+d"), ActionID::send}}));
}

TEST(CustomKeymapAssign, TheImpliedKeypadEnterYieldsToAnExplicitAssignment) {
  // Send answers to cmd+enter only as the twin of its cmd+return; giving
  // cmd+enter to another action must take it from send for good.
  CustomKeymap definition(Baseline::gmail, {});
  definition.assign(chord("cmd+enter"), ActionID::replyAll);
  EXPECT_EQ(definition.overrides.at(ActionID::send), std::vector{chord("cmd+return")});
  const Keymap keymap = definition.keymap();
  EXPECT_EQ(actionsAnswering(chord("cmd+enter"), keymap), std::vector{ActionID::replyAll});
  EXPECT_EQ(keymap.composeBindings, (ChordBindings{{chord("cmd+return"), ActionID::send}}));
}

TEST(CustomKeymapAssign, ChordsLandInTheTableTheActionBelongsTo) {
  CustomKeymap definition;
  definition.assign(chord("ctrl+c"), ActionID::copy);
  definition.assign(chord("ctrl+v"), ActionID::paste);
  definition.assign(chord("ctrl+x"), ActionID::cut);
  definition.assign(chord("ctrl+r"), ActionID::reply);
  const Keymap keymap = definition.keymap();
  EXPECT_EQ(keymap.anywhereChords, (ChordBindings{{chord("ctrl+c"), ActionID::copy},
                                                  {chord("ctrl+v"), ActionID::paste},
                                                  {chord("ctrl+x"), ActionID::cut}}));
  EXPECT_EQ(keymap.listChords, (ChordBindings{{chord("ctrl+r"), ActionID::reply}}));
  EXPECT_EQ(CheatSheet::keysProvided(ActionID::copy, keymap), std::vector{chord("ctrl+c")});
}

TEST(CustomKeymapAssign, ReplacesEveryEarlierChordOfTheAction) {
  CustomKeymap definition(Baseline::gmail, {});
  definition.assign(chord("cmd+e"), ActionID::archive);
  const Keymap keymap = definition.keymap();
  EXPECT_FALSE(keymap.action(KeyToken::character("e")).has_value());
  EXPECT_EQ(CheatSheet::keysProvided(ActionID::archive, keymap), std::vector{chord("cmd+e")});
  // Other actions keep their baseline keys.
  EXPECT_EQ(keymap.action(KeyToken::character("j")), ActionID::nextMessage);
}

TEST(CustomKeymapAssign, TakesTheChordAwayFromItsOwner) {
  // In the gmail baseline, o and return both open a message.
  CustomKeymap definition(Baseline::gmail, {});
  definition.assign(chord("o"), ActionID::archive);
  EXPECT_EQ(definition.overrides.at(ActionID::openMessage), std::vector{chord("return")});
  EXPECT_EQ(definition.overrides.at(ActionID::archive), std::vector{chord("o")});
  Keymap keymap = definition.keymap();
  EXPECT_EQ(actionsAnswering(chord("o"), keymap), std::vector{ActionID::archive});
  EXPECT_EQ(keymap.action(KeyToken::named(NamedKey::return_)), ActionID::openMessage);

  // The owner's only chord: it is left with an explicit empty list.
  definition.assign(chord("j"), ActionID::reply);
  EXPECT_EQ(definition.overrides.at(ActionID::nextMessage), std::vector<KeyChord>{});
  keymap = definition.keymap();
  EXPECT_EQ(actionsAnswering(chord("j"), keymap), std::vector{ActionID::reply});
  EXPECT_TRUE(CheatSheet::keysProvided(ActionID::nextMessage, keymap).empty());
}

TEST(CustomKeymapAssign, NeverLeavesAnotherActionAnsweringToTheChord) {
  // Property: from many random starting definitions, any assignment leaves the
  // assigned action the only one answering to the chord.
  const std::vector<KeyChord> pool = {chord("e"),          chord("shift+e"),     chord("j"),
                                      chord("return"),     chord("delete"),      chord("ctrl+e"),
                                      chord("cmd+return"), chord("cmd+enter"),   chord("ctrl+c"),
                                      chord("ctrl+r"),     chord("shift+cmd+t"), chord("option+x"),
                                      chord("#"),          chord("space")};
  std::mt19937 random(20261206);
  const auto actions = allCases<ActionID>();
  for (int round = 0; round < 300; ++round) {
    CustomKeymap definition(allCases<Baseline>()[random() % 4], {});
    for (int i = 0; i < 6; ++i) {
      const ActionID action = actions[random() % actions.size()];
      const KeyChord& key = pool[random() % pool.size()];
      if (!CustomKeymap::problem(key, action)) definition.assign(key, action);
    }
    const ActionID action = actions[random() % actions.size()];
    const KeyChord& key = pool[random() % pool.size()];
    if (CustomKeymap::problem(key, action)) continue;
    definition.assign(key, action);
    EXPECT_EQ(actionsAnswering(key, definition.keymap()), std::vector{action})
        << key.keymapString() << " for " << rawValue(action) << " in "
        << definition.toJSON().dump();
  }
}

TEST(CustomKeymap, ClearAndResetChanges) {
  CustomKeymap definition(Baseline::gmail, {});
  definition.clear(ActionID::openMessage);
  definition.assign(chord("ctrl+a"), ActionID::archive);
  const Keymap edited = definition.keymap();
  EXPECT_TRUE(CheatSheet::keysProvided(ActionID::openMessage, edited).empty());
  EXPECT_EQ(definition.overrides.at(ActionID::openMessage), std::vector<KeyChord>{});
  definition.resetChanges();
  EXPECT_TRUE(definition.overrides.empty());
  EXPECT_EQ(definition.baseline, Baseline::gmail);
  EXPECT_EQ(definition.keymap(), keymap(Baseline::gmail));
}

TEST(CustomKeymap, RefusedChordsFromAFileAreNeverApplied) {
  const CustomKeymap definition = CustomKeymap::fromJSON(
      json::parse(R"({"baseline": "appleMail", "overrides": {"archive": ["cmd+w", "ctrl+a"],
                      "send": ["s"], "delete": ["tab"]}})"));
  EXPECT_EQ(definition.overrides.at(ActionID::archive),
            (std::vector{chord("cmd+w"), chord("ctrl+a")}));
  const Keymap keymap = definition.keymap();
  EXPECT_EQ(keymap.listChords, (ChordBindings{{chord("ctrl+a"), ActionID::archive}}));
  EXPECT_TRUE(keymap.composeBindings.empty());
  EXPECT_TRUE(keymap.bindings.empty());
}

TEST(CustomKeymap, ImportingReproducesTheKeyTables) {
  for (KeymapPreset preset : allCases<KeymapPreset>()) {
    const Keymap& original = keymap(preset);
    const CustomKeymap imported = CustomKeymap::importing(original);
    EXPECT_EQ(imported.baseline, Baseline::appleMail);
    const Keymap rebuilt = imported.keymap();
    EXPECT_EQ(rebuilt.bindings, original.bindings) << rawValue(preset);
    EXPECT_EQ(rebuilt.listChords, original.listChords) << rawValue(preset);
    EXPECT_EQ(rebuilt.composeBindings, original.composeBindings) << rawValue(preset);
    EXPECT_EQ(rebuilt.anywhereChords, original.anywhereChords) << rawValue(preset);
  }
  const CustomKeymap gmail = CustomKeymap::importing(keymap(KeymapPreset::gmail));
  EXPECT_EQ(gmail.overrides.at(ActionID::markRead), std::vector{chord("shift+i")});
  EXPECT_FALSE(gmail.overrides.contains(ActionID::copy));
}

TEST(CustomKeymapFile, EncodesBothMembersWithChordTexts) {
  CustomKeymap definition(Baseline::outlookWindows, {});
  EXPECT_EQ(definition.toJSON().dump(), R"({"baseline":"outlookWindows","overrides":{}})");
  definition.assign(chord("cmd+shift+K"), ActionID::send);
  definition.clear(ActionID::archive);
  EXPECT_EQ(definition.toJSON().dump(),
            R"({"baseline":"outlookWindows","overrides":{"archive":[],"send":["shift+cmd+k"]}})");
}

TEST(CustomKeymapFile, DecodesLenientlyMemberByMemberButRefusesMalformedOverrides) {
  const auto fixture = testing::loadFixture("custom_keymap_decoding.json");
  for (const auto& c : fixture["cases"]) {
    const std::string text = c["text"];
    if (c["decoded"].is_null()) {
      EXPECT_THROW(CustomKeymap::decode(text), DecodingError) << text;
    } else {
      EXPECT_EQ(CustomKeymap::decode(text).toJSON(), c["decoded"]) << text;
    }
  }
}

TEST(CustomKeymapFile, EncodingThenDecodingGivesAnEqualValue) {
  const std::vector<KeyChord> pool = {
      chord("e"),
      chord("shift+e"),
      chord("+"),
      chord("cmd++"),
      chord("ctrl+space"),
      chord("shift+cmd+/"),
      chord("cmd+return"),
      chord("option+é"),
      chord("ctrl+Ж"),
      chord("delete"),
      KeyChord(KeyToken::character("e\u0301"), KeyModifiers::command)};
  std::mt19937 random(42);
  for (int round = 0; round < 200; ++round) {
    CustomKeymap definition(allCases<Baseline>()[random() % 4], {});
    for (ActionID action : allCases<ActionID>()) {
      if (random() % 3 != 0) continue;
      std::vector<KeyChord> chords;
      for (unsigned n = random() % 4; n > 0; --n)
        chords.push_back(pool[random() % pool.size()]);
      definition.overrides.emplace(action, std::move(chords));
    }
    EXPECT_EQ(CustomKeymap::decode(definition.toJSON().dump()), definition)
        << definition.toJSON().dump();
  }
}

}  // namespace
}  // namespace quillo
