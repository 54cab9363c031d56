#include "Simulator/USKeyboard.hpp"

#include <array>

#include "Platform/EventServices.hpp"

namespace quillo::sim::USKeyboard {
namespace {

struct KeyRow {
  std::uint16_t code;
  char16_t plain;
  char16_t shifted;
  char16_t option;  // 0 for a dead key
};

// The printing keys of the US layout.
constexpr std::array<KeyRow, 47> kPrinting{{
    {0, u'a', u'A', u'å'},  {1, u's', u'S', u'ß'},   {2, u'd', u'D', u'∂'},
    {3, u'f', u'F', u'ƒ'},  {4, u'h', u'H', u'˙'},   {5, u'g', u'G', u'©'},
    {6, u'z', u'Z', u'Ω'},  {7, u'x', u'X', u'≈'},   {8, u'c', u'C', u'ç'},
    {9, u'v', u'V', u'√'},  {11, u'b', u'B', u'∫'},  {12, u'q', u'Q', u'œ'},
    {13, u'w', u'W', u'∑'}, {14, u'e', u'E', 0},     {15, u'r', u'R', u'®'},
    {16, u'y', u'Y', u'¥'}, {17, u't', u'T', u'†'},  {18, u'1', u'!', u'¡'},
    {19, u'2', u'@', u'™'}, {20, u'3', u'#', u'£'},  {21, u'4', u'$', u'¢'},
    {22, u'6', u'^', u'§'}, {23, u'5', u'%', u'∞'},  {24, u'=', u'+', u'≠'},
    {25, u'9', u'(', u'ª'}, {26, u'7', u'&', u'¶'},  {27, u'-', u'_', u'–'},
    {28, u'8', u'*', u'•'}, {29, u'0', u')', u'º'},  {30, u']', u'}', u'‘'},
    {31, u'o', u'O', u'ø'}, {32, u'u', u'U', 0},     {33, u'[', u'{', u'“'},
    {34, u'i', u'I', 0},    {35, u'p', u'P', u'π'},  {37, u'l', u'L', u'¬'},
    {38, u'j', u'J', u'∆'}, {39, u'\'', u'"', u'æ'}, {40, u'k', u'K', u'˚'},
    {41, u';', u':', u'…'}, {42, u'\\', u'|', u'«'}, {43, u',', u'<', u'≤'},
    {44, u'/', u'?', u'÷'}, {45, u'n', u'N', 0},     {46, u'm', u'M', u'µ'},
    {47, u'.', u'>', u'≥'}, {50, u'`', u'~', 0},
}};

struct SpecialKey {
  std::uint16_t code;
  const char* name;
  char16_t character;  // what a key event reports
};

constexpr std::array<SpecialKey, 26> kSpecial{{
    {KeyCode::returnKey, "return", u'\r'},
    {KeyCode::keypadEnter, "enter", 0x03},
    {KeyCode::tab, "tab", u'\t'},
    {KeyCode::space, "space", u' '},
    {KeyCode::deleteKey, "delete", 0x7F},
    {KeyCode::escape, "escape", 0x1B},
    {KeyCode::up, "up", 0xF700},
    {KeyCode::down, "down", 0xF701},
    {KeyCode::left, "left", 0xF702},
    {KeyCode::right, "right", 0xF703},
    {KeyCode::f1, "f1", 0xF704},
    {KeyCode::f2, "f2", 0xF705},
    {KeyCode::f3, "f3", 0xF706},
    {KeyCode::f4, "f4", 0xF707},
    {KeyCode::f5, "f5", 0xF708},
    {KeyCode::f6, "f6", 0xF709},
    {KeyCode::f7, "f7", 0xF70A},
    {KeyCode::f8, "f8", 0xF70B},
    {KeyCode::f9, "f9", 0xF70C},
    {KeyCode::f10, "f10", 0xF70D},
    {KeyCode::f11, "f11", 0xF70E},
    {KeyCode::f12, "f12", 0xF70F},
    {KeyCode::forwardDelete, "forwarddelete", 0xF728},
    {KeyCode::home, "home", 0xF729},
    {KeyCode::end, "end", 0xF72B},
    {KeyCode::pageUp, "pageup", 0xF72C},
}};

const KeyRow* printing(std::uint16_t code) {
  for (const auto& row : kPrinting) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

const SpecialKey* special(std::uint16_t code) {
  for (const auto& key : kSpecial) {
    if (key.code == code) return &key;
  }
  return nullptr;
}

/// What control turns a printing key into: the ASCII control character of
/// its letter or bracket, or the key's own character.
char16_t controlCharacter(const KeyRow& row) {
  if (row.plain >= u'a' && row.plain <= u'z') return static_cast<char16_t>(row.plain - u'a' + 1);
  switch (row.plain) {
    case u'[':
      return 0x1B;
    case u'\\':
      return 0x1C;
    case u']':
      return 0x1D;
    case u'6':
      return 0x1E;
    case u'-':
      return 0x1F;
    case u'2':
      return 0x00;
    default:
      return row.plain;
  }
}

}  // namespace

std::optional<std::u16string> layoutCharacter(std::uint16_t keyCode, bool shift, bool option) {
  const KeyRow* row = printing(keyCode);
  if (!row) {
    if (keyCode == KeyCode::space) return u" ";
    return std::nullopt;
  }
  if (option) {
    if (row->option == 0) return u"";
    return std::u16string(1, row->option);  // the option layer ignores shift here
  }
  return std::u16string(1, shift ? row->shifted : row->plain);
}

std::u16string eventCharacters(std::uint16_t keyCode, std::uint64_t flags) {
  using namespace platform::EventFlags;
  if (const SpecialKey* key = special(keyCode)) {
    if (keyCode == KeyCode::tab && (flags & shift)) return std::u16string(1, 0x19);  // back-tab
    return std::u16string(1, key->character);
  }
  const KeyRow* row = printing(keyCode);
  if (!row) return {};
  if (flags & control) return std::u16string(1, controlCharacter(*row));
  if (flags & alternate) return *layoutCharacter(keyCode, flags & shift, true);
  return std::u16string(1, (flags & shift) ? row->shifted : row->plain);
}

std::uint64_t keyFlags(std::uint16_t keyCode) {
  using namespace platform::EventFlags;
  if (keyCode >= KeyCode::left && keyCode <= KeyCode::up) return secondaryFn | numericPad;
  if (keyCode == KeyCode::keypadEnter) return numericPad;
  if (const SpecialKey* key = special(keyCode); key && key->character >= 0xF704) return secondaryFn;
  return 0;
}

std::optional<Keystroke> keystrokeFor(char32_t character) {
  for (const auto& row : kPrinting) {
    if (row.plain == character) return Keystroke{row.code, false};
    if (row.shifted == character) return Keystroke{row.code, true};
  }
  if (character == U' ') return Keystroke{KeyCode::space, false};
  if (character == U'\n' || character == U'\r') return Keystroke{KeyCode::returnKey, false};
  if (character == U'\t') return Keystroke{KeyCode::tab, false};
  return std::nullopt;
}

std::optional<std::uint16_t> keyCodeNamed(std::string_view name) {
  if (name == "esc") return KeyCode::escape;
  if (name == "backspace") return KeyCode::deleteKey;
  for (const auto& key : kSpecial) {
    if (name == key.name) return key.code;
  }
  return std::nullopt;
}

std::string keyName(std::uint16_t keyCode) {
  if (const SpecialKey* key = special(keyCode)) return key->name;
  if (const KeyRow* row = printing(keyCode)) return std::string(1, static_cast<char>(row->plain));
  return "key " + std::to_string(keyCode);
}

}  // namespace quillo::sim::USKeyboard
