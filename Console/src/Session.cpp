#include "Console/Session.hpp"

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
      platform::JsonFileUserDefaults::standardFile(paths_), *systemLog_);
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
                             *bundle_,
                             *systemLog_,
                             mac_->windowServer(),
                             mac_->windowServer(),
                             mac_->accessibility(),
                             mac_->workspace(),
                             mac_->workspace(),
                             mac_->loginItems(),
                             std::move(options.arguments)};
  controller_ =
      std::make_unique<AppController>(std::move(environment), [this](AppController& app, bool) {
        auto text = std::make_unique<StatusText>(app);
        statusText_ = text.get();
        return text;
      });
  runner_ = std::make_unique<ScenarioRunner>(*mac_, *user_, *this, *driver_);
}

Session::~Session() {
  // The controller goes before the Mac it talks to.
  runner_.reset();
  controller_.reset();
}

void Session::start() {
  if (started_) return;
  started_ = true;
  controller_->start();
}

std::filesystem::path Session::supportFolder() const {
  return controller_->keymapStore.directoryURL();
}

std::optional<std::string> Session::status() {
  if (!started_) return std::nullopt;
  return std::string(rawValue(controller_->status()));
}

std::vector<std::string> Session::systemLogLines() {
  std::vector<std::string> lines;
  for (const auto& line : recorded_.lines)
    lines.push_back(line.category + ": " + line.message);
  return lines;
}

bool Session::command(const std::vector<std::string>& words) {
  if (words.size() == 1 && words[0] == "fix-accessibility") {
    controller_->fixAccessibility();
    return true;
  }
  if (words.size() == 1 && words[0] == "fix-input-monitoring") {
    controller_->fixInputMonitoring();
    return true;
  }
  if (words.size() == 1 && words[0] == "tap-needs-input-monitoring") {
    mac_->permissions.tapNeedsInputMonitoring = true;
    return true;
  }
  if (words.size() == 1 && words[0] == "reset-keymap") {
    controller_->keymapStore.resetToDefaults();
    return true;
  }
  return extraCommand && extraCommand(words);
}

}  // namespace quillo::console
