#include "DebugLog.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <system_error>

namespace quillo {

DebugLog::DebugLog(const platform::Paths& paths, platform::SystemLog& systemLog, Clock clock)
    : filePath_(paths.logs() / "Quillo" / "debug.log"),
      systemLog_(systemLog),
      clock_(std::move(clock)) {}

std::string DebugLog::timestamp(platform::WallClock::time_point time) {
  using namespace std::chrono;
  const auto sinceEpoch = time.time_since_epoch();
  const auto wholeSeconds = floor<seconds>(sinceEpoch);
  const auto millis = duration_cast<milliseconds>(sinceEpoch - wholeSeconds).count();
  const std::time_t seconds = static_cast<std::time_t>(wholeSeconds.count());
  std::tm local{};
  ::localtime_r(&seconds, &local);
  char text[40];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  std::snprintf(text + length, sizeof text - length, ".%03d", static_cast<int>(millis));
  return text;
}

void DebugLog::log(std::string_view message, bool always) {
  if (!isEnabled_ && !always) return;
  systemLog_.write("debug", platform::LogLevel::info, message);
  std::string line = timestamp(clock_());
  line += ' ';
  line += message;
  line += '\n';
  append(line);
}

void DebugLog::append(const std::string& line) {
  std::error_code ignored;
  std::filesystem::create_directories(filePath_.parent_path(), ignored);
  struct stat info {};
  if (::stat(filePath_.c_str(), &info) == 0 &&
      static_cast<std::uintmax_t>(info.st_size) > maximumSize) {
    ::unlink(filePath_.c_str());  // no backup: the log starts afresh
  }
  const int fd = ::open(filePath_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;
  for (std::size_t written = 0; written < line.size();) {
    const ssize_t n = ::write(fd, line.data() + written, line.size() - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

}  // namespace quillo
