// UTF-8 and UTF-16 conversions for the simulator's key events and text fields.
#pragma once

#include <string>

namespace quillo::sim::text {

std::string utf8(const std::u16string& utf16);
std::u16string utf16(const std::string& utf8);
std::u32string scalars(const std::string& utf8);
/// `text` without its last Unicode scalar.
void dropLastScalar(std::string& text);

}  // namespace quillo::sim::text
