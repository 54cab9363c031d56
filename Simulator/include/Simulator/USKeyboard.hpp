// The US (ANSI) keyboard of the simulated Mac: virtual key codes, what each
// key types with shift or option, and the characters macOS reports in a key
// event (control characters with control, function-key characters for the
// arrows and F-keys, and so on).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/KeyCodes.hpp"

namespace quillo::sim::USKeyboard {

/// The virtual key codes, as the whole platform names them.
namespace KeyCode = platform::KeyCode;

/// What the key types: unshifted, or with shift, or on the option layer.
/// None for keys without a printing character (arrows, Return, …), and an
/// empty string for option's dead keys (they type nothing by themselves).
std::optional<std::u16string> layoutCharacter(std::uint16_t keyCode, bool shift, bool option);

/// The characters macOS reports for a key event with these flags.
std::u16string eventCharacters(std::uint16_t keyCode, std::uint64_t flags);

/// The extra flags macOS sets on events of this key (function and keypad keys).
std::uint64_t keyFlags(std::uint16_t keyCode);

/// Where a character is on the keyboard: its key and whether shift types it.
struct Keystroke {
  std::uint16_t keyCode;
  bool shift;
};
std::optional<Keystroke> keystrokeFor(char32_t character);

/// Key codes of the named keys ("return", "enter" for the keypad's, "tab",
/// "space", "escape"/"esc", "delete", "up", "down", "left", "right", "f1"…).
std::optional<std::uint16_t> keyCodeNamed(std::string_view name);

/// A readable name of the key: "e", "return", "f1", "key 99".
std::string keyName(std::uint16_t keyCode);

}  // namespace quillo::sim::USKeyboard
