// AppController: owns and wires every part of the application.
//
// At start-up it chooses the active shortcut set, builds that set's keymap
// (the set's keys with the action table and focus policy of keymap.json) and
// hands it to everything that uses it; it polls the privacy permissions
// every two seconds and installs the event tap as soon as it can; it lets the
// tap listen only while shortcuts are on and Mail is in front; and it
// computes the status the user interface shows. The same two-second check
// notices when the tap has gone blind: while another application has secure
// keyboard entry on (the status says so, and it recovers by itself when that
// ends), or when the system broke the tap's port (a new tap replaces it).
// Every callback it connects holds it weakly. Main thread only; lives for the
// whole run.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "AXFocusInspector.hpp"
#include "AppEnvironment.hpp"
#include "AppState.hpp"
#include "CustomStore.hpp"
#include "DebugLog.hpp"
#include "EventTap.hpp"
#include "FrontmostAppMonitor.hpp"
#include "KeyInterceptor.hpp"
#include "KeymapStore.hpp"
#include "Lifeline.hpp"
#include "MailMenu.hpp"
#include "MailboxPicker.hpp"
#include "MenuReachability.hpp"
#include "Preferences.hpp"
#include "StatusUI.hpp"
#include "SystemPermissions.hpp"

namespace quillo {

namespace testing {
struct AppControllerPeer;
}

class AppController {
 public:
  /// What the user interface shows (AppState.hpp).
  using Status = AppStatus;
  /// The result of the last attempt to install the event tap.
  using TapFinding = quillo::TapFinding;

  /// Makes the user interface: the classic status menu when asked for, the
  /// panel otherwise.
  using StatusUIFactory =
      std::function<std::unique_ptr<StatusUI>(AppController&, bool classicMenu)>;

  static constexpr double permissionCheckInterval = 2.0;
  static constexpr float messagingTimeout = 0.25f;

  AppController(AppEnvironment environment, StatusUIFactory makeStatusUI);
  ~AppController();
  AppController(const AppController&) = delete;
  AppController& operator=(const AppController&) = delete;

  void start();
  Status status() const;
  /// The keymap the active set stands for.
  Keymap activeKeymap() const;
  /// Hands the active set's keymap to everything that uses it.
  void applyKeymap();
  /// Makes `set` the active set; `off` turns shortcuts off.
  void selectSet(ShortcutSet set);
  /// Lets the tap listen only while shortcuts are on and Mail is in front.
  void syncEnabled();
  void checkPermissions(bool initial);
  /// Asks for Accessibility and opens its System Settings page.
  void fixAccessibility();
  /// Asks for Input Monitoring (once per run) and opens its page.
  void fixInputMonitoring();
  /// Checks, on posted work, that every action the active keymap binds can
  /// be performed in the running Mail; with Mail not running or unreadable,
  /// forgets what an earlier check found.
  void checkMenuTargets();
  /// The actions of the active keymap the running Mail cannot perform, as
  /// lines shown with the keymap file's warnings.
  const std::vector<std::string>& menuTargetProblems() const { return reachability_.problems(); }
  const MenuReachability& reachability() const { return reachability_; }
  /// The running Mail's menus as the last complete check read them; empty
  /// when Mail is not running or they have not been read.
  const std::vector<MailMenuItem>& mailMenus() const;
  /// The debug toggle: stores the choice, switches the log, and says so in
  /// the log even when it switches it off.
  void setDebugLogging(bool on);
  /// Makes the user interface re-read the controller's state.
  void refreshUI();
  /// Called after every permission check that finds the tap installed (the
  /// app entry offers launch at login there). The hook must not outlive
  /// what it captures; the app entry owns both.
  void setOnTapInstalledCheck(std::function<void()> hook) {
    onTapInstalledCheck_ = std::move(hook);
  }

  // Diagnostics: what Quillo sees in Mail, written to the debug log whether
  // or not debug logging is on.
  /// Mail's process: the front one, else the first running Mail.
  std::optional<pid_t> mailProcess() const;
  void focusCaptureIn3Seconds();
  void focusCapture();
  void menuCheck();
  void menuStructure();
  void windowStructure();
  void showDebugLog();
  /// The --diagnose run: the state line, then every diagnostic but the
  /// delayed capture, whose capture runs at once.
  void runDiagnosis();

