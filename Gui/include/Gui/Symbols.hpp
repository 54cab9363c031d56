// Symbols: our own drawings of the SF Symbols the interface shows (a Mac
// draws them from its symbol font; elsewhere there is none), and the app's
// own icon. Each is drawn with QPainter paths into a square box, in one
// colour, so it scales to any size. Pure drawing: no state, main thread
// (QPixmap) or any thread (painting into a QImage).
#pragma once

#include <QColor>
#include <QIcon>
#include <QPainter>
#include <QRectF>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillo::gui {

enum class Symbol : std::uint8_t {
  warningTriangle,        // exclamationmark.triangle
  warningTriangleFill,    // exclamationmark.triangle.fill
  checkmarkCircle,        // checkmark.circle
  checkmark,              // checkmark
  listBullet,             // list.bullet
  envelopeOpen,           // envelope.open
  pencil,                 // pencil
  questionmarkCircle,     // questionmark.circle
  xmarkCircleFill,        // xmark.circle.fill
  chevronDown,            // chevron.down
  circle,                 // circle
  circleFill,             // circle.fill
  largecircleFillCircle,  // largecircle.fill.circle
  clock,                  // clock
};

/// The symbol an SF Symbols name stands for; none for a name we don't draw.
std::optional<Symbol> symbolNamed(std::string_view name);

/// Draws `symbol` centred in `box` (a square fits best). `weight` scales the
/// strokes: 1 regular, about 1.25 semibold. Filled symbols cut their marks
/// out in `knockout`.
void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& colour,
                double weight = 1.0, const QColor& knockout = Qt::white);

/// A `size`-point image of the symbol, for menus and buttons.
QIcon symbolIcon(Symbol symbol, const QColor& colour, int size = 16);

/// The application's icon: a blue rounded square with an open envelope over
/// a key. Drawn to fill `box`.
void drawAppIcon(QPainter& painter, const QRectF& box);

/// The menu-bar icon: a closed envelope with a key cap over its corner, in
/// one colour (a template image: the menu bar or tray colours it for light
/// and dark bars). Drawn into a square `box` on a grid of 18 units that
/// lands on whole pixels at 18 and 36 pixels (1× and 2×), so it is crisp
/// at both. `box` is in the pixels of a painter that is not scaled.
void drawMenuBarIcon(QPainter& painter, const QRectF& box, const QColor& colour);

}  // namespace quillo::gui
