// StatusUI: the menu-bar user interface as the app controller sees it.
//
// refresh() makes the user interface read the controller's state again; the
// controller calls it after every change the user could see. Main thread only.
#pragma once

namespace quillo {

class StatusUI {
 public:
  virtual ~StatusUI() = default;
  virtual void refresh() = 0;
};

}  // namespace quillo
