// MacLoginItems: the LoginItems seam over ServiceManagement's main-app
// service (SMAppService.mainAppService, macOS 13 and later): its status,
// register / unregister with the error's description on failure, and the
// Login Items page of System Settings. The service only works for a signed
// application bundle. Main thread only; stateless.
#pragma once

#include "Platform/LoginItems.hpp"

namespace quillo::platform::mac {

class MacLoginItems final : public LoginItems {
 public:
  LoginItemStatus status() const override;
  std::optional<std::string> registerApp() override;
  std::optional<std::string> unregisterApp() override;
  void openSystemSettingsLoginItems() override;
};

}  // namespace quillo::platform::mac
