// Bundle: what ships with the application — its resource files and version.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quillo::platform {

class Bundle {
 public:
  virtual ~Bundle() = default;
  /// The installed resource file `name` ("keymap.json"), if the application
  /// has one.
  virtual std::optional<std::filesystem::path> resource(std::string_view name) const = 0;
  /// The short version string, such as "0.1.0".
  virtual std::string shortVersion() const = 0;
};

}  // namespace quillo::platform
