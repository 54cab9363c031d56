#include "QuilloCore/Keymap.hpp"

#include <algorithm>
#include <utility>

#include "QuilloCore/KeymapPreset.hpp"
#include "Unicode.hpp"

namespace quillo {
namespace {

template <class Map, class Key>
std::optional<ActionID> lookup(const Map& map, const Key& key) {
  const auto found = map.find(key);
  return found == map.end() ? std::nullopt : std::optional<ActionID>(found->second);
}

KeyToken character(std::string_view text) {
  return KeyToken::character(text);
}

ActionSpec menuSpec(std::initializer_list<MenuPath> paths) {
  return ActionSpec{.menu = std::vector<MenuPath>(paths), .key = std::nullopt};
}

}  // namespace

KeyToken singleKeyOf(const KeyChord& chord) {
  const KeyToken& key = chord.key();
  if (key.isCharacter() && chord.modifiers().contains(KeyModifiers::shift)) {
    const std::string upper = unicode::uppercased(key.character());
    if (unicode::isSingleCharacter(upper)) return KeyToken::character(upper);
  }
  return key;
}

Keymap::Keymap(KeyBindings bindings, ChordBindings listChords, ChordBindings composeBindings,
               ChordBindings anywhereChords, ActionTable actions, FocusPolicy focus)
    : bindings(std::move(bindings)),
      listChords(std::move(listChords)),
      composeBindings(std::move(composeBindings)),
      anywhereChords(std::move(anywhereChords)),
      actions(std::move(actions)),
      focus(std::move(focus)) {}

std::optional<ActionID> Keymap::action(const KeyToken& key) const {
  return lookup(bindings, key);
}

std::optional<ActionID> Keymap::listAction(const KeyChord& chord) const {
  return lookup(listChords, chord);
}

std::optional<ActionID> Keymap::composeAction(const KeyChord& chord) const {
  return lookup(composeBindings, chord);
}

std::optional<ActionID> Keymap::anywhereAction(const KeyChord& chord) const {
  return lookup(anywhereChords, chord);
}

const SequenceBindings& Keymap::sequences(KeySection section) const {
  switch (section) {
    case KeySection::keys:
      return listSequences;
    case KeySection::composeKeys:
      return composeSequences;
    case KeySection::anywhereKeys:
      return anywhereSequences;
  }
  return listSequences;
}

SequenceBindings& Keymap::sequences(KeySection section) {
  return const_cast<SequenceBindings&>(std::as_const(*this).sequences(section));
}

ChordMeaning Keymap::meaning(KeySection section, const KeyChord& chord) const {
  std::optional<ActionID> single;
  switch (section) {
    case KeySection::keys:
      single = chord.hasShortcutModifier() ? listAction(chord) : action(singleKeyOf(chord));
      break;
    case KeySection::composeKeys:
      single = composeAction(chord);
      break;
    case KeySection::anywhereKeys:
      single = anywhereAction(chord);
      break;
  }
  if (single) return ChordMeaning::performs(*single);
  if (sequences(section).contains(chord)) return ChordMeaning::startsSequence();
  return ChordMeaning::nothing();
}

std::optional<ActionID> Keymap::sequenceAction(KeySection section, const KeyChord& first,
                                               const KeyChord& second) const {
  const auto& table = sequences(section);
  const auto found = table.find(first);
  if (found == table.end()) return std::nullopt;
  return lookup(found->second, second);
}

void Keymap::bindSequence(KeySection section, const KeySequence& sequence, ActionID action) {
  if (!sequence.second()) return;
  sequences(section)[sequence.first()].insert_or_assign(*sequence.second(), action);
}

std::string_view Keymap::actionName(ActionID action) const noexcept {
  if (const UserAction* own = userAction(action)) return own->name;
  return rawValue(action);
}

std::optional<ActionID> Keymap::actionNamed(std::string_view name) const noexcept {
  if (const auto builtIn = fromRawValue<ActionID>(name)) return builtIn;
  for (std::size_t i = 0; i < userActions.size(); ++i) {
    if (userActions[i].name == name) return userActionID(i);
  }
  return std::nullopt;
}

const UserAction* Keymap::userAction(ActionID action) const noexcept {
  if (!isUserAction(action)) return nullptr;
  const std::size_t index = userActionIndex(action);
  return index < userActions.size() ? &userActions[index] : nullptr;
}

std::optional<ActionID> Keymap::addUserAction(UserAction action, ActionSpec spec) {
  if (userActions.size() >= maxUserActions) return std::nullopt;
  const ActionID id = userActionID(userActions.size());
  userActions.push_back(std::move(action));
  actions.insert_or_assign(id, std::move(spec));
  return id;
}

bool Keymap::isUsableOwnActionName(std::string_view name) noexcept {
  if (name.empty() || name.size() > maxOwnActionNameLength || name == "none") return false;
  const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!isLetter(name.front())) return false;
  return std::all_of(name.begin(), name.end(),
                     [&](char c) { return isLetter(c) || (c >= '0' && c <= '9'); });
}

