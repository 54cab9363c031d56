// SimWorkspace and SimLoginItems: the simulated Mac's running applications,
// which one is in front, the pages of System Settings that were opened, and
// the login item of the program under test.
//
// Activation and termination notifications are delivered on the main loop,
// as the workspace's notification center delivers on the main queue. As on a
// Mac, activating the application already in front may announce it again;
// here it always does.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/LoginItems.hpp"
#include "Platform/Workspace.hpp"
#include "Platform/WorkspaceOpener.hpp"

namespace quillo::sim {

class SimulatedMac;

class SimWorkspace final : public platform::Workspace, public platform::WorkspaceOpener {
 public:
  explicit SimWorkspace(SimulatedMac& mac);
  ~SimWorkspace() override;

  // MARK: NSWorkspace
  std::optional<platform::RunningApplication> frontmostApplication() const override;
  std::vector<platform::RunningApplication> runningApplications(
      std::string_view bundleID) const override;
  std::unique_ptr<platform::NotificationObserver> observeActivation(Handler handler) override;
  std::unique_ptr<platform::NotificationObserver> observeTermination(Handler handler) override;

  // MARK: Opening things
  /// A System Settings URL opens System Settings at that page (it comes to
  /// the front); anything else is only recorded.
  void openURL(const std::string& url) override;
  void openFile(const std::filesystem::path& path) override;
  void revealInFileManager(const std::filesystem::path& path) override;
  std::vector<std::string> openedURLs;
  std::vector<std::string> openedFiles;
  std::vector<std::string> revealedFiles;

  // MARK: Control (used by the simulated Mac)
  void activate(pid_t pid);
  /// An activation notification whose user info lacks the application.
  void postActivationWithoutApplication();
  void terminated(const platform::RunningApplication& app);
  std::optional<pid_t> frontmostPID() const { return frontmost_; }
  /// A panel of another process takes the keyboard while the front
  /// application stays in front, as Spotlight's search field or an input
  /// method's window do on a Mac: the workspace still names the front
  /// application, but keys and the system-wide focus go to the panel's
  /// process. It closes when an application is activated or its process ends.
  void showPanel(pid_t pid) { panel_ = pid; }
  void closePanel() { panel_.reset(); }
  /// The process that gets the keyboard: the panel's, else the front one.
  std::optional<pid_t> keyboardFocusPID() const { return panel_ ? panel_ : frontmost_; }
  /// The running application that was active most recently, other than the
  /// front one.
  std::optional<pid_t> previouslyActive() const;

  class Observer;

 private:
  void notify(bool activation, std::optional<platform::RunningApplication> app);

  SimulatedMac& mac_;
  std::optional<pid_t> frontmost_;
  std::optional<pid_t> panel_;
  std::vector<pid_t> activations_;  // least recently active first
  std::uint64_t nextObserver_ = 1;
  std::map<std::uint64_t, Handler> activationObservers_;
  std::map<std::uint64_t, Handler> terminationObservers_;
  std::shared_ptr<SimWorkspace*> self_;
};

/// The main application's login item (SMAppService.mainApp).
class SimLoginItems final : public platform::LoginItems {
 public:
  explicit SimLoginItems(SimWorkspace& workspace) : workspace_(workspace) {}

  platform::LoginItemStatus status() const override { return status_; }
  std::optional<std::string> registerApp() override;
  std::optional<std::string> unregisterApp() override;
  void openSystemSettingsLoginItems() override;

  /// Set by the simulated user or a test.
  platform::LoginItemStatus status_ = platform::LoginItemStatus::notRegistered;
  /// Registering succeeds but waits for the user's approval.
  bool registrationNeedsApproval = false;
  /// Registering fails with this error.
  std::optional<std::string> registrationError;
  int registerCalls = 0;
  int settingsOpened = 0;

 private:
  SimWorkspace& workspace_;
};

}  // namespace quillo::sim
