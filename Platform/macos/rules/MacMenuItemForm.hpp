// MacMenuItemForm: how one of our menu items is shown as an NSMenuItem —
// a separator, a section header (macOS 14 has them; before, a disabled
// title stands in), or an ordinary item, enabled only with an action or a
// submenu, with a checkmark when checked. Pure.
#pragma once

#include "Platform/StatusItem.hpp"

namespace quillo::platform::mac {

struct MenuItemForm {
  enum class Shape : std::uint8_t { separator, sectionHeader, item };
  Shape shape = Shape::item;
  bool enabled = false;
  bool checked = false;
  bool operator==(const MenuItemForm&) const = default;
};

MenuItemForm menuItemForm(const MenuItem& item, bool systemHasSectionHeaders);

}  // namespace quillo::platform::mac
