// The application's entry: the delegate that owns the app controller, the
// launch-at-login service and its one-time question, the main menu, and the
// --diagnose run.
//
// The delegate is created before launching finishes (and with it the
// controller); when launching has finished it installs the main menu and
// starts the controller. The launch-at-login question is asked at most once
// per user, 1.5 seconds after the event tap is first installed, and not at all
// when Quillo already opens at login. Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AppController.hpp"
#include "Lifeline.hpp"
#include "Platform/Application.hpp"

namespace quillo {

/// Whether Quillo opens when the user logs in (the main application's login
/// item), and the one-time offer to turn that on.
class LaunchAtLogin {
 public:
  static constexpr const char* question = "Open Quillo automatically when you log in?";
  static constexpr const char* explanation =
      "Quillo only works while it's running. You can change this any time from the Quillo "
      "menu bar icon.";
  static constexpr const char* openAtLogin = "Open at Login";
  static constexpr const char* notNow = "Not Now";
  static constexpr double questionDelay = 1.5;

  LaunchAtLogin(AppController& app, platform::Application& application);

  bool isOn() const;
  bool requiresApproval() const;
  /// Registers or unregisters; the error's description on failure.
  std::optional<std::string> set(bool on);
  /// Called after permission checks that found the tap installed.
  void offerIfNeverOffered();

 private:
  void ask();

  AppController& app_;
  platform::Application& application_;
  platform::Logger log_;
  Lifeline<LaunchAtLogin> lifeline_{this};
};

class AppDelegate {
 public:
  /// The command-line option that runs the diagnosis, and how long after
  /// start it runs.
  static constexpr std::string_view diagnoseOption = "--diagnose";
  static constexpr double diagnoseDelay = 1.0;

  /// Readies the shared application before any window or status item
  /// exists: a menu-bar-only (accessory) application, without a Dock icon.
  /// Every entry calls it first.
  static void prepare(platform::Application& application);

  AppDelegate(AppEnvironment environment, platform::Application& application,
              AppController::StatusUIFactory makeStatusUI);

  /// Installs the main menu, starts the controller and, when asked for on
  /// the command line, schedules the diagnosis.
  void applicationDidFinishLaunching();

  /// The main menu: Quillo (empty), Edit (Undo, Redo, Cut, Copy, Paste,
  /// Select All) and Window (Close).
  static std::vector<platform::MainMenuTitle> mainMenu();

  AppController& controller() { return *controller_; }
  LaunchAtLogin& launchAtLogin() { return *launchAtLogin_; }

 private:
  platform::Application& application_;
  std::unique_ptr<AppController> controller_;
  std::unique_ptr<LaunchAtLogin> launchAtLogin_;
  Lifeline<AppDelegate> lifeline_{this};
};

}  // namespace quillo
