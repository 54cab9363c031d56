// Key tables written in fixtures as JSON objects: {"ctrl+e": "archive"} for
// chords, {"I": "markRead"} for single keys as typed.
#pragma once

#include <nlohmann/json.hpp>

#include "QuilloCore/Keymap.hpp"

namespace quillo::testing {

inline ChordBindings chordsFrom(const nlohmann::json& object) {
  ChordBindings table;
  for (const auto& [chord, action] : object.items()) {
    table.emplace(*KeyChord::fromKeymapString(chord),
                  *fromRawValue<ActionID>(action.get<std::string>()));
  }
  return table;
}

inline KeyBindings bindingsFrom(const nlohmann::json& object) {
  KeyBindings table;
  for (const auto& [key, action] : object.items()) {
    table.emplace(*KeyToken::fromKeymapString(key),
                  *fromRawValue<ActionID>(action.get<std::string>()));
  }
  return table;
}

}  // namespace quillo::testing
