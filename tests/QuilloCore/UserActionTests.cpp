#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Fixtures.hpp"
#include "QuilloCore/CheatSheet.hpp"
#include "QuilloCore/CustomKeymap.hpp"
#include "QuilloCore/Decider.hpp"
#include "QuilloCore/KeymapFile.hpp"

namespace quillo {
namespace {

std::string pathsText(const ActionSpec& spec) {
  std::string text;
  for (const MenuPath& path : spec.menu) {
    text += text.empty() ? "" : " or ";
    for (const std::string& title : path)
      text += "[" + title + "]";
  }
  if (spec.key) text += (text.empty() ? "key " : " or key ") + std::string(rawValue(*spec.key));
  return text;
}

/// moveAgain "Move again" in messageList: [Message][Move Again] or key down
std::string ownActionText(const Keymap& keymap, ActionID id) {
  const UserAction& own = *keymap.userAction(id);
  std::string places;
  if (own.inMessageList) places = "messageList";
  if (own.inOpenMessage) places += places.empty() ? "openMessage" : ",openMessage";
  return own.name + " \"" + own.title + "\" in " + places + ": " + pathsText(*keymap.spec(id));
}

TEST(UserActions, DefinitionsAndTheirWarnings) {
  const auto fixture = testing::loadFixture("own_actions.json");
  for (const auto& entry : fixture["cases"]) {
    SCOPED_TRACE(entry["name"].get<std::string>());
    const auto result = Keymap::parse(entry["text"].dump());
    EXPECT_EQ(result.warnings, entry["warnings"].get<std::vector<std::string>>());
    const Keymap& keymap = result.keymap;
    if (entry.contains("ownCount")) {
      EXPECT_EQ(keymap.userActions.size(), entry["ownCount"].get<std::size_t>());
    }
    if (entry.contains("own")) {
      std::vector<std::string> own;
      for (std::size_t i = 0; i < keymap.userActions.size(); ++i)
        own.push_back(ownActionText(keymap, userActionID(i)));
      EXPECT_EQ(own, entry["own"].get<std::vector<std::string>>());
    }
    if (entry.contains("builtIn")) {
      for (const auto& [name, paths] : entry["builtIn"].items()) {
        EXPECT_EQ(pathsText(*keymap.spec(*fromRawValue<ActionID>(name))), paths) << name;
      }
    }
    // Every own action a key names is one the keymap holds, under its name.
    for (const auto& [key, action] : keymap.bindings) {
      EXPECT_FALSE(keymap.actionName(action).empty()) << key.text();
      EXPECT_EQ(keymap.actionNamed(keymap.actionName(action)), action);
    }
  }
}

const char* const ownKeymap = R"({
  "keys": {"x": "moveToReceipts", "w": "windowOnly", "g r": "moveToReceipts", "ctrl+m": "windowOnly"},
  "actions": {
    "moveToReceipts": {"menu": ["Message › Move to › Receipts"], "title": "Move to Receipts"},
    "windowOnly": {"menu": ["Message › Move Again"], "in": ["openMessage"]},
    "plainText": {"menu": ["Format › Make Plain Text"]},
    "unbound": {"menu": ["Scripts › Tidy"], "in": ["messageList"]}
  }
})";

/// What a key press decides with the keymap above, in a focus.
std::string decide(const char* keyText, FocusContext focus) {
  static const Keymap keymap = Keymap::parse(ownKeymap).keymap;
  const auto chord = KeyChord::fromKeymapString(keyText);
  return Decider::decide(
             chord->key(), chord->modifiers(), false, Decider::mailBundleID, [&] { return focus; },
             keymap, true)
      .description(&keymap);
}

TEST(UserActions, AreDecidedByTheFocusPolicyWhereTheirPlacesSay) {
  EXPECT_EQ(decide("x", FocusContext::messageList), "perform moveToReceipts");
  EXPECT_EQ(decide("x", FocusContext::messageWindow), "perform moveToReceipts");
  EXPECT_EQ(decide("x", FocusContext::compose), "passThrough focusNotMessageList");
  EXPECT_EQ(decide("x", FocusContext::other), "passThrough focusNotMessageList");
  EXPECT_EQ(decide("w", FocusContext::messageWindow), "perform windowOnly");
  EXPECT_EQ(decide("w", FocusContext::messageList), "passThrough focusNotMessageList");
  EXPECT_EQ(decide("ctrl+m", FocusContext::messageList), "passThrough focusNotMessageList");
  EXPECT_EQ(decide("ctrl+m", FocusContext::messageWindow), "perform windowOnly");
}

