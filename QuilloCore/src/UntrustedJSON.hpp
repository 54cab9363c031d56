// Parsing of JSON files that anyone may have written.
#pragma once

#include <stdexcept>
#include <string_view>

#include <nlohmann/json.hpp>

namespace quillo::json_coding {

/// Why a file is not usable JSON at all: "malformed JSON", "it is nested
/// more than 32 levels deep" or "the file is larger than 4 MB".
struct JSONSyntaxError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

/// Parses `data` after checking it against FileLimits; the document returned
/// is never deeper than FileLimits::maximumNesting, so walking, copying and
/// destroying it stays within a small, fixed stack depth.
nlohmann::json parseUntrustedJSON(std::string_view data);

}  // namespace quillo::json_coding
