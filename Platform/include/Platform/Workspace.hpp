// Workspace: the running applications and which one is in front.
//
// Mirrors NSWorkspace's frontmostApplication, NSRunningApplication's lookup
// by bundle identifier, and the did-activate / did-terminate notifications.
// A notification carries the application under NSWorkspaceApplicationKey;
// the adapter hands over none when that value is missing or not an
// application. Notifications are delivered on the main queue. Observers stay
// registered as long as their token lives. Main thread only.
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::platform {

struct RunningApplication {
  pid_t processIdentifier = 0;
  std::optional<std::string> bundleIdentifier;
  std::string localizedName;
  bool operator==(const RunningApplication&) const = default;
};

class NotificationObserver {
 public:
  virtual ~NotificationObserver() = default;
};

class Workspace {
 public:
  using Handler = std::function<void(std::optional<RunningApplication>)>;

  virtual ~Workspace() = default;
  virtual std::optional<RunningApplication> frontmostApplication() const = 0;
  virtual std::vector<RunningApplication> runningApplications(std::string_view bundleID) const = 0;
  /// NSWorkspaceDidActivateApplicationNotification.
  virtual std::unique_ptr<NotificationObserver> observeActivation(Handler handler) = 0;
  /// NSWorkspaceDidTerminateApplicationNotification.
  virtual std::unique_ptr<NotificationObserver> observeTermination(Handler handler) = 0;
};

}  // namespace quillo::platform
