// MacWorkspace: the Workspace and WorkspaceOpener seams over NSWorkspace and
// NSRunningApplication. Activation and termination are observed on the
// workspace's own notification center, delivered on the main queue; the
// application under NSWorkspaceApplicationKey is handed over only when it is
// an NSRunningApplication. Opening is fire and forget, as NSWorkspace's
// openURL: is. Main thread only; stateless, so any number may exist.
#pragma once

#include "Platform/Workspace.hpp"
#include "Platform/WorkspaceOpener.hpp"

namespace quillo::platform::mac {

class MacWorkspace final : public Workspace {
 public:
  std::optional<RunningApplication> frontmostApplication() const override;
  std::vector<RunningApplication> runningApplications(std::string_view bundleID) const override;
  std::unique_ptr<NotificationObserver> observeActivation(Handler handler) override;
  std::unique_ptr<NotificationObserver> observeTermination(Handler handler) override;
};

class MacWorkspaceOpener final : public WorkspaceOpener {
 public:
  /// A text that is not a valid URL opens nothing.
  void openURL(const std::string& url) override;
  void openFile(const std::filesystem::path& path) override;
  /// Opens a Finder window with the file selected.
  void revealInFileManager(const std::filesystem::path& path) override;
};

}  // namespace quillo::platform::mac
