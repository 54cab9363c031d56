// SimStatusItem: the menu bar's status area of the simulated Mac, holding
// Quillo's one status item.
//
// It keeps what the application last set on the button (image, description,
// tool tip, dimmed look, alpha, highlight) for a person to look at, and lets
// a person click it — with modifier keys held — as on a Mac: with a menu
// attached the click opens the menu (its needs-update handler runs first and
// the items are read after it), otherwise the click handler runs. An open
// menu can be read and an item chosen by its titles, submenus included; a
// disabled item cannot be chosen. Choosing closes the menu, as a Mac does,
// before the item's action runs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Platform/StatusItem.hpp"

namespace quillo::sim {

class SimStatusItem final : public platform::StatusItem {
 public:
  /// Where the button sits: near the right end of a 1440 × 900 screen's menu
  /// bar, 22 points high; the visible frame leaves out the 25-point bar.
  static constexpr platform::Rect defaultButtonFrame{1200, 878, 30, 22};
  static constexpr platform::Rect defaultVisibleFrame{0, 0, 1440, 875};

  void setImage(const std::string& symbol, const std::string& accessibilityDescription) override {
    ++looksSet_;
    symbol_ = symbol;
    description_ = accessibilityDescription;
  }
  void setToolTip(const std::string& toolTip) override {
    ++looksSet_;
    toolTip_ = toolTip;
  }
  void setAppearsDisabled(bool disabled) override {
    ++looksSet_;
    dimmed_ = disabled;
  }
  void setAlphaValue(double alpha) override {
    ++looksSet_;
    alpha_ = alpha;
  }
  void setHighlighted(bool highlighted) override { highlighted_ = highlighted; }
  platform::Rect buttonFrameOnScreen() const override { return buttonFrame; }
  platform::Rect visibleFrameOfButtonScreen() const override { return visibleFrame; }
  void setOnClick(std::function<void(std::uint64_t)> handler) override {
    onClick_ = std::move(handler);
  }
  void setMenu(platform::Menu* menu) override { menu_ = menu; }

  // What a person sees.
  const std::string& symbol() const { return symbol_; }
  const std::string& accessibilityDescription() const { return description_; }
  const std::string& toolTip() const { return toolTip_; }
  bool dimmed() const { return dimmed_; }
  double alpha() const { return alpha_; }
  bool highlighted() const { return highlighted_; }
  /// How often the application set the image, tool tip, dimming or alpha:
  /// each one redraws the item in the menu bar.
  int looksSet() const { return looksSet_; }

  /// A click on the button with these modifier flags (EventFlags bits).
  /// The button is a window of its process: as on a Mac, the mouse-down
  /// goes through that process's local monitors first.
  void click(std::uint64_t modifierFlags = 0) {
    if (mouseDown && !mouseDown(modifierFlags)) return;
    if (menu_) {
      if (menu_->needsUpdate) menu_->needsUpdate();
      menuOpen_ = true;
      return;
    }
    if (onClick_) onClick_(modifierFlags);
  }
  /// A right mouse-down on the button: it sends its action on either
  /// button (sendActionOn: left and right mouse-down), and a menu attached
  /// opens either way.
  void rightClick(std::uint64_t modifierFlags = 0) { click(modifierFlags); }
  /// The items of the open menu; none while it is closed.
  const std::vector<platform::MenuItem>* openMenu() const {
    return menuOpen_ && menu_ ? &menu_->items : nullptr;
  }
  void closeMenu() { menuOpen_ = false; }
  /// Chooses the item at this path of titles ("Debug", "Check Menu Actions")
  /// in the open menu; the error's text when it cannot be chosen.
  std::optional<std::string> choose(const std::vector<std::string>& titles);

  /// The owning process's local monitors, for a mouse-down on the button;
  /// whether it goes on to the button.
  std::function<bool(std::uint64_t modifierFlags)> mouseDown;

  platform::Rect buttonFrame = defaultButtonFrame;
  platform::Rect visibleFrame = defaultVisibleFrame;

 private:
  std::string symbol_;
  std::string description_;
  std::string toolTip_;
  bool dimmed_ = false;
  double alpha_ = 1.0;
  bool highlighted_ = false;
  int looksSet_ = 0;
  std::function<void(std::uint64_t)> onClick_;
  platform::Menu* menu_ = nullptr;
  bool menuOpen_ = false;
};

}  // namespace quillo::sim
