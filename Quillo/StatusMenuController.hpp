// StatusMenuController: the classic menu-bar interface — Quillo's status
// item with an ordinary menu hanging from it, rebuilt from the app's state
// every time it opens.
//
// refresh() only updates the button (image, description, dimmed look, tool
// tip); the menu is read anew just before each opening, so it never shows a
// stale state and needs no refreshing of its own. Choosing an item carries
// out its StatusMenuCommand.
//
// Ownership and lifetime: the app controller owns this object; the status
// item, the app controller and the application must outlive it. The menu is
// this object's own and is detached from the item on destruction; every
// item action reaches the controller through a lifeline, so an action that
// runs after the controller is gone does nothing. Main thread only.
#pragma once

#include "AppController.hpp"
#include "Lifeline.hpp"
#include "Platform/Application.hpp"
#include "Platform/StatusItem.hpp"
#include "StatusMenuContent.hpp"

namespace quillo {

class StatusMenuController final : public StatusUI {
 public:
  /// The address "Contact Support…" opens, as a mail link.
  static constexpr std::string_view supportURL = "mailto:support@larkmoor.com";

  /// Attaches a new menu to `item` and shows the app's state on the button.
  StatusMenuController(platform::StatusItem& item, AppController& app,
                       platform::Application& application);
  ~StatusMenuController() override;
  StatusMenuController(const StatusMenuController&) = delete;
  StatusMenuController& operator=(const StatusMenuController&) = delete;

  void refresh() override;
  /// The classic menu has no list of shortcuts: nothing opens.
  std::string showShortcuts() override { return "the classic menu has no list of shortcuts"; }
  std::string pickMailbox(ActionID) override { return "the classic menu has no mailbox picker"; }
  /// Carries out what a menu item stands for, as choosing it does.
  void perform(StatusMenuCommand command);

 private:
  /// Replaces the menu's items with those of the app's present state.
  void rebuild();
  platform::MenuItem converted(const StatusMenuItem& item) const;
  void toggleLaunchAtLogin();
  void confirmKeymapReset();

  platform::StatusItem& item_;
  AppController& app_;
  platform::Application& application_;
  platform::Menu menu_;
  platform::Logger log_;
  Lifeline<StatusMenuController> lifeline_{this};
};

}  // namespace quillo
