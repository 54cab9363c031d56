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

TEST(CheatSheet, WithoutAKeymapEveryEntryIsMailsOwn) {
  const auto entries = CheatSheet::entries(nullptr);
  ASSERT_EQ(entries.size(), 19u);
  EXPECT_EQ(entries, CheatSheet::macOwnShortcuts());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].action, allCases<ActionID>()[i]);
    EXPECT_FALSE(entries[i].fromQuillo);
  }
}

TEST(CheatSheet, MailsOwnShortcutsAreShortcutsThatWorkSomewhere) {
  // A plain character would be typing, not one of Mail's menu shortcuts.
  for (const auto& entry : CheatSheet::macOwnShortcuts()) {
    SCOPED_TRACE(rawValue(entry.action));
    EXPECT_FALSE(entry.keys.empty());
    EXPECT_FALSE(entry.places.isEmpty());
    for (const auto& key : entry.keys)
      EXPECT_TRUE(key.hasShortcutModifier() || key.key().isNamed()) << key.keymapString();
  }
}

TEST(CheatSheet, ListPlacesFollowWhereActionsWork) {
  for (ActionID action : allCases<ActionID>()) {
    const auto places = CheatSheet::listPlaces(action);
    EXPECT_TRUE(places.contains(Place::messageList));
    EXPECT_EQ(places.contains(Place::openMessage), worksInMessageWindow(action))
        << rawValue(action);
    EXPECT_FALSE(places.contains(Place::writing));
  }
}

TEST(CheatSheet, EntriesOfTheGmailKeymap) {
  const auto entries = CheatSheet::entries(&keymap(KeymapPreset::gmail));
  const auto& archive = entries[static_cast<std::size_t>(ActionID::archive)];
  EXPECT_TRUE(archive.fromQuillo);
  EXPECT_EQ(keysText(archive.keys), "e");
  EXPECT_EQ(archive.places, (PlaceSet{Place::messageList, Place::openMessage}));
  // The upper-case single key I is listed as shift and i.
  EXPECT_EQ(keysText(entries[static_cast<std::size_t>(ActionID::markRead)].keys), "shift+i");
  // Two keys for openMessage: the character before the named key.
  EXPECT_EQ(keysText(entries[static_cast<std::size_t>(ActionID::openMessage)].keys), "o return");
  const auto& send = entries[static_cast<std::size_t>(ActionID::send)];
  EXPECT_EQ(keysText(send.keys), "cmd+enter cmd+return");
  EXPECT_EQ(send.places, PlaceSet{Place::writing});
  // Actions gmail gives no key fall back to Mail's own.
  const auto& copy = entries[static_cast<std::size_t>(ActionID::copy)];
  EXPECT_FALSE(copy.fromQuillo);
  EXPECT_EQ(keysText(copy.keys), "cmd+c");
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

TEST(CheatSheet, AnEmptyCustomKeymapShowsOnlyMailsOwn) {
  const Keymap keymap = CustomKeymap().keymap();
  const auto entries = CheatSheet::entries(&keymap);
  EXPECT_EQ(entries, CheatSheet::macOwnShortcuts());
  EXPECT_TRUE(CheatSheet::keysProvided(ActionID::archive, keymap).empty());
}

}  // namespace
}  // namespace quillo
