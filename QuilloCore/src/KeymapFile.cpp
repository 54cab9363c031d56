#include "QuilloCore/KeymapFile.hpp"

#include <algorithm>

#include "FocusPolicyCoding.hpp"
#include "JSONDecoding.hpp"
#include "Unicode.hpp"
#include "UntrustedJSON.hpp"

namespace quillo {

KeymapError::KeymapError(Kind kind, std::int64_t version, std::string detail)
    : kind_(kind), version_(version), detail_(std::move(detail)) {
  description_ = kind_ == Kind::unsupportedVersion
                     ? "keymap.json version " + std::to_string(version_) +
                           " is newer than this build of Quillo understands"
                     : "keymap.json isn't valid: " + detail_;
}

KeymapError KeymapError::unsupportedVersion(std::int64_t version) {
  return KeymapError(Kind::unsupportedVersion, version, {});
}

KeymapError KeymapError::invalidJSON(std::string detail) {
  return KeymapError(Kind::invalidJSON, 0, std::move(detail));
}

namespace {

using json_coding::CodingPath;
using json_coding::Json;

// MARK: - The file object, decoded

/// One member of a key map: the name as written and the action text, or none
/// for a JSON null.
struct KeyEntry {
  std::string name;
  std::optional<std::string> action;
};

struct ActionEntry {
  std::string name;
  ActionSpec spec;
  std::optional<std::string> title;
  /// The "in" member: where the action acts.
  std::optional<std::vector<std::string>> places;
};

struct KeymapFileObject {
  std::optional<std::int64_t> version;
  std::optional<std::vector<KeyEntry>> keys;
  std::optional<std::vector<KeyEntry>> composeKeys;
  std::optional<std::vector<KeyEntry>> anywhereKeys;
  std::optional<std::vector<ActionEntry>> actions;
  std::optional<FocusPolicy> focus;
};

// Object members come out of the parsed document sorted by name in byte
// order, which for UTF-8 is code-point order: the order sections are visited
// in, so warnings and "later entry wins" follow the names, not the file.

std::vector<KeyEntry> decodeKeyMap(const Json& value, CodingPath& path) {
  json_coding::expectObject(value, path);
  std::vector<KeyEntry> entries;
  entries.reserve(value.size());
  for (const auto& [name, action] : value.items()) {
    auto scope = path.enter(name);
    if (action.is_null()) {
      entries.push_back({name, std::nullopt});
    } else if (action.is_string()) {
      entries.push_back({name, action.get<std::string>()});
    } else {
      json_coding::throwTypeMismatch(path, "an action name or null", action);
    }
  }
  return entries;
}

/// A menu path written as one string: titles between "›" signs, spaces
/// around each sign left out ("Message › Move To › Receipts").
MenuPath splitMenuPath(std::string_view text) {
  static constexpr std::string_view separator = "\u203A";
  MenuPath path;
  for (;;) {
    const auto end = text.find(separator);
    path.emplace_back(unicode::trimmingSpacesAndTabs(text.substr(0, end)));
    if (end == std::string_view::npos) return path;
    text.remove_prefix(end + separator.size());
  }
}

ActionEntry decodeActionEntry(std::string actionName, const Json& value, CodingPath& path) {
  json_coding::expectObject(value, path);
  ActionEntry entry{std::move(actionName), {}, std::nullopt, std::nullopt};
  ActionSpec& spec = entry.spec;
  if (const Json* menu = json_coding::presentMember(value, "menu")) {
    auto scope = path.enter("menu");
    if (!menu->is_array()) json_coding::throwTypeMismatch(path, "an array of menu paths", *menu);
    for (std::size_t i = 0; i < menu->size(); ++i) {
      auto element = path.enter(i);
      const Json& item = (*menu)[i];
      spec.menu.push_back(item.is_string() ? splitMenuPath(item.get_ref<const std::string&>())
                                           : json_coding::decodeStringArray(item, path));
    }
  }
  if (const Json* title = json_coding::presentMember(value, "title")) {
    auto scope = path.enter("title");
    entry.title = json_coding::decodeString(*title, path);
  }
  if (const Json* places = json_coding::presentMember(value, "in")) {
    auto scope = path.enter("in");
    entry.places = json_coding::decodeStringArray(*places, path);
  }
  if (const Json* key = json_coding::presentMember(value, "key")) {
    auto scope = path.enter("key");
    const std::string name = json_coding::decodeString(*key, path);
    spec.key = fromRawValue<KeyToken::NamedKey>(name);
    if (!spec.key) {
      json_coding::throwDataCorrupted(path, "\"" + name + "\" is not the name of a key");
    }
  }
  return entry;
}

std::vector<ActionEntry> decodeActions(const Json& value, CodingPath& path) {
  json_coding::expectObject(value, path);
  std::vector<ActionEntry> entries;
  for (const auto& [name, spec] : value.items()) {
    auto scope = path.enter(name);
    entries.push_back(decodeActionEntry(name, spec, path));
  }
  return entries;
}

KeymapFileObject decodeFile(const Json& document) {
  CodingPath path;
  json_coding::expectObject(document, path);
  KeymapFileObject file;
  if (const Json* version = json_coding::presentMember(document, "version")) {
    auto scope = path.enter("version");
    file.version = json_coding::decodeInteger(*version, path);
  }
  const std::pair<const char*, std::optional<std::vector<KeyEntry>> KeymapFileObject::*> maps[] = {
      {"keys", &KeymapFileObject::keys},
      {"composeKeys", &KeymapFileObject::composeKeys},
      {"anywhereKeys", &KeymapFileObject::anywhereKeys},
  };
  for (const auto& [name, field] : maps) {
    if (const Json* map = json_coding::presentMember(document, name)) {
      auto scope = path.enter(name);
      file.*field = decodeKeyMap(*map, path);
    }
  }
  if (const Json* actions = json_coding::presentMember(document, "actions")) {
    auto scope = path.enter("actions");
    file.actions = decodeActions(*actions, path);
  }
  if (const Json* focus = json_coding::presentMember(document, "focus")) {
    auto scope = path.enter("focus");
    file.focus = json_coding::decodeFocusPolicy(*focus, path);
  }
  return file;
}

// MARK: - Error details

std::string locationText(const std::vector<std::string>& path) {
  if (path.empty()) return {};
  std::string text = " at ";
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (i > 0) text += '.';
    text += path[i];
  }
  return text;
}

std::string detailFor(const DecodingError& error) {
  const std::string location = locationText(error.codingPath());
  switch (error.kind()) {
    case DecodingError::Kind::dataCorrupted:
      return "malformed JSON" + location;
    case DecodingError::Kind::keyNotFound:
      return "missing \"" + error.missingKey() + "\"" + location;
    case DecodingError::Kind::typeMismatch:
    case DecodingError::Kind::valueNotFound:
      return "unexpected value" + location + ": " + error.description();
  }
  return "unreadable";
}

// MARK: - Sections

bool meansNoBinding(const std::optional<std::string>& value) {
  return !value || value->empty() || *value == "none";
}

std::string inQuotes(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += text;
  quoted += '"';
  return quoted;
}

class SectionReader {
 public:
  explicit SectionReader(std::vector<std::string>& warnings) : warnings_(warnings) {}

