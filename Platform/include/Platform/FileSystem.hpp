// Small file operations the application needs, with errors as values: the
// FileSystem seam the application's stores use, and the POSIX functions that
// implement it (they serve macOS and Linux alike).
//
// Writing is atomic: the data goes to a temporary file in the same folder,
// which then replaces the destination in one rename, so a crash or a full
// disk never leaves a torn file behind. Reading never blocks and reads only
// regular files: a FIFO or a device in place of a file is refused at once
// instead of hanging the main loop. Reading reports why it failed.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quillo::platform {

struct FileResult {
  bool ok = false;
  std::string contents;  // when reading succeeded
  std::string error;     // why not, when it failed
  /// Something other than a regular file or a folder is at the path (a
  /// FIFO, a device, a socket): it was refused without reading.
  bool notRegularFile = false;
};

/// The description of a refused non-regular file.
inline constexpr std::string_view notRegularFileError = "it is not a regular file";

/// The whole file, following symbolic links — or, when it is larger than
/// `limit` bytes, its first `limit` + 1 bytes (so the caller can tell it is
/// too large without reading all of it). Opens without blocking.
FileResult readFile(const std::filesystem::path& path,
                    std::size_t limit = static_cast<std::size_t>(-1) - 1);

/// Replaces `path` with `data` atomically; the new file gets `mode` (before
/// the umask). Returns the error's description on failure.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::string_view data, mode_t mode = 0644);

/// Creates `folder` with its parents; an existing folder is not an error.
std::optional<std::string> createDirectories(const std::filesystem::path& folder);

/// What stands at a path itself, a symbolic link not followed (lstat).
enum class FileKind : std::uint8_t { none, regular, directory, symbolicLink, other };
FileKind fileKindAt(const std::filesystem::path& path);

/// Renames `from` to `to`, which must not exist; the error's description
/// on failure.
std::optional<std::string> renameFile(const std::filesystem::path& from,
                                      const std::filesystem::path& to);

/// The first of `path` + `suffix`, then `path` + `suffix` + "-2", "-3", …
/// at which nothing stands: where a file is kept aside without replacing
/// anything. "custom.json" with ".undecodable" gives
/// "custom.json.undecodable".
std::filesystem::path freeSibling(const std::filesystem::path& path, std::string_view suffix);

/// The file operations of the application's stores, as a seam so that the
/// faults of a real disk (full, read-only) can be brought about in tests and
/// scripts whoever runs them, root included. Main thread only.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual FileResult read(const std::filesystem::path& path, std::size_t limit) = 0;
  virtual std::optional<std::string> writeAtomically(const std::filesystem::path& path,
                                                     std::string_view data, mode_t mode) = 0;
  virtual std::optional<std::string> createDirectories(const std::filesystem::path& folder) = 0;
  /// Whether anything is at the path (following symbolic links).
  virtual bool exists(const std::filesystem::path& path) = 0;
  /// What stands at the path itself (a symbolic link not followed).
  virtual FileKind kindAt(const std::filesystem::path& path) = 0;
  /// Moves what stands at `from` to `to` (in the same folder), where
  /// nothing stands.
  virtual std::optional<std::string> rename(const std::filesystem::path& from,
                                            const std::filesystem::path& to) = 0;
};

/// The real file system, through the functions above.
class PosixFileSystem final : public FileSystem {
 public:
  FileResult read(const std::filesystem::path& path, std::size_t limit) override {
    return readFile(path, limit);
  }
  std::optional<std::string> writeAtomically(const std::filesystem::path& path,
                                             std::string_view data, mode_t mode) override {
    return writeFileAtomically(path, data, mode);
  }
  std::optional<std::string> createDirectories(const std::filesystem::path& folder) override {
    return platform::createDirectories(folder);
  }
  bool exists(const std::filesystem::path& path) override;
  FileKind kindAt(const std::filesystem::path& path) override { return fileKindAt(path); }
  std::optional<std::string> rename(const std::filesystem::path& from,
                                    const std::filesystem::path& to) override {
    return renameFile(from, to);
  }
};

}  // namespace quillo::platform
