// Paths: the user's folders the application keeps its files in.
#pragma once

#include <filesystem>

namespace quillo::platform {

class Paths {
 public:
  virtual ~Paths() = default;
  /// Where applications keep their support files (the "Quillo" folder with
  /// keymap.json and custom.json goes inside).
  virtual std::filesystem::path applicationSupport() const = 0;
  /// Where applications keep their logs (the "Quillo" folder with debug.log).
  virtual std::filesystem::path logs() const = 0;
  /// The user's home folder.
  virtual std::filesystem::path home() const = 0;
};

}  // namespace quillo::platform
