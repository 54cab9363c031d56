#include "Platform/linux/LinuxServices.hpp"

#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <system_error>

#include "Platform/FileSystem.hpp"

extern char** environ;

namespace quillo::platform {
namespace {

std::filesystem::path environmentFolder(const char* variable) {
  const char* value = std::getenv(variable);
  // The XDG rules ignore relative paths.
  if (value && *value == '/') return value;
  return {};
}

}  // namespace

// MARK: - XdgPaths

std::filesystem::path XdgPaths::home() const {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return "/";
}

std::filesystem::path XdgPaths::applicationSupport() const {
  const auto folder = environmentFolder("XDG_CONFIG_HOME");
  return folder.empty() ? home() / ".config" : folder;
}

std::filesystem::path XdgPaths::logs() const {
  const auto folder = environmentFolder("XDG_STATE_HOME");
  return folder.empty() ? home() / ".local" / "state" : folder;
}

// MARK: - JsonFileUserDefaults

JsonFileUserDefaults::JsonFileUserDefaults(std::filesystem::path file, SystemLog& log,
                                           std::filesystem::path formerFile)
    : file_(std::move(file)), formerFile_(std::move(formerFile)), log_(log) {
  reload();
}

void JsonFileUserDefaults::reload() {
  values_ = nlohmann::json::object();
  problem_.reset();
  unusable_.reset();
  std::error_code missing;
  std::filesystem::path source = file_;
  if (!std::filesystem::exists(source, missing)) {
    if (formerFile_.empty() || !std::filesystem::exists(formerFile_, missing)) return;
    source = formerFile_;
  }
  const FileResult read = readFile(source);
  if (!read.ok) {
    problem_ =
        "Couldn't read the settings in " + source.string() + ": " + read.error + "; using defaults";
    Logger(log_, "app").error(*problem_);
    return;
  }
  // A NUL byte would end the parser's input early, and the rest be ignored.
  auto parsed = read.contents.find('\0') != std::string::npos
                    ? nlohmann::json(nlohmann::json::value_t::discarded)
                    : nlohmann::json::parse(read.contents, nullptr, /*allow_exceptions=*/false);
  if (!parsed.is_object()) {
    problem_ = "The settings in " + source.string() + " aren't a JSON object; using defaults";
    Logger(log_, "app").error(*problem_);
    if (source == file_) unusable_ = read.contents;
    return;
  }
  values_ = std::move(parsed);
}

std::filesystem::path JsonFileUserDefaults::standardFile(const Paths& paths) {
  return paths.applicationSupport() / "Preferences" / "com.larkmoor.Quillo.json";
}

std::filesystem::path JsonFileUserDefaults::formerStandardFile(const Paths& paths) {
  return paths.applicationSupport() / "Quillo" / "Preferences" / "com.larkmoor.Quillo.json";
}

DefaultValue JsonFileUserDefaults::value(std::string_view key) const {
  const auto found = values_.find(key);
  if (found == values_.end()) return std::monostate{};
  if (found->is_boolean()) return found->get<bool>();
  if (found->is_string()) return found->get<std::string>();
  if (found->is_number()) return found->get<double>();
  return OtherDefaultValue{};
}

void JsonFileUserDefaults::set(std::string_view key, bool value) {
  values_[std::string(key)] = value;
  save();
}

void JsonFileUserDefaults::set(std::string_view key, std::string value) {
  values_[std::string(key)] = std::move(value);
  save();
}

void JsonFileUserDefaults::remove(std::string_view key) {
  if (values_.erase(std::string(key)) > 0) save();
}

void JsonFileUserDefaults::save() {
  std::optional<std::string> error = createDirectories(file_.parent_path());
  if (!error && unusable_) {
    const auto aside = freeSibling(file_, corruptSuffix);
    error = writeFileAtomically(aside, *unusable_, 0600);
    if (error) {
      error = "couldn't keep a copy of the unusable settings file first: " + *error;
    } else {
      Logger(log_, "app").notice("Kept a copy of the unusable settings file as " + aside.string());
      unusable_.reset();
    }
  }
  if (!error) error = writeFileAtomically(file_, values_.dump(2) + "\n", 0600);
  if (error) Logger(log_, "app").error("Couldn't save the settings: " + *error);
}

// MARK: - SyslogSystemLog

SyslogSystemLog::SyslogSystemLog() {
  ::openlog("quillo", LOG_PID, LOG_USER);
}

SyslogSystemLog::~SyslogSystemLog() {
  ::closelog();
}

void SyslogSystemLog::write(std::string_view category, LogLevel level, std::string_view message) {
  int priority = LOG_NOTICE;
  switch (level) {
    case LogLevel::debug:
      priority = LOG_DEBUG;
      break;
    case LogLevel::info:
      priority = LOG_INFO;
      break;
    case LogLevel::default_:
      priority = LOG_NOTICE;
      break;
    case LogLevel::error:
      priority = LOG_ERR;
      break;
  }
  ::syslog(priority, "[%.*s:%.*s] %.*s", static_cast<int>(logSubsystem.size()), logSubsystem.data(),
           static_cast<int>(category.size()), category.data(), static_cast<int>(message.size()),
           message.data());
}

// MARK: - XdgOpener

namespace {

/// Starts `xdg-open argument` without a shell. The intermediate child exits at
/// once and is reaped here; xdg-open itself is adopted by init, so no zombie
/// is ever left behind and nothing waits for the opened application.
void spawnDetached(const std::string& argument) {
  const pid_t child = ::fork();
  if (child < 0) return;
  if (child == 0) {
    pid_t ignored = 0;
    char program[] = "xdg-open";
    std::string copy = argument;
    char* argv[] = {program, copy.data(), nullptr};
    const int failed = ::posix_spawnp(&ignored, "xdg-open", nullptr, nullptr, argv, environ);
    ::_exit(failed == 0 ? 0 : 1);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

void XdgOpener::openURL(const std::string& url) {
  spawnDetached(url);
}

void XdgOpener::openFile(const std::filesystem::path& path) {
  spawnDetached(path.string());
}

void XdgOpener::revealInFileManager(const std::filesystem::path& path) {
  spawnDetached(path.parent_path().string());
}

// MARK: - XdgAutostartLoginItems

XdgAutostartLoginItems::XdgAutostartLoginItems(const Paths& paths, WorkspaceOpener& opener,
                                               std::filesystem::path executable)
    : paths_(paths), opener_(opener), executable_(std::move(executable)) {}

std::filesystem::path XdgAutostartLoginItems::runningExecutable() {
  std::error_code error;
  auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : path;
}

std::filesystem::path XdgAutostartLoginItems::entryFile() const {
  return paths_.applicationSupport() / "autostart" / "com.larkmoor.Quillo.desktop";
}

LoginItemStatus XdgAutostartLoginItems::status() const {
  if (executable_.empty()) return LoginItemStatus::notFound;
  std::error_code error;
  return std::filesystem::is_regular_file(entryFile(), error) ? LoginItemStatus::enabled
                                                              : LoginItemStatus::notRegistered;
}

std::optional<std::string> XdgAutostartLoginItems::registerApp() {
  if (executable_.empty()) return std::string("the running program could not be found");
  const auto file = entryFile();
  if (auto error = createDirectories(file.parent_path())) return error;
  // Exec values quote arguments with double quotes and escape \ " ` $.
  std::string quoted = "\"";
  for (char c : executable_.string()) {
    if (c == '\\' || c == '"' || c == '`' || c == '$') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  const std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Quillo\n"
      "Comment=Keyboard shortcuts of other mail programs for Mail\n"
      "Exec=" +
      quoted +
      "\n"
      "Terminal=false\n"
      "X-GNOME-Autostart-enabled=true\n";
  return writeFileAtomically(file, entry, 0644);
}

std::optional<std::string> XdgAutostartLoginItems::unregisterApp() {
  std::error_code error;
  std::filesystem::remove(entryFile(), error);
  if (error) return error.message();
  return std::nullopt;
}

void XdgAutostartLoginItems::openSystemSettingsLoginItems() {
  const auto folder = entryFile().parent_path();
  createDirectories(folder);
  opener_.openFile(folder);
}

// MARK: - InstalledBundle

InstalledBundle::InstalledBundle(std::filesystem::path resourceFolder)
    : resourceFolder_(std::move(resourceFolder)) {}

std::filesystem::path InstalledBundle::defaultResourceFolder() {
  const auto executable = XdgAutostartLoginItems::runningExecutable();
  if (executable.empty()) return {};
  return executable.parent_path().parent_path() / "share" / "quillo";
}

std::optional<std::filesystem::path> InstalledBundle::resource(std::string_view name) const {
  if (resourceFolder_.empty()) return std::nullopt;
  auto path = resourceFolder_ / std::string(name);
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  return path;
}

std::string InstalledBundle::shortVersion() const {
  return QUILLO_VERSION;
}

}  // namespace quillo::platform
