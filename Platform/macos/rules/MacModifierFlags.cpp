#include "MacModifierFlags.hpp"

#include "MacConstants.hpp"

namespace quillo::platform::mac {

std::uint64_t deviceIndependentModifierFlags(std::uint64_t modifierFlags) {
  return modifierFlags & deviceIndependentFlagsMask;
}

}  // namespace quillo::platform::mac
