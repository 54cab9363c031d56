// StatusUI: the menu-bar user interface as the app controller sees it.
//
// refresh() makes the user interface read the controller's state again; the
// controller calls it after every change the user could see.
// showShortcuts() is the showShortcuts action, pressed in Mail: the list of
// shortcuts is shown while Mail stays the active application; pickMailbox()
// is moveToMailbox or copyToMailbox: the mailbox picker opens, Mail staying
// in front too. Main thread only.
#pragma once

#include <string>

#include "QuilloCore/ActionID.hpp"

namespace quillo {

class StatusUI {
 public:
  virtual ~StatusUI() = default;
  virtual void refresh() = 0;
  /// Shows the list of shortcuts; says what it did, for the debug log
  /// ("opened the panel").
  virtual std::string showShortcuts() = 0;
  /// Opens the mailbox picker for the action; says what it did ("opened the
  /// picker").
  virtual std::string pickMailbox(ActionID action) = 0;
};

}  // namespace quillo
