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

ActionSpec decodeActionSpec(const Json& value, CodingPath& path) {
  json_coding::expectObject(value, path);
  ActionSpec spec;
  if (const Json* menu = json_coding::presentMember(value, "menu")) {
    auto scope = path.enter("menu");
    if (!menu->is_array()) json_coding::throwTypeMismatch(path, "an array of menu paths", *menu);
    for (std::size_t i = 0; i < menu->size(); ++i) {
      auto element = path.enter(i);
      spec.menu.push_back(json_coding::decodeStringArray((*menu)[i], path));
    }
  }
  if (const Json* key = json_coding::presentMember(value, "key")) {
    auto scope = path.enter("key");
    const std::string name = json_coding::decodeString(*key, path);
    spec.key = fromRawValue<KeyToken::NamedKey>(name);
    if (!spec.key) {
      json_coding::throwDataCorrupted(path, "\"" + name + "\" is not the name of a key");
    }
  }
  return spec;
}

std::vector<ActionEntry> decodeActions(const Json& value, CodingPath& path) {
  json_coding::expectObject(value, path);
  std::vector<ActionEntry> entries;
  for (const auto& [name, spec] : value.items()) {
    auto scope = path.enter(name);
    entries.push_back({name, decodeActionSpec(spec, path)});
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
        bind(keymap.listChords, *chord, name, value, "Key ");
        return;
      }
      const auto token = KeyToken::fromKeymapString(name);
      if (!token) {
        warn("Key " + inQuotes(name) + " isn't a single character or a named key (" +
             namedKeyList() + ").");
        return;
      }
      bind(keymap.bindings, *token, name, value, "Key ");
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
                  bind(keymap.composeBindings, *chord, name, value, "Compose key ");
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
                  bind(keymap.anywhereChords, *chord, name, value, "Anywhere key ");
                });
  }

  /// The file's specs over the defaults: a spec with a problem keeps the
  /// default; only the defaults the file leaves in place are copied.
  void readActions(std::vector<ActionEntry>& entries, ActionTable& actions) {
    for (auto& [name, spec] : entries) {
      const auto action = fromRawValue<ActionID>(name);
      if (!action) {
        warn("Unknown action " + inQuotes(name) + " in \"actions\".");
        continue;
      }
      if (isQuillosOwn(*action)) {
        warn("Action " + inQuotes(name) +
             " is done by Quillo itself, not through Mail's menus; its entry in \"actions\" is "
             "ignored.");
        continue;
      }
      if (const auto problem = spec.problem()) {
        warn("Action " + inQuotes(name) + " " + *problem + "; using the default.");
        continue;
      }
      actions.insert_or_assign(*action, std::move(spec));
    }
    for (const auto& [action, spec] : Keymap::defaultActions())
      actions.try_emplace(action, spec);
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
             std::string(rawValue(*alone.action)) + " on its own in \"" +
             std::string(rawValue(section)) + "\".");
        continue;
      }
      const auto action = fromRawValue<ActionID>(*value);
      if (!action) {
        warn(what + inQuotes(name) + " maps to unknown action " + inQuotes(*value) + ".");
        continue;
      }
      keymap.bindSequence(section, *sequence, *action);
    }
  }

  /// Binds `key` to the action named by `value`; a value meaning "no binding"
  /// is skipped silently, an unknown action name with a warning.
  template <class Table, class Key>
  void bind(Table& table, const Key& key, const std::string& name,
            const std::optional<std::string>& value, const std::string& what) {
    if (meansNoBinding(value)) return;
    const auto action = fromRawValue<ActionID>(*value);
    if (!action) {
      warn(what + inQuotes(name) + " maps to unknown action " + inQuotes(*value) + ".");
      return;
    }
    table.insert_or_assign(key, *action);
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
  if (file.keys) reader.readKeys(*file.keys, keymap);
  if (file.composeKeys) reader.readComposeKeys(*file.composeKeys, keymap);
  if (file.anywhereKeys) reader.readAnywhereKeys(*file.anywhereKeys, keymap);
  if (file.actions) reader.readActions(*file.actions, keymap.actions);
  reader.checkFocusRules(keymap.focus);
  return KeymapLoadResult{std::move(keymap), std::move(warnings)};
}

}  // namespace quillo
