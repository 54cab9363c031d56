// DecodingError: why a JSON value could not be decoded into a core value.
//
// Carries the kind of failure and the coding path to the failing value
// (object members by name, array elements by their index from 0), so callers
// can tell the user exactly where a hand-edited file went wrong.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "QuilloCore/Export.hpp"

namespace quillo {

class QUILLO_CORE_EXPORT DecodingError : public std::runtime_error {
 public:
  enum class Kind {
    typeMismatch,   ///< a value of the wrong JSON type
    valueNotFound,  ///< null where a value is required
    keyNotFound,    ///< a required member is missing; `missingKey` names it
    dataCorrupted,  ///< not JSON at all, or a value that cannot be converted
  };

  DecodingError(Kind kind, std::vector<std::string> codingPath, std::string description,
                std::string missingKey = {});

  Kind kind() const noexcept { return kind_; }
  const std::vector<std::string>& codingPath() const noexcept { return codingPath_; }
  /// The decoder's own description of the problem, without the path.
  const std::string& description() const noexcept { return description_; }
  const std::string& missingKey() const noexcept { return missingKey_; }

 private:
  Kind kind_;
  std::vector<std::string> codingPath_;
  std::string description_;
  std::string missingKey_;
};

}  // namespace quillo
