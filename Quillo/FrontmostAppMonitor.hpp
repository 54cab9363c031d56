// FrontmostAppMonitor: Mail's process id while Mail is the active application.
//
// Follows the workspace's activation and termination notifications and calls
// `onChange` after every change of `mailPID` (absent to present, present to
// absent, one process to another) — never for a notification that changes
// nothing. Its observers hold it weakly. Main thread only; lives as long as
// the application.
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Lifeline.hpp"
#include "Platform/Workspace.hpp"

namespace quillo {

class FrontmostAppMonitor {
 public:
  explicit FrontmostAppMonitor(platform::Workspace& workspace);

  std::optional<pid_t> mailPID() const noexcept { return mailPID_; }
  /// Called after every change of `mailPID`.
  void setOnChange(std::function<void()> hook) { onChange_ = std::move(hook); }

 private:
  void update(const std::optional<platform::RunningApplication>& app);
  void terminated(std::optional<pid_t> pid);
  void set(std::optional<pid_t> pid);

  std::optional<pid_t> mailPID_;
  std::function<void()> onChange_;
  Lifeline<FrontmostAppMonitor> lifeline_{this};
  std::vector<std::unique_ptr<platform::NotificationObserver>> observers_;
};

}  // namespace quillo
