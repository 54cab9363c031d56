#include "QuilloCore/CheatSheet.hpp"

#include <algorithm>

#include "Unicode.hpp"

namespace quillo::CheatSheet {
namespace {

using NamedKey = KeyToken::NamedKey;

/// Keys sort by modifier bits, then characters (by text) before named keys
/// (alphabetically by name).
bool keyOrder(const KeyChord& a, const KeyChord& b) {
  if (a.modifiers().rawValue() != b.modifiers().rawValue()) {
    return a.modifiers().rawValue() < b.modifiers().rawValue();
  }
  if (a.key().isCharacter() != b.key().isCharacter()) return a.key().isCharacter();
  return a.key().text() < b.key().text();
}

bool isUpperCaseLetter(std::string_view character) {
  return unicode::startsWithLetter(character) && unicode::lowercased(character) != character;
}

/// A single key as the chord it stands for: an upper-case letter is typed
/// with shift.
KeyChord chordForSingleKey(const KeyToken& token) {
  const bool shifted = token.isCharacter() && isUpperCaseLetter(token.character());
  return KeyChord(token, shifted ? KeyModifiers::shift : KeyModifiers());
}

struct KeymapEntry {
  std::vector<KeyChord> keys;
  PlaceSet places;
  std::vector<KeySequence> sequences;
};

PlaceSet sectionPlaces(KeySection section, ActionID action, const Keymap& keymap) {
  switch (section) {
    case KeySection::keys:
      return listPlaces(action, keymap);
    case KeySection::composeKeys:
      return PlaceSet{Place::writing};
    case KeySection::anywhereKeys:
      return PlaceSet{Place::messageList, Place::openMessage, Place::writing};
  }
  return {};
}

KeymapEntry keymapEntry(ActionID action, const Keymap& keymap) {
  KeymapEntry entry;
  for (const auto& [token, bound] : keymap.bindings) {
    if (bound != action) continue;
    entry.keys.push_back(chordForSingleKey(token));
    entry.places.insert(listPlaces(action, keymap));
  }
  for (const auto& [chord, bound] : keymap.listChords) {
    if (bound != action) continue;
    entry.keys.push_back(chord);
    entry.places.insert(listPlaces(action, keymap));
  }
  for (const auto& [chord, bound] : keymap.composeBindings) {
    if (bound != action) continue;
    entry.keys.push_back(chord);
    entry.places.insert(Place::writing);
  }
  for (const auto& [chord, bound] : keymap.anywhereChords) {
    if (bound != action) continue;
    entry.keys.push_back(chord);
    entry.places.insert({Place::messageList, Place::openMessage, Place::writing});
  }
  std::stable_sort(entry.keys.begin(), entry.keys.end(), keyOrder);
  for (KeySection section : allCases<KeySection>()) {
    for (const auto& [first, seconds] : keymap.sequences(section)) {
      for (const auto& [second, bound] : seconds) {
        if (bound != action) continue;
        entry.sequences.emplace_back(first, second);
        entry.places.insert(sectionPlaces(section, action, keymap));
      }
    }
  }
  std::sort(entry.sequences.begin(), entry.sequences.end(),
            [](const KeySequence& a, const KeySequence& b) {
              return a.keymapString() < b.keymapString();
            });
  return entry;
}

}  // namespace

PlaceSet listPlaces(ActionID action, const Keymap& keymap) {
  PlaceSet places;
  if (keymap.actsInMessageList(action)) places.insert(Place::messageList);
  if (keymap.actsInMessageWindow(action)) places.insert(Place::openMessage);
  return places;
}

const std::vector<Entry>& macOwnShortcuts() {
  static const std::vector<Entry> table = [] {
    const PlaceSet listAndOpen{Place::messageList, Place::openMessage};
    const PlaceSet everywhere{Place::messageList, Place::openMessage, Place::writing};
    const PlaceSet list{Place::messageList};
    const auto chord = [](std::string_view text) { return *KeyChord::fromKeymapString(text); };
    const auto row = [](ActionID action, KeyChord key, PlaceSet places) {
      return Entry{action, {std::move(key)}, false, places, {}};
    };
    return std::vector<Entry>{
        row(ActionID::archive, chord("ctrl+cmd+a"), listAndOpen),
        row(ActionID::delete_, KeyChord(KeyToken::named(NamedKey::delete_), {}), listAndOpen),
        row(ActionID::nextMessage, KeyChord(KeyToken::named(NamedKey::down), {}), list),
        row(ActionID::previousMessage, KeyChord(KeyToken::named(NamedKey::up), {}), list),
        row(ActionID::reply, chord("cmd+r"), listAndOpen),
        row(ActionID::replyAll, chord("shift+cmd+r"), listAndOpen),
        row(ActionID::forward, chord("shift+cmd+f"), listAndOpen),
        row(ActionID::newMessage, chord("cmd+n"), everywhere),
        row(ActionID::toggleFlag, chord("shift+cmd+l"), listAndOpen),
        row(ActionID::markJunk, chord("shift+cmd+j"), listAndOpen),
        // Mail's ⇧⌘U toggles between read and unread.
        row(ActionID::markRead, chord("shift+cmd+u"), listAndOpen),
        row(ActionID::markUnread, chord("shift+cmd+u"), listAndOpen),
        row(ActionID::undo, chord("cmd+z"), everywhere),
        row(ActionID::focusSearch, chord("option+cmd+f"), list),
        row(ActionID::openMessage, chord("cmd+o"), list),
        row(ActionID::send, chord("shift+cmd+d"), PlaceSet{Place::writing}),
        row(ActionID::copy, chord("cmd+c"), everywhere),
        row(ActionID::paste, chord("cmd+v"), everywhere),
        row(ActionID::cut, chord("cmd+x"), everywhere),
        // Quillo's own panel: Mail has no key for it, so it works nowhere.
        Entry{ActionID::showShortcuts, {}, false, {}, {}},
        // Quillo's mailbox picker: Mail has no key for its Move To and Copy
        // To menus.
        Entry{ActionID::moveToMailbox, {}, false, {}, {}},
        Entry{ActionID::copyToMailbox, {}, false, {}, {}},
    };
  }();
  return table;
}

std::vector<Entry> entries(const Keymap* keymap) {
  std::vector<Entry> result;
  result.reserve(caseCount<ActionID>() + (keymap ? keymap->userActions.size() : 0));
  for (ActionID action : allCases<ActionID>()) {
    if (keymap) {
      KeymapEntry entry = keymapEntry(action, *keymap);
      if (!entry.keys.empty() || !entry.sequences.empty()) {
        result.push_back(
            Entry{action, std::move(entry.keys), true, entry.places, std::move(entry.sequences)});
        continue;
      }
    }
    result.push_back(macOwnShortcuts()[static_cast<std::size_t>(action)]);
  }
  // The keymap's own actions have no shortcut in Mail: without keys they
  // are listed with none, where their keys would act.
  for (std::size_t i = 0; keymap && i < keymap->userActions.size(); ++i) {
    const ActionID action = userActionID(i);
    KeymapEntry entry = keymapEntry(action, *keymap);
    if (entry.keys.empty() && entry.sequences.empty()) entry.places = listPlaces(action, *keymap);
    result.push_back(
        Entry{action, std::move(entry.keys), true, entry.places, std::move(entry.sequences)});
  }
  return result;
}

std::vector<KeyChord> keysProvided(ActionID action, const Keymap& keymap) {
  return keymapEntry(action, keymap).keys;
}

std::vector<KeySequence> sequencesProvided(ActionID action, const Keymap& keymap) {
  return keymapEntry(action, keymap).sequences;
}

}  // namespace quillo::CheatSheet
