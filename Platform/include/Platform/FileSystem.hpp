// Small file operations the application needs, with errors as values.
//
// Writing is atomic: the data goes to a temporary file in the same folder,
// which then replaces the destination in one rename, so a crash or a full
// disk never leaves a torn file behind. Reading reports why it failed.
#pragma once

#include <sys/types.h>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quillo::platform {

struct FileResult {
  bool ok = false;
  std::string contents;  // when reading succeeded
  std::string error;     // why not, when it failed
};

/// The whole file, following symbolic links — or, when it is larger than
/// `limit` bytes, its first `limit` + 1 bytes (so the caller can tell it is
/// too large without reading all of it).
FileResult readFile(const std::filesystem::path& path,
                    std::size_t limit = static_cast<std::size_t>(-1) - 1);

/// Replaces `path` with `data` atomically; the new file gets `mode` (before
/// the umask). Returns the error's description on failure.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::string_view data, mode_t mode = 0644);

/// Creates `folder` with its parents; an existing folder is not an error.
std::optional<std::string> createDirectories(const std::filesystem::path& folder);

}  // namespace quillo::platform
