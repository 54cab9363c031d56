// Doubles of the platform services that remember what they were asked to do
// instead of doing it.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "Platform/UserDefaults.hpp"
#include "Platform/WorkspaceOpener.hpp"

namespace quillo::platform {

/// Remembers the URLs and files it was asked to open or reveal.
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
