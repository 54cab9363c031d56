#include "Simulator/AccessibilityServer.hpp"

#include "Platform/KeyCodes.hpp"
#include "Platform/Text.hpp"
#include "Simulator/SimulatedMac.hpp"

namespace quillo::sim {

using namespace platform;

namespace {

constexpr std::uint64_t kApplicationElement = 1;

bool isSystemWide(const AXUIElement& element) {
  return element.pid == 0 && element.element == 0;
}

CFValue::Array elements(pid_t pid, const std::vector<std::shared_ptr<AXNode>>& nodes) {
  CFValue::Array array;
  for (const auto& node : nodes)
    array.emplace_back(AccessibilityServer::element(pid, *node));
  return array;
}

/// A menu item's key equivalent as a Mac reports it: the character in upper
/// case, and the modifiers as kAXMenuItemModifier bits with command implied.
/// An item without one has no character but still answers modifiers 0 (so
/// the modifiers alone never tell that an item has a key equivalent). A named
/// key (Delete) comes as its virtual key code, with a control character as
/// its character and the glyph Mail shows (kMenuDeleteLeftGlyph, 0x17).
AXError readKeyEquivalent(const AXNode& node, std::string_view attribute, CFValue& value) {
  namespace Modifiers = MenuItemModifiers;
  const KeyEquivalent& key = node.keyEquivalent;
  if (node.namedKeyEquivalent != 0) {
    constexpr std::int64_t kDeleteLeftGlyph = 0x17;
    if (attribute == "AXMenuItemCmdChar") {
      value = std::string("\b");
    } else if (attribute == "AXMenuItemCmdModifiers") {
      value = std::int64_t{Modifiers::noCommand};
    } else if (attribute == "AXMenuItemCmdVirtualKey") {
      value = std::int64_t{node.namedKeyEquivalent};
    } else if (attribute == "AXMenuItemCmdGlyph") {
      value = kDeleteLeftGlyph;
    } else {
      return AXError::attributeUnsupported;
    }
    return AXError::success;
  }
  if (attribute == "AXMenuItemCmdChar") {
    if (!key.isSet()) return AXError::noValue;
    char16_t character = key.character;
    if (character >= u'a' && character <= u'z') character = static_cast<char16_t>(character - 32);
    value = text::utf8(std::u16string(1, character));
  } else if (attribute == "AXMenuItemCmdModifiers") {
    std::int64_t bits = Modifiers::none;
    if (key.isSet()) {
      if (key.modifiers & EventFlags::shift) bits |= Modifiers::shift;
      if (key.modifiers & EventFlags::alternate) bits |= Modifiers::option;
      if (key.modifiers & EventFlags::control) bits |= Modifiers::control;
      if (!(key.modifiers & EventFlags::command)) bits |= Modifiers::noCommand;
    }
    value = bits;
  } else if (attribute == "AXMenuItemCmdVirtualKey" || attribute == "AXMenuItemCmdGlyph") {
    return AXError::noValue;  // the simulated menus give character keys only
  } else {
    return AXError::attributeUnsupported;
  }
  return AXError::success;
}

}  // namespace

AccessibilityServer::AccessibilityServer(SimulatedMac& mac) : mac_(mac) {}

AXUIElement AccessibilityServer::element(pid_t pid, const AXNode& node) {
  return AXUIElement{pid, node.id};
}

bool AccessibilityServer::isProcessTrusted() const {
  return mac_.permissions.accessibility;
}

bool AccessibilityServer::isProcessTrustedWithOptions(bool prompt) {
  if (prompt && !mac_.permissions.accessibility)
    mac_.permissions.prompts.push_back("Accessibility");
  return mac_.permissions.accessibility;
}

AXUIElement AccessibilityServer::handOut(AXUIElement element) {
  element.instance = nextInstance_++;
  element.reference = std::shared_ptr<const void>(
      nullptr, [timeouts = std::weak_ptr(timeouts_), instance = element.instance](const void*) {
        if (const auto held = timeouts.lock()) held->erase(instance);
      });
  return element;
}

void AccessibilityServer::handOut(CFValue& value) {
  if (const auto* element = value.get<AXUIElement>()) {
    value = handOut(*element);
  } else if (const auto* array = value.get<CFValue::Array>()) {
    CFValue::Array fresh = *array;
    for (CFValue& entry : fresh)
      handOut(entry);
    value = std::move(fresh);
  }
}

AXUIElement AccessibilityServer::createSystemWide() {
  return handOut(AXUIElement{0, 0});
}

AXUIElement AccessibilityServer::createApplication(pid_t pid) {
  // On a Mac every AXUIElementCreateApplication returns a new object: equal
  // (CFEqual) to the others for that application, but starting with the
  // process-wide time-out, whatever was set on an earlier one.
  return handOut(AXUIElement{pid, kApplicationElement});
}

AXError AccessibilityServer::setMessagingTimeout(const AXUIElement& element, float seconds) {
  if (seconds < 0) return AXError::illegalArgument;
  if (isSystemWide(element)) {
    globalTimeout_ = seconds > 0 ? seconds : kDefaultTimeout;  // 0 restores the default
  } else if (element.instance == 0) {
    return AXError::illegalArgument;  // named by a test, never handed out: no object to hold it
  } else {
    // The time-out belongs to this reference, not to the element it stands for.
    (*timeouts_)[element.instance] = seconds;
  }
  return AXError::success;
}

AXError AccessibilityServer::getPid(const AXUIElement& element, pid_t& pid) const {
  if (isSystemWide(element)) return AXError::illegalArgument;
  pid = element.pid;
  return AXError::success;
}

AXError AccessibilityServer::beginRequest(const AXUIElement& element, SimApp*& app) {
  app = nullptr;
  if (!mac_.permissions.accessibility) return AXError::apiDisabled;
  ++roundTrips_[element.pid];
  if (isSystemWide(element)) return AXError::success;
  app = mac_.app(element.pid);
  if (!app) return AXError::invalidUIElement;
  const double timeout = timeoutFor(element);
  if (app->latency > timeout) {
    mac_.block(Duration(timeout));
    return AXError::cannotComplete;
  }
  if (app->latency > 0) mac_.block(Duration(app->latency));
  if (element.element != kApplicationElement && !app->node(element.element)) {
    return AXError::invalidUIElement;
  }
  return AXError::success;
}

double AccessibilityServer::timeoutFor(const AXUIElement& element) const {
  const auto own = timeouts_->find(element.instance);
  return own != timeouts_->end() && own->second > 0 ? own->second : globalTimeout_;
}

AXError AccessibilityServer::readAttribute(const AXUIElement& target, SimApp* app,
                                           std::string_view attribute, CFValue& value) {
  if (isSystemWide(target)) {
    // The focused application is the one with the keyboard, which is not
    // always the one in front: a panel of another process may hold it.
    const auto front = mac_.workspace().keyboardFocusPID();
    SimApp* frontApp = front ? mac_.app(*front) : nullptr;
    if (attribute == "AXRole") {
      value = "AXSystemWide";
    } else if (attribute == "AXFocusedApplication") {
      if (!frontApp) return AXError::noValue;
      value = AXUIElement{frontApp->pid(), kApplicationElement};
    } else if (attribute == "AXFocusedUIElement") {
      const auto focused = frontApp ? frontApp->focusedElement() : nullptr;
      if (!focused) return AXError::noValue;
      value = element(frontApp->pid(), *focused);
    } else {
      return AXError::attributeUnsupported;
    }
    return AXError::success;
  }
  const pid_t pid = app->pid();
  if (target.element == kApplicationElement) {
    if (attribute == "AXRole") {
      value = "AXApplication";
    } else if (attribute == "AXTitle") {
      value = app->name();
    } else if (attribute == "AXFocusedUIElement") {
      const auto focused = app->focusedElement();
      if (!focused) return AXError::noValue;
      value = element(pid, *focused);
    } else if (attribute == "AXFocusedWindow") {
      const auto window = app->focusedWindow();
      if (!window) return AXError::noValue;
      value = element(pid, *window);
    } else if (attribute == "AXMenuBar") {
      if (!app->menuBar()) return AXError::noValue;
      value = element(pid, *app->menuBar());
    } else if (attribute == "AXWindows") {
      value = elements(pid, app->windows());
    } else if (attribute == "AXChildren") {
      auto children = app->windows();
      if (app->menuBar()) children.push_back(app->menuBar());
      value = elements(pid, children);
    } else if (attribute == "AXFrontmost") {
      value = mac_.workspace().frontmostPID() == pid;
    } else {
      return AXError::attributeUnsupported;
    }
    return AXError::success;
  }
  const auto node = app->node(target.element);
  if (!node) return AXError::invalidUIElement;
  if (attribute == "AXRole") {
    value = node->role;
  } else if (attribute == "AXSubrole") {
    if (!node->subrole) return AXError::noValue;
    value = *node->subrole;
  } else if (attribute == "AXIdentifier") {
    if (!node->identifier) return AXError::noValue;
    value = *node->identifier;
  } else if (attribute == "AXTitle") {
    const auto title = node->currentTitle();
    if (!title) return AXError::noValue;
    value = *title;
  } else if (attribute == "AXEnabled") {
    if (!node->enabled) return AXError::attributeUnsupported;
    if (node->enabledUnreadable) return AXError::cannotComplete;
    value = node->enabled();
  } else if (attribute == "AXValue") {
    if (!node->value) return AXError::noValue;
    value = *node->value;
  } else if (attribute == "AXParent") {
    const auto parent = node->parent.lock();
    // Windows and the menu bar belong to the application element.
    value = parent ? element(pid, *parent) : AXUIElement{pid, kApplicationElement};
  } else if (attribute == "AXChildren") {
    value = elements(pid, node->children);
  } else if (attribute == "AXFocused") {
    value = app->focusedElement() == node;
  } else if (node->role == "AXMenuItem" && attribute.starts_with("AXMenuItemCmd")) {
    return readKeyEquivalent(*node, attribute, value);
  } else {
    return AXError::attributeUnsupported;
  }
  return AXError::success;
}

AXError AccessibilityServer::copyAttributeValue(const AXUIElement& element,
                                                std::string_view attribute, CFValue& value) {
  SimApp* app = nullptr;
  if (const AXError error = beginRequest(element, app); error != AXError::success) return error;
  const AXError error = readAttribute(element, app, attribute, value);
  if (error == AXError::success) handOut(value);
  return error;
}

AXError AccessibilityServer::copyMultipleAttributeValues(const AXUIElement& element,
                                                         const std::vector<std::string>& attributes,
                                                         std::uint32_t, CFValue& values) {
  SimApp* app = nullptr;
  if (const AXError error = beginRequest(element, app); error != AXError::success) return error;
  CFValue::Array array;
  for (const auto& attribute : attributes) {
    CFValue one;
    const AXError error = readAttribute(element, app, attribute, one);
    array.push_back(error == AXError::success ? one : CFValue(AXValueError{error}));
  }
  values = std::move(array);
  handOut(values);
  return AXError::success;
}

AXError AccessibilityServer::performAction(const AXUIElement& element, std::string_view action) {
  SimApp* app = nullptr;
  if (const AXError error = beginRequest(element, app); error != AXError::success) return error;
  if (!app || element.element == kApplicationElement) return AXError::actionUnsupported;
  const auto node = app->node(element.element);
  if (action != "AXPress" || !node->press) return AXError::actionUnsupported;
  // By the enabled state accessibility reports, which may lag behind the
  // app's (see SimApp::setMenusLag).
  if (!node->isEnabled()) return AXError::cannotComplete;
  node->press();
  if (node->pressBlocks) {
    // The command ran, but the application answers only once it is done
    // (a modal sheet: once the sheet is dismissed); the caller gives up
    // at its time-out.
    mac_.block(Duration(timeoutFor(element)));
    return AXError::cannotComplete;
  }
  return AXError::success;
}

std::size_t AccessibilityServer::roundTrips(pid_t pid) const {
  const auto found = roundTrips_.find(pid);
  return found == roundTrips_.end() ? 0 : found->second;
}

std::size_t AccessibilityServer::totalRoundTrips() const {
  std::size_t total = 0;
  for (const auto& [pid, count] : roundTrips_)
    total += count;
  return total;
}

void AccessibilityServer::resetRoundTrips() {
  roundTrips_.clear();
}

}  // namespace quillo::sim
