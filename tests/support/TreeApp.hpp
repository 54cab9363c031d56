// An application on the simulated Mac whose accessibility tree a test builds
// by hand, for shapes no real application has (very deep chains, many
// windows). It claims to be Mail unless told otherwise.
#pragma once

#include "Simulator/SimulatedMac.hpp"

namespace quillo::testing {

class TreeApp final : public sim::SimApp {
 public:
  TreeApp(sim::SimulatedMac& mac, pid_t pid, std::string bundleID = sim::SimulatedMac::mailBundleID)
      : SimApp(mac, pid, std::move(bundleID), "Tree") {}

  std::shared_ptr<sim::AXNode> node(std::string role, std::optional<std::string> subrole = {},
                                    std::optional<std::string> identifier = {}) {
    return makeNode(std::move(role), std::move(subrole), std::move(identifier));
  }
  /// A chain of nodes, each the parent of the next; returns them in order.
  std::vector<std::shared_ptr<sim::AXNode>> chain(const std::vector<std::string>& roles) {
    std::vector<std::shared_ptr<sim::AXNode>> nodes;
    for (const auto& role : roles) {
      nodes.push_back(node(role));
      if (nodes.size() > 1) sim::AXNode::adopt(nodes[nodes.size() - 2], nodes.back());
    }
    return nodes;
  }

  /// Builds the menu bar from a table (the Apple menu is added first).
  void menus(std::vector<sim::Menu> table) { buildMenuBar(std::move(table)); }

  std::shared_ptr<sim::AXNode> focusedElement() const override { return focused; }
  std::shared_ptr<sim::AXNode> focusedWindow() const override { return window; }
  std::vector<std::shared_ptr<sim::AXNode>> windows() const override {
    return window ? std::vector{window} : std::vector<std::shared_ptr<sim::AXNode>>{};
  }

  std::shared_ptr<sim::AXNode> focused;
  std::shared_ptr<sim::AXNode> window;
};

}  // namespace quillo::testing
