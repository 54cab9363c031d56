// QtStatusItem: Quillo's status item as a QSystemTrayIcon — the menu bar's
// status area on a Mac, the system tray (XEmbed or StatusNotifierItem) on a
// Linux desktop.
//
// Icons are mask (template) images, each a square of `iconSide` pixels with
// its twice-as-large version for screens with two pixels to the point: the
// app's own icon and the symbols are drawn by the interface's painter (SF
// Symbols exist only on a Mac) into the middle `glyphSide` of it. Dimming
// and alpha repaint the icon with less opacity; the highlight puts a rounded
// plate behind it. Setting what is shown already redraws nothing. A click on the icon (left
// or right) calls the click handler with the modifiers held, read once from Qt and converted to
// EventFlags bits; with a menu attached the click opens the menu instead, rebuilt from the seam's
// Menu each time it is about to show. Every mouse-down is one click, also one reported as a
// double click. Frames are in the seams' coordinates (QtGeometry).
//
// Needs a QApplication; GUI thread only. The icon shows from construction
// (when the desktop has a tray) until destruction.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QSystemTrayIcon>
#include <memory>
#include <vector>

#include "Platform/StatusItem.hpp"

class QMenu;
class QPainter;
class QRectF;

namespace quillo::platform {

class QtStatusItem final : public QObject, public StatusItem {
  Q_OBJECT

 public:
  /// How the interface draws what the item shows: a Menu as a QMenu
  /// (replacing what it held), an SF Symbol by name in one colour into a
  /// square box (nothing for a name it does not know), and the app's own
  /// icon in one colour into a square box (without it, the product name's
  /// initial). Boxes are in the pixels of an unscaled painter.
  struct Drawing {
    std::function<void(QMenu&, const Menu&)> fillMenu;
    std::function<void(QPainter&, const std::string& symbol, const QRectF& box)> drawSymbol;
    std::function<void(QPainter&, const QRectF& box)> drawAppIcon;
  };

  explicit QtStatusItem(Drawing drawing, QObject* parent = nullptr);
  ~QtStatusItem() override;

  void setImage(const std::string& symbol, const std::string& accessibilityDescription) override;
  void setToolTip(const std::string& toolTip) override;
  void setAppearsDisabled(bool disabled) override;
  void setAlphaValue(double alpha) override;
  void setHighlighted(bool highlighted) override;
  Rect buttonFrameOnScreen() const override;
  Rect visibleFrameOfButtonScreen() const override;
  void setOnClick(std::function<void(std::uint64_t modifierFlags)> handler) override;
  void setMenu(Menu* menu) override;

  /// The product name, whose initial stands in for an icon not drawn.
  static constexpr const char* productName = "Quillo";
  /// The side of the icon's image, in pixels at 1× (a tray's slot).
  static constexpr int iconSide = 22;
  /// The side of the glyph in it: a Mac's menu-bar icon, 18 points.
  static constexpr int glyphSide = 18;
  /// How much dimmer a disabled-looking icon is than its alpha says.
  static constexpr double disabledOpacity = 0.45;

  QSystemTrayIcon& trayIcon() { return tray_; }
  /// The Qt menu shown for the attached Menu; null without one.
  QMenu* qtMenu() const { return qtMenu_.get(); }
  /// The icon as drawn now (for tests and screenshots).
  QIcon currentIcon() const { return tray_.icon(); }
  /// The opacity the icon is drawn with now.
  double currentOpacity() const;

 private:
  void redrawIcon();
  void clicked(QSystemTrayIcon::ActivationReason reason);

  QSystemTrayIcon tray_;
  std::string symbol_;
  bool disabled_ = false;
  double alpha_ = 1.0;
  bool highlighted_ = false;
  // A click was taken in this turn of the loop (a double click that follows
  // in the same turn is the same mouse-down).
  bool pressed_ = false;
  std::function<void(std::uint64_t)> onClick_;
  Menu* menu_ = nullptr;
  Drawing drawing_;
  std::unique_ptr<QMenu> qtMenu_;
  /// Menus detached but perhaps not yet deleted by the event loop; the
  /// item deletes what is left of them when it goes.
  std::vector<QPointer<QMenu>> detached_;
};

}  // namespace quillo::platform