TEST(UserActions, AreListedAfterTheBuiltInOnesWithTheirKeysAndPlaces) {
  const Keymap keymap = Keymap::parse(ownKeymap).keymap;
  const auto entries = CheatSheet::entries(&keymap);
  ASSERT_EQ(entries.size(), caseCount<ActionID>() + 4);
  std::vector<std::string> own;
  for (std::size_t i = caseCount<ActionID>(); i < entries.size(); ++i) {
    const auto& entry = entries[i];
    std::string line = std::string(keymap.actionName(entry.action)) + ":";
    for (const auto& key : entry.keys)
      line += " " + key.keymapString();
    for (const auto& sequence : entry.sequences)
      line += " \"" + sequence.keymapString() + "\"";
    for (auto place : allCases<CheatSheet::Place>())
      if (entry.places.contains(place)) line += " @" + std::string(rawValue(place));
    own.push_back(line + (entry.fromQuillo ? "" : " (mail)"));
  }
  EXPECT_EQ(own, (std::vector<std::string>{
                     "moveToReceipts: x \"g r\" @messageList @openMessage",
                     "plainText: @messageList @openMessage",
                     "unbound: @messageList",
                     "windowOnly: w ctrl+m @openMessage",
                 }));
}

/// "x: moveToReceipts, g r: moveToReceipts": the single keys and sequences of
/// "keys", named by `keymap`, sorted.
std::string keysText(const Keymap& keymap) {
  std::vector<std::string> lines;
  for (const auto& [key, action] : keymap.bindings)
    lines.push_back(std::string(key.text()) + ": " + std::string(keymap.actionName(action)));
  for (const auto& [chord, action] : keymap.listChords)
    lines.push_back(chord.keymapString() + ": " + std::string(keymap.actionName(action)));
  for (const auto& [first, seconds] : keymap.listSequences) {
    for (const auto& [second, action] : seconds) {
      lines.push_back(KeySequence(first, second).keymapString() + ": " +
                      std::string(keymap.actionName(action)));
    }
  }
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const auto& line : lines)
    text += (text.empty() ? "" : ", ") + line;
  return text;
}

TEST(UserActions, TheCustomSetHoldsThemByNameWhateverTheFileDefinesNow) {
  const Keymap file = Keymap::parse(ownKeymap).keymap;
  // Imported from the file: the own actions' keys come along by name.
  CustomKeymap custom = CustomKeymap::importing(file);
  EXPECT_EQ(keysText(custom.keymap(file)),
            "ctrl+m: windowOnly, g r: moveToReceipts, w: windowOnly, x: moveToReceipts");
  // Recording a key for an own action as the panel does: by the file's ID.
  custom.assign(*KeyChord::fromKeymapString("ctrl+m"),
                custom.idOf(*file.actionNamed("unbound"), file));
  EXPECT_EQ(keysText(custom.keymap(file)),
            "ctrl+m: unbound, g r: moveToReceipts, w: windowOnly, x: moveToReceipts");

  // A file that defines fewer own actions, in another order: the keys go to
  // the action of the same name, those of an action it lacks are left out…
  const Keymap fewer = Keymap::parse(R"({"actions": {"aaFirst": {"menu": ["A › B"]},
      "unbound": {"menu": ["Scripts › Tidy"]}}})")
                           .keymap;
  EXPECT_EQ(keysText(custom.keymap(fewer)), "ctrl+m: unbound");
  EXPECT_EQ(custom.keymap(fewer).actionNamed("unbound"), userActionID(1));
  // …and nothing is lost when the set is written and read again.
  const CustomKeymap again = CustomKeymap::fromJSON(custom.toJSON());
  EXPECT_EQ(again.toJSON(), custom.toJSON());
  EXPECT_EQ(custom.toJSON()["overrides"]["moveToReceipts"], nlohmann::json({"x", "g r"}));
  EXPECT_EQ(keysText(again.keymap(file)), keysText(custom.keymap(file)));
}

}  // namespace
}  // namespace quillo