  void readKeys(const std::vector<KeyEntry>& entries, Keymap& keymap) {
    readSection(entries, KeySection::keys, keymap, "Key ", [&](const KeyEntry& entry) {
      const auto& [name, value] = entry;
      if (unicode::characterCount(name, 2) >= 2 && name.find('+') != std::string::npos) {
        const auto chord = KeyChord::fromKeymapString(name);
        if (!chord || !chord->hasShortcutModifier()) {
          warn("Key " + inQuotes(name) +
               " isn't a chord like \"ctrl+e\" (it needs cmd, ctrl or option).");
          return;
        }
        bind(keymap, keymap.listChords, *chord, name, value, "Key ");
        return;
      }
      const auto token = KeyToken::fromKeymapString(name);
      if (!token) {
        warn("Key " + inQuotes(name) + " isn't a single character or a named key (" +
             namedKeyList() + ").");
        return;
      }
      bind(keymap, keymap.bindings, *token, name, value, "Key ");
    });
  }

  void readComposeKeys(const std::vector<KeyEntry>& entries, Keymap& keymap) {
    readSection(entries, KeySection::composeKeys, keymap, "Compose key ",
                [&](const KeyEntry& entry) {
                  const auto& [name, value] = entry;
                  const auto chord = KeyChord::fromKeymapString(name);
                  if (!chord) {
                    warn("Compose key " + inQuotes(name) + " isn't a chord like \"cmd+return\".");
                    return;
                  }
                  if (!chord->hasShortcutModifier()) {
                    warn("Compose key " + inQuotes(name) +
                         " needs cmd, ctrl or option, or it would block typing.");
                    return;
                  }
                  bind(keymap, keymap.composeBindings, *chord, name, value, "Compose key ");
                });
  }

  void readAnywhereKeys(const std::vector<KeyEntry>& entries, Keymap& keymap) {
    readSection(entries, KeySection::anywhereKeys, keymap, "Anywhere key ",
                [&](const KeyEntry& entry) {
                  const auto& [name, value] = entry;
                  const auto chord = KeyChord::fromKeymapString(name);
                  if (!chord || !chord->hasShortcutModifier()) {
                    warn("Anywhere key " + inQuotes(name) +
                         " needs cmd, ctrl or option, or it would block typing.");
                    return;
                  }
                  bind(keymap, keymap.anywhereChords, *chord, name, value, "Anywhere key ");
                });
  }

