#include "Platform/FileSystem.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

namespace quillo::platform {
namespace {

std::string describeErrno(int error) {
  return std::strerror(error);
}

}  // namespace

FileResult readFile(const std::filesystem::path& path, std::size_t limit) {
  FileResult result;
  // Opening a FIFO for reading waits for a writer unless asked not to; a
  // regular file never blocks, so the flag changes nothing for it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    result.error = describeErrno(errno);
    return result;
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0) {
    result.error = describeErrno(errno);
    ::close(fd);
    return result;
  }
  if (S_ISDIR(status.st_mode)) {
    result.error = describeErrno(EISDIR);
    ::close(fd);
    return result;
  }
  if (!S_ISREG(status.st_mode)) {
    result.notRegularFile = true;
    result.error = notRegularFileError;
    ::close(fd);
    return result;
  }
  char buffer[65536];
  while (result.contents.size() <= limit) {
    const std::size_t wanted = std::min(sizeof buffer, limit + 1 - result.contents.size());
    const ssize_t n = ::read(fd, buffer, wanted);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      result.error = describeErrno(errno);
      result.contents.clear();
      ::close(fd);
      return result;
    }
    result.contents.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  result.ok = true;
  return result;
}

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::string_view data, mode_t mode) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  std::string hidden = ".";
  hidden += path.filename().string();
  hidden += '.';
  hidden.append(6, 'X');  // the template mkstemp fills in
  const std::string pattern = (folder / hidden).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0)
    return "couldn't create a temporary file in " + folder.string() + ": " + describeErrno(errno);
  const auto fail = [&](const char* what) {
    const int error = errno;
    ::close(fd);
    ::unlink(name.data());
    return std::string(what) + ": " + describeErrno(error);
  };
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd, mode & ~mask) != 0) return fail("couldn't set the file's permissions");
  for (std::size_t written = 0; written < data.size();) {
    const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("couldn't write the file");
    }
    written += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) return fail("couldn't write the file");
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(name.data());
    return "couldn't write the file: " + describeErrno(error);
  }
  if (::rename(name.data(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(name.data());
    return "couldn't replace " + path.string() + ": " + describeErrno(error);
  }
  return std::nullopt;
}

std::optional<std::string> createDirectories(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error && !std::filesystem::is_directory(folder)) return error.message();
  return std::nullopt;
}

FileKind fileKindAt(const std::filesystem::path& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return FileKind::none;
  if (S_ISREG(status.st_mode)) return FileKind::regular;
  if (S_ISDIR(status.st_mode)) return FileKind::directory;
  if (S_ISLNK(status.st_mode)) return FileKind::symbolicLink;
  return FileKind::other;
}

std::optional<std::string> renameFile(const std::filesystem::path& from,
                                      const std::filesystem::path& to) {
  // Never over something: the name was chosen free, and if another process
  // took it meanwhile, what it put there stays.
  if (fileKindAt(to) != FileKind::none)
    return "couldn't move " + from.string() + " aside: " + to.string() + " exists";
  if (::rename(from.c_str(), to.c_str()) != 0) {
    return "couldn't move " + from.string() + " to " + to.string() + ": " + describeErrno(errno);
  }
  return std::nullopt;
}

std::filesystem::path freeSibling(const std::filesystem::path& path, std::string_view suffix) {
  const std::string base = path.string() + std::string(suffix);
  std::filesystem::path candidate = base;
  for (int n = 2; fileKindAt(candidate) != FileKind::none; ++n)
    candidate = base + "-" + std::to_string(n);
  return candidate;
}

bool PosixFileSystem::exists(const std::filesystem::path& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

}  // namespace quillo::platform
