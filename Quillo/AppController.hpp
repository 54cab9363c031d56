// AppController: owns and wires every part of the application.
//
// At start-up it chooses the active shortcut set, builds that set's keymap
// (the set's keys with the action table and focus policy of keymap.json) and
// hands it to everything that uses it; it polls the privacy permissions
// every two seconds and installs the event tap as soon as it can; it lets the
// tap listen only while shortcuts are on and Mail is in front; and it
// computes the status the user interface shows. Every callback it connects
// holds it weakly. Main thread only; lives for the whole run.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "AXFocusInspector.hpp"
#include "AppEnvironment.hpp"
#include "CustomStore.hpp"
#include "DebugLog.hpp"
#include "EventTap.hpp"
#include "FrontmostAppMonitor.hpp"
#include "KeyInterceptor.hpp"
#include "KeymapStore.hpp"
#include "Lifeline.hpp"
#include "MailMenu.hpp"
#include "Preferences.hpp"
#include "StatusUI.hpp"
#include "SystemPermissions.hpp"

namespace quillo {

class AppController {
 public:
  /// What the user interface shows; the first that applies, in this order.
  enum class Status : std::uint8_t {
    needsAccessibility,
    needsInputMonitoring,
    paused,
    waitingForMail,
    active,
  };

  /// The result of the last attempt to install the event tap.
  struct TapFinding {
    enum class Kind : std::uint8_t { installed, failed, notAttempted };
    Kind kind = Kind::notAttempted;
    bool inputMonitoringGranted = false;  // at the time of the attempt

    static TapFinding installed(bool im) { return {Kind::installed, im}; }
    static TapFinding failed(bool im) { return {Kind::failed, im}; }
    static TapFinding notAttempted() { return {}; }
    /// "installed(inputMonitoringGranted: true)", "notAttempted", …
    std::string description() const;
    bool operator==(const TapFinding& other) const {
      return kind == other.kind &&
             (kind == Kind::notAttempted || inputMonitoringGranted == other.inputMonitoringGranted);
    }
  };

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
  void applyKeymap();
  void selectSet(ShortcutSet set);
  void syncEnabled();
  void checkPermissions(bool initial);
  /// Asks for Accessibility and opens its System Settings page.
  void fixAccessibility();
  /// Asks for Input Monitoring (once per run) and opens its page.
  void fixInputMonitoring();
  /// The debug toggle: stores the choice, switches the log, and says so in
  /// the log even when it switches it off.
  void setDebugLogging(bool on);
  /// Makes the user interface re-read the controller's state.
  void refreshUI();

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

  const AppEnvironment& environment() const { return environment_; }

  Preferences prefs;
  DebugLog log;
  KeymapStore keymapStore;
  CustomStore customStore;
  FrontmostAppMonitor frontmost;
  std::unique_ptr<PermissionChecking> permissions;
  std::unique_ptr<KeyEventTapping> tap;
  AXFocusInspector focusInspector;
  ActionExecutor executor;
  KeyInterceptor interceptor;
  std::unique_ptr<StatusUI> statusMenu;
  std::unique_ptr<platform::Timer> permissionTimer;
  bool askedForInputMonitoring = false;
  PermissionState permissionState;
  TapFinding tapFinding;
  ShortcutSet shortcutSet = ShortcutSet::gmail;
  /// Offers launch at login if it was never offered; connected by the app
  /// entry, called after permission checks that find the tap installed.
  std::function<void()> offerLaunchAtLogin;
  /// Runs the --diagnose diagnosis; connected by the app entry.
  std::function<void()> diagnose;

 private:
  ShortcutSet fallbackSet();
  /// Writes a diagnostic's header and its lines (indented), or that Mail
  /// isn't running.
  void writeDiagnostic(const std::string& name, const std::function<std::string(pid_t)>& header,
                       const std::function<std::vector<std::string>(pid_t)>& lines);

  AppEnvironment environment_;
  StatusUIFactory makeStatusUI_;
  platform::Logger appLog_;
  Lifeline<AppController> lifeline_{this};
};

}  // namespace quillo

template <>
struct quillo::EnumRawValues<quillo::AppController::Status> {
  static constexpr std::array<std::string_view, 5> values{
      "needsAccessibility", "needsInputMonitoring", "paused", "waitingForMail", "active"};
};
