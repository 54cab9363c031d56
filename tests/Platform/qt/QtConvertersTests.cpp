#include <gtest/gtest.h>

#include "Platform/KeyCodes.hpp"
#include "Platform/qt/QtGeometry.hpp"
#include "Platform/qt/QtKeys.hpp"

namespace quillo::platform {
namespace {

constexpr std::uint64_t shift = EventFlags::shift, command = EventFlags::command,
                        control = EventFlags::control, option = EventFlags::alternate;

struct KeyCase {
  int qtKey;
  Qt::KeyboardModifiers modifiers;
  std::optional<QtKeystroke> expected;
};

TEST(QtKeys, QtKeysBecomeKeysOfTheUSKeyboardWithTheirFlags) {
  const std::vector<KeyCase> cases{
      {Qt::Key_E, Qt::NoModifier, QtKeystroke{KeyCode::e, 0}},
      {Qt::Key_E, Qt::ShiftModifier, QtKeystroke{KeyCode::e, shift}},
      {Qt::Key_A, Qt::NoModifier, QtKeystroke{KeyCode::a, 0}},
      {Qt::Key_Z, Qt::NoModifier, QtKeystroke{KeyCode::z, 0}},
      {Qt::Key_0, Qt::NoModifier, QtKeystroke{KeyCode::zero, 0}},
      {Qt::Key_3, Qt::NoModifier, QtKeystroke{KeyCode::three, 0}},
      // A shifted symbol is its key with Shift, even if Qt forgot the Shift.
      {Qt::Key_Exclam, Qt::ShiftModifier, QtKeystroke{KeyCode::one, shift}},
      {Qt::Key_NumberSign, Qt::NoModifier, QtKeystroke{KeyCode::three, shift}},
      {Qt::Key_Question, Qt::ShiftModifier, QtKeystroke{KeyCode::slash, shift}},
      {Qt::Key_AsciiTilde, Qt::ShiftModifier, QtKeystroke{KeyCode::grave, shift}},
      {Qt::Key_BracketLeft, Qt::NoModifier, QtKeystroke{KeyCode::leftBracket, 0}},
      {Qt::Key_Apostrophe, Qt::NoModifier, QtKeystroke{KeyCode::quote, 0}},
      {Qt::Key_Return, Qt::NoModifier, QtKeystroke{KeyCode::returnKey, 0}},
      {Qt::Key_Enter, Qt::KeypadModifier,
       QtKeystroke{KeyCode::keypadEnter, EventFlags::numericPad}},
      {Qt::Key_Backspace, Qt::NoModifier, QtKeystroke{KeyCode::deleteKey, 0}},
      {Qt::Key_Delete, Qt::NoModifier, QtKeystroke{KeyCode::forwardDelete, 0}},
      {Qt::Key_Backtab, Qt::ShiftModifier, QtKeystroke{KeyCode::tab, shift}},
      {Qt::Key_Escape, Qt::NoModifier, QtKeystroke{KeyCode::escape, 0}},
      {Qt::Key_Down, Qt::NoModifier, QtKeystroke{KeyCode::down, 0}},
      {Qt::Key_F3, Qt::NoModifier, QtKeystroke{KeyCode::f3, 0}},
      // Ctrl is Command, Super (Meta) is Control, Alt is Option.
      {Qt::Key_Return, Qt::ControlModifier, QtKeystroke{KeyCode::returnKey, command}},
      {Qt::Key_R, Qt::MetaModifier | Qt::ShiftModifier, QtKeystroke{KeyCode::r, control | shift}},
      {Qt::Key_E, Qt::AltModifier, QtKeystroke{KeyCode::e, option}},
      // Keys a Mac keyboard has no code for here, and modifiers alone.
      {Qt::Key_Shift, Qt::ShiftModifier, std::nullopt},
      {Qt::Key_Control, Qt::ControlModifier, std::nullopt},
      {Qt::Key_Print, Qt::NoModifier, std::nullopt},
      {Qt::Key_Eacute, Qt::NoModifier, std::nullopt},
  };
  for (const auto& [key, modifiers, expected] : cases)
    EXPECT_EQ(keystrokeFromQt(key, modifiers), expected) << std::hex << key;
}

TEST(QtKeys, EveryModifierHasItsOwnFlag) {
  EXPECT_EQ(eventFlagsFromQt(Qt::NoModifier), 0u);
  EXPECT_EQ(eventFlagsFromQt(Qt::ShiftModifier | Qt::ControlModifier | Qt::MetaModifier |
                             Qt::AltModifier | Qt::KeypadModifier),
            shift | command | control | option | EventFlags::numericPad);
  EXPECT_EQ(eventFlagsFromQt(Qt::GroupSwitchModifier), 0u);
}

struct GeometryCase {
  QRect qt;
  int mainScreenHeight;
  Rect seam;
};

TEST(QtGeometry, YIsMirroredAboutTheMainScreensHeight) {
  const std::vector<GeometryCase> cases{
      // A tray icon at the top right of a 1440 × 900 screen sits at its top.
      {QRect(1200, 0, 30, 22), 900, Rect{1200, 878, 30, 22}},
      // The whole screen is the whole screen.
      {QRect(0, 0, 1440, 900), 900, Rect{0, 0, 1440, 900}},
      // A panel under the icon: its top is 5 below the icon's bottom.
      {QRect(1000, 27, 500, 560), 900, Rect{1000, 313, 500, 560}},
      // A screen above the main one has negative Qt y and seam y past the top.
      {QRect(0, -768, 1024, 768), 900, Rect{0, 900, 1024, 768}},
      // One left of it has negative x in both.
      {QRect(-1280, 100, 1280, 800), 900, Rect{-1280, 0, 1280, 800}},
  };
  for (const auto& [qt, height, seam] : cases) {
    EXPECT_EQ(rectFromQt(qt, height), seam) << qt.x() << "," << qt.y();
    EXPECT_EQ(rectToQt(seam, height), qt) << seam.x << "," << seam.y;
  }
}

TEST(QtGeometry, FractionalPointsRoundToTheNearestPixelEdges) {
  EXPECT_EQ(rectToQt(Rect{10.4, 100.6, 20.2, 30.3}, 900), QRect(10, 769, 21, 30));
}

}  // namespace
}  // namespace quillo::platform
