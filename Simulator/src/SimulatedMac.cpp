#include "Simulator/SimulatedMac.hpp"

#include <algorithm>

namespace quillo::sim {

SimulatedMac::SimulatedMac(platform::MainLoop& loop, Blocker block)
    : loop_(loop),
      block_(std::move(block)),
      mailStore_(std::make_shared<MailStore>(MailStore::demo())),
      windowServer_(std::make_unique<WindowServer>(*this)),
      accessibility_(std::make_unique<AccessibilityServer>(*this)),
      workspace_(std::make_unique<SimWorkspace>(*this)),
      loginItems_(std::make_unique<SimLoginItems>(*workspace_)) {
  launchApp(finderBundleID, "Finder");
}

SimulatedMac::~SimulatedMac() {
  // Applications go first: their menus and windows refer to the Mac.
  apps_.clear();
}

MailApp& SimulatedMac::launchMail(MailVariant variant) {
  return launch<MailApp>(mailStore_, std::move(variant));
}

TextApp& SimulatedMac::launchApp(const std::string& bundleID, const std::string& name) {
  return launch<TextApp>(bundleID, name);
}

void SimulatedMac::quit(pid_t pid) {
  const auto found = std::find_if(apps_.begin(), apps_.end(),
                                  [pid](const auto& app) { return app->pid() == pid; });
  if (found == apps_.end()) return;
  const bool wasFront = workspace_->frontmostPID() == pid;
  const platform::RunningApplication gone{pid, (*found)->bundleID(), (*found)->name()};
  apps_.erase(found);
  workspace_->terminated(gone);
  if (wasFront && !apps_.empty()) {
    // The Finder takes over, as it does on a Mac when the front app quits.
    SimApp* next = app(finderBundleID);
    activate(next ? next->pid() : apps_.back()->pid());
  }
}

void SimulatedMac::activate(pid_t pid) {
  workspace_->activate(pid);
}

SimApp* SimulatedMac::app(pid_t pid) const {
  for (const auto& app : apps_) {
    if (app->pid() == pid) return app.get();
  }
  return nullptr;
}

SimApp* SimulatedMac::app(const std::string& bundleID) const {
  for (const auto& app : apps_) {
    if (app->bundleID() == bundleID) return app.get();
  }
  return nullptr;
}

MailApp* SimulatedMac::mail() const {
  return dynamic_cast<MailApp*>(app(mailBundleID));
}

std::vector<SimApp*> SimulatedMac::apps() const {
  std::vector<SimApp*> all;
  for (const auto& app : apps_)
    all.push_back(app.get());
  return all;
}

}  // namespace quillo::sim
