#include "Gui/Symbols.hpp"

#include <QImage>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPixmap>
#include <array>
#include <cmath>
#include <utility>

namespace quillo::gui {

namespace {

constexpr std::array<std::pair<std::string_view, Symbol>, 14> names{{
    {"exclamationmark.triangle", Symbol::warningTriangle},
    {"exclamationmark.triangle.fill", Symbol::warningTriangleFill},
    {"checkmark.circle", Symbol::checkmarkCircle},
    {"checkmark", Symbol::checkmark},
    {"list.bullet", Symbol::listBullet},
    {"envelope.open", Symbol::envelopeOpen},
    {"pencil", Symbol::pencil},
    {"questionmark.circle", Symbol::questionmarkCircle},
    {"xmark.circle.fill", Symbol::xmarkCircleFill},
    {"chevron.down", Symbol::chevronDown},
    {"circle", Symbol::circle},
    {"circle.fill", Symbol::circleFill},
    {"largecircle.fill.circle", Symbol::largecircleFillCircle},
    {"clock", Symbol::clock},
}};

/// Maps the unit square onto the box, so every path is written in 0…1.
class Unit {
 public:
  explicit Unit(const QRectF& box) {
    const double side = std::min(box.width(), box.height());
    origin_ = QPointF(box.center().x() - side / 2, box.center().y() - side / 2);
    side_ = side;
  }
  QPointF operator()(double x, double y) const { return origin_ + QPointF(x * side_, y * side_); }
  double length(double unit) const { return unit * side_; }
  QRectF rect(double x, double y, double w, double h) const {
    return QRectF((*this)(x, y), QSizeF(length(w), length(h)));
  }

