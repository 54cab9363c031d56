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
  if (pendingActivation_) pendingActivation_->cancel();
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
  windowServer_->processEnded(pid);
  workspace_->terminated(gone);
  if (!wasFront || !afterFrontQuits.activatesPrevious) return;
  // Later, and only if nothing came forward in the meantime: the user may
  // have clicked another application first.
  if (pendingActivation_) pendingActivation_->cancel();
  pendingActivation_ = loop_.schedule(afterFrontQuits.delay, [this] {
    if (workspace_->frontmostPID()) return;
    if (const auto previous = workspace_->previouslyActive()) activate(*previous);
  });
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
