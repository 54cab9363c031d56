#include "Unicode.hpp"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utext.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace quillo::unicode {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::u16string toUTF16(std::string_view utf8) {
  if (utf8.size() > static_cast<std::size_t>(INT32_MAX / 2)) return {};
  std::u16string out(utf8.size() + 1, u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, utf8.data(),
                       static_cast<int32_t>(utf8.size()), kReplacement, nullptr, &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<std::size_t>(length));
  return out;
}

std::string toUTF8(const std::u16string& utf16) {
  std::string out(utf16.size() * 3 + 1, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, utf16.data(),
                     static_cast<int32_t>(utf16.size()), kReplacement, nullptr, &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<std::size_t>(length));
  return out;
}

struct BreakIteratorCloser {
  void operator()(UBreakIterator* iterator) const noexcept { ubrk_close(iterator); }
};

// One character break iterator per thread, built on first non-ASCII use.
UBreakIterator* characterBreakIterator() {
  thread_local std::unique_ptr<UBreakIterator, BreakIteratorCloser> iterator = [] {
    UErrorCode status = U_ZERO_ERROR;
    UBreakIterator* made = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
    if (U_FAILURE(status)) made = nullptr;
    return std::unique_ptr<UBreakIterator, BreakIteratorCloser>(made);
  }();
  return iterator.get();
}

char32_t firstScalar(std::string_view utf8) {
  int32_t offset = 0;
  UChar32 c = 0;
  U8_NEXT(reinterpret_cast<const uint8_t*>(utf8.data()), offset, static_cast<int32_t>(utf8.size()),
          c);
  return c < 0 ? kReplacement : static_cast<char32_t>(c);
}

}  // namespace

