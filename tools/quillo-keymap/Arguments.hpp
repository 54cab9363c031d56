// A small reader of "--option value" style command lines for the subcommands.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillo::keymaptool {

/// Thrown for anything wrong on the command line; the message is shown after
/// "error: ".
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Arguments {
 public:
  explicit Arguments(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {}

  /// Removes "--name VALUE" and returns VALUE; none when the option is absent.
  std::optional<std::string> take(const std::string& name);
  /// Removes the flag "--name" and tells whether it was there.
  bool takeFlag(const std::string& name);
  /// The remaining arguments, after rejecting any unknown option.
  std::vector<std::string> positionals() const;

 private:
  std::vector<std::string> arguments_;
};

}  // namespace quillo::keymaptool
