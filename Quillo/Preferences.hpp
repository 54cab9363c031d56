// Preferences: the user-defaults keys Quillo keeps its few settings under.
//
// Every key is read and written through an accessor of its own here, so
// each rule of reading (the default of an absent key, a value of another
// type) is written once. The app controller owns the one instance and is its
// only writer. No other settings go into the user defaults: keymaps live in
// files. Main thread only; the defaults object must outlive this one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/UserDefaults.hpp"
#include "QuilloCore/MailboxFilter.hpp"
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
    static constexpr std::string_view recentMailboxes = "recentMailboxes";
  };

  explicit Preferences(platform::UserDefaults& defaults) : defaults_(defaults) {}

  /// Shortcuts are on unless "enabled" reads as false (a boolean false, a
  /// number 0, a string such as "NO"): an absent key or a value of another
  /// type reads as true.
  bool enabled() const { return defaults_.boolean(Keys::enabled).value_or(true); }
  /// Written only when the stored boolean differs: re-evaluating whether
  /// shortcuts are on is no reason to rewrite the settings file.
  void setEnabled(bool on) {
    if (defaults_.boolean(Keys::enabled) != on) defaults_.set(Keys::enabled, on);
  }

  /// The set stored under "shortcutSet" when it names one.
  std::optional<ShortcutSet> shortcutSet() const {
    const auto stored = defaults_.string(Keys::shortcutSet);
    return stored ? fromRawValue<ShortcutSet>(*stored) : std::nullopt;
  }
  void setShortcutSet(ShortcutSet set) {
    defaults_.set(Keys::shortcutSet, std::string(rawValue(set)));
  }

  void setLastActiveSet(ShortcutSet set) {
    defaults_.set(Keys::lastActiveSet, std::string(rawValue(set)));
  }

  /// The set stored under "lastActiveSet" when it names one, else gmail: the
  /// set that turning shortcuts back on selects.
  ShortcutSet lastActiveSet() const {
    const auto stored = defaults_.string(Keys::lastActiveSet);
    const auto set = stored ? fromRawValue<ShortcutSet>(*stored) : std::nullopt;
    return set && *set != ShortcutSet::off ? *set : ShortcutSet::gmail;
  }

  /// Off unless "debugLogging" reads as true.
  bool debugLogging() const { return defaults_.boolean(Keys::debugLogging).value_or(false); }
  void setDebugLogging(bool on) { defaults_.set(Keys::debugLogging, on); }

  /// The classic status menu in place of the panel; off unless set.
  bool classicMenu() const { return defaults_.boolean(Keys::classicMenu).value_or(false); }

  /// Whether launch at login was offered to this user already.
  bool askedLaunchAtLogin() const {
    return defaults_.boolean(Keys::askedLaunchAtLogin).value_or(false);
  }
  void setAskedLaunchAtLogin() { defaults_.set(Keys::askedLaunchAtLogin, true); }

  /// The mailboxes last chosen in the picker, most recent first: their
  /// paths only (nothing of any message), as JSON text under
  /// "recentMailboxes" ([["Work", "Clients", "Acme"], ["Receipts"]]). A
  /// value that is not such a list reads as none; at most `limit` are read,
  /// and an entry with an empty or overlong title is skipped.
  std::vector<Mailbox> recentMailboxes(std::size_t limit) const;
  void setRecentMailboxes(const std::vector<Mailbox>& mailboxes);

 private:
  platform::UserDefaults& defaults_;
};

}  // namespace quillo
