// Feeds arbitrary bytes to the keymap.json parser: it must either produce a
// keymap or reject the file with a KeymapError, and never crash, hang or throw
// anything else. Whatever it produces must be usable: copied, compared,
// written back as JSON.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "QuilloCore/KeymapFile.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    quillo::KeymapLoadResult result = quillo::Keymap::parse(bytes);
    const quillo::Keymap copy = result.keymap;
    if (!(copy == result.keymap)) __builtin_trap();
    (void)copy.matchingPreset();
    (void)copy.focus.toJSON().dump();
    for (const auto& [chord, action] : copy.listChords) {
      // Every chord the parser accepted is written and read back unchanged.
      const auto again = quillo::KeyChord::fromKeymapString(chord.keymapString());
      if (!again || !(*again == chord)) __builtin_trap();
    }
  } catch (const quillo::KeymapError& error) {
    (void)error.description();
  }
  return 0;
}
