#include <gtest/gtest.h>

#include "QuilloCore/CustomKeymap.hpp"
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

}  // namespace
}  // namespace quillo
