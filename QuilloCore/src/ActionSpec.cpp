#include "QuilloCore/ActionSpec.hpp"

#include "Unicode.hpp"

namespace quillo {
namespace {

constexpr std::string_view kAnywhere = "**";

}  // namespace

std::optional<std::string> ActionSpec::problem() const {
  if (menu.empty()) {
    if (!key) return std::string("has neither a menu path nor a key");
    return std::nullopt;
  }
  for (const auto& path : menu) {
    if (path.empty()) return std::string("has an empty menu path or title");
    for (const auto& title : path) {
      if (unicode::trimmingSpacesAndTabs(title).empty()) {
        return std::string("has an empty menu path or title");
      }
    }
    for (std::size_t i = 1; i < path.size(); ++i) {
      if (path[i] == kAnywhere) {
        return std::string("uses \"**\" somewhere other than the start of a path");
      }
    }
    if (path.front() == kAnywhere && path.size() != 2) {
      return std::string("must follow \"**\" with exactly one title");
    }
  }
  return std::nullopt;
}

}  // namespace quillo
