// UserDefaults: the application's small persistent settings, by key.
//
// Values are typed: a boolean, a string, a number, absent, or something else
// (any other stored value, which callers treat as none of these). Booleans
// are read the way the Mac reads them, so a hand-edited settings file means
// what its author expects. Writes are durable at once. Main thread only.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace quillo::platform {

/// A stored value of a type the application does not use.
struct OtherDefaultValue {
  bool operator==(const OtherDefaultValue&) const = default;
};

using DefaultValue = std::variant<std::monostate, bool, std::string, double, OtherDefaultValue>;

/// How the Mac reads a string as a boolean: after leading white space, "Y",
/// "y", "T", "t" or a digit 1–9 (after an optional sign and leading zeros)
/// is true; anything else is false.
bool booleanFromString(std::string_view text) noexcept;

class UserDefaults {
 public:
  virtual ~UserDefaults() = default;

  /// The stored value; std::monostate when the key is absent.
  virtual DefaultValue value(std::string_view key) const = 0;
  virtual void set(std::string_view key, bool value) = 0;
  virtual void set(std::string_view key, std::string value) = 0;
  virtual void remove(std::string_view key) = 0;
  /// Why the stored settings could not be used when they were read (they
  /// then count as empty); none when they could, or when the store repairs
  /// its own file (NSUserDefaults does).
  virtual std::optional<std::string> loadProblem() const { return std::nullopt; }

  /// The value as a boolean: a stored boolean; a number, true unless 0; a
  /// string read as the Mac reads it ("YES", "true", "1" are true). None
  /// when absent or of another type.
  std::optional<bool> boolean(std::string_view key) const {
    const DefaultValue stored = value(key);
    if (const bool* flag = std::get_if<bool>(&stored)) return *flag;
    if (const double* number = std::get_if<double>(&stored)) return *number != 0;
    if (const std::string* text = std::get_if<std::string>(&stored)) {
      return booleanFromString(*text);
    }
    return std::nullopt;
  }
  /// The value when it is stored as a string.
  std::optional<std::string> string(std::string_view key) const {
    DefaultValue stored = value(key);
    if (std::string* text = std::get_if<std::string>(&stored)) return std::move(*text);
    return std::nullopt;
  }
  // A string literal is a string, not a boolean.
  void set(std::string_view key, const char* value) { set(key, std::string(value)); }
};

}  // namespace quillo::platform
