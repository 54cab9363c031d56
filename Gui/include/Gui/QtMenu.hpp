// QtMenu: a platform menu (the classic status menu's items) as a QMenu —
// separators, section headers, checkmarks, our own symbols as icons,
// indentation, key equivalents and submenus; choosing an item runs its
// action. Items without an action and without a submenu are disabled.
// The menu is filled once per call: whoever shows it calls the menu's
// `needsUpdate` and then this again before each opening (QMenu's
// aboutToShow). Main thread only.
#pragma once

#include <QMenu>

#include "Platform/StatusItem.hpp"

namespace quillo::gui {

/// Replaces everything in `menu` with `content`'s items.
void fillQMenu(QMenu& menu, const platform::Menu& content);

}  // namespace quillo::gui
