// KeymapPreset: the ready-made keymaps that imitate other mail programs.
//
// Each preset is a complete Keymap with the default action specs and focus
// policy; presets differ only in their key tables. The tables are built once,
// on first use, thread-safely, and shared.
#pragma once

#include <cstdint>
#include <string_view>

#include "QuilloCore/Export.hpp"
#include "QuilloCore/Keymap.hpp"
#include "QuilloCore/RawValueEnum.hpp"

namespace quillo {

enum class KeymapPreset : std::uint8_t { gmail, outlookMac, outlookWindows };

template <>
struct EnumRawValues<KeymapPreset> {
  static constexpr std::array<std::string_view, 3> values{"gmail", "outlookMac", "outlookWindows"};
};

/// The preset's complete keymap (shared; the same object on every call).
QUILLO_CORE_EXPORT const Keymap& keymap(KeymapPreset preset);

}  // namespace quillo
