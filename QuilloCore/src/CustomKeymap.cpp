#include "QuilloCore/CustomKeymap.hpp"

#include <algorithm>
#include <utility>

#include "JSONDecoding.hpp"
#include "QuilloCore/CheatSheet.hpp"
#include "QuilloCore/KeymapPreset.hpp"
#include "Unicode.hpp"
#include "UntrustedJSON.hpp"

namespace quillo {
namespace {

using NamedKey = KeyToken::NamedKey;
using json_coding::CodingPath;
using json_coding::Json;

bool isClipboardAction(ActionID action) {
  return action == ActionID::copy || action == ActionID::paste || action == ActionID::cut;
}

std::string_view typingActionName(ActionID action) {
  constexpr std::pair<ActionID, std::string_view> kNames[] = {
      {ActionID::send, "Send"},
      {ActionID::copy, "Copy"},
      {ActionID::paste, "Paste"},
      {ActionID::cut, "Cut"},
  };
  for (const auto& [named, name] : kNames) {
    if (named == action) return name;
  }
  return {};
}

template <class Map>
void removeAction(Map& map, ActionID action) {
  std::erase_if(map, [action](const auto& entry) { return entry.second == action; });
}

void removeSequencesOf(SequenceBindings& table, ActionID action) {
  for (auto& [first, seconds] : table)
    removeAction(seconds, action);
  std::erase_if(table, [](const auto& entry) { return entry.second.empty(); });
}

/// The section a chord of `action` goes to (see CustomKeymap::keymap()).
KeySection sectionFor(const KeyChord& chord, ActionID action) {
  if (!chord.hasShortcutModifier()) return KeySection::keys;
  if (isClipboardAction(action)) return KeySection::anywhereKeys;
  if (action == ActionID::send) return KeySection::composeKeys;
  return KeySection::keys;
}

}  // namespace

const Keymap& keymap(CustomKeymap::Baseline baseline) {
  switch (baseline) {
    case CustomKeymap::Baseline::gmail:
      return keymap(KeymapPreset::gmail);
    case CustomKeymap::Baseline::outlookMac:
      return keymap(KeymapPreset::outlookMac);
    case CustomKeymap::Baseline::outlookWindows:
      return keymap(KeymapPreset::outlookWindows);
    case CustomKeymap::Baseline::appleMail:
      break;
  }
  static const Keymap appleMail({}, {}, {}, {}, Keymap::defaultActions(), FocusPolicy::default_());
  return appleMail;
}

const std::unordered_set<KeyChord>& CustomKeymap::reservedChords() {
  static const std::unordered_set<KeyChord> chords{
      KeyChord(KeyToken::character("q"), KeyModifiers::command),
      KeyChord(KeyToken::character("w"), KeyModifiers::command),
      KeyChord(KeyToken::character("h"), KeyModifiers::command),
      KeyChord(KeyToken::character("m"), KeyModifiers::command),
  };
  return chords;
}

namespace {

/// What is wrong with a key whatever it is for: Tab and Escape alone, or a
/// named key with shift alone. None for a chord with cmd, ctrl or option.
std::optional<std::string> keyProblem(const KeyChord& chord) {
  if (chord.hasShortcutModifier()) return std::nullopt;
  if (const auto named = chord.key().namedKey()) {
    if (*named == NamedKey::tab || *named == NamedKey::escape) {
      return std::string("That key can't be used as a shortcut.");
    }
    if (chord.modifiers().contains(KeyModifiers::shift)) {
      return std::string("Shift with that key isn't supported. Add ⌘, ⌃ or ⌥.");
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> CustomKeymap::problem(const KeyChord& chord, ActionID action) {
  if (reservedChords().contains(chord)) {
    return std::string("That shortcut belongs to macOS and can't be reassigned.");
  }
  if (chord.hasShortcutModifier()) return std::nullopt;
  if (const auto name = typingActionName(action); !name.empty()) {
    return std::string(name) + " needs ⌘, ⌃ or ⌥, so it can't interfere with typing.";
  }
  return keyProblem(chord);
}

std::optional<std::string> CustomKeymap::secondKeyProblem(const KeyChord& chord) {
  if (reservedChords().contains(chord)) {
    return std::string("That shortcut belongs to macOS and can't be reassigned.");
  }
  return keyProblem(chord);
}

CustomKeymap CustomKeymap::importing(const Keymap& keymap) {
  CustomKeymap definition;
  for (ActionID action : keymap.allActions()) {
    auto keys = CheatSheet::keysProvided(action, keymap);
    auto sequences = CheatSheet::sequencesProvided(action, keymap);
    if (keys.empty() && sequences.empty()) continue;
    const ActionID id = definition.idOf(action, keymap);
    definition.overrides.emplace(id, std::move(keys));
    if (!sequences.empty()) definition.sequenceOverrides.emplace(id, std::move(sequences));
  }
  return definition;
}

std::vector<ActionID> CustomKeymap::allIDs() const {
  return Keymap::actionIDs(ownActions.size());
}

ActionID CustomKeymap::idOf(ActionID action, const Keymap& keymap) {
  if (const auto found = findIdOf(action, keymap)) return *found;
  ownActions.emplace_back(keymap.actionName(action));
  return userActionID(ownActions.size() - 1);
}

std::optional<ActionID> CustomKeymap::findIdOf(ActionID action, const Keymap& keymap) const {
  if (!isUserAction(action)) return action;
  const auto found = std::find(ownActions.begin(), ownActions.end(), keymap.actionName(action));
  if (found == ownActions.end()) return std::nullopt;
  return userActionID(static_cast<std::size_t>(found - ownActions.begin()));
}

Keymap CustomKeymap::keymap(const Keymap& definitions) const {
  Keymap result = keymap();
  // This definition's own IDs become the file's, by name.
  const auto translated = [&](ActionID action) -> std::optional<ActionID> {
    if (!isUserAction(action)) return action;
    const std::size_t index = userActionIndex(action);
    if (index >= ownActions.size()) return std::nullopt;
    const auto there = definitions.actionNamed(ownActions[index]);
    return there && isUserAction(*there) ? there : std::nullopt;
  };
  const auto translateTable = [&](auto& table) {
    for (auto entry = table.begin(); entry != table.end();) {
      if (const auto action = translated(entry->second)) {
        entry->second = *action;
        ++entry;
      } else {
        entry = table.erase(entry);
      }
    }
  };
  translateTable(result.bindings);
  translateTable(result.listChords);
  translateTable(result.composeBindings);
  translateTable(result.anywhereChords);
  for (KeySection section : allCases<KeySection>()) {
    auto& sequences = result.sequences(section);
    for (auto& [first, seconds] : sequences)
      translateTable(seconds);
    std::erase_if(sequences, [](const auto& entry) { return entry.second.empty(); });
  }
  result.userActions = definitions.userActions;
  result.actions = definitions.actions;
  result.focus = definitions.focus;
  return result;
}

Keymap CustomKeymap::keymap() const {
  Keymap result = quillo::keymap(baseline);
  for (const auto& [action, chords] : overrides) {
    removeAction(result.bindings, action);
    removeAction(result.listChords, action);
    removeAction(result.composeBindings, action);
    removeAction(result.anywhereChords, action);
    removeSequencesOf(result.listSequences, action);
    removeSequencesOf(result.composeSequences, action);
    removeSequencesOf(result.anywhereSequences, action);
    for (const KeyChord& chord : chords) {
      // Refused chords (only possible in a hand-edited file) are never applied.
      if (problem(chord, action)) continue;
      if (!chord.hasShortcutModifier()) {
        // A single key: shift is part of the typed character (⇧E is "E").
        const KeyToken& key = chord.key();
        const bool shifted = key.isCharacter() && chord.modifiers().contains(KeyModifiers::shift);
        result.bindings.insert_or_assign(
            shifted ? KeyToken::character(unicode::uppercased(key.character())) : key, action);
      } else if (isClipboardAction(action)) {
        result.anywhereChords.insert_or_assign(chord, action);
      } else if (action == ActionID::send) {
        result.composeBindings.insert_or_assign(chord, action);
        // ⌘↩ also answers to the keypad's Enter, unless the user gave that
        // Enter chord to another action: an explicit choice wins over the
        // implied one, so assign() never leaves two actions on one chord.
        if (chord.key().namedKey() == NamedKey::return_) {
          const KeyChord enter(KeyToken::named(NamedKey::enter), chord.modifiers());
          if (!heldByAnotherOverride(enter, action)) {
            result.composeBindings.insert_or_assign(enter, action);
          }
        }
      } else {
        result.listChords.insert_or_assign(chord, action);
      }
    }
  }
  // Sequences after every chord, so that a first key bound on its own wins
  // whatever the action order, as in keymap.json.
  for (const auto& [action, sequences] : sequenceOverrides) {
    if (!overrides.contains(action)) continue;
    for (const KeySequence& sequence : sequences) {
      if (!sequence.second() || problem(sequence.first(), action) ||
          secondKeyProblem(*sequence.second())) {
        continue;
      }
      const KeySection section = sectionFor(sequence.first(), action);
      if (result.meaning(section, sequence.first()).kind == ChordMeaning::Kind::performs) continue;
      result.bindSequence(section, sequence, action);
    }
  }
  return result;
}

bool CustomKeymap::heldByAnotherOverride(const KeyChord& chord, ActionID action) const {
  for (const auto& [other, chords] : overrides) {
    if (other != action && std::find(chords.begin(), chords.end(), chord) != chords.end()) {
      return true;
    }
  }
  return false;
}

void CustomKeymap::assign(const KeyChord& chord, ActionID action) {
  const Keymap current = keymap();
  for (ActionID other : allIDs()) {
    if (other == action) continue;
    std::vector<KeyChord> keys = CheatSheet::keysProvided(other, current);
    if (std::find(keys.begin(), keys.end(), chord) == keys.end()) continue;
    std::erase(keys, chord);
    overrides.insert_or_assign(other, std::move(keys));
    // The other action's sequences stay as they were.
    if (!sequenceOverrides.contains(other)) {
      auto sequences = CheatSheet::sequencesProvided(other, current);
      if (!sequences.empty()) sequenceOverrides.emplace(other, std::move(sequences));
    }
  }
  overrides.insert_or_assign(action, std::vector<KeyChord>{chord});
  sequenceOverrides.erase(action);
}

void CustomKeymap::addSequence(const KeySequence& sequence, ActionID action) {
  if (!sequence.second()) {
    assign(sequence.first(), action);
    return;
  }
  const Keymap current = keymap();
  for (ActionID other : allIDs()) {
    if (other == action) continue;
    std::vector<KeySequence> sequences = CheatSheet::sequencesProvided(other, current);
    if (std::find(sequences.begin(), sequences.end(), sequence) == sequences.end()) continue;
    std::erase(sequences, sequence);
    overrides.insert_or_assign(other, CheatSheet::keysProvided(other, current));
    sequenceOverrides.insert_or_assign(other, std::move(sequences));
  }
  if (!overrides.contains(action)) {
    overrides.emplace(action, CheatSheet::keysProvided(action, current));
    sequenceOverrides.insert_or_assign(action, CheatSheet::sequencesProvided(action, current));
  }
  auto& own = sequenceOverrides[action];
  if (std::find(own.begin(), own.end(), sequence) == own.end()) own.push_back(sequence);
}

void CustomKeymap::clear(ActionID action) {
  overrides.insert_or_assign(action, std::vector<KeyChord>{});
  sequenceOverrides.erase(action);
}

void CustomKeymap::resetChanges() {
  overrides.clear();
  sequenceOverrides.clear();
}

// MARK: - File form

Json CustomKeymap::toJSON() const {
  Json written = Json::object();
  for (const auto& [action, chords] : overrides) {
    Json texts = Json::array();
    for (const auto& chord : chords)
      texts.push_back(chord.keymapString());
    if (const auto sequences = sequenceOverrides.find(action);
        sequences != sequenceOverrides.end()) {
      for (const auto& sequence : sequences->second)
        texts.push_back(sequence.keymapString());
    }
    written[isUserAction(action) ? ownActions.at(userActionIndex(action))
                                 : std::string(rawValue(action))] = std::move(texts);
  }
  return Json{{"baseline", std::string(rawValue(baseline))}, {"overrides", std::move(written)}};
}

CustomKeymap CustomKeymap::fromJSON(const Json& value) {
  CodingPath path;
  json_coding::expectObject(value, path);
  CustomKeymap definition;
  if (const Json* baseline = json_coding::presentMember(value, "baseline")) {
    if (baseline->is_string()) {
      definition.baseline = fromRawValue<Baseline>(baseline->get_ref<const std::string&>())
                                .value_or(Baseline::appleMail);
    }
  }
  if (const Json* overrides = json_coding::presentMember(value, "overrides")) {
    auto scope = path.enter("overrides");
    if (!overrides->is_object()) {
      json_coding::throwTypeMismatch(path, "an object of chord lists", *overrides);
    }
    for (const auto& [name, chords] : overrides->items()) {
      auto member = path.enter(name);
      const std::vector<std::string> texts = json_coding::decodeStringArray(chords, path);
      // A name the keymap file may define is kept, defined there or not.
      std::optional<ActionID> action = fromRawValue<ActionID>(name);
      if (!action && Keymap::isUsableOwnActionName(name)) {
        const auto known =
            std::find(definition.ownActions.begin(), definition.ownActions.end(), name);
        action = userActionID(static_cast<std::size_t>(known - definition.ownActions.begin()));
        if (known == definition.ownActions.end()) {
          if (definition.ownActions.size() >= maxUserActions) continue;
          definition.ownActions.push_back(name);
        }
      }
      if (!action) continue;
      std::vector<KeyChord> parsed;
      std::vector<KeySequence> sequences;
      for (const auto& text : texts) {
        if (KeySequence::looksLikeSequence(text)) {
          auto sequence = KeySequence::fromKeymapString(text);
          if (sequence && sequence->isSequence()) sequences.push_back(std::move(*sequence));
          continue;
        }
        if (auto chord = KeyChord::fromKeymapString(text)) parsed.push_back(std::move(*chord));
      }
      definition.overrides.insert_or_assign(*action, std::move(parsed));
      if (sequences.empty()) {
        definition.sequenceOverrides.erase(*action);
      } else {
        definition.sequenceOverrides.insert_or_assign(*action, std::move(sequences));
      }
    }
  }
  return definition;
}

CustomKeymap CustomKeymap::decode(std::string_view data) {
  Json document;
  try {
    document = json_coding::parseUntrustedJSON(data);
  } catch (const json_coding::JSONSyntaxError& error) {
    throw DecodingError(DecodingError::Kind::dataCorrupted, {}, error.what());
  }
  return fromJSON(document);
}

}  // namespace quillo
