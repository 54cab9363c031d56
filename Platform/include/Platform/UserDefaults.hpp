// UserDefaults: the application's small persistent settings, by key.
//
// Values are typed: a boolean, a string, absent, or something else (any other
// stored value, which callers treat as neither). Writes are durable at once.
// Main thread only.
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

using DefaultValue = std::variant<std::monostate, bool, std::string, OtherDefaultValue>;

class UserDefaults {
 public:
  virtual ~UserDefaults() = default;

  /// The stored value; std::monostate when the key is absent.
  virtual DefaultValue value(std::string_view key) const = 0;
  virtual void set(std::string_view key, bool value) = 0;
  virtual void set(std::string_view key, std::string value) = 0;
  virtual void remove(std::string_view key) = 0;

  /// The value when it is stored as a boolean.
  std::optional<bool> boolean(std::string_view key) const {
    const DefaultValue stored = value(key);
    if (const bool* flag = std::get_if<bool>(&stored)) return *flag;
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
