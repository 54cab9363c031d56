// ElementInfo and FocusSnapshot: one reading of Mail's keyboard focus.
//
// A snapshot holds the focused accessibility element, its ancestors nearest
// first (up to and including the first window), and the identifiers found
// directly inside that window. Plain values; they carry no accessibility
// handles, so they can be kept, compared and printed freely.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "QuilloCore/Export.hpp"

namespace quillo {

struct QUILLO_CORE_EXPORT ElementInfo {
  std::optional<std::string> role{};
  std::optional<std::string> subrole{};
  std::optional<std::string> identifier{};

  /// The label of the element: its role ("?" when it has none), then "/" and
  /// the subrole, then "#" and the identifier, each only when present.
  std::string label() const;

  bool operator==(const ElementInfo&) const = default;
};

struct QUILLO_CORE_EXPORT FocusSnapshot {
  ElementInfo focused{};
  std::vector<ElementInfo> ancestors{};
  std::vector<std::string> windowContents{};

  /// The first ancestor whose role is exactly "AXWindow", if any.
  const ElementInfo* window() const noexcept;

  /// The focused element followed by the ancestors, each as its label,
  /// joined with " ‹ ".
  std::string description() const;

  bool operator==(const FocusSnapshot&) const = default;
};

}  // namespace quillo
