// The services the session keeps for its transcript or spoils on request:
// the system log, recorded line by line (and written through to the real
// one), and a file system whose folders can be made read-only or full.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Platform/FileSystem.hpp"
#include "Platform/SystemLog.hpp"

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

namespace quillo::platform {

/// The real file system with the faults of a real disk brought about on
/// request, per folder: a read-only volume refuses to create anything in
/// it; a full disk lets a file be created but not filled. Files already
/// there stay readable. Works whoever runs it, root included, which real
/// permissions would not.
class FaultyFileSystem final : public FileSystem {
 public:
  enum class Fault : std::uint8_t { readOnly, diskFull };

  explicit FaultyFileSystem(FileSystem& real) : real_(real) {}

  /// The fault of a folder and everything below it.
  std::map<std::filesystem::path, Fault> faults;

  FileResult read(const std::filesystem::path& path, std::size_t limit) override {
    return real_.read(path, limit);
  }
  std::optional<std::string> writeAtomically(const std::filesystem::path& path,
                                             std::string_view data, mode_t mode) override {
    if (const auto fault = faultAt(path.parent_path())) {
      switch (*fault) {
        case Fault::readOnly:
          return "couldn't create a temporary file in " + path.parent_path().string() +
                 ": Read-only file system";
        case Fault::diskFull:
          // The temporary file is made, its data does not fit, it is removed:
          // the destination is untouched.
          return std::string("couldn't write the file: No space left on device");
      }
    }
    return real_.writeAtomically(path, data, mode);
  }
  std::optional<std::string> createDirectories(const std::filesystem::path& folder) override {
    if (!real_.exists(folder) && faultAt(folder.parent_path())) {
      return std::string(faultAt(folder.parent_path()) == Fault::readOnly
                             ? "Read-only file system"
                             : "No space left on device");
    }
    return real_.createDirectories(folder);
  }
  bool exists(const std::filesystem::path& path) override { return real_.exists(path); }
  FileKind kindAt(const std::filesystem::path& path) override { return real_.kindAt(path); }
  std::optional<std::string> rename(const std::filesystem::path& from,
                                    const std::filesystem::path& to) override {
    // A rename writes the folder: a read-only volume refuses it; a full
    // disk still has room for a new name.
    if (faultAt(from.parent_path()) == Fault::readOnly) {
      return "couldn't move " + from.string() + " to " + to.string() + ": Read-only file system";
    }
    return real_.rename(from, to);
  }

 private:
  std::optional<Fault> faultAt(const std::filesystem::path& folder) const {
    const auto here = folder.lexically_normal();
    for (const auto& [root, fault] : faults) {
      const auto normalRoot = root.lexically_normal();
      auto [end, ignored] =
          std::mismatch(normalRoot.begin(), normalRoot.end(), here.begin(), here.end());
      if (end == normalRoot.end()) return fault;
    }
    return std::nullopt;
  }

  FileSystem& real_;
};

}  // namespace quillo::platform
