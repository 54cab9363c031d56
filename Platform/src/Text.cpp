#include "Platform/Text.hpp"

#include "Platform/UserDefaults.hpp"

namespace quillo::platform::text {

namespace {

void appendUTF8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string utf8(const std::u16string& utf16) {
  std::string out;
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;  // a lone surrogate
    }
    appendUTF8(out, c);
  }
  return out;
}

std::string utf8(const std::u32string& scalars) {
  std::string out;
  for (char32_t c : scalars)
    appendUTF8(out, (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF ? 0xFFFD : c);
  return out;
}

std::u32string scalars(const std::string& utf8Text) {
  std::u32string out;
  for (std::size_t i = 0; i < utf8Text.size();) {
    const auto byte = static_cast<unsigned char>(utf8Text[i]);
    int length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? byte : byte & (0x3F >> (length - 1));
    for (int k = 1; k < length && i + k < utf8Text.size(); ++k) {
      c = (c << 6) | (static_cast<unsigned char>(utf8Text[i + k]) & 0x3F);
    }
    out += c;
    i += static_cast<std::size_t>(length);
  }
  return out;
}

std::u16string utf16(const std::string& utf8Text) {
  std::u16string out;
  for (char32_t c : scalars(utf8Text)) {
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

void dropLastScalar(std::string& text) {
  while (!text.empty()) {
    const auto byte = static_cast<unsigned char>(text.back());
    text.pop_back();
    if ((byte & 0xC0) != 0x80) break;  // stop after the lead byte
  }
}

}  // namespace quillo::platform::text

namespace quillo::platform {

bool booleanFromString(std::string_view text) noexcept {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                             text[i] == '\r' || text[i] == '\f' || text[i] == '\v')) {
    ++i;
  }
  if (i == text.size()) return false;
  const char first = text[i];
  if (first == 'Y' || first == 'y' || first == 'T' || first == 't') return true;
  if (first == '+' || first == '-') ++i;
  while (i < text.size() && text[i] == '0')
    ++i;
  return i < text.size() && text[i] >= '1' && text[i] <= '9';
}

}  // namespace quillo::platform
