// Arbitrary text as a chord's text form and as the characters of a key
// event. Parsing never crashes; a parsed chord writes back to text that parses
// to an equal chord with an equal hash; a typed token is one character.
#include <cstddef>
#include <cstdint>
#include <string>

#include "QuilloCore/KeyChord.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (const auto chord = quillo::KeyChord::fromKeymapString(text)) {
    const auto again = quillo::KeyChord::fromKeymapString(chord->keymapString());
    if (!again || !(*again == *chord) || again->hash() != chord->hash()) __builtin_trap();
    (void)chord->hasShortcutModifier();
  }
  if (const auto token = quillo::KeyToken::typed(text)) {
    const quillo::KeyChord chord(*token, quillo::KeyModifiers(static_cast<uint8_t>(size)));
    (void)chord.keymapString();
  }
  (void)quillo::KeyToken::fromKeymapString(text);
  return 0;
}
