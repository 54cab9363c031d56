// Loading of the plain-JSON fixture tables that the table-driven tests read.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace quillo::testing {

inline std::filesystem::path fixturePath(const std::string& name) {
  return std::filesystem::path(QUILLO_TEST_FIXTURES) / name;
}

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read fixture " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline nlohmann::json loadFixture(const std::string& name) {
  return nlohmann::json::parse(readFile(fixturePath(name)));
}

}  // namespace quillo::testing