std::vector<ActionID> Keymap::actionIDs(std::size_t ownCount) {
  const auto builtIn = allCases<ActionID>();
  std::vector<ActionID> all(builtIn.begin(), builtIn.end());
  for (std::size_t i = 0; i < ownCount; ++i)
    all.push_back(userActionID(i));
  return all;
}

bool Keymap::actsInMessageList(ActionID action) const noexcept {
  const UserAction* own = userAction(action);
  return own ? own->inMessageList : !isUserAction(action);
}

bool Keymap::actsInMessageWindow(ActionID action) const noexcept {
  const UserAction* own = userAction(action);
  return own ? own->inOpenMessage : !isUserAction(action) && worksInMessageWindow(action);
}

const ActionSpec* Keymap::spec(ActionID action) const {
  const auto found = actions.find(action);
  return found == actions.end() ? nullptr : &found->second;
}

std::optional<KeymapPreset> Keymap::matchingPreset() const {
  for (KeymapPreset preset : allCases<KeymapPreset>()) {
    if (keymap(preset) == *this) return preset;
  }
  return std::nullopt;
}

const KeyBindings& Keymap::defaultBindings() {
  static const KeyBindings bindings{
      {character("e"), ActionID::archive},
      {character("#"), ActionID::delete_},
      {character("j"), ActionID::nextMessage},
      {character("k"), ActionID::previousMessage},
      {character("r"), ActionID::reply},
      {character("a"), ActionID::replyAll},
      {character("f"), ActionID::forward},
      {character("c"), ActionID::newMessage},
      {character("s"), ActionID::toggleFlag},
      {character("!"), ActionID::markJunk},
      {character("I"), ActionID::markRead},
      {character("U"), ActionID::markUnread},
      {character("z"), ActionID::undo},
      {character("/"), ActionID::focusSearch},
      {character("o"), ActionID::openMessage},
      {character("?"), ActionID::showShortcuts},
      {character("v"), ActionID::moveToMailbox},
      {KeyToken::named(KeyToken::NamedKey::return_), ActionID::openMessage},
  };
  return bindings;
}

const ChordBindings& Keymap::defaultComposeBindings() {
  static const ChordBindings bindings{
      {KeyChord(KeyToken::named(KeyToken::NamedKey::return_), KeyModifiers::command),
       ActionID::send},
      {KeyChord(KeyToken::named(KeyToken::NamedKey::enter), KeyModifiers::command), ActionID::send},
  };
  return bindings;
}

// showShortcuts has no spec: Quillo carries it out itself (isDoneByQuillo).
// The picker's actions name the menus whose items are the mailboxes: Mail
// titles them "Move To" and "Copy To" (matched ignoring case).
const ActionTable& Keymap::defaultActions() {
  using NamedKey = KeyToken::NamedKey;
  static const ActionTable actions{
      {ActionID::archive, menuSpec({{"Message", "Archive"}})},
      {ActionID::delete_, menuSpec({{"Edit", "Delete"}})},
      {ActionID::nextMessage, ActionSpec{.menu = {}, .key = NamedKey::down}},
      {ActionID::previousMessage, ActionSpec{.menu = {}, .key = NamedKey::up}},
      {ActionID::reply, menuSpec({{"Message", "Reply"}})},
      {ActionID::replyAll, menuSpec({{"Message", "Reply All"}})},
      {ActionID::forward, menuSpec({{"Message", "Forward"}})},
      {ActionID::newMessage, menuSpec({{"File", "New Message"}})},
      {ActionID::toggleFlag, menuSpec({{"Message", "Flag", "Toggle Flag"}})},
      {ActionID::markJunk, menuSpec({{"Message", "Move to Junk"}, {"Message", "Move to Spam"}})},
      {ActionID::markRead, menuSpec({{"Message", "Mark as Read"}})},
      {ActionID::markUnread, menuSpec({{"Message", "Mark as Unread"}})},
      {ActionID::undo, menuSpec({{"Edit", "Undo*"}})},
      {ActionID::focusSearch, menuSpec({{"Edit", "Find", "Mailbox Search"}})},
      {ActionID::openMessage, menuSpec({{"File", "Open Message"}})},
      {ActionID::send, menuSpec({{"Message", "Send"}, {"**", "Send"}})},
      {ActionID::copy, menuSpec({{"Edit", "Copy"}})},
      {ActionID::paste, menuSpec({{"Edit", "Paste"}})},
      {ActionID::cut, menuSpec({{"Edit", "Cut"}})},
      {ActionID::moveToMailbox, menuSpec({{"Message", "Move To"}})},
      {ActionID::copyToMailbox, menuSpec({{"Message", "Copy To"}})},
  };
  return actions;
}

const Keymap& Keymap::default_() {
  static const Keymap keymap(defaultBindings(), {}, defaultComposeBindings(), {}, defaultActions(),
                             FocusPolicy::default_());
  return keymap;
}

std::size_t Keymap::sequenceCount() const noexcept {
  std::size_t count = 0;
  for (KeySection section : allCases<KeySection>()) {
    for (const auto& entry : sequences(section))
      count += entry.second.size();
  }
  return count;
}

}  // namespace quillo
