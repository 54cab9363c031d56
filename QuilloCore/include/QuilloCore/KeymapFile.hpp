// KeymapLoadResult and KeymapError: the outcome of reading keymap.json.
//
// Keymap::parse turns the bytes of a keymap.json into a Keymap plus warnings
// about single entries it skipped or left at their defaults, or rejects the
// whole file with a KeymapError whose description is the text the user sees.
// Parsing is pure (bytes in, value out) and safe on any input: files beyond
// FileLimits are rejected rather than read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "QuilloCore/Export.hpp"
#include "QuilloCore/FileLimits.hpp"
#include "QuilloCore/Keymap.hpp"

namespace quillo {

struct QUILLO_CORE_EXPORT KeymapLoadResult {
  Keymap keymap;
  std::vector<std::string> warnings;
};

class QUILLO_CORE_EXPORT KeymapError : public std::exception {
 public:
  enum class Kind : std::uint8_t { unsupportedVersion, invalidJSON };

  static KeymapError unsupportedVersion(std::int64_t version);
  static KeymapError invalidJSON(std::string detail);

  Kind kind() const noexcept { return kind_; }
  /// The file's version (unsupportedVersion only).
  std::int64_t version() const noexcept { return version_; }
  /// The short detail (invalidJSON only).
  const std::string& detail() const noexcept { return detail_; }
  /// "keymap.json version {version} is newer than this build of Quillo
  /// understands" or "keymap.json isn't valid: {detail}".
  const std::string& description() const noexcept { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

  bool operator==(const KeymapError& other) const noexcept {
    return kind_ == other.kind_ && (kind_ == Kind::unsupportedVersion ? version_ == other.version_
                                                                      : detail_ == other.detail_);
  }

 private:
  KeymapError(Kind kind, std::int64_t version, std::string detail);

  Kind kind_;
  std::int64_t version_;
  std::string detail_;
  std::string description_;
};

}  // namespace quillo