  /// The file's actions: a built-in action's spec over its default (a spec
  /// with a problem keeps the default; only the defaults the file leaves in
  /// place are copied), any other name defines an action of the keymap's
  /// own. Read before the key sections, which may bind those.
  void readActions(std::vector<ActionEntry>& entries, Keymap& keymap) {
    for (auto& entry : entries) {
      const std::string& name = entry.name;
      if (const auto action = fromRawValue<ActionID>(name)) {
        if (*action == ActionID::showShortcuts) {
          warn("Action " + inQuotes(name) +
               " is done by Quillo itself, not through Mail's menus; its entry in \"actions\" "
               "is ignored.");
          continue;
        }
        if (entry.title || entry.places) {
          warn("Action " + inQuotes(name) +
               " is built in: its place and title are Quillo's, so \"in\" and \"title\" "
               "are ignored.");
        }
        if (const auto problem = entry.spec.problem()) {
          warn("Action " + inQuotes(name) + " " + *problem + "; using the default.");
          continue;
        }
        keymap.actions.insert_or_assign(*action, std::move(entry.spec));
      } else {
        defineOwnAction(entry, keymap);
      }
    }
    for (const auto& [action, spec] : Keymap::defaultActions())
      keymap.actions.try_emplace(action, spec);
  }

  void checkFocusRules(const FocusPolicy& policy) {
    for (std::size_t i = 0; i < policy.allow.size(); ++i) {
      if (!policy.allow[i].focused.isSpecific()) {
        warn("Focus rule " + std::to_string(i + 1) +
             " has no role or identifier, so it's ignored.");
      }
    }
  }

 private:
  /// Defines one action of the keymap's own, or says why it can't.
  void defineOwnAction(ActionEntry& entry, Keymap& keymap) {
    const std::string what = "Action " + inQuotes(entry.name);
    if (!Keymap::isUsableOwnActionName(entry.name)) {
      warn(what +
           " isn't a name Quillo can use: it starts with a letter and has only letters "
           "and digits, at most " +
           std::to_string(Keymap::maxOwnActionNameLength) + " of them.");
      return;
    }
    if (const auto problem = entry.spec.problem()) {
      warn(what + " " + *problem + ", so it's ignored.");
      return;
    }
    UserAction action{entry.name, entry.name, true, true};
    if (entry.places) {
      action.inMessageList = action.inOpenMessage = false;
      for (const std::string& place : *entry.places) {
        if (place == "messageList") {
          action.inMessageList = true;
        } else if (place == "openMessage") {
          action.inOpenMessage = true;
        } else {
          warn(what + " names an unknown place " + inQuotes(place) +
               " in \"in\" (messageList or openMessage).");
        }
      }
      if (!action.inMessageList && !action.inOpenMessage) {
        warn(what + " acts nowhere (\"in\" names no known place), so it's ignored.");
        return;
      }
    }
    if (entry.title) {
      const std::string_view title = unicode::trimmingSpacesAndTabs(*entry.title);
      if (title.empty() || unicode::characterCount(title, maxTitleLength + 1) > maxTitleLength) {
        warn(what + " needs a title of 1 to " + std::to_string(maxTitleLength) +
             " characters; its name is shown.");
      } else {
        action.title = title;
      }
    }
    if (!keymap.addUserAction(std::move(action), std::move(entry.spec))) {
      warn(what + " is ignored: a keymap defines at most " + std::to_string(maxUserActions) +
           " actions of its own.");
    }
  }

  static constexpr std::size_t maxTitleLength = 60;

  /// Reads a key section: each single key or chord through `readSingle`, in
  /// the file's order, then the section's two-key sequences.
  template <typename ReadSingle>
  void readSection(const std::vector<KeyEntry>& entries, KeySection section, Keymap& keymap,
                   const std::string& what, ReadSingle readSingle) {
    std::vector<const KeyEntry*> sequences;
    for (const auto& entry : entries) {
      if (KeySequence::looksLikeSequence(entry.name)) {
        sequences.push_back(&entry);
      } else {
        readSingle(entry);
      }
    }
    readSequences(sequences, section, keymap, what);
  }

