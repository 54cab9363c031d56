// MacLoginItemStatus: what the main application's login-item service
// (SMAppService.mainApp) answers, in the terms of the LoginItems seam.
// Pure functions.
#pragma once

#include <optional>
#include <string>

#include "Platform/LoginItems.hpp"

namespace quillo::platform::mac {

/// SMAppServiceStatus's raw value as a LoginItemStatus. A value this code
/// does not know (a later system's) reads as notFound: it is neither on nor
/// waiting for approval, so nothing claims Quillo opens at login, and the
/// user can still try to register.
LoginItemStatus loginItemStatus(long rawStatus);

/// The outcome of register / unregister: none on success, else the error's
/// description. A call that answers failure without an error (or with an
/// empty description) still fails, with a text saying so.
std::optional<std::string> loginItemChangeError(bool succeeded,
                                                std::optional<std::string> errorDescription);

}  // namespace quillo::platform::mac
