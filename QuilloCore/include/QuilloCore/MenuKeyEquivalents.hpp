// MenuKeyEquivalents: finding Mail's menu items by their key equivalents, so
// that actions work whatever language Mail's menus are in.
//
// A menu title depends on the language Mail runs in; its key equivalent
// (⌃⌘A for Archive) does not. When none of an action's menu paths resolves,
// the action's item is the one item of Mail's menus that carries Mail's own
// shortcut for it. Only a shortcut that Mail gives one action alone counts:
// ⇧⌘U toggles read and unread, so markRead and markUnread are never found
// this way (the item it finds could do the opposite of what was asked). And
// only a shortcut carried by exactly one item counts: after the user gives a
// second item the same key (System Settings' App Shortcuts), Quillo cannot
// tell which one is meant and presses neither.
//
// `reach` says, for one action, how it can be performed in a menu tree: by
// one of its menu paths, by its key equivalent, by its fallback key, or not
// at all (and why). Pure; the templates walk any menu tree whose nodes also
// tell their key equivalent, calling children() once per node visited.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "QuilloCore/ActionID.hpp"
#include "QuilloCore/ActionSpec.hpp"
#include "QuilloCore/Export.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "QuilloCore/MenuResolver.hpp"

namespace quillo::MenuKeyEquivalents {

/// Mail's own shortcut for the action when no other action shares it; none
/// for markRead and markUnread (⇧⌘U toggles between them), and none for
/// showShortcuts, which Mail has no shortcut for.
QUILLO_CORE_EXPORT std::optional<KeyChord> ownKeyEquivalent(ActionID action);

/// Whether Mail's own shortcut for the action is shared with another action
/// (and is therefore never used to find its item).
QUILLO_CORE_EXPORT bool sharesOwnShortcut(ActionID action);

/// A menu node that also tells its key equivalent (none when it has none).
template <class Node>
concept KeyedMenuTreeNode = MenuTreeNode<Node> && requires(const Node& node) {
  { node.keyEquivalent() } -> std::convertible_to<std::optional<KeyChord>>;
};

/// An item found by its key equivalent, with the titles that lead to it.
template <class Node>
struct Carrier {
  MenuPath path;
  Node node;
};

namespace detail {
template <KeyedMenuTreeNode Node>
void collect(const std::vector<Node>& level, MenuPath& path, const KeyChord& chord, int depthLeft,
             std::vector<Carrier<Node>>& found) {
  for (const Node& node : level) {
    path.push_back(node.title().value_or(""));
    if (node.keyEquivalent() == chord) found.push_back({path, node});
    if (depthLeft > 1) collect(node.children(), path, chord, depthLeft - 1, found);
    path.pop_back();
  }
}
}  // namespace detail

/// Every item below `menus` (the menu-bar items themselves excluded), down
/// to `depth` levels, whose key equivalent is `chord`: in menu order.
template <KeyedMenuTreeNode Node>
std::vector<Carrier<Node>> carriers(const std::vector<Node>& menus, const KeyChord& chord,
                                    int depth) {
  std::vector<Carrier<Node>> found;
  MenuPath path;
  for (const Node& menu : menus) {
    path.push_back(menu.title().value_or(""));
    detail::collect(menu.children(), path, chord, depth, found);
    path.pop_back();
  }
  return found;
}

/// How an action can be performed in a menu tree.
template <class Node>
struct Reach {
  enum class Way { menuPath, keyEquivalent, fallbackKey, none };
  Way way = Way::none;
  /// menuPath: the ActionSpec's path that resolved; keyEquivalent: the titles of
  /// the item found.
  MenuPath path{};
  /// The item found (menuPath and keyEquivalent).
  std::optional<Node> node{};
  /// Mail's own shortcut for the action, when it has one of its own.
  std::optional<KeyChord> keyEquivalent{};
  /// How many items carry that shortcut (when it was looked for).
  std::size_t carrierCount = 0;
};

/// Tries `spec`'s menu paths in order, then (when none resolves) Mail's own
/// shortcut for the action, then its fallback key.
template <KeyedMenuTreeNode Node>
Reach<Node> reach(ActionID action, const ActionSpec& spec, const std::vector<Node>& menus,
                  int anywhereDepth) {
  using Way = typename Reach<Node>::Way;
  Reach<Node> result;
  for (const MenuPath& path : spec.menu) {
    if (auto node = MenuResolver::resolve(path, menus, anywhereDepth)) {
      result.way = Way::menuPath;
      result.path = path;
      result.node = std::move(node);
      return result;
    }
  }
  // An action without menu paths is performed by its key alone.
  if (!spec.menu.empty()) result.keyEquivalent = ownKeyEquivalent(action);
  if (result.keyEquivalent) {
    auto found = carriers(menus, *result.keyEquivalent, anywhereDepth);
    result.carrierCount = found.size();
    if (found.size() == 1) {
      result.way = Way::keyEquivalent;
      result.path = std::move(found.front().path);
      result.node = std::move(found.front().node);
      return result;
    }
  }
  if (spec.key) result.way = Way::fallbackKey;
  return result;
}

}  // namespace quillo::MenuKeyEquivalents
