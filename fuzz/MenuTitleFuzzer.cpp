// Arbitrary menu titles against arbitrary title patterns (input split at the
// first NUL byte). Matching never crashes, and a title made of printable
// ASCII without surrounding blanks always matches itself unless it ends in
// "*" (which makes it a pattern with a stem, not a literal title).
#include <cstddef>
#include <cstdint>
#include <string>

#include "QuilloCore/MenuResolver.hpp"

namespace {

bool isPlainTitle(const std::string& title) {
  if (title.empty() || title.front() == ' ' || title.back() == ' ' || title.back() == '*') {
    return false;
  }
  for (unsigned char c : title) {
    if (c < 0x20 || c >= 0x7F) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const auto split = input.find('\0');
  const std::string title = input.substr(0, split);
  const std::string pattern = split == std::string::npos ? input : input.substr(split + 1);
  (void)quillo::MenuResolver::titleMatches(title, pattern);
  (void)quillo::MenuResolver::titleMatches(pattern, title);
  if (isPlainTitle(title) && !quillo::MenuResolver::titleMatches(title, title)) __builtin_trap();
  return 0;
}
