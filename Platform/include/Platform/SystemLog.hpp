// SystemLog: the unified system log, where the application writes what an
// administrator or developer may want to read later.
//
// Every message goes under the subsystem "com.larkmoor.Quillo" and a
// category ("app" for the application's own messages, "debug" for the mirror
// of the debug log). Messages are public (never redacted). Never fails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillo::platform {

inline constexpr std::string_view logSubsystem = "com.larkmoor.Quillo";

enum class LogLevel : std::uint8_t { debug, info, default_, error };

class SystemLog {
 public:
  virtual ~SystemLog() = default;
  virtual void write(std::string_view category, LogLevel level, std::string_view message) = 0;
};

/// A logger for one category, in the manner of os.Logger.
class Logger {
 public:
  Logger(SystemLog& log, std::string category) : log_(log), category_(std::move(category)) {}
  void debug(std::string_view message) const { log_.write(category_, LogLevel::debug, message); }
  void info(std::string_view message) const { log_.write(category_, LogLevel::info, message); }
  void notice(std::string_view message) const {
    log_.write(category_, LogLevel::default_, message);
  }
  void error(std::string_view message) const { log_.write(category_, LogLevel::error, message); }

 private:
  SystemLog& log_;
  std::string category_;
};

}  // namespace quillo::platform
