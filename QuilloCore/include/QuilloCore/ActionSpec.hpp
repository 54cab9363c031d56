// ActionSpec: how one action is carried out in Mail.
//
// `menu` lists alternative menu paths, tried in order until one resolves in
// Mail's menus (a path starting with "**" names its one title anywhere in the
// menus; a title may end in "*"). `key` is the bare named key posted to Mail
// when no path resolves. Plain value, any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "QuilloCore/Export.hpp"
#include "QuilloCore/KeyToken.hpp"

namespace quillo {

using MenuPath = std::vector<std::string>;

struct QUILLO_CORE_EXPORT ActionSpec {
  std::vector<MenuPath> menu{};
  std::optional<KeyToken::NamedKey> key{};

  /// The first thing wrong with this way of performing an action, checked
  /// path by path, or none:
  /// "has neither a menu path nor a key", "has an empty menu path or title",
  /// "uses "**" somewhere other than the start of a path",
  /// "must follow "**" with exactly one title".
  std::optional<std::string> problem() const;

  bool operator==(const ActionSpec&) const = default;
};

}  // namespace quillo
