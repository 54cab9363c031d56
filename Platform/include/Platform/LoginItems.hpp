// LoginItems: whether the application opens when the user logs in.
//
// Stands for the main application's login item. Registering may need the
// user's approval in the system's settings, and either change may fail with
// an error text for the log. Main thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillo::platform {

enum class LoginItemStatus : std::uint8_t { notRegistered, enabled, requiresApproval, notFound };

class LoginItems {
 public:
  virtual ~LoginItems() = default;
  virtual LoginItemStatus status() const = 0;
  /// None on success, else the error's description.
  virtual std::optional<std::string> registerApp() = 0;
  virtual std::optional<std::string> unregisterApp() = 0;
  /// Shows the user where login items are managed.
  virtual void openSystemSettingsLoginItems() = 0;
};

}  // namespace quillo::platform
