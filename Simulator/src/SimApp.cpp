#include "Simulator/SimApp.hpp"

#include <algorithm>

#include "Platform/Text.hpp"
#include "Simulator/SimulatedMac.hpp"
#include "Simulator/USKeyboard.hpp"

namespace quillo::sim {

using platform::Event;
namespace Flags = platform::EventFlags;

namespace {
constexpr std::uint64_t kModifierMask =
    Flags::shift | Flags::control | Flags::alternate | Flags::command;
}

SimApp::SimApp(SimulatedMac& mac, pid_t pid, std::string bundleID, std::string name)
    : mac_(mac), pid_(pid), bundleID_(std::move(bundleID)), name_(std::move(name)) {}

SimApp::~SimApp() = default;

std::shared_ptr<AXNode> SimApp::node(std::uint64_t id) const {
  const auto found = registry_.find(id);
  return found == registry_.end() ? nullptr : found->second.lock();
}

std::shared_ptr<AXNode> SimApp::makeNode(std::string role, std::optional<std::string> subrole,
                                         std::optional<std::string> identifier) {
  auto made = std::make_shared<AXNode>(nextNodeID_++, std::move(role));
  made->subrole = std::move(subrole);
  made->identifier = std::move(identifier);
  // An expired entry still holds its node's storage (make_shared): sweep
  // them whenever the registry has doubled since the last sweep, so that a
  // long run of windows opened and closed costs nothing per window.
  if (registry_.size() >= 2 * registrySwept_) {
    std::erase_if(registry_, [](const auto& entry) { return entry.second.expired(); });
    registrySwept_ = std::max<std::size_t>(registry_.size(), 64);
  }
  registry_[made->id] = made;
  return made;
}

void SimApp::buildMenuBar(std::vector<Menu> menus) {
  menus.insert(menus.begin(), Menu{"Apple",
                                   {{.title = "About This Mac"},
                                    MenuItem::separator(),
                                    {.title = "System Settings…"},
                                    MenuItem::separator(),
                                    {.title = "Force Quit…"},
                                    {.title = "Lock Screen"}}});
  menuBar_ = makeNode("AXMenuBar");
  for (const auto& menu : menus) {
    auto barItem = makeNode("AXMenuBarItem");
    barItem->setTitle(menu.title);
    barItem->enabled = [] { return true; };
    AXNode::adopt(menuBar_, barItem);
    AXNode::adopt(barItem, buildMenu(menu.title, menu.items));
  }
}

std::shared_ptr<AXNode> SimApp::buildMenu(const std::string& path,
                                          const std::vector<MenuItem>& items) {
  auto menu = makeNode("AXMenu");
  for (const auto& spec : items) {
    auto item = std::make_shared<MenuItem>(spec);
    menuItems_.push_back(item);
    auto node = makeNode("AXMenuItem");
    node->keyEquivalent = item->key;
    node->namedKeyEquivalent = item->namedKeyEquivalent;
    if (item->title.empty() && !item->liveTitle) {  // a separator
      node->setTitle("");
      node->enabled = [] { return false; };
      AXNode::adopt(menu, node);
      continue;
    }
    const MenuItem* raw = item.get();
    node->title = [raw]() -> std::optional<std::string> {
      return raw->liveTitle ? raw->liveTitle() : raw->title;
    };
    node->enabled = [this, raw, id = node->id] {
      if (menusLag_) {
        if (const auto validated = validatedEnabled_.find(id); validated != validatedEnabled_.end())
          return validated->second;
      }
      return !raw->enabled || raw->enabled();
    };
    node->enabledUnreadable = item->enabledUnreadable;
    const std::string itemPath = path + " \u203a " + item->title;
    node->press = [this, raw, itemPath] { pressMenuItem(itemPath, *raw, false); };
    node->pressBlocks = item->blocksPress;
    menuEntries_[node->id] = {itemPath, raw};
    AXNode::adopt(menu, node);
    if (!item->submenu.empty()) AXNode::adopt(node, buildMenu(itemPath, item->submenu));
  }
  return menu;
}

void SimApp::pressMenuItem(const std::string& path, const MenuItem& item, bool viaKeyEquivalent) {
  const bool enabled = !item.enabled || item.enabled();
  menuPresses.push_back({path, viaKeyEquivalent, enabled});
  if (enabled && item.action) item.action();
}

void SimApp::setMenusLag(bool lag) {
  menusLag_ = lag;
  validatedEnabled_.clear();
  if (lag) validateMenus();  // as the app finished launching
}

void SimApp::validateMenus(const std::string& menuTitle) {
  const std::string prefix = menuTitle + " \u203a ";
  for (const auto& [id, entry] : menuEntries_) {
    if (!menuTitle.empty() && !entry.first.starts_with(prefix)) continue;
    const MenuItem& item = *entry.second;
    validatedEnabled_[id] = !item.enabled || item.enabled();
  }
}

std::shared_ptr<AXNode> SimApp::menuItem(const std::vector<std::string>& path) const {
  if (!menuBar_ || path.empty()) return nullptr;
  std::vector<std::shared_ptr<AXNode>> level = menuBar_->children;
  for (std::size_t i = 0; i < path.size(); ++i) {
    std::shared_ptr<AXNode> found;
    for (const auto& node : level) {
      if (node->currentTitle() == path[i]) {
        found = node;
        break;
      }
    }
    if (!found) return nullptr;
    if (i + 1 == path.size()) return found;
    level.clear();
    for (const auto& menu : found->children) {
      level.insert(level.end(), menu->children.begin(), menu->children.end());
    }
  }
  return nullptr;
}

bool SimApp::performKeyEquivalent(const Event& event) {
  const auto keyCode = static_cast<std::uint16_t>(
      event.integerValueField(platform::EventField::keyboardEventKeycode));
  const auto plain = USKeyboard::layoutCharacter(keyCode, false, false);
  if (!plain || plain->empty()) return false;
  const std::uint64_t held = event.flags() & kModifierMask;
  if (!(held & (Flags::command | Flags::control))) return false;
  // Matching a key equivalent validates the menus first.
  if (menusLag_) validateMenus();
  // Walk the menus in order, as the menu bar does.
  std::vector<std::pair<std::string, std::shared_ptr<AXNode>>> stack;
  for (auto it = menuBar_->children.rbegin(); it != menuBar_->children.rend(); ++it) {
    stack.emplace_back((*it)->currentTitle().value_or(""), *it);
  }
  while (!stack.empty()) {
    auto [path, node] = stack.back();
    stack.pop_back();
    if (node->keyEquivalent.isSet() && node->keyEquivalent.character == plain->front() &&
        node->keyEquivalent.modifiers == held) {
      if (const auto entry = menuEntries_.find(node->id); entry != menuEntries_.end()) {
        pressMenuItem(entry->second.first, *entry->second.second, true);
      }
      return true;  // a disabled item swallows its key too (Mail beeps)
    }
    for (auto child = node->children.rbegin(); child != node->children.rend(); ++child) {
      stack.emplace_back(path, *child);
    }
  }
  return false;
}

bool SimApp::typeIntoFocusedElement(const Event& event) {
  const auto focused = focusedElement();
  if (!focused || !focused->editable) return false;
  if (event.flags() & (Flags::command | Flags::control)) return false;
  const auto keyCode = event.integerValueField(platform::EventField::keyboardEventKeycode);
  std::string& value = *(focused->value ? &*focused->value : &focused->value.emplace());
  if (keyCode == USKeyboard::KeyCode::deleteKey) {
    platform::text::dropLastScalar(value);
    return true;
  }
  const std::u16string characters = event.keyboardUnicodeString(16);
  if (characters.empty()) return false;
  for (char16_t c : characters) {
    if (c < 0x20 || c == 0x7F || (c >= 0xF700 && c <= 0xF8FF)) return false;
  }
  value += platform::text::utf8(characters);
  return true;
}

void SimApp::keyDown(const Event& event) {
  if (performKeyEquivalent(event)) return;
  typeIntoFocusedElement(event);
}

// MARK: - TextApp

TextApp::TextApp(SimulatedMac& mac, pid_t pid, std::string bundleID, std::string name)
    : SimApp(mac, pid, std::move(bundleID), std::move(name)) {
  const KeyEquivalent cmdQ{u'q', Flags::command};
  buildMenuBar({
      {this->name(),
       {{.title = "About " + this->name()},
        MenuItem::separator(),
        {.title = "Quit " + this->name(), .key = cmdQ}}},
      {"File",
       {{.title = "New Window", .key = {u'n', Flags::command}},
        {.title = "Close Window", .key = {u'w', Flags::command}}}},
      {"Edit",
       {{.title = "Undo", .key = {u'z', Flags::command}},
        MenuItem::separator(),
        {.title = "Cut", .key = {u'x', Flags::command}},
        {.title = "Copy", .key = {u'c', Flags::command}},
        {.title = "Paste", .key = {u'v', Flags::command}},
        {.title = "Select All", .key = {u'a', Flags::command}}}},
      {"Window", {{.title = "Minimize", .key = {u'm', Flags::command}}}},
      {"Help", {{.title = this->name() + " Help"}}},
  });
  window_ = makeNode("AXWindow", "AXStandardWindow");
  window_->setTitle(this->name());
  auto scroll = makeNode("AXScrollArea");
  text_ = makeNode("AXTextArea");
  text_->editable = true;
  text_->value = "";
  AXNode::adopt(window_, scroll);
  AXNode::adopt(scroll, text_);
}

void TextApp::keyDown(const Event& event) {
  SimApp::keyDown(event);
}

}  // namespace quillo::sim
