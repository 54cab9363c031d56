#include "Gui/Palette.hpp"

namespace quillo::gui {

namespace {

// Labels on a Mac are black or white at a fraction of full strength; the
// fraction, not a grey, keeps them readable over the translucent panel.
QColor ink(int grey, double alpha) {
  QColor colour(grey, grey, grey);
  colour.setAlphaF(static_cast<float>(alpha));
  return colour;
}

}  // namespace

Palette Palette::of(Appearance appearance) {
  switch (appearance) {
    case Appearance::light:
      return {QColor(0xF2, 0xF2, 0xF4),
              QColor(0xFF, 0xFF, 0xFF),
              ink(0, 0.85),
              ink(0, 0.5),
              ink(0, 0.26),
              ink(0, 0.1),
              QColor(0x00, 0x7A, 0xFF),
              QColor(0x34, 0xC7, 0x59),
              QColor(0xFF, 0x95, 0x00),
              QColor(0xFF, 0xFF, 0xFF),
              QColor(0xFF, 0xFF, 0xFF),
              ink(0, 0.06)};
    case Appearance::dark:
      return {QColor(0x2A, 0x2A, 0x2D), QColor(0x38, 0x38, 0x3B), ink(255, 0.85),
              ink(255, 0.55),           ink(255, 0.25),           ink(255, 0.12),
              QColor(0x0A, 0x84, 0xFF), QColor(0x30, 0xD1, 0x58), QColor(0xFF, 0x9F, 0x0A),
              QColor(0xFF, 0xFF, 0xFF), QColor(0xEC, 0xEC, 0xEC), ink(255, 0.1)};
  }
  return of(Appearance::light);
}

Appearance Palette::appearanceOf(const QPalette& palette) {
  return palette.color(QPalette::Window).lightnessF() < 0.5 ? Appearance::dark : Appearance::light;
}

}  // namespace quillo::gui
