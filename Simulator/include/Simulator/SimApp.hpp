// SimApp: an application running on the simulated Mac.
//
// It has a process id, a bundle identifier, an accessibility tree (its
// windows and its menu bar, registered by node id so the accessibility
// server can find them) and handles the key events the window server
// delivers to it. Menus are built from a table; a menu item can be pressed
// over accessibility or through its key equivalent, and every press is
// recorded. `latency` is how long each accessibility request to the app
// takes (a busy app answers slowly).
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Platform/EventServices.hpp"
#include "Simulator/AXNode.hpp"

namespace quillo::sim {

class SimulatedMac;

/// One item of a menu table; a separator has an empty title.
struct MenuItem {
  std::string title;
  KeyEquivalent key{};
  std::function<bool()> enabled{};           // none: always enabled
  bool enabledUnreadable = false;            // its AXEnabled cannot be read
  std::function<void()> action{};            // none: does nothing
  std::function<std::string()> liveTitle{};  // a title that follows the app's state
  std::vector<MenuItem> submenu{};
  /// Its command is slow or runs a modal sheet: an AXPress of it does not
  /// return before the caller's messaging time-out.
  bool blocksPress = false;
  /// A key equivalent that is a key without a character of its own (the
  /// virtual key code of Delete), shown without ⌘. Only accessibility reports
  /// it: the key itself reaches the focused element, which does the same.
  std::uint16_t namedKeyEquivalent = 0;

  static MenuItem separator() { return MenuItem{}; }
};

struct Menu {
  std::string title;
  std::vector<MenuItem> items;
};

/// A press of a menu item, as the app saw it.
struct MenuPress {
  std::string path;  // titles joined with " › "
  bool viaKeyEquivalent = false;
  bool enabled = true;  // a disabled item does nothing
};

class SimApp {
 public:
  SimApp(SimulatedMac& mac, pid_t pid, std::string bundleID, std::string name);
  virtual ~SimApp();
  SimApp(const SimApp&) = delete;
  SimApp& operator=(const SimApp&) = delete;

  pid_t pid() const noexcept { return pid_; }
  const std::string& bundleID() const noexcept { return bundleID_; }
  const std::string& name() const noexcept { return name_; }

  /// The node with this id, while it exists.
  std::shared_ptr<AXNode> node(std::uint64_t id) const;
  virtual std::shared_ptr<AXNode> focusedElement() const = 0;
  virtual std::shared_ptr<AXNode> focusedWindow() const = 0;
  virtual std::vector<std::shared_ptr<AXNode>> windows() const = 0;
  std::shared_ptr<AXNode> menuBar() const { return menuBar_; }

  /// A key event that reached the app.
  virtual void keyDown(const platform::Event& event);
  virtual void keyUp(const platform::Event&) {}

  /// Seconds each accessibility request to this app takes.
  double latency = 0;
  /// Every menu item pressed, in order.
  std::vector<MenuPress> menuPresses;

  /// The menu item at `path` (titles from the menu bar down), if any.
  std::shared_ptr<AXNode> menuItem(const std::vector<std::string>& path) const;

  /// Whether the menu items' AXEnabled lags behind the app's state. On a Mac
  /// an item's enabled state is what AppKit found at the last validation of
  /// its menu, and it validates closed menus only when the menu opens or a
  /// key equivalent is matched against it: an accessibility client reading a
  /// closed menu may see the state of some time ago. When lagging, pressing
  /// an item over accessibility goes by that state too (AppKit no longer
  /// validates before performing an item's action), and the command itself
  /// does what the present state allows. Off: every read is up to date.
  void setMenusLag(bool lag);
  bool menusLag() const noexcept { return menusLag_; }
  /// Validates the items of the menu with this title (every menu when
  /// empty), as opening it does.
  void validateMenus(const std::string& menuTitle = {});

 protected:
  std::shared_ptr<AXNode> makeNode(std::string role, std::optional<std::string> subrole = {},
                                   std::optional<std::string> identifier = {});
  /// Builds the menu bar (the Apple menu comes first, added here).
  void buildMenuBar(std::vector<Menu> menus);
  /// Runs the enabled menu item whose key equivalent the event matches;
  /// true when one matched (enabled or not).
  bool performKeyEquivalent(const platform::Event& event);
  /// Typing into an editable focused element: printable characters are
  /// appended, Delete removes the last character. True when handled.
  bool typeIntoFocusedElement(const platform::Event& event);

  SimulatedMac& mac_;

 private:
  std::shared_ptr<AXNode> buildMenu(const std::string& path, const std::vector<MenuItem>& items);
  void pressMenuItem(const std::string& path, const MenuItem& item, bool viaKeyEquivalent);

  pid_t pid_;
  std::string bundleID_;
  std::string name_;
  std::shared_ptr<AXNode> menuBar_;
  std::unordered_map<std::uint64_t, std::weak_ptr<AXNode>> registry_;
  std::size_t registrySwept_ = 64;  // the registry's size after the last sweep
  std::uint64_t nextNodeID_ = 2;    // 1 is the application element itself
  std::vector<std::shared_ptr<MenuItem>> menuItems_;
  /// Every menu item node: its path and its table entry.
  std::unordered_map<std::uint64_t, std::pair<std::string, const MenuItem*>> menuEntries_;
  bool menusLag_ = false;
  /// Per menu item node, its enabled state at the last validation.
  std::unordered_map<std::uint64_t, bool> validatedEnabled_;
};

/// Any other application: one window with a text area that takes what is
/// typed, and a small menu bar (File, Edit, Window, Help).
class TextApp final : public SimApp {
 public:
  TextApp(SimulatedMac& mac, pid_t pid, std::string bundleID, std::string name);

  std::shared_ptr<AXNode> focusedElement() const override { return text_; }
  std::shared_ptr<AXNode> focusedWindow() const override { return window_; }
  std::vector<std::shared_ptr<AXNode>> windows() const override { return {window_}; }
  void keyDown(const platform::Event& event) override;

  /// What was typed into the window.
  const std::string& text() const { return *text_->value; }

 private:
  std::shared_ptr<AXNode> window_;
  std::shared_ptr<AXNode> text_;
};

}  // namespace quillo::sim
