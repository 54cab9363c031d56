// Preferences: the user-defaults keys Quillo keeps its few settings under.
//
// Two accessors carry a rule of their own (enabled, lastActiveSet); every
// other key is read and written through `defaults` by the part that owns it.
// No other settings go into the user defaults: keymaps live in files.
// Main thread only; the defaults object must outlive this one.
#pragma once

#include <string_view>

#include "Platform/UserDefaults.hpp"
#include "ShortcutSet.hpp"

namespace quillo {

class Preferences {
 public:
  /// The complete set of the program's own keys.
  struct Keys {
    static constexpr std::string_view shortcutSet = "shortcutSet";
    static constexpr std::string_view enabled = "enabled";
    static constexpr std::string_view lastActiveSet = "lastActiveSet";
    static constexpr std::string_view debugLogging = "debugLogging";
    static constexpr std::string_view classicMenu = "classicMenu";
    static constexpr std::string_view askedLaunchAtLogin = "askedLaunchAtLogin";
  };

  explicit Preferences(platform::UserDefaults& defaults) : defaults(defaults) {}

  /// Shortcuts are on unless "enabled" reads as false (a boolean false, a
  /// number 0, a string such as "NO"): an absent key or a value of another
  /// type reads as true.
  bool enabled() const { return defaults.boolean(Keys::enabled).value_or(true); }

  void setLastActiveSet(ShortcutSet set) {
    defaults.set(Keys::lastActiveSet, std::string(rawValue(set)));
  }

  /// The set stored under "lastActiveSet" when it names one, else gmail: the
  /// set that turning shortcuts back on selects.
  ShortcutSet lastActiveSet() const {
    const auto stored = defaults.string(Keys::lastActiveSet);
    const auto set = stored ? fromRawValue<ShortcutSet>(*stored) : std::nullopt;
    return set && *set != ShortcutSet::off ? *set : ShortcutSet::gmail;
  }

  platform::UserDefaults& defaults;
};

}  // namespace quillo
