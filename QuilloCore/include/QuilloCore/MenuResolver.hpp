// MenuResolver: finds the menu item a menu path names, in any menu tree.
//
// A path is a list of titles from the menu bar down ("Message", "Archive"),
// walked level by level, following only the first node whose title matches
// (no backtracking). A path of "**" and one title names that title anywhere
// in the menus, breadth-first to a depth limit; the roots (menu-bar titles)
// are never its target. Titles match ignoring case and surrounding spaces and
// tabs, "..." matches "…", and a title ending in "*" matches any title that
// begins with the rest. Stateless; never throws; an unmatched path is none.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "QuilloCore/Export.hpp"
#include "QuilloCore/MenuTreeNode.hpp"

namespace quillo::MenuResolver {

/// The first entry that makes a path an anywhere path.
inline constexpr std::string_view anywhere = "**";

/// How a path reads to a person: its titles joined by " › ".
QUILLO_CORE_EXPORT std::string pathText(const std::vector<std::string>& path);
/// The path a person wrote: titles separated by " › " or, easier to type,
/// " > ". The inverse of `pathText` for titles without those separators.
QUILLO_CORE_EXPORT std::vector<std::string> pathFromText(std::string_view text);

/// Whether a menu item's title matches a title pattern from a menu path.
QUILLO_CORE_EXPORT bool titleMatches(std::string_view title, std::string_view pattern);

/// A node matches when it has a non-empty title that matches the pattern.
template <MenuTreeNode Node>
bool nodeMatches(const Node& node, std::string_view pattern) {
  const std::optional<std::string> title = node.title();
  return title && !title->empty() && titleMatches(*title, pattern);
}

template <MenuTreeNode Node>
std::optional<Node> anywhereSearch(std::string_view pattern, const std::vector<Node>& roots,
                                   int anywhereDepth) {
  const int levels = anywhereDepth < 2 ? 1 : anywhereDepth;
  std::vector<Node> level;
  for (const Node& root : roots) {
    for (Node& child : root.children())
      level.push_back(std::move(child));
  }
  for (int depth = 1;; ++depth) {
    for (const Node& node : level) {
      if (nodeMatches(node, pattern)) return node;
    }
    std::vector<Node> next;
    for (const Node& node : level) {
      for (Node& child : node.children())
        next.push_back(std::move(child));
    }
    if (next.empty() || depth >= levels) return std::nullopt;
    level = std::move(next);
  }
}

/// The node `path` names among `roots` and below; none when it names nothing.
template <MenuTreeNode Node>
std::optional<Node> resolve(const std::vector<std::string>& path, const std::vector<Node>& roots,
                            int anywhereDepth) {
  if (path.empty()) return std::nullopt;
  if (path.front() == anywhere) {
    if (path.size() != 2) return std::nullopt;
    return anywhereSearch(path[1], roots, anywhereDepth);
  }
  std::vector<Node> level = roots;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const Node* found = nullptr;
    for (const Node& node : level) {
      if (nodeMatches(node, path[i])) {
        found = &node;
        break;
      }
    }
    if (found == nullptr) return std::nullopt;
    if (i + 1 == path.size()) return *found;
    std::vector<Node> children = found->children();
    level = std::move(children);
  }
  return std::nullopt;
}

}  // namespace quillo::MenuResolver
