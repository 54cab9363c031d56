// DebugLog: diagnostic lines in a plain-text file, mirrored to the system log.
//
// Off unless the user turns debug logging on; lines written with `always`
// (the event tap's results, diagnostics) go through regardless. One line per
// message, "yyyy-MM-dd HH:mm:ss.SSS message", in local time. The file lives in
// the logs folder as "Quillo/debug.log", is created readable by its owner
// only (it describes the user's mail windows), is opened and closed for every
// line, and starts afresh once it has grown past 2,000,000 bytes. Logging
// never fails and never stops the program: file errors lose the line.
// Main thread only.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "Platform/MainLoop.hpp"
#include "Platform/Paths.hpp"
#include "Platform/SystemLog.hpp"

namespace quillo {

class DebugLog {
 public:
  using Clock = std::function<platform::WallClock::time_point()>;

  /// Files larger than this are deleted before the next line is written.
  static constexpr std::uintmax_t maximumSize = 2'000'000;

  DebugLog(const platform::Paths& paths, platform::SystemLog& systemLog, Clock clock);

  /// Whether lines written without `always` go through; off at creation.
  bool isEnabled() const noexcept { return isEnabled_; }
  void setEnabled(bool on) noexcept { isEnabled_ = on; }

  const std::filesystem::path& filePath() const noexcept { return filePath_; }

  /// Writes `message` (without a trailing line feed) when logging is on or
  /// `always` is true.
  void log(std::string_view message, bool always = false);

  /// How many characters come before each message in the file: the
  /// timestamp and the blank after it.
  static constexpr std::size_t timestampWidth = std::string_view("yyyy-MM-dd HH:mm:ss.SSS ").size();
  /// "yyyy-MM-dd HH:mm:ss.SSS" in the local time zone.
  static std::string timestamp(platform::WallClock::time_point time);

 private:
  void append(const std::string& line);

  bool isEnabled_ = false;
  std::filesystem::path filePath_;
  platform::SystemLog& systemLog_;
  Clock clock_;
};

}  // namespace quillo
