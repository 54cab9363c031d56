#include "Platform/qt/QtStatusItem.hpp"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <algorithm>

#include "Platform/qt/QtGeometry.hpp"
#include "Platform/qt/QtKeys.hpp"

namespace quillo::platform {
namespace {

/// Stands in for an app icon nobody draws: the product name's initial.
void drawInitial(QPainter& painter, const QRectF& box) {
  QFont font;
  font.setWeight(QFont::Black);
  font.setPixelSize(static_cast<int>(box.height()));
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(box, Qt::AlignCenter, QString::fromUtf8(QtStatusItem::productName).left(1));
}

}  // namespace

QtStatusItem::QtStatusItem(Drawing drawing, QObject* parent)
    : QObject(parent), drawing_(std::move(drawing)) {
  connect(&tray_, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) { clicked(reason); });
  redrawIcon();
  tray_.show();
}

QtStatusItem::~QtStatusItem() {
  tray_.setContextMenu(nullptr);
  // The loop may never turn again to delete them.
  for (const QPointer<QMenu>& menu : detached_)
    delete menu.data();
}

void QtStatusItem::setImage(const std::string& symbol,
                            const std::string& accessibilityDescription) {
  // Each redraw hands the tray a new icon, which it sends to the tray host:
  // only a change is worth that.
  if (symbol == symbol_ && !tray_.icon().isNull()) return;
  symbol_ = symbol;
  // A tray icon has no accessibility text of its own; its tool tip is what
  // is read out, and the status item sets that separately.
  (void)accessibilityDescription;
  redrawIcon();
}

void QtStatusItem::setToolTip(const std::string& toolTip) {
  const QString text = QString::fromStdString(toolTip);
  if (text != tray_.toolTip()) tray_.setToolTip(text);
}

void QtStatusItem::setAppearsDisabled(bool disabled) {
  if (disabled == disabled_) return;
  disabled_ = disabled;
  redrawIcon();
}

void QtStatusItem::setAlphaValue(double alpha) {
  if (alpha == alpha_) return;
  alpha_ = alpha;
  redrawIcon();
}

void QtStatusItem::setHighlighted(bool highlighted) {
  if (highlighted == highlighted_) return;
  highlighted_ = highlighted;
  redrawIcon();
}

double QtStatusItem::currentOpacity() const {
  return alpha_ * (disabled_ ? disabledOpacity : 1.0);
}

void QtStatusItem::redrawIcon() {
  QIcon icon;
  for (const int scale : {1, 2}) {
    const int side = iconSide * scale, glyph = glyphSide * scale;
    const QRectF box((side - glyph) / 2, (side - glyph) / 2, glyph, glyph);
    QPixmap drawn(side, side);
    drawn.fill(Qt::transparent);
    {
      QPainter painter(&drawn);
      painter.setRenderHint(QPainter::Antialiasing);
      if (!symbol_.empty()) {
        if (drawing_.drawSymbol) drawing_.drawSymbol(painter, symbol_, box);
      } else if (drawing_.drawAppIcon) {
        drawing_.drawAppIcon(painter, box);
      } else {
        drawInitial(painter, box);
      }
    }
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    {
      QPainter painter(&pixmap);
      painter.setRenderHint(QPainter::Antialiasing);
      if (highlighted_) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 60));
        painter.drawRoundedRect(QRectF(pixmap.rect()), 4 * scale, 4 * scale);
      }
      painter.setOpacity(currentOpacity());
      painter.drawPixmap(0, 0, drawn);
    }
    pixmap.setDevicePixelRatio(scale);
    icon.addPixmap(pixmap);
  }
  // A template image: the menu bar colours it for its own appearance.
  icon.setIsMask(true);
  tray_.setIcon(icon);
}

Rect QtStatusItem::buttonFrameOnScreen() const {
  QRect geometry = tray_.geometry();
  if (geometry.isEmpty()) {
    // No tray to ask (or not placed yet): the top right of the main screen,
    // where a menu bar's status items sit.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    geometry =
        QRect(available.x() + available.width() - iconSide, available.y(), iconSide, iconSide);
  }
  return rectFromQt(geometry, mainScreenHeight());
}

Rect QtStatusItem::visibleFrameOfButtonScreen() const {
  const QRect geometry = tray_.geometry();
  const QScreen* screen =
      geometry.isEmpty() ? nullptr : QGuiApplication::screenAt(geometry.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return Rect{};
  return rectFromQt(screen->availableGeometry(), mainScreenHeight());
}

void QtStatusItem::setOnClick(std::function<void(std::uint64_t)> handler) {
  onClick_ = std::move(handler);
}

void QtStatusItem::setMenu(Menu* menu) {
  menu_ = menu;
  tray_.setContextMenu(nullptr);
  // Detached perhaps by one of its own items' actions, while it is still
  // handling the choice: it goes once control is back in the event loop.
  if (qtMenu_) {
    qtMenu_->hide();  // an open menu closes with its item
    detached_.erase(std::remove(detached_.begin(), detached_.end(), nullptr), detached_.end());
    detached_.emplace_back(qtMenu_.get());
    qtMenu_.release()->deleteLater();
  }
  if (!menu_) return;
  qtMenu_.reset(new QMenu());
  QMenu* shown = qtMenu_.get();
  connect(shown, &QMenu::aboutToShow, this, [this, shown] {
    if (!menu_ || shown != qtMenu_.get()) return;
    if (menu_->needsUpdate) menu_->needsUpdate();
    if (drawing_.fillMenu) drawing_.fillMenu(*shown, *menu_);
  });
  tray_.setContextMenu(shown);
}

void QtStatusItem::clicked(QSystemTrayIcon::ActivationReason reason) {
  // Every mouse-down on a status item counts. A second click soon after
  // the first comes as a double click: on a Mac instead of a Trigger (the
  // click count is 2), from a Qt widget (an XEmbed tray's icon) sometimes
  // right after the Trigger of the same mouse-down, in the same turn of the
  // loop. A double click is a click unless its mouse-down was one already.
  switch (reason) {
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::Context:
      if (!pressed_) {
        pressed_ = true;
        QMetaObject::invokeMethod(
            this, [this] { pressed_ = false; }, Qt::QueuedConnection);
      }
      break;
    case QSystemTrayIcon::DoubleClick:
      if (pressed_) return;
      break;
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
      return;
  }
  if (qtMenu_) {
    // The tray may have opened the context menu itself on a right click.
    if (!qtMenu_->isVisible()) {
      const QRect icon = tray_.geometry();
      qtMenu_->popup(icon.isEmpty() ? QCursor::pos() : icon.bottomLeft() + QPoint(0, 1));
    }
    return;
  }
  const std::uint64_t flags = eventFlagsFromQt(QGuiApplication::queryKeyboardModifiers());
  if (onClick_) {
    auto handler = onClick_;
    handler(flags);
  }
}

}  // namespace quillo::platform
