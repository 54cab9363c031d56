#import <Foundation/Foundation.h>
#import <ServiceManagement/ServiceManagement.h>

#include "MacLoginItems.hpp"

#include "MacBridging.h"
#include "MacLoginItemStatus.hpp"

namespace quillo::platform::mac {

namespace {

std::optional<std::string> describe(NSError* error) {
  if (error == nil) return std::nullopt;
  return toStdString([error localizedDescription]);
}

}  // namespace

LoginItemStatus MacLoginItems::status() const {
  return loginItemStatus(static_cast<long>([[SMAppService mainAppService] status]));
}

std::optional<std::string> MacLoginItems::registerApp() {
  NSError* error = nil;
  const bool succeeded = [[SMAppService mainAppService] registerAndReturnError:&error];
  return loginItemChangeError(succeeded, describe(error));
}

std::optional<std::string> MacLoginItems::unregisterApp() {
  NSError* error = nil;
  const bool succeeded = [[SMAppService mainAppService] unregisterAndReturnError:&error];
  return loginItemChangeError(succeeded, describe(error));
}

void MacLoginItems::openSystemSettingsLoginItems() {
  [SMAppService openSystemSettingsLoginItems];
}

}  // namespace quillo::platform::mac
