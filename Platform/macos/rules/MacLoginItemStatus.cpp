#include "MacLoginItemStatus.hpp"

#include "MacConstants.hpp"

namespace quillo::platform::mac {

LoginItemStatus loginItemStatus(long rawStatus) {
  switch (rawStatus) {
    case AppServiceStatus::notRegistered:
      return LoginItemStatus::notRegistered;
    case AppServiceStatus::enabled:
      return LoginItemStatus::enabled;
    case AppServiceStatus::requiresApproval:
      return LoginItemStatus::requiresApproval;
    case AppServiceStatus::notFound:
      return LoginItemStatus::notFound;
  }
  return LoginItemStatus::notFound;
}

std::optional<std::string> loginItemChangeError(bool succeeded,
                                                std::optional<std::string> errorDescription) {
  if (succeeded) return std::nullopt;
  if (!errorDescription || errorDescription->empty())
    return std::string("The login item service reported a failure without an error.");
  return errorDescription;
}

}  // namespace quillo::platform::mac
