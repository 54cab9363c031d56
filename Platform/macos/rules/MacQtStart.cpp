#include "MacQtStart.hpp"

#include <stdlib.h>

#include <array>

namespace quillo::platform::mac {

namespace {

constexpr std::array kSettings{
    EnvironmentSetting{"QT_MAC_DISABLE_FOREGROUND_APPLICATION_TRANSFORM", "1"},
    EnvironmentSetting{"QT_MAC_SET_RAISE_PROCESS", "0"},
};

}  // namespace

std::span<const EnvironmentSetting> qtEnvironmentForMenuBarApp() {
  return kSettings;
}

std::string describe(std::span<const EnvironmentSetting> settings) {
  std::string out;
  for (const EnvironmentSetting& setting : settings) {
    if (!out.empty()) out += ' ';
    out += std::string(setting.name) + "=" + setting.value;
  }
  return out;
}

bool applyQtEnvironmentForMenuBarApp() {
  bool all = true;
  for (const EnvironmentSetting& setting : kSettings) {
    if (::setenv(setting.name, setting.value, /*overwrite=*/1) != 0) all = false;
  }
  return all;
}

}  // namespace quillo::platform::mac
