// StatusItem: Quillo's item in the menu bar's status area (NSStatusItem with
// its NSStatusBarButton), and the menu that can hang from it (NSMenu).
//
// The item is created once with variable length and lives as long as the
// application. Its button shows a symbol image or the app's own icon (both
// template images), with an accessibility description, a tool tip, a dimmed
// look or an alpha, and a highlight while the panel under it is open. A
// click (left or right mouse-down) calls the click handler with the modifier
// flags held (EventFlags bits); with a menu attached, a click opens the menu
// instead, after calling its needs-update handler. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Platform/Geometry.hpp"

namespace quillo::platform {

/// One item of a menu (NSMenuItem); a separator or a section header has
/// only its kind and title. An item without an action is disabled unless it
/// has a submenu.
struct MenuItem {
  enum class Kind : std::uint8_t { item, separator, sectionHeader };
  Kind kind = Kind::item;
  std::string title;
  bool checked = false;
  /// An SF Symbol's name ("exclamationmark.triangle"), or empty for none.
  std::string symbol;
  std::string symbolDescription;
  int indentationLevel = 0;
  std::string keyEquivalent;
  std::vector<MenuItem> submenu;
  std::function<void()> action;
};

/// NSMenu with its delegate's menuNeedsUpdate: the items are set anew
/// before every opening.
struct Menu {
  std::vector<MenuItem> items;
  std::function<void()> needsUpdate;
};

class StatusItem {
 public:
  virtual ~StatusItem() = default;

  /// A symbol by its SF Symbols name, or the app's own menu-bar icon for an
  /// empty name; always a template image.
  virtual void setImage(const std::string& symbol, const std::string& accessibilityDescription) = 0;
  virtual void setToolTip(const std::string& toolTip) = 0;
  virtual void setAppearsDisabled(bool disabled) = 0;
  virtual void setAlphaValue(double alpha) = 0;
  virtual void setHighlighted(bool highlighted) = 0;
  /// The button's frame in screen coordinates.
  virtual Rect buttonFrameOnScreen() const = 0;
  /// The visible frame (without menu bar and Dock) of the button's screen.
  virtual Rect visibleFrameOfButtonScreen() const = 0;
  /// Called on left- and right-mouse-down with the modifier flags held.
  virtual void setOnClick(std::function<void(std::uint64_t modifierFlags)> handler) = 0;
  /// Attaches a menu that opens on a click; the menu must outlive the item
  /// or be detached with nullptr.
  virtual void setMenu(Menu* menu) = 0;
};

}  // namespace quillo::platform
