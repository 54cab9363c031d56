// MacFoundationServices: the small Foundation-backed services of a Mac —
// the user's folders (NSFileManager), user defaults (NSUserDefaults), the
// unified system log (os_log), and the application bundle's resources and
// version (NSBundle.mainBundle). Each class is one seam. Main thread only,
// except the log, which os_log makes safe from any thread.
#pragma once

#include <memory>

#include "Platform/Bundle.hpp"
#include "Platform/Paths.hpp"
#include "Platform/SystemLog.hpp"
#include "Platform/UserDefaults.hpp"

namespace quillo::platform::mac {

/// ~/Library/Application Support, ~/Library/Logs and the home folder.
class MacPaths final : public Paths {
 public:
  std::filesystem::path applicationSupport() const override;
  std::filesystem::path logs() const override;
  std::filesystem::path home() const override;
};

/// The standard user defaults of the application's bundle identifier
/// (~/Library/Preferences/com.larkmoor.Quillo.plist); NSUserDefaults writes
/// them through on its own.
class MacUserDefaults final : public UserDefaults {
 public:
  DefaultValue value(std::string_view key) const override;
  void set(std::string_view key, bool value) override;
  void set(std::string_view key, std::string value) override;
  void remove(std::string_view key) override;
  using UserDefaults::set;
};

/// os_log under the subsystem "com.larkmoor.Quillo", one log object per
/// category made on first use; every message public.
class MacSystemLog final : public SystemLog {
 public:
  MacSystemLog();
  ~MacSystemLog() override;
  MacSystemLog(const MacSystemLog&) = delete;
  MacSystemLog& operator=(const MacSystemLog&) = delete;
  void write(std::string_view category, LogLevel level, std::string_view message) override;

 private:
  struct Logs;
  std::unique_ptr<Logs> logs_;
};

/// Contents/Resources of the running application, and its
/// CFBundleShortVersionString.
class MacBundle final : public Bundle {
 public:
  std::optional<std::filesystem::path> resource(std::string_view name) const override;
  std::string shortVersion() const override;
};

}  // namespace quillo::platform::mac
