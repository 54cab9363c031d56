#include "Simulator/SimStatusItem.hpp"

namespace quillo::sim {

std::optional<std::string> SimStatusItem::choose(const std::vector<std::string>& titles) {
  if (!menuOpen_ || !menu_) return "the menu is not open";
  if (titles.empty()) return "no item named";
  const std::vector<platform::MenuItem>* items = &menu_->items;
  const platform::MenuItem* chosen = nullptr;
  for (const std::string& title : titles) {
    if (!items) return "\"" + chosen->title + "\" has no submenu";
    chosen = nullptr;
    for (const auto& item : *items) {
      if (item.kind == platform::MenuItem::Kind::item && item.title == title) {
        chosen = &item;
        break;
      }
    }
    if (!chosen) return "no item \"" + title + "\"";
    items = chosen->submenu.empty() ? nullptr : &chosen->submenu;
  }
  if (!chosen->submenu.empty()) return "\"" + chosen->title + "\" opens a submenu";
  if (!chosen->action) return "\"" + chosen->title + "\" is disabled";
  // The menu closes before the item's action runs; the action may replace
  // the items, so it is copied out first.
  const std::function<void()> action = chosen->action;
  menuOpen_ = false;
  action();
  return std::nullopt;
}

}  // namespace quillo::sim
