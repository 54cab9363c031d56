// ElementMatcher, FocusRule and FocusPolicy: the data-driven rules that tell
// where Mail's keyboard focus is.
//
// A policy is plain data: it can come from the built-in default or from the
// "focus" object of keymap.json, field by field (a missing field keeps the
// default, a present one replaces it whole). Strings compare exactly and
// case-sensitively. Values are immutable once built and usable from any
// thread; FocusPolicy::default_() is built once, on first use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "QuilloCore/Export.hpp"
#include "QuilloCore/FocusSnapshot.hpp"

namespace quillo {

/// A pattern over one element; every present field must hold.
struct QUILLO_CORE_EXPORT ElementMatcher {
  std::optional<std::string> role{};
  std::optional<std::string> subrole{};
  std::optional<std::string> identifier{};
  std::optional<std::string> identifierPrefix{};

  /// True when role, identifier or identifier prefix is present; a subrole
  /// alone is not specific.
  bool isSpecific() const noexcept { return role || identifier || identifierPrefix; }
  bool matches(const ElementInfo& info) const noexcept;

  /// Only present fields are written. Reading accepts missing or null fields.
  nlohmann::json toJSON() const;
  static ElementMatcher fromJSON(const nlohmann::json& object);  // throws DecodingError

  bool operator==(const ElementMatcher&) const = default;
};

/// One rule that recognises the message list.
struct QUILLO_CORE_EXPORT FocusRule {
  ElementMatcher focused{};
  std::optional<ElementMatcher> ancestor{};
  /// How many of the nearest ancestors are searched for `ancestor`; stored
  /// unchanged, read as 1 when absent or below 2.
  std::optional<std::int64_t> ancestorWithin{};

  /// A rule whose focused matcher is not specific never matches.
  bool matches(const FocusSnapshot& snapshot) const noexcept;

  nlohmann::json toJSON() const;
  static FocusRule fromJSON(const nlohmann::json& object);  // throws DecodingError

  bool operator==(const FocusRule&) const = default;
};

struct QUILLO_CORE_EXPORT FocusPolicy {
  std::vector<FocusRule> allow{};
  std::vector<std::string> denyRoles{};
  std::vector<std::string> allowedWindowSubroles{};
  std::vector<std::string> composeWindowMarkers{};
  std::vector<std::string> composeDenyRoles{};
  std::vector<std::string> messageWindowMarkers{};
  std::vector<std::string> messageWindowDenyRoles{};

  /// The built-in policy (built once, thread-safely, and shared).
  static const FocusPolicy& default_();
  static const std::vector<std::string>& defaultComposeWindowMarkers();
  static const std::vector<std::string>& defaultComposeDenyRoles();
  static const std::vector<std::string>& defaultMessageWindowMarkers();
  static const std::vector<std::string>& defaultMessageWindowDenyRoles();

  /// All seven members are always written.
  nlohmann::json toJSON() const;
  /// Missing or null members take the default's value; a present member
  /// replaces the field whole. Throws DecodingError on a value of the wrong
  /// type, with the coding path relative to `object`.
  static FocusPolicy fromJSON(const nlohmann::json& object);

  bool operator==(const FocusPolicy&) const = default;
};

}  // namespace quillo