  /// Two-key sequences of one section, read after the section's single
  /// bindings so that the rule below does not depend on the order of the
  /// file: a sequence whose first key is bound on its own in the same section
  /// is dropped with a warning and the single binding stays (a key that
  /// worked keeps working when a sequence is added). Outside "keys", the
  /// first key needs cmd, ctrl or option, like any key there.
  void readSequences(const std::vector<const KeyEntry*>& entries, KeySection section,
                     Keymap& keymap, const std::string& what) {
    for (const KeyEntry* entry : entries) {
      const auto& [name, value] = *entry;
      const auto sequence = KeySequence::fromKeymapString(name);
      if (!sequence || !sequence->isSequence()) {
        warn(what + inQuotes(name) + " isn't a sequence of two keys like \"g i\".");
        continue;
      }
      if (section != KeySection::keys && !sequence->first().hasShortcutModifier()) {
        warn(what + inQuotes(name) +
             " needs cmd, ctrl or option on its first key, or it would block typing.");
        continue;
      }
      if (meansNoBinding(value)) continue;
      const auto alone = keymap.meaning(section, sequence->first());
      if (alone.kind == ChordMeaning::Kind::performs) {
        warn(what + inQuotes(name) + " is ignored: its first key " +
             inQuotes(name.substr(0, name.find(' '))) + " already does " +
             std::string(keymap.actionName(*alone.action)) + " on its own in \"" +
             std::string(rawValue(section)) + "\".");
        continue;
      }
      const auto action = keymap.actionNamed(*value);
      if (!action) {
        warn(what + inQuotes(name) + " maps to unknown action " + inQuotes(*value) + ".");
        continue;
      }
      if (isUserAction(*action) && section != KeySection::keys) {
        warnOwnActionOutsideKeys(what, name, *value);
        continue;
      }
      keymap.bindSequence(section, *sequence, *action);
    }
  }

  /// Binds `key` to the action named by `value`; a value meaning "no binding"
  /// is skipped silently, an unknown action name with a warning.
  template <class Table, class Key>
  void bind(const Keymap& keymap, Table& table, const Key& key, const std::string& name,
            const std::optional<std::string>& value, const std::string& what) {
    if (meansNoBinding(value)) return;
    const auto action = keymap.actionNamed(*value);
    if (!action) {
      warn(what + inQuotes(name) + " maps to unknown action " + inQuotes(*value) + ".");
      return;
    }
    if (isUserAction(*action) && what != "Key ") {
      warnOwnActionOutsideKeys(what, name, *value);
      return;
    }
    table.insert_or_assign(key, *action);
  }

  /// The keymap's own actions act where "in" says, in the message list and
  /// an opened message: their keys belong in "keys".
  void warnOwnActionOutsideKeys(const std::string& what, const std::string& name,
                                const std::string& action) {
    warn(what + inQuotes(name) + " is ignored: " + inQuotes(action) +
         " is an action of this file's own, and those act only where \"in\" says (the "
         "message list, an opened message), so their keys go in \"keys\".");
  }

  static std::string namedKeyList() {
    std::string names;
    for (auto key : allCases<KeyToken::NamedKey>()) {
      if (!names.empty()) names += ", ";
      names += rawValue(key);
    }
    return names;
  }

  void warn(std::string message) { warnings_.push_back(std::move(message)); }

  std::vector<std::string>& warnings_;
};

}  // namespace

KeymapLoadResult Keymap::parse(std::string_view data) {
  KeymapFileObject file;
  try {
    file = decodeFile(json_coding::parseUntrustedJSON(data));
  } catch (const json_coding::JSONSyntaxError& error) {
    throw KeymapError::invalidJSON(error.what());
  } catch (const DecodingError& error) {
    throw KeymapError::invalidJSON(detailFor(error));
  } catch (const std::exception& error) {
    throw KeymapError::invalidJSON(error.what());
  }

  if (file.version && *file.version > Keymap::fileVersion) {
    throw KeymapError::unsupportedVersion(*file.version);
  }

  std::vector<std::string> warnings;
  SectionReader reader(warnings);
  // A section that is present replaces the default table, so it starts empty.
  Keymap keymap(file.keys ? KeyBindings() : Keymap::defaultBindings(), {},
                file.composeKeys ? ChordBindings() : Keymap::defaultComposeBindings(), {},
                file.actions ? ActionTable() : Keymap::defaultActions(),
                file.focus ? std::move(*file.focus) : FocusPolicy::default_());
  // The actions come first, as the keys may bind the keymap's own; their
  // warnings still come after the keys', in the order of the file's sections.
  std::vector<std::string> actionWarnings;
  if (file.actions) SectionReader(actionWarnings).readActions(*file.actions, keymap);
  if (file.keys) reader.readKeys(*file.keys, keymap);
  if (file.composeKeys) reader.readComposeKeys(*file.composeKeys, keymap);
  if (file.anywhereKeys) reader.readAnywhereKeys(*file.anywhereKeys, keymap);
  warnings.insert(warnings.end(), std::make_move_iterator(actionWarnings.begin()),
                  std::make_move_iterator(actionWarnings.end()));
  reader.checkFocusRules(keymap.focus);
  return KeymapLoadResult{std::move(keymap), std::move(warnings)};
}

}  // namespace quillo
