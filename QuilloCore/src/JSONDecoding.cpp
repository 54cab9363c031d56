#include "JSONDecoding.hpp"

#include <cmath>
#include <limits>

namespace quillo::json_coding {

std::string describeType(const Json& value) {
  switch (value.type()) {
    case Json::value_t::null:
      return "null";
    case Json::value_t::object:
      return "an object";
    case Json::value_t::array:
      return "an array";
    case Json::value_t::string:
      return "a string";
    case Json::value_t::boolean:
      return "a boolean";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
      return "a number";
    case Json::value_t::binary:
    case Json::value_t::discarded:
      return "an unsupported value";
  }
  return "an unsupported value";
}

void throwTypeMismatch(const CodingPath& path, std::string_view expected, const Json& found) {
  const auto kind =
      found.is_null() ? DecodingError::Kind::valueNotFound : DecodingError::Kind::typeMismatch;
  throw DecodingError(kind, path.components(),
                      "expected " + std::string(expected) + ", found " + describeType(found));
}

void throwKeyNotFound(const CodingPath& path, std::string_view key) {
  throw DecodingError(DecodingError::Kind::keyNotFound, path.components(),
                      "no value for the required member \"" + std::string(key) + "\"",
                      std::string(key));
}

void throwDataCorrupted(const CodingPath& path, std::string description) {
  throw DecodingError(DecodingError::Kind::dataCorrupted, path.components(),
                      std::move(description));
}

const Json* presentMember(const Json& object, std::string_view key) {
  const auto found = object.find(key);
  if (found == object.end() || found->is_null()) return nullptr;
  return &*found;
}

void expectObject(const Json& value, const CodingPath& path) {
  if (!value.is_object()) throwTypeMismatch(path, "an object", value);
}

std::string decodeString(const Json& value, const CodingPath& path) {
  if (!value.is_string()) throwTypeMismatch(path, "a string", value);
  return value.get_ref<const std::string&>();
}

std::vector<std::string> decodeStringArray(const Json& value, CodingPath& path) {
  if (!value.is_array()) throwTypeMismatch(path, "an array of strings", value);
  std::vector<std::string> strings;
  strings.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    auto scope = path.enter(i);
    strings.push_back(decodeString(value[i], path));
  }
  return strings;
}

std::int64_t decodeInteger(const Json& value, const CodingPath& path) {
  switch (value.type()) {
    case Json::value_t::number_integer:
      return value.get<std::int64_t>();
    case Json::value_t::number_unsigned: {
      const auto number = value.get<std::uint64_t>();
      if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        throwDataCorrupted(path, "the number " + value.dump() + " is too large for an integer");
      }
      return static_cast<std::int64_t>(number);
    }
    case Json::value_t::number_float: {
      const double number = value.get<double>();
      // 2^63 as a double; integral values below it convert exactly.
      constexpr double kLimit = 9223372036854775808.0;
      if (std::trunc(number) != number || number >= kLimit || number < -kLimit) {
        throwDataCorrupted(path, "the number " + value.dump() + " is not an integer");
      }
      return static_cast<std::int64_t>(number);
    }
    case Json::value_t::null:
    case Json::value_t::object:
    case Json::value_t::array:
    case Json::value_t::string:
    case Json::value_t::boolean:
    case Json::value_t::binary:
    case Json::value_t::discarded:
      break;
  }
  throwTypeMismatch(path, "an integer", value);
}

}  // namespace quillo::json_coding
