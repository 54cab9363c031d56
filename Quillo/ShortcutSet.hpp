// ShortcutSet: the shortcut sets the user chooses among.
//
// gmail, outlookMac and outlookWindows stand for the keymap presets of those
// names, custom for the user's own set, off for none of Quillo's shortcuts
// (Mail's own only). Stored in the user defaults by raw value.
#pragma once

#include <cstdint>

#include "QuilloCore/RawValueEnum.hpp"

namespace quillo {

enum class ShortcutSet : std::uint8_t { gmail, outlookMac, outlookWindows, custom, off };

template <>
struct EnumRawValues<ShortcutSet> {
  static constexpr std::array<std::string_view, 5> values{"gmail", "outlookMac", "outlookWindows",
                                                          "custom", "off"};
};

}  // namespace quillo
