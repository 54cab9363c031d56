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

TEST(Decider, WorkedCases) {
  const auto fixture = testing::loadFixture("decider_worked_cases.json");
  const Keymap keymap(Keymap::defaultBindings(), chordsFrom(fixture["keymap"]["listChords"]),
                      chordsFrom(fixture["keymap"]["composeBindings"]),
                      chordsFrom(fixture["keymap"]["anywhereChords"]), Keymap::defaultActions(),
                      FocusPolicy::default_());
  for (const auto& entry : fixture["cases"]) {
    SCOPED_TRACE(entry.dump());
    std::optional<KeyToken> key;
    if (!entry["key"].is_null()) key = KeyToken::fromKeymapString(entry["key"].get<std::string>());
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

TEST(Decider, TablePrecedence) {
  const auto c = [](const char* text) { return *KeyChord::fromKeymapString(text); };
  Keymap keymap({}, {{c("ctrl+d"), ActionID::archive}, {c("ctrl+p"), ActionID::previousMessage}},
                {{c("ctrl+d"), ActionID::send}, {c("ctrl+s"), ActionID::send}},
                {{c("ctrl+d"), ActionID::copy}}, Keymap::defaultActions(), FocusPolicy::default_());
  struct Case {
    const char* chord;
    FocusContext focus;
    bool repeat;
    Decision expected;
  };
  const Case cases[] = {
      // Compose bindings win while composing, list chords in the list, anywhere elsewhere.
      {"ctrl+d", FocusContext::compose, false, Decision::perform(ActionID::send)},
      {"ctrl+d", FocusContext::messageList, false, Decision::perform(ActionID::archive)},
      {"ctrl+d", FocusContext::messageWindow, false, Decision::perform(ActionID::archive)},
      {"ctrl+d", FocusContext::other, false, Decision::perform(ActionID::copy)},
      // Only compose has it: anywhere else says so.
      {"ctrl+s", FocusContext::messageWindow, false,
       Decision::passThrough(PassReason::focusNotCompose)},
      // A list chord of an action that does not work in a message window.
      {"ctrl+p", FocusContext::messageWindow, false,
       Decision::passThrough(PassReason::focusNotMessageList)},
      {"ctrl+p", FocusContext::messageList, true, Decision::perform(ActionID::previousMessage)},
      {"ctrl+s", FocusContext::compose, true, Decision::swallow(ActionID::send)},
  };
  for (const auto& entry : cases) {
    const KeyChord chord = c(entry.chord);
    CountingFocus focus{entry.focus};
    const auto decision = Decider::decide(chord.key(), chord.modifiers(), entry.repeat,
                                          Decider::mailBundleID, focus, keymap, true);
    EXPECT_EQ(decision, entry.expected) << entry.chord << " in " << rawValue(entry.focus);
    EXPECT_EQ(focus.calls, 1);
  }

  // A chord in both list and compose tables, focus elsewhere: not the message list.
  Keymap both({}, {{c("ctrl+b"), ActionID::archive}}, {{c("ctrl+b"), ActionID::send}}, {},
              Keymap::defaultActions(), FocusPolicy::default_());
  CountingFocus other{FocusContext::other};
  EXPECT_EQ(Decider::decide(c("ctrl+b").key(), KeyModifiers::control, false, Decider::mailBundleID,
                            other, both, true),
            Decision::passThrough(PassReason::focusNotMessageList));
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
