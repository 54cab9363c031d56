#include "Platform/qt/QtKeys.hpp"

#include <array>
#include <utility>

#include "Platform/KeyCodes.hpp"

namespace quillo::platform {
namespace {

struct KeyEntry {
  int qtKey;
  std::uint16_t keyCode;
  bool shifted;  // typed with Shift on the US layout
};

// Qt keys by the US keyboard's key that types them.
constexpr std::array kKeys{
    KeyEntry{Qt::Key_A, KeyCode::a, false},
    KeyEntry{Qt::Key_B, KeyCode::b, false},
    KeyEntry{Qt::Key_C, KeyCode::c, false},
    KeyEntry{Qt::Key_D, KeyCode::d, false},
    KeyEntry{Qt::Key_E, KeyCode::e, false},
    KeyEntry{Qt::Key_F, KeyCode::f, false},
    KeyEntry{Qt::Key_G, KeyCode::g, false},
    KeyEntry{Qt::Key_H, KeyCode::h, false},
    KeyEntry{Qt::Key_I, KeyCode::i, false},
    KeyEntry{Qt::Key_J, KeyCode::j, false},
    KeyEntry{Qt::Key_K, KeyCode::k, false},
    KeyEntry{Qt::Key_L, KeyCode::l, false},
    KeyEntry{Qt::Key_M, KeyCode::m, false},
    KeyEntry{Qt::Key_N, KeyCode::n, false},
    KeyEntry{Qt::Key_O, KeyCode::o, false},
    KeyEntry{Qt::Key_P, KeyCode::p, false},
    KeyEntry{Qt::Key_Q, KeyCode::q, false},
    KeyEntry{Qt::Key_R, KeyCode::r, false},
    KeyEntry{Qt::Key_S, KeyCode::s, false},
    KeyEntry{Qt::Key_T, KeyCode::t, false},
    KeyEntry{Qt::Key_U, KeyCode::u, false},
    KeyEntry{Qt::Key_V, KeyCode::v, false},
    KeyEntry{Qt::Key_W, KeyCode::w, false},
    KeyEntry{Qt::Key_X, KeyCode::x, false},
    KeyEntry{Qt::Key_Y, KeyCode::y, false},
    KeyEntry{Qt::Key_Z, KeyCode::z, false},
    KeyEntry{Qt::Key_0, KeyCode::zero, false},
    KeyEntry{Qt::Key_1, KeyCode::one, false},
    KeyEntry{Qt::Key_2, KeyCode::two, false},
    KeyEntry{Qt::Key_3, KeyCode::three, false},
    KeyEntry{Qt::Key_4, KeyCode::four, false},
    KeyEntry{Qt::Key_5, KeyCode::five, false},
    KeyEntry{Qt::Key_6, KeyCode::six, false},
    KeyEntry{Qt::Key_7, KeyCode::seven, false},
    KeyEntry{Qt::Key_8, KeyCode::eight, false},
    KeyEntry{Qt::Key_9, KeyCode::nine, false},
    KeyEntry{Qt::Key_ParenRight, KeyCode::zero, true},
    KeyEntry{Qt::Key_Exclam, KeyCode::one, true},
    KeyEntry{Qt::Key_At, KeyCode::two, true},
    KeyEntry{Qt::Key_NumberSign, KeyCode::three, true},
    KeyEntry{Qt::Key_Dollar, KeyCode::four, true},
    KeyEntry{Qt::Key_Percent, KeyCode::five, true},
    KeyEntry{Qt::Key_AsciiCircum, KeyCode::six, true},
    KeyEntry{Qt::Key_Ampersand, KeyCode::seven, true},
    KeyEntry{Qt::Key_Asterisk, KeyCode::eight, true},
    KeyEntry{Qt::Key_ParenLeft, KeyCode::nine, true},
    KeyEntry{Qt::Key_Minus, KeyCode::minus, false},
    KeyEntry{Qt::Key_Underscore, KeyCode::minus, true},
    KeyEntry{Qt::Key_Equal, KeyCode::equal, false},
    KeyEntry{Qt::Key_Plus, KeyCode::equal, true},
    KeyEntry{Qt::Key_BracketLeft, KeyCode::leftBracket, false},
    KeyEntry{Qt::Key_BraceLeft, KeyCode::leftBracket, true},
    KeyEntry{Qt::Key_BracketRight, KeyCode::rightBracket, false},
    KeyEntry{Qt::Key_BraceRight, KeyCode::rightBracket, true},
    KeyEntry{Qt::Key_Backslash, KeyCode::backslash, false},
    KeyEntry{Qt::Key_Bar, KeyCode::backslash, true},
    KeyEntry{Qt::Key_Semicolon, KeyCode::semicolon, false},
    KeyEntry{Qt::Key_Colon, KeyCode::semicolon, true},
    KeyEntry{Qt::Key_Apostrophe, KeyCode::quote, false},
    KeyEntry{Qt::Key_QuoteDbl, KeyCode::quote, true},
    KeyEntry{Qt::Key_Comma, KeyCode::comma, false},
    KeyEntry{Qt::Key_Less, KeyCode::comma, true},
    KeyEntry{Qt::Key_Period, KeyCode::period, false},
    KeyEntry{Qt::Key_Greater, KeyCode::period, true},
    KeyEntry{Qt::Key_Slash, KeyCode::slash, false},
    KeyEntry{Qt::Key_Question, KeyCode::slash, true},
    KeyEntry{Qt::Key_QuoteLeft, KeyCode::grave, false},
    KeyEntry{Qt::Key_AsciiTilde, KeyCode::grave, true},
    KeyEntry{Qt::Key_Return, KeyCode::returnKey, false},
    KeyEntry{Qt::Key_Enter, KeyCode::keypadEnter, false},
    KeyEntry{Qt::Key_Tab, KeyCode::tab, false},
    KeyEntry{Qt::Key_Backtab, KeyCode::tab, true},
    KeyEntry{Qt::Key_Space, KeyCode::space, false},
    KeyEntry{Qt::Key_Backspace, KeyCode::deleteKey, false},
    KeyEntry{Qt::Key_Escape, KeyCode::escape, false},
    KeyEntry{Qt::Key_Delete, KeyCode::forwardDelete, false},
    KeyEntry{Qt::Key_Home, KeyCode::home, false},
    KeyEntry{Qt::Key_End, KeyCode::end, false},
    KeyEntry{Qt::Key_PageUp, KeyCode::pageUp, false},
    KeyEntry{Qt::Key_PageDown, KeyCode::pageDown, false},
    KeyEntry{Qt::Key_Left, KeyCode::left, false},
    KeyEntry{Qt::Key_Right, KeyCode::right, false},
    KeyEntry{Qt::Key_Up, KeyCode::up, false},
    KeyEntry{Qt::Key_Down, KeyCode::down, false},
    KeyEntry{Qt::Key_F1, KeyCode::f1, false},
    KeyEntry{Qt::Key_F2, KeyCode::f2, false},
    KeyEntry{Qt::Key_F3, KeyCode::f3, false},
    KeyEntry{Qt::Key_F4, KeyCode::f4, false},
    KeyEntry{Qt::Key_F5, KeyCode::f5, false},
    KeyEntry{Qt::Key_F6, KeyCode::f6, false},
    KeyEntry{Qt::Key_F7, KeyCode::f7, false},
    KeyEntry{Qt::Key_F8, KeyCode::f8, false},
    KeyEntry{Qt::Key_F9, KeyCode::f9, false},
    KeyEntry{Qt::Key_F10, KeyCode::f10, false},
    KeyEntry{Qt::Key_F11, KeyCode::f11, false},
    KeyEntry{Qt::Key_F12, KeyCode::f12, false},
};

}  // namespace

std::uint64_t eventFlagsFromQt(Qt::KeyboardModifiers modifiers) {
  // Qt's Mac reading: Control is ⌘, Meta is ⌃ (see the header).
  constexpr std::array<std::pair<Qt::KeyboardModifier, std::uint64_t>, 5> kFlags{{
      {Qt::ShiftModifier, EventFlags::shift},
      {Qt::ControlModifier, EventFlags::command},
      {Qt::MetaModifier, EventFlags::control},
      {Qt::AltModifier, EventFlags::alternate},
      {Qt::KeypadModifier, EventFlags::numericPad},
  }};
  std::uint64_t flags = 0;
  for (const auto& [modifier, flag] : kFlags) {
    if (modifiers.testFlag(modifier)) flags |= flag;
  }
  return flags;
}

std::optional<QtKeystroke> keystrokeFromQt(int key, Qt::KeyboardModifiers modifiers) {
  for (const KeyEntry& entry : kKeys) {
    if (entry.qtKey != key) continue;
    std::uint64_t flags = eventFlagsFromQt(modifiers);
    if (entry.shifted) flags |= EventFlags::shift;
    return QtKeystroke{entry.keyCode, flags};
  }
  return std::nullopt;
}

}  // namespace quillo::platform
