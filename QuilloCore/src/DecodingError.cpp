#include "QuilloCore/DecodingError.hpp"

namespace quillo {
namespace {

std::string composeMessage(const std::vector<std::string>& path, const std::string& description) {
  if (path.empty()) return description;
  std::string joined;
  for (const auto& component : path) {
    if (!joined.empty()) joined += '.';
    joined += component;
  }
  return description + " at " + joined;
}

}  // namespace

DecodingError::DecodingError(Kind kind, std::vector<std::string> codingPath,
                             std::string description, std::string missingKey)
    : std::runtime_error(composeMessage(codingPath, description)),
      kind_(kind),
      codingPath_(std::move(codingPath)),
      description_(std::move(description)),
      missingKey_(std::move(missingKey)) {}

}  // namespace quillo
