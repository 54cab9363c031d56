// AXNode: one element of a simulated application's accessibility tree.
//
// Nodes carry the attributes the accessibility server answers: role,
// subrole, identifier, title, enabled state and value (some computed from the
// application's state when read), the parent and children, and the handler
// run by AXPress. Menu items also carry their key equivalent, which the
// application matches against the keys that reach it. A node's id is unique
// within its application for the application's whole run, so an element
// read twice compares equal.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillo::sim {

/// A menu item's key equivalent: the unmodified character of its key and
/// the modifiers (event flag bits) that must be held, exactly.
struct KeyEquivalent {
  char16_t character = 0;
  std::uint64_t modifiers = 0;
  bool isSet() const noexcept { return character != 0; }
};

class AXNode {
 public:
  AXNode(std::uint64_t id, std::string role) : id(id), role(std::move(role)) {}

  const std::uint64_t id;
  std::string role;
  std::optional<std::string> subrole;
  std::optional<std::string> identifier;
  /// The AXTitle; absent when the node has none.
  std::function<std::optional<std::string>()> title;
  /// The AXEnabled; a node without it has no such attribute.
  std::function<bool()> enabled;
  /// Reading AXEnabled fails (the app does not complete the request).
  bool enabledUnreadable = false;
  /// The AXValue of a text element.
  std::optional<std::string> value;
  bool editable = false;
  /// AXPress; absent when the node cannot be pressed.
  std::function<void()> press;
  /// Whether an AXPress of it blocks until the caller's time-out although
  /// the press is done (a slow command, one that opens a modal sheet).
  bool pressBlocks = false;
  KeyEquivalent keyEquivalent;
  /// A named key as key equivalent (its virtual key code), 0 for none.
  std::uint16_t namedKeyEquivalent = 0;

  std::weak_ptr<AXNode> parent;
  std::vector<std::shared_ptr<AXNode>> children;

  std::optional<std::string> currentTitle() const { return title ? title() : std::nullopt; }
  bool isEnabled() const { return !enabled || enabled(); }

  void setTitle(std::string text) {
    title = [text = std::move(text)]() -> std::optional<std::string> { return text; };
  }
  /// Appends `child`, making this node its parent.
  static void adopt(const std::shared_ptr<AXNode>& parent, const std::shared_ptr<AXNode>& child) {
    child->parent = parent;
    parent->children.push_back(child);
  }
};

}  // namespace quillo::sim
