#include "MacMenuItemForm.hpp"

namespace quillo::platform::mac {

MenuItemForm menuItemForm(const MenuItem& item, bool systemHasSectionHeaders) {
  using Shape = MenuItemForm::Shape;
  switch (item.kind) {
    case MenuItem::Kind::separator:
      return MenuItemForm{Shape::separator, false, false};
    case MenuItem::Kind::sectionHeader:
      return MenuItemForm{systemHasSectionHeaders ? Shape::sectionHeader : Shape::item, false,
                          false};
    case MenuItem::Kind::item:
      break;
  }
  return MenuItemForm{Shape::item, item.action != nullptr || !item.submenu.empty(), item.checked};
}

}  // namespace quillo::platform::mac
