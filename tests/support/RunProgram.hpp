// Runs a built program of this project with arguments and captures what it
// printed and how it exited, for tests of the command-line tools.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace quillo::testing {

struct ProgramResult {
  int exitStatus = -1;
  std::string out;
  std::string err;
};

namespace detail {
inline std::string drain(int fd) {
  std::string text;
  std::array<char, 4096> buffer{};
  ssize_t n = 0;
  while ((n = ::read(fd, buffer.data(), buffer.size())) > 0)
    text.append(buffer.data(), n);
  return text;
}
}  // namespace detail

/// Runs `program` with `arguments` (no shell), `input` on its standard input
/// and `environment` added to (or, for an empty value, removed from) its own.
inline ProgramResult runProgram(const std::string& program,
                                const std::vector<std::string>& arguments,
                                const std::string& input = {},
                                const std::map<std::string, std::string>& environment = {}) {
  int outPipe[2], errPipe[2], inPipe[2];
  if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0 || ::pipe(inPipe) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(inPipe[0], 0);
    ::dup2(outPipe[1], 1);
    ::dup2(errPipe[1], 2);
    for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1], inPipe[0], inPipe[1]})
      ::close(fd);
    for (const auto& [name, value] : environment) {
      if (value.empty()) {
        ::unsetenv(name.c_str());
      } else {
        ::setenv(name.c_str(), value.c_str(), 1);
      }
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  ::close(inPipe[0]);
  if (!input.empty()) {
    [[maybe_unused]] auto written = ::write(inPipe[1], input.data(), input.size());
  }
  ::close(inPipe[1]);
  // Standard error is small for these tools; read output first, then errors.
  ProgramResult result;
  result.out = detail::drain(outPipe[0]);
  result.err = detail::drain(errPipe[0]);
  ::close(outPipe[0]);
  ::close(errPipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace quillo::testing
