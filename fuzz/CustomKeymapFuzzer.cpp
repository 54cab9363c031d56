// Arbitrary bytes as a custom.json file. Decoding either yields a definition
// or fails with a DecodingError, never anything else. A decoded definition
// encodes and decodes back to an equal value, builds a keymap, and accepts
// the assignment of one of its own chords without leaving another action on
// that chord.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "QuilloCore/CheatSheet.hpp"
#include "QuilloCore/CustomKeymap.hpp"
#include "QuilloCore/DecodingError.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quillo;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CustomKeymap definition;
  try {
    definition = CustomKeymap::decode(bytes);
  } catch (const DecodingError&) {
    return 0;
  }
  if (!(CustomKeymap::decode(definition.toJSON().dump()) == definition)) __builtin_trap();
  (void)definition.keymap();
  for (const auto& [action, chords] : definition.overrides) {
    if (chords.empty() || CustomKeymap::problem(chords.front(), action)) continue;
    CustomKeymap edited = definition;
    edited.assign(chords.front(), action);
    const Keymap keymap = edited.keymap();
    for (ActionID other : allCases<ActionID>()) {
      if (other == action) continue;
      const auto keys = CheatSheet::keysProvided(other, keymap);
      if (std::find(keys.begin(), keys.end(), chords.front()) != keys.end()) __builtin_trap();
    }
    break;
  }
  return 0;
}
