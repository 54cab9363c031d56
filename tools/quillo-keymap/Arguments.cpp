#include "Arguments.hpp"

#include <algorithm>

namespace quillo::keymaptool {

std::optional<std::string> Arguments::take(const std::string& name) {
  const std::string flag = "--" + name;
  const auto found = std::find(arguments_.begin(), arguments_.end(), flag);
  if (found == arguments_.end()) return std::nullopt;
  if (found + 1 == arguments_.end()) throw UsageError(flag + " needs a value");
  std::string value = *(found + 1);
  arguments_.erase(found, found + 2);
  if (std::find(arguments_.begin(), arguments_.end(), flag) != arguments_.end()) {
    throw UsageError(flag + " is given more than once");
  }
  return value;
}

bool Arguments::takeFlag(const std::string& name) {
  const std::string flag = "--" + name;
  const auto found = std::find(arguments_.begin(), arguments_.end(), flag);
  if (found == arguments_.end()) return false;
  arguments_.erase(found);
  return true;
}

std::vector<std::string> Arguments::positionals() const {
  std::vector<std::string> rest;
  bool onlyPositionals = false;
  for (const auto& argument : arguments_) {
    if (!onlyPositionals && argument == "--") {
      onlyPositionals = true;
      continue;
    }
    // A lone "-" or "+" style key is a positional; "--word" is an option.
    if (!onlyPositionals && argument.size() > 2 && argument.starts_with("--")) {
      throw UsageError("unknown option " + argument);
    }
    rest.push_back(argument);
  }
  return rest;
}

}  // namespace quillo::keymaptool
