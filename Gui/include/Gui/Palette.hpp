// Palette: the colours the panel is drawn with, in the light or the dark
// appearance — the Mac's system colours (label, secondary and tertiary
// label, separator, accent, green, orange) as the panel uses them. Plain
// values; choosing one is cheap.
#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace quillo::gui {

enum class Appearance : std::uint8_t { light, dark };

struct Palette {
  QColor background;  // the panel behind everything
  QColor card;        // the help card
  QColor primary;     // text
  QColor secondary;   // notes, descriptions, outlined keys' text
  QColor tertiary;    // switches when off, unavailable places, outlines
  QColor separator;   // dividers
  QColor accent;      // filled keys, the selected set, links
  QColor green;       // switches when on, available places
  QColor orange;      // warnings and refusals
  QColor onAccent;    // text on the accent colour
  QColor knob;        // a switch's knob
  QColor buttonFill;  // plain bordered buttons

  static Palette of(Appearance appearance);
  /// Dark when the window colour is dark, as a desktop's theme says.
  static Appearance appearanceOf(const QPalette& palette);
};

}  // namespace quillo::gui
