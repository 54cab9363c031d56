#include <gtest/gtest.h>

#include "QuilloCore/CheatSheet.hpp"
#include "QuilloCore/CustomKeymap.hpp"
#include "QuilloCore/KeymapPreset.hpp"

namespace quillo {
namespace {

using CheatSheet::Place;
using CheatSheet::PlaceSet;
using NamedKey = KeyToken::NamedKey;

KeyChord chord(std::string_view text) {
  return *KeyChord::fromKeymapString(text);
}

std::string keysText(const std::vector<KeyChord>& keys) {
  std::string text;
  for (const auto& key : keys)
    text += (text.empty() ? "" : " ") + key.keymapString();
  return text;
}

Keymap emptyKeymap() {
  return Keymap({}, {}, {}, {}, Keymap::defaultActions(), FocusPolicy::default_());
}

TEST(CheatSheet, KeysAreSortedByModifiersThenCharactersThenNamesAndNotDeduplicated) {
  Keymap keymap = emptyKeymap();
  keymap.bindings.emplace(KeyToken::character("J"), ActionID::archive);
  keymap.bindings.emplace(KeyToken::character("j"), ActionID::archive);
  keymap.bindings.emplace(KeyToken::named(NamedKey::space), ActionID::archive);
  keymap.bindings.emplace(KeyToken::named(NamedKey::delete_), ActionID::archive);
  keymap.bindings.emplace(KeyToken::character("#"), ActionID::archive);
  keymap.listChords.emplace(chord("ctrl+j"), ActionID::archive);
  keymap.listChords.emplace(chord("cmd+j"), ActionID::archive);
  keymap.listChords.emplace(chord("shift+cmd+j"), ActionID::archive);
  keymap.listChords.emplace(chord("ctrl+return"), ActionID::archive);
  keymap.anywhereChords.emplace(chord("ctrl+j"), ActionID::archive);
  EXPECT_EQ(keysText(CheatSheet::keysProvided(ActionID::archive, keymap)),
            "# j delete space shift+j ctrl+j ctrl+j ctrl+return cmd+j shift+cmd+j");
}

TEST(CheatSheet, PlacesDependOnTheTablesThatHoldTheKeys) {
  Keymap keymap = emptyKeymap();
  keymap.composeBindings.emplace(chord("ctrl+s"), ActionID::archive);
  auto entry = CheatSheet::entries(&keymap)[0];
  EXPECT_EQ(entry.places, PlaceSet{Place::writing});

  keymap.bindings.emplace(KeyToken::character("J"), ActionID::nextMessage);
  keymap.listChords.emplace(chord("ctrl+j"), ActionID::nextMessage);
  entry = CheatSheet::entries(&keymap)[static_cast<std::size_t>(ActionID::nextMessage)];
  EXPECT_EQ(keysText(entry.keys), "shift+j ctrl+j");
  EXPECT_EQ(entry.places, PlaceSet{Place::messageList});
  keymap.composeBindings.emplace(chord("ctrl+n"), ActionID::nextMessage);
  entry = CheatSheet::entries(&keymap)[static_cast<std::size_t>(ActionID::nextMessage)];
  EXPECT_EQ(entry.places, (PlaceSet{Place::messageList, Place::writing}));

  keymap.anywhereChords.emplace(chord("ctrl+c"), ActionID::copy);
  entry = CheatSheet::entries(&keymap)[static_cast<std::size_t>(ActionID::copy)];
  EXPECT_EQ(entry.places, (PlaceSet{Place::messageList, Place::openMessage, Place::writing}));
}

}  // namespace
}  // namespace quillo
