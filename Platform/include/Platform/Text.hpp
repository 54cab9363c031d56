// UTF-8 and UTF-16 conversions at the edge of the platform: key events carry
// UTF-16, everything else in Quillo is UTF-8. Invalid input becomes U+FFFD.
#pragma once

#include <string>

namespace quillo::platform::text {

std::string utf8(const std::u16string& utf16);
std::string utf8(const std::u32string& scalars);
std::u16string utf16(const std::string& utf8);
std::u32string scalars(const std::string& utf8);
/// `text` without its last Unicode scalar.
void dropLastScalar(std::string& text);

}  // namespace quillo::platform::text
