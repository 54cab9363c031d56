#include <gtest/gtest.h>

#include "QuilloCore/CustomKeymap.hpp"
#include "QuilloCore/Decider.hpp"
#include "QuilloCore/KeymapPreset.hpp"

namespace quillo {
namespace {

using NamedKey = KeyToken::NamedKey;

TEST(KeymapPreset, PresetsDifferOnlyInTheirKeys) {
  EXPECT_EQ(keymap(KeymapPreset::gmail), Keymap::default_());
  for (KeymapPreset preset : allCases<KeymapPreset>()) {
    EXPECT_EQ(keymap(preset).actions, Keymap::defaultActions()) << rawValue(preset);
    EXPECT_EQ(keymap(preset).focus, FocusPolicy::default_()) << rawValue(preset);
  }
}

TEST(KeymapMatchingPreset, FindsTheEqualPresetOnly) {
  EXPECT_EQ(Keymap::default_().matchingPreset(), KeymapPreset::gmail);
  for (KeymapPreset preset : allCases<KeymapPreset>()) {
    EXPECT_EQ(keymap(preset).matchingPreset(), preset) << rawValue(preset);
  }

  Keymap withoutCopy = keymap(KeymapPreset::outlookWindows);
  withoutCopy.anywhereChords.erase(*KeyChord::fromKeymapString("ctrl+c"));
  EXPECT_FALSE(withoutCopy.matchingPreset().has_value());

  Keymap otherPolicy = keymap(KeymapPreset::gmail);
  otherPolicy.focus.messageWindowDenyRoles.pop_back();
  EXPECT_FALSE(otherPolicy.matchingPreset().has_value());

  Keymap otherSpec = keymap(KeymapPreset::outlookMac);
  otherSpec.actions[ActionID::archive].key = NamedKey::delete_;
  EXPECT_FALSE(otherSpec.matchingPreset().has_value());
}

Decision decideIn(KeymapPreset preset, const char* typed, KeyModifiers modifiers,
                  FocusContext focus) {
  return Decider::decide(
      KeyToken::fromKeymapString(typed), modifiers, false, Decider::mailBundleID,
      [&] { return focus; }, keymap(preset), true);
}

TEST(KeymapPreset, KeysBehaveAsInTheMailProgramsTheyImitate) {
  const KeyModifiers none;
  const auto shift = KeyModifiers::shift;
  const auto cmd = KeyModifiers::command;
  const auto ctrl = KeyModifiers::control;
  const auto list = FocusContext::messageList;
  const auto compose = FocusContext::compose;
  struct Case {
    KeymapPreset preset;
    const char* typed;
    KeyModifiers modifiers;
    FocusContext focus;
    Decision expected;
  };
  const Case cases[] = {
      {KeymapPreset::gmail, "e", none, list, Decision::perform(ActionID::archive)},
      {KeymapPreset::gmail, "I", shift, list, Decision::perform(ActionID::markRead)},
      {KeymapPreset::gmail, "i", none, list, Decision::passThrough(PassReason::unmappedKey)},
      {KeymapPreset::gmail, "E", shift, list, Decision::passThrough(PassReason::unmappedKey)},
      {KeymapPreset::gmail, "return", none, list, Decision::perform(ActionID::openMessage)},
      {KeymapPreset::gmail, "return", cmd, compose, Decision::perform(ActionID::send)},
      {KeymapPreset::gmail, "enter", cmd, compose, Decision::perform(ActionID::send)},
      {KeymapPreset::gmail, "c", cmd, list, Decision::passThrough(PassReason::shortcutModifier)},
      {KeymapPreset::outlookMac, "T", shift | cmd, list, Decision::perform(ActionID::markUnread)},
      {KeymapPreset::outlookMac, "t", cmd, list, Decision::perform(ActionID::markRead)},
      {KeymapPreset::outlookMac, "e", ctrl, list, Decision::perform(ActionID::archive)},
      {KeymapPreset::outlookMac, "return", cmd, compose, Decision::perform(ActionID::send)},
      {KeymapPreset::outlookMac, "e", none, list, Decision::passThrough(PassReason::unmappedKey)},
      {KeymapPreset::outlookWindows, "R", shift | ctrl, list,
       Decision::perform(ActionID::replyAll)},
      {KeymapPreset::outlookWindows, "r", ctrl, list, Decision::perform(ActionID::reply)},
      {KeymapPreset::outlookWindows, "c", ctrl, compose, Decision::perform(ActionID::copy)},
      {KeymapPreset::outlookWindows, "e", ctrl, list, Decision::perform(ActionID::focusSearch)},
      {KeymapPreset::outlookWindows, "return", none, list,
       Decision::perform(ActionID::openMessage)},
      {KeymapPreset::outlookWindows, "return", ctrl, compose, Decision::perform(ActionID::send)},
      {KeymapPreset::outlookWindows, "e", none, list,
       Decision::passThrough(PassReason::unmappedKey)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(decideIn(c.preset, c.typed, c.modifiers, c.focus), c.expected)
        << rawValue(c.preset) << ": "
        << KeyChord(*KeyToken::fromKeymapString(c.typed), c.modifiers).keymapString() << " in "
        << rawValue(c.focus);
  }
}

}  // namespace
}  // namespace quillo
