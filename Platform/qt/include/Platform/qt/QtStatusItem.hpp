// QtStatusItem: Quillo's status item as a QSystemTrayIcon — the menu bar's
// status area on a Mac, the system tray (XEmbed or StatusNotifierItem) on a
// Linux desktop.
//
// Icons are mask (template) images: the app's own icon is drawn once from
// the product name as text in a heavy font, the symbols it uses are drawn here
// (SF Symbols exist only on a Mac). Dimming and alpha repaint the icon with
// less opacity; the highlight puts a rounded plate behind it. A click on the
// icon (left or right) calls the click handler with the modifiers held, read
// once from Qt and converted to EventFlags bits; with a menu attached the
// click opens the menu instead, rebuilt from the seam's Menu each time it is
// about to show. Frames are in the seams' coordinates (QtGeometry).
//
// Needs a QApplication; GUI thread only. The icon shows from construction
// (when the desktop has a tray) until destruction.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <memory>

#include "Platform/StatusItem.hpp"

class QMenu;

namespace quillo::platform {

class QtStatusItem final : public QObject, public StatusItem {
  Q_OBJECT

 public:
  explicit QtStatusItem(QObject* parent = nullptr);
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

  /// The product name the app's icon is drawn from.
  static constexpr const char* productName = "Quillo";
  /// The side of a symbol's image, in pixels.
  static constexpr int iconSide = 22;
  /// The height of the app's own icon, in pixels (points on a Mac).
  static constexpr int appIconHeight = 16;
  /// How much dimmer a disabled-looking icon is than its alpha says.
  static constexpr double disabledOpacity = 0.45;

  QSystemTrayIcon& trayIcon() { return tray_; }
  /// The Qt menu shown for the attached Menu; null without one.
  QMenu* qtMenu() const { return qtMenu_.get(); }
  /// The icon as drawn now (for tests and screenshots).
  QIcon currentIcon() const { return tray_.icon(); }
  /// The opacity the icon is drawn with now.
  double currentOpacity() const;

  /// Fills `menu` with the items of `content`: titles, check marks, symbols,
  /// indentation, key equivalents, separators, section headers, submenus; an
  /// item without an action is disabled unless it has a submenu.
  static void fill(QMenu& menu, const Menu& content);

 private:
  void redrawIcon();
  void clicked(QSystemTrayIcon::ActivationReason reason);

  QSystemTrayIcon tray_;
  std::string symbol_;
  bool disabled_ = false;
  double alpha_ = 1.0;
  bool highlighted_ = false;
  std::function<void(std::uint64_t)> onClick_;
  Menu* menu_ = nullptr;
  // Items' actions run after the menu has closed, never inside one of its
  // signals, so the menu can be deleted whenever it is detached.
  std::unique_ptr<QMenu> qtMenu_;
  QPixmap appIcon_;  // drawn once
};

}  // namespace quillo::platform