 private:
  QPointF origin_;
  double side_ = 0;
};

QPainterPath triangle(const Unit& u) {
  QPainterPath path;
  path.moveTo(u(0.5, 0.08));
  path.lineTo(u(0.95, 0.88));
  path.lineTo(u(0.05, 0.88));
  path.closeSubpath();
  return path;
}

QPainterPath checkPath(const Unit& u, double x, double y, double scale) {
  QPainterPath path;
  path.moveTo(u(x + 0.0 * scale, y + 0.52 * scale));
  path.lineTo(u(x + 0.36 * scale, y + 0.86 * scale));
  path.lineTo(u(x + 1.0 * scale, y + 0.1 * scale));
  return path;
}

void exclamation(QPainter& p, const Unit& u, double stroke) {
  p.drawLine(u(0.5, 0.36), u(0.5, 0.6));
  p.setPen(Qt::NoPen);
  p.drawEllipse(u(0.5, 0.74), stroke * 0.62, stroke * 0.62);
}

QPainterPath questionMark(const Unit& u) {
  QPainterPath path;
  path.moveTo(u(0.37, 0.4));
  path.arcTo(u.rect(0.37, 0.26, 0.26, 0.24), 180, -240);
  path.lineTo(u(0.5, 0.6));
  return path;
}

}  // namespace

std::optional<Symbol> symbolNamed(std::string_view name) {
  for (const auto& [known, symbol] : names) {
    if (known == name) return symbol;
  }
  return std::nullopt;
}

void drawSymbol(QPainter& p, Symbol symbol, const QRectF& box, const QColor& colour, double weight,
                const QColor& knockout) {
  const Unit u(box);
  const double stroke = std::max(1.0, u.length(0.09) * weight);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QPen pen(colour, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const QPointF centre = u(0.5, 0.5);
  const double radius = u.length(0.45);
  switch (symbol) {
    case Symbol::warningTriangle:
      p.drawPath(triangle(u));
      exclamation(p, u, stroke);
      p.setBrush(colour);
      p.drawEllipse(u(0.5, 0.74), stroke * 0.62, stroke * 0.62);
      break;
    case Symbol::warningTriangleFill: {
      p.setBrush(colour);
      p.drawPath(triangle(u));
      QPen mark(knockout, stroke, Qt::SolidLine, Qt::RoundCap);
      p.setPen(mark);
      p.setBrush(knockout);
      exclamation(p, u, stroke);
      break;
    }
    case Symbol::checkmarkCircle:
      p.drawEllipse(centre, radius, radius);
      p.drawPath(checkPath(u, 0.3, 0.3, 0.4));
      break;
    case Symbol::checkmark:
      p.drawPath(checkPath(u, 0.1, 0.12, 0.8));
      break;
    case Symbol::listBullet:
      for (const double y : {0.22, 0.5, 0.78}) {
        p.drawLine(u(0.38, y), u(0.94, y));
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawEllipse(u(0.12, y), stroke * 0.95, stroke * 0.95);
        p.restore();
      }
      break;
    case Symbol::envelopeOpen: {
      // The body, its flap open upwards, and the fold that meets inside.
      QPainterPath body;
      body.moveTo(u(0.06, 0.42));
      body.lineTo(u(0.5, 0.1));
      body.lineTo(u(0.94, 0.42));
      body.lineTo(u(0.94, 0.9));
      body.lineTo(u(0.06, 0.9));
      body.closeSubpath();
      p.drawPath(body);
      QPainterPath fold;
      fold.moveTo(u(0.06, 0.42));
      fold.lineTo(u(0.5, 0.68));
      fold.lineTo(u(0.94, 0.42));
      p.drawPath(fold);
      break;
    }
    case Symbol::pencil: {
      // A slanted shaft from the upper right to its tip at the lower left.
      QPainterPath shaft;
      shaft.moveTo(u(0.72, 0.08));
      shaft.lineTo(u(0.92, 0.28));
      shaft.lineTo(u(0.3, 0.9));
      shaft.lineTo(u(0.06, 0.94));
      shaft.lineTo(u(0.1, 0.7));
      shaft.closeSubpath();
      p.drawPath(shaft);
      p.drawLine(u(0.6, 0.2), u(0.8, 0.4));
      break;
    }
    case Symbol::questionmarkCircle:
      p.drawEllipse(centre, radius, radius);
      p.drawPath(questionMark(u));
      p.setPen(Qt::NoPen);
      p.setBrush(colour);
      p.drawEllipse(u(0.5, 0.73), stroke * 0.6, stroke * 0.6);
      break;
    case Symbol::xmarkCircleFill:
      p.setPen(Qt::NoPen);
      p.setBrush(colour);
      p.drawEllipse(centre, radius * 1.05, radius * 1.05);
      p.setPen(QPen(knockout, stroke, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(u(0.34, 0.34), u(0.66, 0.66));
      p.drawLine(u(0.66, 0.34), u(0.34, 0.66));
      break;
    case Symbol::chevronDown: {
      QPainterPath chevron;
      chevron.moveTo(u(0.14, 0.32));
      chevron.lineTo(u(0.5, 0.7));
      chevron.lineTo(u(0.86, 0.32));
      p.setPen(QPen(colour, stroke * 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawPath(chevron);
      break;
    }
    case Symbol::circle:
      p.drawEllipse(centre, radius, radius);
      break;
    case Symbol::circleFill:
      p.setPen(Qt::NoPen);
      p.setBrush(colour);
      p.drawEllipse(centre, radius, radius);
      break;
    case Symbol::largecircleFillCircle:
      p.drawEllipse(centre, radius, radius);
      p.setPen(Qt::NoPen);
      p.setBrush(colour);
      p.drawEllipse(centre, radius * 0.5, radius * 0.5);
      break;
    case Symbol::clock:
      // The face, the minute hand at twelve and the hour hand at three.
      p.drawEllipse(centre, radius, radius);
      p.drawLine(centre, u(0.5, 0.22));
      p.drawLine(centre, u(0.7, 0.5));
      break;
  }
  p.restore();
}

QIcon symbolIcon(Symbol symbol, const QColor& colour, int size) {
  QIcon icon;
  // Twice the size as well, for screens with two pixels to the point.
  for (const int scale : {1, 2}) {
    QPixmap pixmap(size * scale, size * scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    drawSymbol(painter, symbol, QRectF(0, 0, size * scale, size * scale), colour);
    painter.end();
    pixmap.setDevicePixelRatio(scale);
    icon.addPixmap(pixmap);
  }
  return icon;
}

void drawAppIcon(QPainter& p, const QRectF& box) {
  const Unit u(box);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(u(0.5, 0), u(0.5, 1));
  sky.setColorAt(0, QColor(0x4F, 0xA8, 0xFF));
  sky.setColorAt(1, QColor(0x0A, 0x5F, 0xE0));
  p.setPen(Qt::NoPen);
  p.setBrush(sky);
  p.drawRoundedRect(u.rect(0.04, 0.04, 0.92, 0.92), u.length(0.22), u.length(0.22));
  // The envelope, white, open towards the top.
  drawSymbol(p, Symbol::envelopeOpen, u.rect(0.18, 0.12, 0.64, 0.64), Qt::white, 1.3);
  // A key cap under it: the shortcuts the app gives Mail.
  p.setPen(QPen(Qt::white, u.length(0.035)));
  p.setBrush(QColor(255, 255, 255, 60));
  p.drawRoundedRect(u.rect(0.36, 0.7, 0.28, 0.16), u.length(0.04), u.length(0.04));
  p.restore();
}

void drawMenuBarIcon(QPainter& p, const QRectF& box, const QColor& colour) {
  // Drawn on a grid of 18 × 18 units, one unit a pixel at 1× and two at 2×.
  // Straight edges sit where their strokes cover whole pixels, so the glyph
  // is crisp at both; only the flap's diagonals and the corners are smoothed.
  const double side = std::min(box.width(), box.height());
  const double unit = side / 18;
  const QPointF origin(box.center().x() - side / 2, box.center().y() - side / 2);
  const double stroke = std::max(1.0, std::round(1.25 * unit));
  // A line `stroke` wide along grid line `at` covers whole pixels.
  const auto snap = [&](double at) {
    const double v = at * unit;
    return std::fmod(stroke, 2.0) == 1.0 ? std::floor(v) + 0.5 : std::round(v);
  };
  const auto pt = [&](double x, double y) { return origin + QPointF(snap(x), snap(y)); };
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QImage glyph(static_cast<int>(std::ceil(box.right())) + 1,
               static_cast<int>(std::ceil(box.bottom())) + 1, QImage::Format_ARGB32_Premultiplied);
  glyph.fill(Qt::transparent);
  {
    QPainter g(&glyph);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(QPen(colour, stroke, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    g.setBrush(Qt::NoBrush);
    // The envelope, its flap closed.
    g.drawRect(QRectF(pt(1, 2), pt(14, 12)));
    g.setPen(QPen(colour, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath flap;
    flap.moveTo(pt(1, 2));
    flap.lineTo(pt(7.5, 7.5));
    flap.lineTo(pt(14, 2));
    g.drawPath(flap);
    // A key cap over its lower right corner, cut clear of the envelope by a
    // unit: a solid cap whose top face shows as a hole, lip at the bottom.
    const QRectF cap(origin + QPointF(std::round(8 * unit), std::round(8 * unit)),
                     origin + QPointF(std::round(17.5 * unit), std::round(17.5 * unit)));
    g.setCompositionMode(QPainter::CompositionMode_Clear);
    g.setPen(Qt::NoPen);
    g.setBrush(Qt::black);
    const double gap = std::round(unit);
    g.drawRoundedRect(cap.adjusted(-gap, -gap, gap, gap), 2.5 * unit + gap, 2.5 * unit + gap);
    g.setCompositionMode(QPainter::CompositionMode_SourceOver);
    g.setBrush(colour);
    g.drawRoundedRect(cap, 2.5 * unit, 2.5 * unit);
    g.setCompositionMode(QPainter::CompositionMode_Clear);
    const double rim = std::round(2 * unit), lip = std::round(3 * unit);
    g.drawRoundedRect(cap.adjusted(rim, rim, -rim, -lip), unit, unit);
  }
  p.drawImage(QPointF(0, 0), glyph);
  p.restore();
}

}  // namespace quillo::gui
