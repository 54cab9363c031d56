#include "UntrustedJSON.hpp"

#include <algorithm>
#include <string>

#include "QuilloCore/FileLimits.hpp"

namespace quillo::json_coding {
namespace {

/// The deepest nesting of arrays and objects in `data`, stopping the scan as
/// soon as `limit` is exceeded. Strings (with their escapes) are skipped, so
/// brackets inside them do not count. Iterative: any input is safe.
std::size_t nestingDepth(std::string_view data, std::size_t limit) {
  std::size_t depth = 0;
  std::size_t deepest = 0;
  bool inString = false;
  bool escaped = false;
  for (char c : data) {
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    switch (c) {
      case '"':
        inString = true;
        break;
      case '[':
      case '{':
        deepest = std::max(deepest, ++depth);
        if (deepest > limit) return deepest;
        break;
      case ']':
      case '}':
        if (depth > 0) --depth;
        break;
      default:
        break;
    }
  }
  return deepest;
}

}  // namespace

nlohmann::json parseUntrustedJSON(std::string_view data) {
  if (data.size() > FileLimits::maximumSize) {
    throw JSONSyntaxError("the file is larger than " +
                          std::to_string(FileLimits::maximumSize / (1024 * 1024)) + " MB");
  }
  if (nestingDepth(data, FileLimits::maximumNesting) > FileLimits::maximumNesting) {
    throw JSONSyntaxError("it is nested more than " + std::to_string(FileLimits::maximumNesting) +
                          " levels deep");
  }
  nlohmann::json document = nlohmann::json::parse(data, nullptr, /*allow_exceptions=*/false);
  if (document.is_discarded()) throw JSONSyntaxError("malformed JSON");
  return document;
}

}  // namespace quillo::json_coding
