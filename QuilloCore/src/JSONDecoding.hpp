// Decoding helpers over parsed JSON that keep track of where they are.
//
// Internal to QuilloCore. Each helper decodes the value at the current coding
// path and throws DecodingError carrying that path when the value is of the
// wrong type, null where a value is required, or missing. Optional members
// follow one rule throughout: a member that is missing or null is absent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "QuilloCore/DecodingError.hpp"

namespace quillo::json_coding {

using Json = nlohmann::json;

class CodingPath {
 public:
  class Scope {
   public:
    explicit Scope(CodingPath& path) : path_(path) {}
    ~Scope() { path_.components_.pop_back(); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    CodingPath& path_;
  };

  [[nodiscard]] Scope enter(std::string_view member) {
    components_.emplace_back(member);
    return Scope(*this);
  }
  [[nodiscard]] Scope enter(std::size_t index) {
    components_.push_back(std::to_string(index));
    return Scope(*this);
  }
  const std::vector<std::string>& components() const noexcept { return components_; }

 private:
  std::vector<std::string> components_;
};

/// "a string", "an array", "null", … for messages.
std::string describeType(const Json& value);

[[noreturn]] void throwTypeMismatch(const CodingPath& path, std::string_view expected,
                                    const Json& found);
[[noreturn]] void throwKeyNotFound(const CodingPath& path, std::string_view key);
[[noreturn]] void throwDataCorrupted(const CodingPath& path, std::string description);

/// The member `key` of `object`, or null when it is missing or JSON null.
const Json* presentMember(const Json& object, std::string_view key);

/// Requires `value` (at the current path) to be an object.
void expectObject(const Json& value, const CodingPath& path);
std::string decodeString(const Json& value, const CodingPath& path);
std::vector<std::string> decodeStringArray(const Json& value, CodingPath& path);
std::int64_t decodeInteger(const Json& value, const CodingPath& path);

}  // namespace quillo::json_coding
