// MacModifierFlags: an NSEvent's modifier flags as the seams take them —
// the device-independent bits only, which are EventFlags' bits (Shift,
// Control, Option, Command, Caps Lock, Fn…); the low 16 bits say which of
// the left and right keys it was, and nothing in Quillo asks. Pure.
#pragma once

#include <cstdint>

namespace quillo::platform::mac {

std::uint64_t deviceIndependentModifierFlags(std::uint64_t modifierFlags);

}  // namespace quillo::platform::mac
