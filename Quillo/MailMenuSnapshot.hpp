// MailMenuSnapshot: Mail's menus read into a plain tree, every item with its
// title and its key equivalent, so that many questions ("which item carries
// ⌃⌘A?", "does every action of this keymap reach an item?") cost one walk.
//
// MailMenuReader walks the menus over Accessibility one top-level menu per
// step, so a caller on the main loop can let key events through between
// steps. Every walk is bounded: at most `Limits::requests` requests, items
// down to `Limits::depth` levels below the menu bar (as an anywhere menu path
// searches), and it stops at the first request Mail does not answer (a busy
// Mail answers every request only at the time-out). A walk cut short says so
// (`complete` false). Main thread only; the reader holds a reference to the
// accessibility service, which must outlive it.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Accessibility.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "QuilloCore/MenuKeyEquivalents.hpp"

namespace quillo {

/// One menu-bar item or menu item of Mail as read: a value, no requests.
struct MailMenuItem {
  platform::AXUIElement element;
  std::optional<std::string> name;
  std::optional<KeyChord> key;
  std::vector<MailMenuItem> items;

  std::optional<std::string> title() const { return name; }
  std::vector<MailMenuItem> children() const { return items; }
  std::optional<KeyChord> keyEquivalent() const { return key; }
};
static_assert(MenuKeyEquivalents::KeyedMenuTreeNode<MailMenuItem>);

/// The attributes that tell a menu item's key equivalent, in the order
/// `menuKeyEquivalent` takes their values.
inline const std::vector<std::string>& keyEquivalentAttributes() {
  static const std::vector<std::string> names{"AXMenuItemCmdChar", "AXMenuItemCmdModifiers",
                                              "AXMenuItemCmdVirtualKey"};
  return names;
}

/// The key equivalent that a menu item's AXMenuItemCmdChar (the character,
/// a letter in upper case), AXMenuItemCmdModifiers (kAXMenuItemModifier
/// bits, command implied unless "no command") and AXMenuItemCmdVirtualKey
/// (the key code of a named key such as Delete) describe; none when the item
/// has none. A value that is missing or of another type counts as absent.
std::optional<KeyChord> menuKeyEquivalent(const platform::CFValue& character,
                                          const platform::CFValue& modifiers,
                                          const platform::CFValue& virtualKey);

/// Reads one item's key equivalent in one request; none when it has none or
/// the request fails.
std::optional<KeyChord> readKeyEquivalent(platform::Accessibility& ax,
                                          const platform::AXUIElement& item);

class MailMenuReader {
 public:
  struct Limits {
    std::size_t requests = 500;
    int depth = 4;
  };

  MailMenuReader(platform::Accessibility& ax, pid_t pid, Limits limits);

  /// Reads the menu bar (the first step) or the next top-level menu. False
  /// when the walk is over: everything read, a limit reached, or a request
  /// unanswered.
  bool step();
  /// Steps until the walk is over.
  void readAll();

  bool finished() const noexcept { return finished_; }
  /// Every menu was read, within the limits.
  bool complete() const noexcept { return finished_ && complete_; }
  std::size_t requests() const noexcept { return requests_; }
  /// The top-level menus read so far, left to right, without the Apple menu.
  const std::vector<MailMenuItem>& menus() const noexcept { return menus_; }

 private:
  /// Whether another request fits the budget; ends the walk when not.
  bool mayAsk();
  /// Counts a request's result; ends the walk on one Mail did not answer.
  bool answered(platform::AXError error);
  std::vector<platform::AXUIElement> children(const platform::AXUIElement& element);
  std::vector<MailMenuItem> readItems(const platform::AXUIElement& menu, int levelsLeft);
  void stop(bool complete);

  platform::Accessibility& ax_;
  pid_t pid_;
  Limits limits_;
  bool started_ = false;
  bool finished_ = false;
  bool complete_ = true;
  std::size_t requests_ = 0;
  std::vector<platform::AXUIElement> pending_;  // top-level items not yet read
  std::size_t next_ = 0;
  std::vector<MailMenuItem> menus_;
};

}  // namespace quillo
