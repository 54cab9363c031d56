// Writing and reading small files in tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace quillo::testing {

inline void writeText(const std::filesystem::path& path, const std::string& text,
                      std::ios::openmode mode = std::ios::trunc) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::out | mode);
  out << text;
}

inline std::string readText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace quillo::testing
