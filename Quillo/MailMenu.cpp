#include "MailMenu.hpp"

#include "AXReading.hpp"

namespace quillo {

using platform::AXError;
using platform::AXUIElement;
using platform::Event;
using platform::EventField;
using NamedKey = KeyToken::NamedKey;

// MARK: - ActionOutcome

namespace {

std::string pathText(const MenuPath& path) {
  std::string text;
  for (const auto& title : path) {
    if (!text.empty()) text += " \u203a ";
    text += title;
  }
  return text;
}

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};

}  // namespace

std::string ActionOutcome::description() const {
  return std::visit(
      Overloaded{
          [](const Pressed& pressed) { return "pressed " + pathText(pressed.path); },
          [](const Disabled& disabled) { return pathText(disabled.path) + " is disabled"; },
          [](const Posted& posted) { return "posted " + std::string(rawValue(posted.key)); },
          [](const Failed& failed) { return "failed: " + failed.message; },
          [](const Unavailable&) {
            return std::string("no matching menu item and no fallback key");
          },
      },
      value);
}

// MARK: - Mail's menus

std::optional<std::string> AXMenuNode::title() const {
  return ax::string(*ax_, element_, "AXTitle");
}

std::vector<AXMenuNode> AXMenuNode::children() const {
  std::vector<AXMenuNode> items;
  for (const AXUIElement& menu : ax::elements(*ax_, element_, "AXChildren")) {
    for (const AXUIElement& item : ax::elements(*ax_, menu, "AXChildren"))
      items.emplace_back(item, *ax_);
  }
  return items;
}

std::vector<AXMenuNode> menuBarItems(platform::Accessibility& ax, pid_t pid) {
  const AXUIElement app = ax.createApplication(pid);
  const auto menuBar = ax::element(ax, app, "AXMenuBar");
  if (!menuBar) return {};
  std::vector<AXMenuNode> items;
  const auto children = ax::elements(ax, *menuBar, "AXChildren");
  for (std::size_t i = 1; i < children.size(); ++i)
    items.emplace_back(children[i], ax);  // no Apple menu
  return items;
}

// MARK: - ActionExecutor

namespace {

struct FallbackKey {
  std::uint16_t keyCode;
  std::uint64_t flags;
};

FallbackKey fallbackKey(NamedKey key) {
  constexpr std::uint64_t kArrow =
      platform::EventFlags::secondaryFn | platform::EventFlags::numericPad;
  switch (key) {
    case NamedKey::return_:
      return {36, 0};
    case NamedKey::enter:
      return {76, 0};
    case NamedKey::tab:
      return {48, 0};
    case NamedKey::space:
      return {49, 0};
    case NamedKey::escape:
      return {53, 0};
    case NamedKey::delete_:
      return {51, 0};
    case NamedKey::up:
      return {126, kArrow};
    case NamedKey::down:
      return {125, kArrow};
    case NamedKey::left:
      return {123, kArrow};
    case NamedKey::right:
      return {124, kArrow};
  }
  return {0, 0};
}

}  // namespace

std::optional<ActionExecutor::Found> ActionExecutor::find(ActionID action, const ActionSpec& spec,
                                                          pid_t pid) {
  if (spec.menu.empty()) return std::nullopt;  // no menu route: the cache is not involved
  if (const auto cached = resolved.find(action); cached != resolved.end()) {
    const Resolved& entry = cached->second;
    if (entry.pid == pid && !entry.path.empty()) {
      // Still the same item? Mail may have relaunched or retitled it.
      const auto title = entry.node.title();
      if (title && MenuResolver::titleMatches(*title, entry.path.back())) {
        return Found{entry.node.element(), entry.path};
      }
    }
  }
  const std::vector<AXMenuNode> menus = menuBarItems(ax_, pid);
  for (const MenuPath& path : spec.menu) {
    if (auto node = MenuResolver::resolve(path, menus, anywhereDepth)) {
      const AXUIElement element = node->element();
      resolved.insert_or_assign(action, Resolved{pid, std::move(*node), path});
      return Found{element, path};
    }
  }
  resolved.erase(action);
  return std::nullopt;
}

ActionOutcome ActionExecutor::perform(ActionID action, const ActionSpec& spec, pid_t pid) {
  if (const auto found = find(action, spec, pid)) {
    if (ax::boolean(ax_, found->element, "AXEnabled") != true) {
      return ActionOutcome::Disabled{found->path};
    }
    const AXError result = ax_.performAction(found->element, "AXPress");
    if (result == AXError::success) return ActionOutcome::Pressed{found->path};
    return ActionOutcome::Failed{"AXPress returned " + std::to_string(static_cast<int>(result))};
  }
  if (!spec.key) return ActionOutcome::Unavailable{};
  return post(*spec.key, pid);
}

ActionOutcome ActionExecutor::post(NamedKey key, pid_t pid) {
  const auto failed = [key] {
    return ActionOutcome::Failed{"couldn't create the " + std::string(rawValue(key)) +
                                 " key event"};
  };
  const auto source = events_.eventSourceCreate(platform::EventSourceStateID::privateState);
  if (!source) return failed();
  events_.eventSourceSetUserData(*source, ownEventMarker);
  const FallbackKey fallback = fallbackKey(key);
  auto down = events_.createKeyboardEvent(source, fallback.keyCode, true);
  auto up = events_.createKeyboardEvent(source, fallback.keyCode, false);
  events_.release(*source);
  if (!down || !up) return failed();
  for (Event* event : {&*down, &*up}) {
    event->setFlags(fallback.flags);  // set explicitly, whatever is held now
    event->setIntegerValueField(EventField::eventSourceUserData, ownEventMarker);
    events_.postToPid(pid, *event);
  }
  return ActionOutcome::Posted{key};
}

}  // namespace quillo
