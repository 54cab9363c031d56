#include "Simulator/SimWorkspace.hpp"

#include "Simulator/SimulatedMac.hpp"

namespace quillo::sim {

using platform::RunningApplication;

namespace {

RunningApplication describe(const SimApp& app) {
  return RunningApplication{app.pid(), app.bundleID(), app.name()};
}

}  // namespace

/// A registered observer; unregisters when its owner lets go of it.
class SimWorkspace::Observer final : public platform::NotificationObserver {
 public:
  Observer(std::weak_ptr<SimWorkspace*> workspace, bool activation, std::uint64_t id)
      : workspace_(std::move(workspace)), activation_(activation), id_(id) {}
  ~Observer() override {
    if (const auto workspace = workspace_.lock()) {
      auto& observers =
          activation_ ? (*workspace)->activationObservers_ : (*workspace)->terminationObservers_;
      observers.erase(id_);
    }
  }

 private:
  std::weak_ptr<SimWorkspace*> workspace_;
  bool activation_;
  std::uint64_t id_;
};

SimWorkspace::SimWorkspace(SimulatedMac& mac)
    : mac_(mac), self_(std::make_shared<SimWorkspace*>(this)) {}

SimWorkspace::~SimWorkspace() {
  self_.reset();
}

std::optional<RunningApplication> SimWorkspace::frontmostApplication() const {
  if (!frontmost_) return std::nullopt;
  const SimApp* app = mac_.app(*frontmost_);
  return app ? std::optional(describe(*app)) : std::nullopt;
}

std::vector<RunningApplication> SimWorkspace::runningApplications(std::string_view bundleID) const {
  std::vector<RunningApplication> found;
  for (const SimApp* app : mac_.apps()) {
    if (app->bundleID() == bundleID) found.push_back(describe(*app));
  }
  return found;
}

std::unique_ptr<platform::NotificationObserver> SimWorkspace::observeActivation(Handler handler) {
  const std::uint64_t id = nextObserver_++;
  activationObservers_[id] = std::move(handler);
  return std::make_unique<Observer>(self_, true, id);
}

std::unique_ptr<platform::NotificationObserver> SimWorkspace::observeTermination(Handler handler) {
  const std::uint64_t id = nextObserver_++;
  terminationObservers_[id] = std::move(handler);
  return std::make_unique<Observer>(self_, false, id);
}

void SimWorkspace::notify(bool activation, std::optional<RunningApplication> app) {
  // The notification center delivers on the main queue, after the change.
  mac_.loop().post([weak = std::weak_ptr<SimWorkspace*>(self_), activation, app] {
    const auto self = weak.lock();
    if (!self) return;
    const auto observers =
        activation ? (*self)->activationObservers_ : (*self)->terminationObservers_;
    for (const auto& [id, handler] : observers) {
      // An observer removed by an earlier one in this round hears nothing.
      const auto& current =
          activation ? (*self)->activationObservers_ : (*self)->terminationObservers_;
      if (current.contains(id)) handler(app);
    }
  });
}

void SimWorkspace::activate(pid_t pid) {
  const SimApp* app = mac_.app(pid);
  if (!app) return;
  // A Mac may post the activation again for the application already active
  // (a click into its window, its Dock icon); observers must take it as
  // no change.
  frontmost_ = pid;
  // The panel's own process coming forward keeps its panel key, as a Mac
  // keeps the key window of the application it activates.
  if (panel_ != pid) panel_.reset();
  std::erase(activations_, pid);
  activations_.push_back(pid);
  notify(true, describe(*app));
}

std::optional<pid_t> SimWorkspace::previouslyActive() const {
  for (auto it = activations_.rbegin(); it != activations_.rend(); ++it) {
    if (*it != frontmost_ && mac_.app(*it)) return *it;
  }
  return std::nullopt;
}

void SimWorkspace::postActivationWithoutApplication() {
  notify(true, std::nullopt);
}

void SimWorkspace::terminated(const RunningApplication& app) {
  if (frontmost_ == app.processIdentifier) frontmost_.reset();
  if (panel_ == app.processIdentifier) panel_.reset();
  std::erase(activations_, app.processIdentifier);
  notify(false, app);
}

void SimWorkspace::openURL(const std::string& url) {
  openedURLs.push_back(url);
  if (url.starts_with("x-apple.systempreferences:")) {
    SimApp* settings = mac_.app(SimulatedMac::settingsBundleID);
    if (!settings) settings = &mac_.launchApp(SimulatedMac::settingsBundleID, "System Settings");
    activate(settings->pid());
  }
}

void SimWorkspace::openFile(const std::filesystem::path& path) {
  openedFiles.push_back(path.string());
}

void SimWorkspace::revealInFileManager(const std::filesystem::path& path) {
  revealedFiles.push_back(path.string());
}

// MARK: - SimLoginItems

std::optional<std::string> SimLoginItems::registerApp() {
  ++registerCalls;
  if (registrationError) return registrationError;
  status_ = registrationNeedsApproval ? platform::LoginItemStatus::requiresApproval
                                      : platform::LoginItemStatus::enabled;
  return std::nullopt;
}

std::optional<std::string> SimLoginItems::unregisterApp() {
  status_ = platform::LoginItemStatus::notRegistered;
  return std::nullopt;
}

void SimLoginItems::openSystemSettingsLoginItems() {
  ++settingsOpened;
  workspace_.openURL("x-apple.systempreferences:com.apple.LoginItems-Settings.extension");
}

}  // namespace quillo::sim
