// MenuTreeNode: what the menu path resolver needs of one node of a menu tree.
//
// A node has a title (absent or empty for nodes without one, such as
// separators) and its children one level down in menu order: for a menu-bar
// item the items of its menu, for an item with a submenu the submenu's items,
// nothing for a plain item. Nodes are values; children() may be costly (for
// Mail's menus every call is an accessibility request), so the resolver calls
// it as rarely as its walk allows.
#pragma once

#include <concepts>
#include <optional>
#include <string>
#include <vector>

namespace quillo {

template <class Node>
concept MenuTreeNode = requires(const Node& node) {
  { node.title() } -> std::convertible_to<std::optional<std::string>>;
  { node.children() } -> std::convertible_to<std::vector<Node>>;
};

}  // namespace quillo