bool isASCII(std::string_view text) noexcept {
  for (unsigned char c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

bool isValidUTF8(std::string_view text) noexcept {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
  if (static_cast<std::size_t>(length) != text.size()) return false;
  int32_t offset = 0;
  while (offset < length) {
    UChar32 c = 0;
    U8_NEXT(bytes, offset, length, c);
    if (c < 0) return false;
  }
  return true;
}

std::vector<char32_t> scalars(std::string_view utf8) {
  std::vector<char32_t> result;
  const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
  const auto length = static_cast<int32_t>(std::min<std::size_t>(utf8.size(), INT32_MAX));
  int32_t offset = 0;
  while (offset < length) {
    UChar32 c = 0;
    U8_NEXT(bytes, offset, length, c);
    result.push_back(c < 0 ? kReplacement : static_cast<char32_t>(c));
  }
  return result;
}

std::size_t characterCount(std::string_view utf8, std::size_t limit) {
  if (utf8.empty() || limit == 0) return 0;
  if (isASCII(utf8)) {
    // In ASCII only CR LF forms a cluster of more than one byte.
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size() && count < limit; ++i) {
      if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
      ++count;
    }
    return count;
  }
  UBreakIterator* iterator = characterBreakIterator();
  if (iterator == nullptr || utf8.size() > static_cast<std::size_t>(INT32_MAX)) return limit;
  UErrorCode status = U_ZERO_ERROR;
  UText text = UTEXT_INITIALIZER;
  utext_openUTF8(&text, utf8.data(), static_cast<int64_t>(utf8.size()), &status);
  ubrk_setUText(iterator, &text, &status);
  std::size_t count = 0;
  if (U_SUCCESS(status)) {
    ubrk_first(iterator);
    while (count < limit && ubrk_next(iterator) != UBRK_DONE)
      ++count;
  } else {
    count = limit;
  }
  // Detach the iterator from the text before the UText goes away.
  UErrorCode ignored = U_ZERO_ERROR;
  ubrk_setText(iterator, u"", 0, &ignored);
  utext_close(&text);
  return count;
}

bool startsWithLetter(std::string_view utf8) {
  if (utf8.empty()) return false;
  const auto first = static_cast<unsigned char>(utf8[0]);
  if (first < 0x80) return (first | 0x20) >= 'a' && (first | 0x20) <= 'z';
  return u_isalpha(static_cast<UChar32>(firstScalar(utf8))) != 0;
}

namespace {

using CaseMapping = int32_t (*)(UChar*, int32_t, const UChar*, int32_t, const char*, UErrorCode*);

std::string mapCase(std::string_view utf8, CaseMapping mapping) {
  const std::u16string source = toUTF16(utf8);
  // Case mapping can grow text by a few units per character; retry once with
  // the size ICU asks for.
  std::u16string out(source.size() * 2 + 4, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = mapping(out.data(), static_cast<int32_t>(out.size()), source.data(),
                           static_cast<int32_t>(source.size()), "", &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.assign(static_cast<std::size_t>(length) + 1, u'\0');
    status = U_ZERO_ERROR;
    length = mapping(out.data(), static_cast<int32_t>(out.size()), source.data(),
                     static_cast<int32_t>(source.size()), "", &status);
  }
  if (U_FAILURE(status)) return std::string(utf8);
  out.resize(static_cast<std::size_t>(length));
  return toUTF8(out);
}

std::string mapASCIICase(std::string_view text, char from, char to) {
  std::string out(text);
  for (char& c : out) {
    if (c >= from && c <= static_cast<char>(from + 25)) c = static_cast<char>(c - from + to);
  }
  return out;
}

}  // namespace

std::string lowercased(std::string_view utf8) {
  if (isASCII(utf8)) return mapASCIICase(utf8, 'A', 'a');
  return mapCase(utf8, u_strToLower);
}

std::string uppercased(std::string_view utf8) {
  if (isASCII(utf8)) return mapASCIICase(utf8, 'a', 'A');
  return mapCase(utf8, u_strToUpper);
}

bool isCanonicalComposed(std::string_view utf8) {
  if (isASCII(utf8)) return true;
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
  if (U_FAILURE(status)) return true;
  const std::u16string text = toUTF16(utf8);
  const UBool normalized =
      unorm2_isNormalized(nfc, text.data(), static_cast<int32_t>(text.size()), &status);
  return U_FAILURE(status) || normalized;
}

std::string canonicalComposed(std::string_view utf8) {
  if (isASCII(utf8)) return std::string(utf8);
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
  if (U_FAILURE(status)) return std::string(utf8);
  const std::u16string source = toUTF16(utf8);
  // Composition of one grapheme never grows beyond a few times its length.
  std::u16string out(source.size() * 3 + 4, u'\0');
  int32_t length = unorm2_normalize(nfc, source.data(), static_cast<int32_t>(source.size()),
                                    out.data(), static_cast<int32_t>(out.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.assign(static_cast<std::size_t>(length) + 1, u'\0');
    status = U_ZERO_ERROR;
    length = unorm2_normalize(nfc, source.data(), static_cast<int32_t>(source.size()), out.data(),
                              static_cast<int32_t>(out.size()), &status);
  }
  if (U_FAILURE(status)) return std::string(utf8);
  out.resize(static_cast<std::size_t>(length));
  return toUTF8(out);
}

bool isControlFormatPrivateOrUnassigned(char32_t scalar) noexcept {
  if (scalar < 0x80) return scalar < 0x20 || scalar == 0x7F;
  switch (u_charType(static_cast<UChar32>(scalar))) {
    case U_CONTROL_CHAR:
    case U_FORMAT_CHAR:
    case U_SURROGATE:
    case U_PRIVATE_USE_CHAR:
    case U_UNASSIGNED:
      return true;
    default:
      return false;
  }
}

std::string_view trimmingSpacesAndTabs(std::string_view utf8) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
  const auto length = static_cast<int32_t>(std::min<std::size_t>(utf8.size(), INT32_MAX));
  auto isBlank = [](UChar32 c) {
    return c == 0x09 || (c >= 0 && u_charType(c) == U_SPACE_SEPARATOR);
  };
  int32_t start = 0;
  while (start < length) {
    int32_t next = start;
    UChar32 c = 0;
    U8_NEXT(bytes, next, length, c);
    if (!isBlank(c)) break;
    start = next;
  }
  int32_t end = length;
  while (end > start) {
    int32_t previous = end;
    UChar32 c = 0;
    U8_PREV(bytes, 0, previous, c);
    if (!isBlank(c)) break;
    end = previous;
  }
  return utf8.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (isASCII(a) && isASCII(b)) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      char x = a[i], y = b[i];
      if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
      if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
      if (x != y) return false;
    }
    return true;
  }
  const std::u16string x = toUTF16(a);
  const std::u16string y = toUTF16(b);
  UErrorCode status = U_ZERO_ERROR;
  const int32_t order =
      u_strCaseCompare(x.data(), static_cast<int32_t>(x.size()), y.data(),
                       static_cast<int32_t>(y.size()), U_FOLD_CASE_DEFAULT, &status);
  return U_SUCCESS(status) && order == 0;
}

std::u32string searchFolded(std::string_view utf8) {
  std::u32string out;
  if (isASCII(utf8)) {
    out.reserve(utf8.size());
    for (const char c : utf8)
      out.push_back(static_cast<char32_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    return out;
  }
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfd = unorm2_getNFDInstance(&status);
  const std::u16string source = toUTF16(utf8);
  std::u16string decomposed(source.size() * 4 + 4, u'\0');
  int32_t length = 0;
  if (U_SUCCESS(status)) {
    length = unorm2_normalize(nfd, source.data(), static_cast<int32_t>(source.size()),
                              decomposed.data(), static_cast<int32_t>(decomposed.size()), &status);
  }
  if (U_FAILURE(status)) {
    decomposed = source;
    length = static_cast<int32_t>(source.size());
  }
  for (int32_t i = 0; i < length;) {
    UChar32 c = 0;
    U16_NEXT(decomposed.data(), i, length, c);
    if (u_charType(c) == U_NON_SPACING_MARK) continue;
    out.push_back(static_cast<char32_t>(u_foldCase(c, U_FOLD_CASE_DEFAULT)));
  }
  return out;
}

bool isLetterOrDigit(char32_t scalar) noexcept {
  if (scalar < 0x80) {
    return (scalar >= 'a' && scalar <= 'z') || (scalar >= 'A' && scalar <= 'Z') ||
           (scalar >= '0' && scalar <= '9');
  }
  return u_isalnum(static_cast<UChar32>(scalar)) != 0;
}

}  // namespace quillo::unicode
