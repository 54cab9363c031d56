#include <gtest/gtest.h>

#include "Fixtures.hpp"
#include "KeymapTables.hpp"
#include "QuilloCore/Decider.hpp"

namespace quillo {
namespace {

using nlohmann::json;
using testing::bindingsFrom;
using testing::chordsFrom;

/// A focus function that answers a fixed context and counts its calls.
struct CountingFocus {
  FocusContext context = FocusContext::messageList;
  int calls = 0;
  FocusContext operator()() {
    ++calls;
    return context;
  }
};

KeyModifiers modifiersFrom(const json& words) {
  KeyModifiers modifiers;
  for (const auto& word : words) {
    if (word == "shift") modifiers.insert(KeyModifiers::shift);
    if (word == "control") modifiers.insert(KeyModifiers::control);
    if (word == "option") modifiers.insert(KeyModifiers::option);
    if (word == "command") modifiers.insert(KeyModifiers::command);
  }
  return modifiers;
}

TEST(Decider, WorkedCasesAndTablePrecedence) {
  for (const char* name : {"decider_worked_cases.json", "decider_table_precedence.json"}) {
    const auto fixture = testing::loadFixture(name);
    const Keymap keymap(Keymap::defaultBindings(), chordsFrom(fixture["keymap"]["listChords"]),
                        chordsFrom(fixture["keymap"]["composeBindings"]),
                        chordsFrom(fixture["keymap"]["anywhereChords"]), Keymap::defaultActions(),
                        FocusPolicy::default_());
    for (const auto& entry : fixture["cases"]) {
      SCOPED_TRACE(entry.dump());
      std::optional<KeyToken> key;
      if (!entry["key"].is_null())
        key = KeyToken::fromKeymapString(entry["key"].get<std::string>());
      std::optional<std::string> frontmost = std::string(Decider::mailBundleID);
      if (entry.contains("frontmost")) {
        frontmost = entry["frontmost"].is_null()
                        ? std::nullopt
                        : std::optional<std::string>(entry["frontmost"].get<std::string>());
      }
      CountingFocus focus;
      const bool consulted = !entry["focus"].is_null();
      if (consulted) focus.context = *fromRawValue<FocusContext>(entry["focus"].get<std::string>());

      const Decision decision = Decider::decide(
          key, modifiersFrom(entry.value("modifiers", json::array())), entry.value("repeat", false),
          frontmost ? std::optional<std::string_view>(*frontmost) : std::nullopt, focus, keymap,
          entry.value("enabled", true));

      EXPECT_EQ(decision.description(), entry["expect"].get<std::string>());
      EXPECT_EQ(focus.calls, consulted ? 1 : 0);
    }
  }
}

TEST(Decider, EmptyKeymapNeverConsultsTheFocus) {
  const Keymap empty({}, {}, {}, {}, {}, FocusPolicy::default_());
  CountingFocus focus;
  const std::pair<const char*, KeyModifiers> presses[] = {
      {"e", {}},
      {"E", KeyModifiers::shift},
      {"return", {}},
      {"e", KeyModifiers::command},
      {"return", KeyModifiers::control | KeyModifiers::shift},
      {"1", KeyModifiers::option},
  };
  for (const auto& [typed, modifiers] : presses) {
    const auto decision = Decider::decide(KeyToken::fromKeymapString(typed), modifiers, false,
                                          Decider::mailBundleID, focus, empty, true);
    const auto expected = modifiers.isDisjoint(KeyModifiers::shortcutModifiers)
                              ? PassReason::unmappedKey
                              : PassReason::shortcutModifier;
    EXPECT_EQ(decision, Decision::passThrough(expected)) << typed;
  }
  EXPECT_EQ(focus.calls, 0);
}

TEST(Decision, DerivedProperties) {
  EXPECT_EQ(Decision::perform(ActionID::undo).action(), ActionID::undo);
  EXPECT_FALSE(Decision::swallow(ActionID::undo).action().has_value());
  EXPECT_EQ(Decision::swallow(ActionID::undo).payloadAction(), ActionID::undo);
  EXPECT_FALSE(Decision::passThrough(PassReason::notMail).action().has_value());
  EXPECT_TRUE(Decision::perform(ActionID::undo).swallowsKey());
  EXPECT_TRUE(Decision::swallow(ActionID::undo).swallowsKey());
  EXPECT_FALSE(Decision::passThrough(PassReason::notMail).swallowsKey());
  EXPECT_NE(Decision::perform(ActionID::undo), Decision::swallow(ActionID::undo));
  EXPECT_NE(Decision::passThrough(PassReason::notMail),
            Decision::passThrough(PassReason::disabled));
}

}  // namespace
}  // namespace quillo
