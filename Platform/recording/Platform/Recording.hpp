// Implementations of the platform services that remember what they were
// asked to do instead of doing it: for tests, and for the simulated Mac.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "Platform/SystemLog.hpp"
#include "Platform/UserDefaults.hpp"
#include "Platform/WorkspaceOpener.hpp"

namespace quillo::platform {

class RecordingSystemLog final : public SystemLog {
 public:
  struct Line {
    std::string category;
    LogLevel level;
    std::string message;
    bool operator==(const Line&) const = default;
  };

  void write(std::string_view category, LogLevel level, std::string_view message) override {
    lines.push_back({std::string(category), level, std::string(message)});
  }
  /// The messages of one category, in order.
  std::vector<std::string> messages(std::string_view category) const {
    std::vector<std::string> result;
    for (const auto& line : lines) {
      if (line.category == category) result.push_back(line.message);
    }
    return result;
  }

  std::vector<Line> lines;
};

class RecordingOpener final : public WorkspaceOpener {
 public:
  void openURL(const std::string& url) override { opened.push_back(url); }
  void openFile(const std::filesystem::path& path) override { opened.push_back(path.string()); }
  void revealInFileManager(const std::filesystem::path& path) override {
    revealed.push_back(path.string());
  }

  std::vector<std::string> opened;
  std::vector<std::string> revealed;
};

/// User defaults that live only in memory.
class InMemoryUserDefaults final : public UserDefaults {
 public:
  DefaultValue value(std::string_view key) const override {
    const auto found = values.find(std::string(key));
    return found == values.end() ? DefaultValue(std::monostate{}) : found->second;
  }
  void set(std::string_view key, bool value) override { values[std::string(key)] = value; }
  void set(std::string_view key, std::string value) override {
    values[std::string(key)] = std::move(value);
  }
  void remove(std::string_view key) override { values.erase(std::string(key)); }
  using UserDefaults::set;

  std::map<std::string, DefaultValue> values;
};

}  // namespace quillo::platform

namespace quillo::platform {

/// Writes every line to two system logs (the real one and a recording one).
class TeeSystemLog final : public SystemLog {
 public:
  TeeSystemLog(SystemLog& first, SystemLog* second) : first_(first), second_(second) {}
  void write(std::string_view category, LogLevel level, std::string_view message) override {
    first_.write(category, level, message);
    if (second_) second_->write(category, level, message);
  }

 private:
  SystemLog& first_;
  SystemLog* second_;
};

}  // namespace quillo::platform
