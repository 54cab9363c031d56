#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Fixtures.hpp"
#include "QuilloCore/CheatSheet.hpp"
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
  "composeKeys": {"cmd+shift+p": "plainText"},
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
  EXPECT_EQ(decide("cmd+shift+p", FocusContext::compose), "perform plainText");
  EXPECT_EQ(decide("cmd+shift+p", FocusContext::messageList), "passThrough focusNotCompose");
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
                     "plainText: shift+cmd+p @writing",
                     "unbound: @messageList",
                     "windowOnly: w ctrl+m @openMessage",
                 }));
}

}  // namespace
}  // namespace quillo
