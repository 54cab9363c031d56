#include "UntrustedJSON.hpp"

#include <algorithm>
#include <cstring>
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
  const char* p = data.data();
  const char* const end = p + data.size();
  while (p < end) {
    switch (*p++) {
      case '"':
        // Jump to the closing quote: one preceded by an even number of
        // backslashes. Strings are most of a keymap's bytes.
        while (true) {
          const auto* quote =
              static_cast<const char*>(std::memchr(p, '"', static_cast<std::size_t>(end - p)));
          if (!quote) return deepest;  // unterminated: the parser says so
          std::size_t backslashes = 0;
          for (const char* q = quote; q > p && q[-1] == '\\'; --q)
            ++backslashes;
          p = quote + 1;
          if (backslashes % 2 == 0) break;
        }
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
  // The parser takes a NUL byte for the end of its input and would accept
  // whatever follows it; JSON has no place for one, not even in a string.
  if (data.find('\0') != std::string_view::npos) throw JSONSyntaxError("malformed JSON");
  nlohmann::json document = nlohmann::json::parse(data, nullptr, /*allow_exceptions=*/false);
  if (document.is_discarded()) throw JSONSyntaxError("malformed JSON");
  return document;
}

}  // namespace quillo::json_coding
