// MailboxPickerController: the "Move to…" picker's window, opened by the
// moveToMailbox and copyToMailbox actions.
//
// It opens right under the status item, where the panel opens: a place
// that costs no Accessibility request to find (Mail's window would), that
// the user knows from the panel, and that stays on the screen whatever
// size or space Mail's window has. Like the panel it is non-activating:
// Mail stays the active application while the picker takes the keyboard.
// Its keys are taken by a local event monitor and handed to the picker's
// rules (MailboxPicker); Return, or a click on a row, presses that
// mailbox's item of Mail's menu through the action executor, remembers the
// choice and closes the picker. Esc, a click in another application,
// another application coming to the front, the picker losing the
// keyboard, or Mail quitting close it without filing anything.
//
// The mailboxes come from a cache kept for the running Mail process, per
// menu (Move To, Copy To): opening with it makes no Accessibility request
// and lists them at once. Without it the picker opens showing "Reading
// Mail's mailboxes…" and a MailboxReader reads them in posted, bounded
// turns. Mail's mailboxes change while it runs; Quillo notices by reading
// again: after an opening whose list is older than `freshFor` (the list
// shown updates in place, keeping what was typed and selected), when an
// item to press is gone, and for every new Mail process. Main thread only;
// every reference must outlive the controller; callbacks hold it weakly.
#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AppController.hpp"
#include "Lifeline.hpp"
#include "MailboxPicker.hpp"
#include "MailboxReader.hpp"
#include "PickerView.hpp"
#include "Platform/EventMonitors.hpp"
#include "Platform/PanelWindow.hpp"
#include "Platform/StatusItem.hpp"
#include "Platform/Workspace.hpp"

namespace quillo {

class MailboxPickerController {
 public:
  /// How old a list may be before an opening reads it again.
  static constexpr double freshFor = 60.0;
  /// The picker's size when its view reports none (the console's).
  static constexpr platform::Size fallbackSize{420, 324};

  MailboxPickerController(AppController& app, platform::StatusItem& item,
                          platform::PanelWindow& window, platform::EventMonitors& monitors,
                          PickerView& view, pid_t ownProcess);
  ~MailboxPickerController();
  MailboxPickerController(const MailboxPickerController&) = delete;
  MailboxPickerController& operator=(const MailboxPickerController&) = delete;

  /// Opens the picker for moveToMailbox or copyToMailbox over the front
  /// Mail (an open one starts afresh); says what it did.
  std::string open(ActionID action);
  /// Closes the picker without filing; `why` is remembered when it was open.
  void close(std::string_view why);
  bool isOpen() const { return window_.isVisible(); }
  /// Why the picker last closed; empty before it ever did.
  const std::string& lastCloseReason() const { return lastCloseReason_; }
  /// The picker's rules and state while it is open.
  const std::optional<MailboxPicker>& picker() const { return picker_; }
  /// Carries out one of the view's requests.
  void perform(const PickerRequest& request);
  /// The local monitor: whether the event goes on to its window.
  bool handleLocalEvent(const platform::MonitoredEvent& event);

 private:
  struct Cached {
    pid_t pid;
    MailboxPicker::Purpose purpose;
    MailboxReader::Listing listing;
    platform::WallClock::time_point readAt;
  };
  Cached* cached(pid_t pid, MailboxPicker::Purpose purpose);
  void startReading(pid_t pid, MailboxPicker::Purpose purpose);
  void read(pid_t pid, MailboxPicker::Purpose purpose, MailboxReader::Listing listing);
  void choose(const Mailbox& mailbox);
  void redraw();
  void place();

  AppController& app_;
  platform::StatusItem& item_;
  platform::PanelWindow& window_;
  platform::EventMonitors& monitors_;
  PickerView& view_;
  pid_t ownProcess_;
  MailboxReader reader_;
  std::vector<Cached> cache_;
  std::optional<MailboxPicker> picker_;
  ActionID action_ = ActionID::moveToMailbox;
  pid_t mail_ = 0;
  std::optional<PickerContent> shown_;
  std::vector<std::unique_ptr<platform::EventMonitorToken>> monitorTokens_;
  std::vector<std::unique_ptr<platform::NotificationObserver>> observers_;
  std::string lastCloseReason_;
  Lifeline<MailboxPickerController> lifeline_{this};
};

}  // namespace quillo
