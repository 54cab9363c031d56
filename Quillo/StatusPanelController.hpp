// StatusPanelController: the menu-bar panel, the default menu-bar interface.
//
// A click on the status item opens a floating panel right under it (with the
// debug section when Option is held); another click, Esc, a click in another
// application, another application coming to the front or the panel losing
// the keyboard closes it. The controller owns the panel's model, keeps it and
// the status item's look fresh on every refresh, carries out every request
// the view makes, and records new keys for the custom set — while it records,
// the key interceptor is suspended so that the recorded key reaches the
// panel instead of being acted on. Monitors and observers exist only while
// the panel is open; every callback holds the controller weakly, so none
// outlives it. Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AppController.hpp"
#include "Lifeline.hpp"
#include "MailboxPickerController.hpp"
#include "PanelModel.hpp"
#include "PanelRequest.hpp"
#include "PanelView.hpp"
#include "Platform/Application.hpp"
#include "Platform/EventMonitors.hpp"
#include "Platform/PanelWindow.hpp"
#include "Platform/StatusItem.hpp"
#include "Platform/SystemLog.hpp"
#include "Platform/Workspace.hpp"
#include "StatusMenuContent.hpp"
#include "StatusUI.hpp"

namespace quillo {

class StatusPanelController final : public StatusUI {
 public:
  static constexpr double pausedAlpha = 0.6;
  static constexpr const char* unusableKeyMessage = "That key can't be used as a shortcut.";
  static constexpr const char* supportAddress = "mailto:support@larkmoor.com";

  /// Every reference must outlive the controller. Takes the status item's
  /// clicks and the view's requests, then refreshes once.
  StatusPanelController(AppController& app, platform::StatusItem& item,
                        platform::PanelWindow& panel, platform::EventMonitors& monitors,
                        PanelView& view, platform::Application& application);
  ~StatusPanelController() override;
  StatusPanelController(const StatusPanelController&) = delete;
  StatusPanelController& operator=(const StatusPanelController&) = delete;

  void refresh() override;
  /// Opens the panel as the status item's click does, without the debug
  /// section; an open panel stays open as it is (a key that shows never
  /// hides, and an edit under way is not lost).
  std::string showShortcuts() override;
  /// Opens the mailbox picker (closing the panel); without one, says so.
  std::string pickMailbox(ActionID action) override;
  /// The mailbox picker the moveToMailbox and copyToMailbox actions open;
  /// the panel and the picker are never open together.
  void setPicker(std::unique_ptr<MailboxPickerController> picker) { picker_ = std::move(picker); }
  MailboxPickerController* picker() const { return picker_.get(); }
  /// The status item's click: closes an open panel, else opens it, with the
  /// debug section when the flags hold Option.
  void toggle(std::uint64_t modifierFlags);
  void show(bool showDebug);
  /// Closes the panel; `why` is remembered when it was open ("Esc",
  /// "another application became active", …), for whoever reports it.
  void close(std::string_view why);
  /// Why the panel last closed; empty before it ever did.
  const std::string& lastCloseReason() const { return lastCloseReason_; }
  /// Carries out one of the view's requests.
  void perform(const PanelRequest& request);
  /// The local monitor: whether the event goes on to its window.
  bool handleLocalEvent(const platform::MonitoredEvent& event);
  /// Whether an application's activation closes the open panel: another
  /// application's does (one the notification does not name may be
  /// another), Quillo's own does not — its panel stays key when Quillo
  /// itself is activated, and on a Mac its own alerts and Qt's raise()
  /// activate it.
  static bool activationClosesPanel(const std::optional<platform::RunningApplication>& activated,
                                    pid_t ownProcess);

  const PanelModel& model() const { return model_; }
  bool isOpen() const { return panel_.isVisible(); }

 private:
  void place();
  /// Shows the model as it is now (without reading the controller again),
  /// when that differs from what the view shows, and re-places an open
  /// panel for it.
  void redraw();
  void recordKey(const platform::MonitoredEvent& event);
  /// The key after a recorded one, within the wait: the two make a
  /// two-key shortcut in place of the first alone.
  void recordSecondKey(const KeyChord& second);
  /// Ends the wait for a second key; the first stays recorded.
  void endRecordingWait();
  // The handlers of the view's requests, one per request.
  void handle(const PanelRequests::SetEnabled& request);
  void handle(const PanelRequests::SelectSet& request);
  void handle(const PanelRequests::SetLaunchAtLogin& request);
  void handle(const PanelRequests::OpenLoginItems& request);
  void handle(const PanelRequests::FixAccessibility& request);
  void handle(const PanelRequests::FixInputMonitoring& request);
  void handle(const PanelRequests::EditShortcuts& request);
  void handle(const PanelRequests::ToggleHelp& request);
  void handle(const PanelRequests::SetBaseline& request);
  void handle(const PanelRequests::Record& request);
  void handle(const PanelRequests::ClearKey& request);
  void handle(const PanelRequests::ResetChanges& request);
  void handle(const PanelRequests::ResetShortcuts& request);
  void handle(const PanelRequests::Support& request);
  void handle(const PanelRequests::Quit& request);
  void handle(const PanelRequests::SetDebugLogging& request);
  void handle(const PanelRequests::Debug& request);

  AppController& app_;
  platform::StatusItem& item_;
  platform::PanelWindow& panel_;
  platform::EventMonitors& monitors_;
  PanelView& view_;
  platform::Application& application_;
  PanelModel model_;
  std::unique_ptr<MailboxPickerController> picker_;
  /// Ends the wait for a recording's second key when its time runs out.
  std::shared_ptr<platform::WorkItem> recordingWait_;
  std::vector<std::unique_ptr<platform::EventMonitorToken>> monitorTokens_;
  std::vector<std::unique_ptr<platform::NotificationObserver>> observers_;
  platform::Logger log_;
  std::string lastCloseReason_;
  // What the status item and the view show now; a refresh that would show
  // the same again does nothing.
  std::optional<StatusButton> shownButton_;
  std::optional<PanelContent> shownContent_;
  Lifeline<StatusPanelController> lifeline_{this};
};

}  // namespace quillo
