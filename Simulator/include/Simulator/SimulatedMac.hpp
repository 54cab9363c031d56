// SimulatedMac: a whole Mac, simulated, for running Quillo on Linux.
//
// It owns the window server (keyboard, event taps, posting), the
// accessibility server, the workspace (running applications, the front one,
// System Settings pages), the login item, the privacy database (TCC) and the
// applications: Apple Mail and a few others. Quillo talks to it only through
// the Platform seams it implements; tests and the `quillo` program drive it
// as the user would (see User.hpp) and look at what happened.
//
// Everything runs on the given main loop. Requests that take time (a busy
// application answering over accessibility) block the caller by calling
// `block`: on the manual loop that moves the virtual clock, on the real loop
// it sleeps.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Platform/MainLoop.hpp"
#include "Simulator/AccessibilityServer.hpp"
#include "Simulator/MailApp.hpp"
#include "Simulator/SimStatusItem.hpp"
#include "Simulator/SimWorkspace.hpp"
#include "Simulator/WindowServer.hpp"

namespace quillo::sim {

/// The privacy permissions the program under test has, and how the system
/// asks for them.
struct Permissions {
  bool accessibility = false;
  bool inputMonitoring = false;
  /// Whether creating the keyboard event tap needs Input Monitoring as well.
  bool tapNeedsInputMonitoring = false;
  /// The system refuses every new event tap whatever is granted (as a
  /// security tool or a device profile can make it do).
  bool tapsRefused = false;
  /// The system dialogs shown, in order: "Accessibility", "Input Monitoring".
  std::vector<std::string> prompts;
};

class SimulatedMac {
 public:
  using Blocker = std::function<void(platform::Duration)>;

  /// Bundle identifiers of the applications the Mac comes with.
  static constexpr const char* mailBundleID = "com.apple.mail";
  static constexpr const char* finderBundleID = "com.apple.finder";
  static constexpr const char* safariBundleID = "com.apple.Safari";
  static constexpr const char* settingsBundleID = "com.apple.systempreferences";

  /// A Mac with Finder running and in front.
  SimulatedMac(platform::MainLoop& loop, Blocker block);
  ~SimulatedMac();
  SimulatedMac(const SimulatedMac&) = delete;
  SimulatedMac& operator=(const SimulatedMac&) = delete;

  platform::MainLoop& loop() const { return loop_; }
  Permissions permissions;
  WindowServer& windowServer() { return *windowServer_; }
  AccessibilityServer& accessibility() { return *accessibility_; }
  SimWorkspace& workspace() { return *workspace_; }
  SimLoginItems& loginItems() { return *loginItems_; }
  /// Quillo's item in the menu bar's status area.
  SimStatusItem& statusItem() { return statusItem_; }

  // MARK: Applications
  /// Starts Mail (a new process) with the shared mailboxes, in front.
  MailApp& launchMail(MailVariant variant = {});
  /// Starts another application with a text window, in front.
  TextApp& launchApp(const std::string& bundleID, const std::string& name);
  /// Starts any application: App is built as App(mac, pid, args...). It
  /// comes to the front.
  template <class App, class... Args>
  App& launch(Args&&... args) {
    App& launched = launchInBackground<App>(std::forward<Args>(args)...);
    activate(launched.pid());
    return launched;
  }
  /// Starts an application without bringing it to the front (an accessory
  /// application, such as a menu-bar utility).
  template <class App, class... Args>
  App& launchInBackground(Args&&... args) {
    auto app = std::make_unique<App>(*this, nextPID_++, std::forward<Args>(args)...);
    App& launched = *app;
    apps_.push_back(std::move(app));
    return launched;
  }
  /// What the system brings forward when the front application quits. On a
  /// Mac that is the system's business: usually the application that was
  /// active before, a moment after the termination is announced, sometimes
  /// none until the user clicks a window. Nothing by default, so Quillo must
  /// tell from the termination alone that Mail has gone.
  struct AfterFrontQuits {
    bool activatesPrevious = false;
    platform::Duration delay{0.5};
  };
  AfterFrontQuits afterFrontQuits;

  /// Ends the process; see `afterFrontQuits` for what comes to the front.
  void quit(pid_t pid);
  void activate(pid_t pid);
  SimApp* app(pid_t pid) const;
  SimApp* app(const std::string& bundleID) const;
  MailApp* mail() const;
  std::vector<SimApp*> apps() const;
  /// Mail's data, shared by every Mail process.
  MailStore& mailStore() { return *mailStore_; }

  /// A synchronous request that takes `duration`.
  void block(platform::Duration duration) const { block_(duration); }

  /// The general pasteboard.
  std::string pasteboard;

 private:
  platform::MainLoop& loop_;
  Blocker block_;
  pid_t nextPID_ = 401;
  std::shared_ptr<MailStore> mailStore_;
  std::vector<std::unique_ptr<SimApp>> apps_;
  std::unique_ptr<WindowServer> windowServer_;
  std::unique_ptr<AccessibilityServer> accessibility_;
  std::unique_ptr<SimWorkspace> workspace_;
  std::unique_ptr<SimLoginItems> loginItems_;
  SimStatusItem statusItem_;
  std::shared_ptr<platform::WorkItem> pendingActivation_;  // after the front app quit
};

}  // namespace quillo::sim
