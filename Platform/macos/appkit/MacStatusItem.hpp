// MacStatusItem: the StatusItem seam as a real NSStatusItem of variable
// length in the system status bar. Its button shows an SF Symbol or the
// bundle's own "MenuBarIcon" image, always as a template image, with the
// accessibility description on the image; it sends its action on left- and
// right-mouse-down, and a click calls the handler with the device-
// independent modifier flags of the event. With a menu attached, AppKit
// opens the menu on a click instead, after its needs-update handler has run
// and the items have been rebuilt from the Menu.
//
// The item is removed from the status bar when this object is destroyed.
// Main thread only.
#pragma once

#include <memory>

#include "Platform/StatusItem.hpp"

namespace quillo::platform::mac {

class MacStatusItem final : public StatusItem {
 public:
  MacStatusItem();
  ~MacStatusItem() override;
  MacStatusItem(const MacStatusItem&) = delete;
  MacStatusItem& operator=(const MacStatusItem&) = delete;

  void setImage(const std::string& symbol, const std::string& accessibilityDescription) override;
  void setToolTip(const std::string& toolTip) override;
  void setAppearsDisabled(bool disabled) override;
  void setAlphaValue(double alpha) override;
  void setHighlighted(bool highlighted) override;
  Rect buttonFrameOnScreen() const override;
  Rect visibleFrameOfButtonScreen() const override;
  void setOnClick(std::function<void(std::uint64_t modifierFlags)> handler) override;
  void setMenu(Menu* menu) override;

  /// The button's window (an NSWindow*), for telling which window an event
  /// is aimed at; null while the item is not shown.
  void* buttonWindow() const;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace quillo::platform::mac
