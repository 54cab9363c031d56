// ShortcutSet: the shortcut sets the user chooses among.
//
// gmail, outlookMac and outlookWindows stand for the keymap presets of those
// names, custom for the user's own set, off for none of Quillo's shortcuts
// (Mail's own only). Stored in the user defaults by raw value.
//
// One table links each set to the preset that gives its keys, the baseline
// a custom set starts from when it is made from this one, and the words the
// panel shows for it; everything else asks the table.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "QuilloCore/CustomKeymap.hpp"
#include "QuilloCore/KeymapPreset.hpp"
#include "QuilloCore/RawValueEnum.hpp"

namespace quillo {

enum class ShortcutSet : std::uint8_t { gmail, outlookMac, outlookWindows, custom, off };

template <>
struct EnumRawValues<ShortcutSet> {
  static constexpr std::array<std::string_view, 5> values{"gmail", "outlookMac", "outlookWindows",
                                                          "custom", "off"};
};

/// What belongs to one set.
struct ShortcutSetFacts {
  ShortcutSet set;
  /// The preset that gives the set's keys; none for custom and off, whose
  /// keys are the custom definition's.
  std::optional<KeymapPreset> preset;
  /// Where the custom set's editor starts from when it is opened on this set.
  CustomKeymap::Baseline baseline;
  std::string_view title;
  std::string_view description;
};

/// Every set, in the enumeration's order.
inline constexpr std::array<ShortcutSetFacts, 5> shortcutSetTable{{
    {ShortcutSet::gmail, KeymapPreset::gmail, CustomKeymap::Baseline::gmail, "Gmail",
     "Single keys: E archive, J and K move, R reply"},
    {ShortcutSet::outlookMac, KeymapPreset::outlookMac, CustomKeymap::Baseline::outlookMac,
     "Outlook for Mac", "\u2303E archive, \u2318J forward, \u2318T mark read"},
    {ShortcutSet::outlookWindows, KeymapPreset::outlookWindows,
     CustomKeymap::Baseline::outlookWindows, "Outlook for Windows",
     "\u2303R reply, \u2303F forward, \u2303C copy, \u2303V paste"},
    {ShortcutSet::custom, std::nullopt, CustomKeymap::Baseline::appleMail, "Custom",
     "Your own keys, built on a set you choose"},
    {ShortcutSet::off, std::nullopt, CustomKeymap::Baseline::appleMail, "Off",
     "Use Apple Mail's own shortcuts"},
}};

constexpr const ShortcutSetFacts& facts(ShortcutSet set) {
  return shortcutSetTable[static_cast<std::size_t>(set)];
}
constexpr std::optional<KeymapPreset> preset(ShortcutSet set) {
  return facts(set).preset;
}
constexpr CustomKeymap::Baseline baseline(ShortcutSet set) {
  return facts(set).baseline;
}
/// "Gmail", "Outlook for Mac", …, "Custom", "Off".
constexpr std::string_view title(ShortcutSet set) {
  return facts(set).title;
}
/// The set's line under its title in the panel.
constexpr std::string_view description(ShortcutSet set) {
  return facts(set).description;
}

/// A custom baseline's title: the title of the set it stands for, "macOS"
/// for Mail's own keys.
constexpr std::string_view title(CustomKeymap::Baseline baseline) {
  for (const ShortcutSetFacts& entry : shortcutSetTable) {
    if (entry.preset && entry.baseline == baseline) return entry.title;
  }
  return "macOS";
}

static_assert(
    [] {
      for (std::size_t i = 0; i < shortcutSetTable.size(); ++i) {
        if (static_cast<std::size_t>(shortcutSetTable[i].set) != i) return false;
      }
      return shortcutSetTable.size() == EnumRawValues<ShortcutSet>::values.size();
    }(),
    "the table lists every set once, in the enumeration's order");

}  // namespace quillo
