// FocusContext: where Mail's keyboard focus is, as far as shortcuts care.
//
// `unknown` means no reading of the focus could be taken; `other` means Mail's
// focus is somewhere that is none of the three places shortcuts act in.
#pragma once

#include <cstdint>

#include "QuilloCore/RawValueEnum.hpp"

namespace quillo {

enum class FocusContext : std::uint8_t { messageList, compose, messageWindow, other, unknown };

template <>
struct EnumRawValues<FocusContext> {
  static constexpr std::array<std::string_view, 5> values{"messageList", "compose", "messageWindow",
                                                          "other", "unknown"};
};

}  // namespace quillo