  /// Changes the custom set's definition with `edit`, saves it and hands
  /// the keymap out again: the one way the definition changes after start.
  void editCustom(const std::function<void(CustomKeymap&)>& edit);
  /// Whether debug logging is on, as the user chose it.
  bool debugLogging() const { return prefs_.debugLogging(); }
  /// Puts the default keymap.json in place of the user's; the reload that
  /// follows hands the keymap out.
  void resetKeymapToDefaults() { keymapStore_.resetToDefaults(); }
  /// Presses a mailbox's item of the picker's menu for moveToMailbox or
  /// copyToMailbox in Mail `pid`, in its turn after the actions asked for
  /// before; the outcome goes to the debug log like an action's
  /// ("moveToMailbox: pressed Message › Move To › Receipts"), then to
  /// `done`. The executor is the controller's own: `done` runs only while
  /// it lives.
  void fileMessages(ActionID action, platform::AXUIElement item, MenuPath path, pid_t pid,
                    std::function<void(const ActionOutcome&)> done);
  /// Puts `chosen` first among the picker's recent mailboxes: their one
  /// writer.
  void rememberMailbox(const Mailbox& chosen);
  /// Whether launch at login is still to be offered; from now on it is not.
  bool takeLaunchAtLoginOffer();

  // What the user interface, the diagnostics and the app entry read. The
  // services are the controller's own and change only through it; the
  // references stay valid for its life.
  const AppEnvironment& environment() const { return environment_; }
  const Preferences& prefs() const { return prefs_; }
  const DebugLog& log() const { return log_; }
  const KeymapStore& keymapStore() const { return keymapStore_; }
  const CustomStore& customStore() const { return customStore_; }
  const FrontmostAppMonitor& frontmost() const { return frontmost_; }
  const KeyEventTapping& tap() const { return *tap_; }
  const AXFocusInspector& focusInspector() const { return focusInspector_; }
  const ActionExecutor& executor() const { return executor_; }
  /// The key path's entry: the panel suspends it while it records a key.
  KeyInterceptor& interceptor() { return interceptor_; }
  const KeyInterceptor& interceptor() const { return interceptor_; }
  bool askedForInputMonitoring() const { return askedForInputMonitoring_; }
  /// Whether secure keyboard entry hid the keys at the last look.
  bool keysHidden() const { return keysHidden_; }
  PermissionState permissionState() const { return permissionState_; }
  TapFinding tapFinding() const { return tapFinding_; }
  ShortcutSet shortcutSet() const { return shortcutSet_; }

 private:
  /// The tests of the key path drive its services directly.
  friend struct testing::AppControllerPeer;

  /// Chooses the set that applies when none is stored; imports a keymap.json
  /// edited by hand (writing custom.json) the first time one is found.
  ShortcutSet fallbackSetImportingHandEditedKeymap();
  /// The one writer of the active set: the field and "shortcutSet".
  void storeSet(ShortcutSet set);
  /// The one writer of whether shortcuts are on: "enabled", the
  /// interceptor's flag and the tap's listening (on only while Mail is in
  /// front). Called again whenever Mail comes or goes.
  void setEnabled(bool enabled);
  /// applyKeymap without refreshing the user interface.
  void installKeymap();
  /// The one writer of whether the tap is blind to keys: asks the system
  /// whether secure keyboard entry is on. The callers refresh the user
  /// interface, which reads it through the status.
  void lookForHiddenKeys();
  /// A broken tap was replaced (or could not be): logged for diagnosis.
  void tapRenewed(const TapRenewal& renewal);

  AppEnvironment environment_;
  Preferences prefs_;
  DebugLog log_;
  KeymapStore keymapStore_;
  CustomStore customStore_;
  FrontmostAppMonitor frontmost_;
  std::unique_ptr<PermissionChecking> permissions_;
  std::unique_ptr<KeyEventTapping> tap_;
  AXFocusInspector focusInspector_;
  ActionExecutor executor_;
  KeyInterceptor interceptor_;
  MenuDiagnostics menuDiagnostics_;
  MenuReachability reachability_;
  std::unique_ptr<StatusUI> statusMenu_;
  std::unique_ptr<platform::Timer> permissionTimer_;
  bool askedForInputMonitoring_ = false;
  PermissionState permissionState_;
  TapFinding tapFinding_;
  ShortcutSet shortcutSet_ = ShortcutSet::gmail;
  bool enabled_ = true;
  bool keysHidden_ = false;
  std::function<void()> onTapInstalledCheck_;
  StatusUIFactory makeStatusUI_;
  platform::Logger appLog_;
  Lifeline<AppController> lifeline_{this};
};

}  // namespace quillo
