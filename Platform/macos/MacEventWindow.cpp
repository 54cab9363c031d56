#include "MacEventWindow.hpp"

namespace quillo::platform::mac {

EventWindow eventWindow(const void* eventWindow, const void* panelWindow,
                        const void* statusItemWindow) {
  if (eventWindow == nullptr) return EventWindow::none;
  if (eventWindow == panelWindow) return EventWindow::panel;
  if (eventWindow == statusItemWindow) return EventWindow::statusItemButton;
  return EventWindow::other;
}

}  // namespace quillo::platform::mac
