// The Linux implementations of the platform services Linux really has:
// folders after the XDG base directory rules, user defaults in a JSON file,
// syslog as the system log, an XDG autostart entry as the login item,
// xdg-open for opening things, and resources installed beside the program.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "Platform/Bundle.hpp"
#include "Platform/LoginItems.hpp"
#include "Platform/Paths.hpp"
#include "Platform/SystemLog.hpp"
#include "Platform/UserDefaults.hpp"
#include "Platform/WorkspaceOpener.hpp"

namespace quillo::platform {

/// $XDG_CONFIG_HOME (or ~/.config) for application support, $XDG_STATE_HOME
/// (or ~/.local/state) for logs, $HOME (or the password database) for home.
/// Read from the environment on every call.
class XdgPaths final : public Paths {
 public:
  std::filesystem::path applicationSupport() const override;
  std::filesystem::path logs() const override;
  std::filesystem::path home() const override;
};

/// User defaults kept as one JSON object in a file, rewritten atomically on
/// every change. A file that cannot be read or is not a JSON object counts as
/// empty (with a line in the system log, and the reason as `loadProblem`);
/// the next write keeps a copy of it beside it first ("….json.corrupt", or
/// with "-2", "-3", … when taken), and only then replaces it.
class JsonFileUserDefaults final : public UserDefaults {
 public:
  /// Reads `file`; while it does not exist yet, the settings of
  /// `formerFile` (where earlier versions kept them) are read instead, and
  /// the next write puts them in `file`.
  JsonFileUserDefaults(std::filesystem::path file, SystemLog& log,
                       std::filesystem::path formerFile = {});
  /// Reads the file again, as a process that starts does.
  void reload();

  /// The usual file: "Preferences/com.larkmoor.Quillo.json" in the
  /// application support folder — outside the "Quillo" folder, whose
  /// changes reload keymap.json, as ~/Library/Preferences is on the Mac.
  static std::filesystem::path standardFile(const Paths& paths);
  /// Where earlier versions kept the settings: inside the "Quillo" folder.
  static std::filesystem::path formerStandardFile(const Paths& paths);

  DefaultValue value(std::string_view key) const override;
  void set(std::string_view key, bool value) override;
  void set(std::string_view key, std::string value) override;
  void remove(std::string_view key) override;
  std::optional<std::string> loadProblem() const override { return problem_; }
  using UserDefaults::set;

  static constexpr const char* corruptSuffix = ".corrupt";

  const std::filesystem::path& file() const noexcept { return file_; }

 private:
  void save();

  std::filesystem::path file_;
  std::filesystem::path formerFile_;
  SystemLog& log_;
  nlohmann::json values_ = nlohmann::json::object();
  std::optional<std::string> problem_;
  /// The bytes of an unusable file at `file_`, to be kept before the first
  /// write replaces them.
  std::optional<std::string> unusable_;
};

/// syslog(3), which reaches the journal. Each line carries the subsystem and
/// category: "[com.larkmoor.Quillo:app] message".
class SyslogSystemLog final : public SystemLog {
 public:
  SyslogSystemLog();
  ~SyslogSystemLog() override;
  void write(std::string_view category, LogLevel level, std::string_view message) override;
};

/// Opens with xdg-open, started directly (no shell) and never left a zombie.
class XdgOpener final : public WorkspaceOpener {
 public:
  void openURL(const std::string& url) override;
  void openFile(const std::filesystem::path& path) override;
  /// File managers have no common way to select a file: opens its folder.
  void revealInFileManager(const std::filesystem::path& path) override;
};

/// An XDG autostart entry, "autostart/com.larkmoor.Quillo.desktop" in the
/// configuration folder, that starts the running program at login.
class XdgAutostartLoginItems final : public LoginItems {
 public:
  XdgAutostartLoginItems(const Paths& paths, WorkspaceOpener& opener,
                         std::filesystem::path executable = runningExecutable());

  static std::filesystem::path runningExecutable();
  std::filesystem::path entryFile() const;

  LoginItemStatus status() const override;
  std::optional<std::string> registerApp() override;
  std::optional<std::string> unregisterApp() override;
  /// Opens the autostart folder.
  void openSystemSettingsLoginItems() override;

 private:
  const Paths& paths_;
  WorkspaceOpener& opener_;
  std::filesystem::path executable_;
};

/// Resources in "../share/quillo" relative to the program's folder (where
/// both the build tree and `cmake --install` put them).
class InstalledBundle final : public Bundle {
 public:
  explicit InstalledBundle(std::filesystem::path resourceFolder = defaultResourceFolder());
  static std::filesystem::path defaultResourceFolder();

  std::optional<std::filesystem::path> resource(std::string_view name) const override;
  std::string shortVersion() const override;

 private:
  std::filesystem::path resourceFolder_;
};

}  // namespace quillo::platform
