#include "FrontmostAppMonitor.hpp"

#include "QuilloCore/Decider.hpp"

namespace quillo {

FrontmostAppMonitor::FrontmostAppMonitor(platform::Workspace& workspace) {
  update(workspace.frontmostApplication());  // no callback is connected yet
  const auto weak = lifeline_.weak();
  observers_.push_back(workspace.observeActivation([weak](auto app) {
    if (auto* monitor = Lifeline<FrontmostAppMonitor>::lock(weak)) monitor->update(app);
  }));
  observers_.push_back(workspace.observeTermination([weak](auto app) {
    auto* monitor = Lifeline<FrontmostAppMonitor>::lock(weak);
    if (monitor) monitor->terminated(app ? std::optional(app->processIdentifier) : std::nullopt);
  }));
}

void FrontmostAppMonitor::update(const std::optional<platform::RunningApplication>& app) {
  if (app && app->bundleIdentifier && *app->bundleIdentifier == Decider::mailBundleID) {
    set(app->processIdentifier);
  } else {
    set(std::nullopt);
  }
}

void FrontmostAppMonitor::terminated(std::optional<pid_t> pid) {
  // Other applications quitting change nothing; the activation that follows
  // tells which application is in front now.
  if (pid && mailPID_ && *pid == *mailPID_) set(std::nullopt);
}

void FrontmostAppMonitor::set(std::optional<pid_t> pid) {
  if (mailPID_ == pid) return;
  mailPID_ = pid;
  if (onChange_) onChange_();
}

}  // namespace quillo
