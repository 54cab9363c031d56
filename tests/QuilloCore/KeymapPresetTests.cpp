#include <gtest/gtest.h>

#include "QuilloCore/Decider.hpp"
#include "QuilloCore/KeymapPreset.hpp"

namespace quillo {
namespace {

using NamedKey = KeyToken::NamedKey;

ChordBindings chords(std::initializer_list<std::pair<const char*, ActionID>> entries) {
  ChordBindings table;
  for (const auto& [text, action] : entries)
    table.emplace(*KeyChord::fromKeymapString(text), action);
  return table;
}

TEST(KeymapPreset, NamesAndTitles) {
  const auto presets = allCases<KeymapPreset>();
  ASSERT_EQ(presets.size(), 3u);
  EXPECT_EQ(rawValue(presets[0]), "gmail");
  EXPECT_EQ(rawValue(presets[1]), "outlookMac");
  EXPECT_EQ(rawValue(presets[2]), "outlookWindows");
  EXPECT_EQ(title(KeymapPreset::gmail), "Gmail");
  EXPECT_EQ(title(KeymapPreset::outlookMac), "Outlook for Mac");
  EXPECT_EQ(title(KeymapPreset::outlookWindows), "Outlook for Windows");
  EXPECT_EQ(fromRawValue<KeymapPreset>("outlookWindows"), KeymapPreset::outlookWindows);
  EXPECT_FALSE(fromRawValue<KeymapPreset>("Gmail").has_value());
}

TEST(KeymapPreset, TablesAreThePublishedOnes) {
  EXPECT_EQ(keymap(KeymapPreset::gmail), Keymap::default_());

  const Keymap& mac = keymap(KeymapPreset::outlookMac);
  EXPECT_TRUE(mac.bindings.empty());
  EXPECT_EQ(mac.listChords, chords({
                                {"ctrl+e", ActionID::archive},
                                {"ctrl+]", ActionID::nextMessage},
                                {"ctrl+[", ActionID::previousMessage},
                                {"cmd+j", ActionID::forward},
                                {"ctrl+1", ActionID::toggleFlag},
                                {"cmd+t", ActionID::markRead},
                                {"shift+cmd+t", ActionID::markUnread},
                            }));
  EXPECT_EQ(mac.composeBindings, Keymap::defaultComposeBindings());
  EXPECT_TRUE(mac.anywhereChords.empty());

  const Keymap& windows = keymap(KeymapPreset::outlookWindows);
  EXPECT_EQ(windows.bindings,
            (KeyBindings{{KeyToken::named(NamedKey::return_), ActionID::openMessage}}));
  EXPECT_EQ(windows.listChords, chords({
                                    {"ctrl+r", ActionID::reply},
                                    {"ctrl+shift+r", ActionID::replyAll},
                                    {"ctrl+f", ActionID::forward},
                                    {"ctrl+n", ActionID::newMessage},
                                    {"ctrl+q", ActionID::markRead},
                                    {"ctrl+u", ActionID::markUnread},
                                    {"ctrl+shift+g", ActionID::toggleFlag},
                                    {"ctrl+e", ActionID::focusSearch},
                                    {"ctrl+z", ActionID::undo},
                                }));
  EXPECT_EQ(windows.composeBindings,
            chords({{"ctrl+return", ActionID::send}, {"ctrl+enter", ActionID::send}}));
  EXPECT_EQ(
      windows.anywhereChords,
      chords({{"ctrl+c", ActionID::copy}, {"ctrl+v", ActionID::paste}, {"ctrl+x", ActionID::cut}}));

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

TEST(KeymapPreset, ChordsBehaveAsInTheMailProgramsTheyImitate) {
  const auto shiftCmd = KeyModifiers::shift | KeyModifiers::command;
  const auto shiftCtrl = KeyModifiers::shift | KeyModifiers::control;
  EXPECT_EQ(decideIn(KeymapPreset::outlookMac, "T", shiftCmd, FocusContext::messageList),
            Decision::perform(ActionID::markUnread));
  EXPECT_EQ(
      decideIn(KeymapPreset::outlookMac, "t", KeyModifiers::command, FocusContext::messageList),
      Decision::perform(ActionID::markRead));
  EXPECT_EQ(
      decideIn(KeymapPreset::outlookMac, "e", KeyModifiers::control, FocusContext::messageList),
      Decision::perform(ActionID::archive));
  EXPECT_EQ(decideIn(KeymapPreset::outlookWindows, "R", shiftCtrl, FocusContext::messageList),
            Decision::perform(ActionID::replyAll));
  EXPECT_EQ(
      decideIn(KeymapPreset::outlookWindows, "r", KeyModifiers::control, FocusContext::messageList),
      Decision::perform(ActionID::reply));
  EXPECT_EQ(
      decideIn(KeymapPreset::outlookWindows, "c", KeyModifiers::control, FocusContext::compose),
      Decision::perform(ActionID::copy));
  EXPECT_EQ(
      decideIn(KeymapPreset::outlookWindows, "e", KeyModifiers::control, FocusContext::messageList),
      Decision::perform(ActionID::focusSearch));
  EXPECT_EQ(decideIn(KeymapPreset::outlookWindows, "e", {}, FocusContext::messageList),
            Decision::passThrough(PassReason::unmappedKey));
}

}  // namespace
}  // namespace quillo
