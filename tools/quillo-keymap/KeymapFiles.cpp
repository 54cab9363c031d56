#include "KeymapFiles.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace quillo::keymaptool {

std::string readWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw FileError("cannot read " + path + ": " + std::strerror(errno));
  std::string contents;
  char buffer[65536];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      throw FileError("cannot read " + path + ": " + std::strerror(error));
    }
    contents.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return contents;
}

std::string userKeymapPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config) return std::string(config) + "/Quillo/keymap.json";
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.config/Quillo/keymap.json";
}

KeymapLoadResult loadKeymapFile(const std::string& path) {
  const std::string data = readWholeFile(path);
  try {
    return Keymap::parse(data);
  } catch (const KeymapError& error) {
    throw FileError(error.description());
  }
}

}  // namespace quillo::keymaptool
