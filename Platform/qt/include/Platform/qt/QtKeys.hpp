// QtKeys: the one converter from Qt's keys and modifiers to the Mac's
// virtual key codes and event flags (KeyCodes.hpp).
//
// Modifiers follow Qt's own reading of a Mac keyboard, so the same table is
// right on a Mac and on a PC: Qt reports ⌘ as Control and ⌃ as Meta there,
// which here makes a PC's Ctrl the Command key (as PC users expect) and its
// Super key the Mac's Control; Alt is Option. Keys are positions on the US
// keyboard: a shifted symbol ("!", Qt's Key_Exclam) is the key it is typed
// on ("1") with Shift. Pure functions.
#pragma once

#include <Qt>
#include <cstdint>
#include <optional>

namespace quillo::platform {

struct QtKeystroke {
  std::uint16_t keyCode = 0;
  std::uint64_t flags = 0;  // EventFlags bits
  bool operator==(const QtKeystroke&) const = default;
};

/// EventFlags bits for Qt's keyboard modifiers.
std::uint64_t eventFlagsFromQt(Qt::KeyboardModifiers modifiers);

/// The key code and flags for a Qt key (Qt::Key) with its modifiers; none
/// for a key the Mac's ANSI keyboard does not have, or a modifier key alone.
std::optional<QtKeystroke> keystrokeFromQt(int key, Qt::KeyboardModifiers modifiers);

}  // namespace quillo::platform
