// WorkspaceOpener: opens URLs and files the way the desktop would, and shows
// a file in the file manager. Fire and forget: nothing waits for the opened
// application, and failures are not reported. Main thread only.
#pragma once

#include <filesystem>
#include <string>

namespace quillo::platform {

class WorkspaceOpener {
 public:
  virtual ~WorkspaceOpener() = default;
  virtual void openURL(const std::string& url) = 0;
  virtual void openFile(const std::filesystem::path& path) = 0;
  virtual void revealInFileManager(const std::filesystem::path& path) = 0;
};

}  // namespace quillo::platform
