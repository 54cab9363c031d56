#include "Console/Session.hpp"

#include <functional>
#include <map>
#include <thread>

namespace quillo::console {

Session::Session(SessionOptions options) {
  if (options.virtualTime) {
    auto loop = std::make_unique<platform::ManualMainLoop>();
    manual_ = loop.get();
    driver_ = std::make_unique<ManualLoopDriver>(*loop);
    loop_ = std::move(loop);
  } else {
    auto loop = std::make_unique<platform::LibuvMainLoop>();
    real_ = loop.get();
    driver_ = std::make_unique<RealLoopDriver>(*loop);
    loop_ = std::move(loop);
  }
  if (options.useSyslog) syslog_ = std::make_unique<platform::SyslogSystemLog>();
  systemLog_ = std::make_unique<platform::TeeSystemLog>(recorded_, syslog_.get());
  defaults_ = std::make_unique<platform::JsonFileUserDefaults>(
      platform::JsonFileUserDefaults::standardFile(paths_), *systemLog_,
      platform::JsonFileUserDefaults::formerStandardFile(paths_));
  bundle_ = std::make_unique<platform::InstalledBundle>(
      options.resourceFolder.value_or(platform::InstalledBundle::defaultResourceFolder()));

  sim::SimulatedMac::Blocker block;
  if (manual_) {
    block = [loop = manual_](platform::Duration d) { loop->elapse(d); };
  } else {
    block = [](platform::Duration d) {
      std::this_thread::sleep_for(std::chrono::duration_cast<std::chrono::microseconds>(d));
    };
  }
  mac_ = std::make_unique<sim::SimulatedMac>(*loop_, std::move(block));
  user_ = std::make_unique<sim::User>(*mac_, [this] { driver_->settle(); });

  AppEnvironment environment{*loop_,
                             *defaults_,
                             paths_,
                             files_,
                             *bundle_,
                             *systemLog_,
                             mac_->windowServer(),
                             mac_->windowServer(),
                             mac_->accessibility(),
                             mac_->workspace(),
                             mac_->workspace(),
                             mac_->loginItems(),
                             std::move(options.arguments)};
  // The program's entry: an accessory (menu-bar only) application whose
  // delegate creates the controller before launching finishes.
  application_ = std::make_unique<sim::SimulatedApplication>(*mac_);
  application_->setActivationPolicy(platform::ActivationPolicy::accessory);
  delegate_ = std::make_unique<AppDelegate>(std::move(environment), *application_,
                                            [this](AppController& app, bool) {
                                              auto text = std::make_unique<StatusText>(app);
                                              statusText_ = text.get();
                                              return text;
                                            });
  runner_ = std::make_unique<ScenarioRunner>(*mac_, *user_, *this, *driver_);
}

Session::~Session() {
  // The application goes before the Mac it talks to.
  runner_.reset();
  delegate_.reset();
}

void Session::start() {
  if (started_) return;
  started_ = true;
  delegate_->applicationDidFinishLaunching();
}

std::filesystem::path Session::supportFolder() const {
  return delegate_->controller().keymapStore().directoryURL();
}

std::optional<std::string> Session::status() {
  if (!started_) return std::nullopt;
  return std::string(rawValue(controller().status()));
}

std::vector<std::string> Session::alertLines() {
  std::vector<std::string> lines;
  for (const auto& shown : application_->alerts) {
    lines.push_back("\"" + shown.alert.messageText + "\" answered " + shown.answer);
  }
  return lines;
}

const std::vector<std::string>& Session::commands() {
  static const std::vector<std::string> names{"focus-capture",
                                              "focus-capture-now",
                                              "menu-check",
                                              "menu-structure",
                                              "window-structure",
                                              "show-log",
                                              "diagnose",
                                              "fix-accessibility",
                                              "fix-input-monitoring",
                                              "reset-keymap",
                                              "answer BUTTON",
                                              "tap-needs-input-monitoring",
                                              "login-item approval|fails TEXT|enabled"};
  return names;
}

std::vector<std::string> Session::systemLogLines() {
  std::vector<std::string> lines;
  for (const auto& line : recorded_.lines)
    lines.push_back(line.category + ": " + line.message);
  return lines;
}

bool Session::command(const std::vector<std::string>& words) {
  AppController& app = controller();
  if (words.size() == 1) {
    const std::string& name = words[0];
    const std::map<std::string, std::function<void()>> diagnostics{
        {"focus-capture", [&] { app.focusCaptureIn3Seconds(); }},
        {"focus-capture-now", [&] { app.focusCapture(); }},
        {"menu-check", [&] { app.menuCheck(); }},
        {"menu-structure", [&] { app.menuStructure(); }},
        {"window-structure", [&] { app.windowStructure(); }},
        {"show-log", [&] { app.showDebugLog(); }},
        {"diagnose", [&] { app.runDiagnosis(); }},
        {"fix-accessibility", [&] { app.fixAccessibility(); }},
        {"fix-input-monitoring", [&] { app.fixInputMonitoring(); }},
    };
    if (const auto found = diagnostics.find(name); found != diagnostics.end()) {
      found->second();
      return true;
    }
  }
  if (words.size() == 2 && words[0] == "answer") {
    application_->answers.push_back(words[1]);
    return true;
  }
  if (words.size() >= 2 && words[0] == "login-item") {
    auto& items = mac_->loginItems();
    if (words[1] == "approval") {
      items.registrationNeedsApproval = true;
    } else if (words[1] == "fails" && words.size() == 3) {
      items.registrationError = words[2];
    } else if (words[1] == "enabled") {
      items.status_ = platform::LoginItemStatus::enabled;
    } else {
      return false;
    }
    return true;
  }
  if (words.size() == 1 && words[0] == "tap-needs-input-monitoring") {
    mac_->permissions.tapNeedsInputMonitoring = true;
    return true;
  }
  if (words.size() == 1 && words[0] == "reset-keymap") {
    app.keymapStore().resetToDefaults();
    return true;
  }
  return extraCommand && extraCommand(words);
}

}  // namespace quillo::console
