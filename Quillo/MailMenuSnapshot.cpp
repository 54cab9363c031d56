#include "MailMenuSnapshot.hpp"

#include "Platform/KeyCodes.hpp"

namespace quillo {

using platform::AXError;
using platform::AXUIElement;
using platform::CFValue;
using NamedKey = KeyToken::NamedKey;

namespace {

std::optional<NamedKey> namedKey(std::int64_t code) {
  namespace KeyCode = platform::KeyCode;
  switch (code) {
    case KeyCode::returnKey:
      return NamedKey::return_;
    case KeyCode::keypadEnter:
      return NamedKey::enter;
    case KeyCode::tab:
      return NamedKey::tab;
    case KeyCode::space:
      return NamedKey::space;
    case KeyCode::escape:
      return NamedKey::escape;
    case KeyCode::deleteKey:
      return NamedKey::delete_;
    case KeyCode::up:
      return NamedKey::up;
    case KeyCode::down:
      return NamedKey::down;
    case KeyCode::left:
      return NamedKey::left;
    case KeyCode::right:
      return NamedKey::right;
    default:
      return std::nullopt;  // a character key: its character tells it
  }
}

}  // namespace

std::optional<KeyChord> menuKeyEquivalent(const CFValue& character, const CFValue& modifiers,
                                          const CFValue& virtualKey) {
  std::optional<KeyToken> key;
  if (const auto* code = virtualKey.get<std::int64_t>()) {
    if (const auto named = namedKey(*code)) key = KeyToken::named(*named);
  }
  if (!key) {
    const auto* text = character.get<std::string>();
    if (!text || text->empty()) return std::nullopt;
    // A Mac reports a letter in upper case whether or not shift is part of
    // the equivalent (shift is in the modifiers); a chord holds letters in
    // lower case anyway.
    key = KeyToken::typed(*text);
    if (!key) return std::nullopt;
  }
  namespace Bits = platform::MenuItemModifiers;
  const auto* bitsValue = modifiers.get<std::int64_t>();
  const std::int64_t bits = bitsValue ? *bitsValue : Bits::none;
  KeyModifiers held;
  if (!(bits & Bits::noCommand)) held.insert(KeyModifiers::command);
  if (bits & Bits::shift) held.insert(KeyModifiers::shift);
  if (bits & Bits::option) held.insert(KeyModifiers::option);
  if (bits & Bits::control) held.insert(KeyModifiers::control);
  return KeyChord(std::move(*key), held);
}

namespace {

const CFValue& entry(const CFValue& values, std::size_t index) {
  static const CFValue absent;
  const auto* array = values.get<CFValue::Array>();
  return array && index < array->size() ? (*array)[index] : absent;
}

}  // namespace

std::optional<KeyChord> readKeyEquivalent(platform::Accessibility& ax, const AXUIElement& item) {
  CFValue values;
  if (ax.copyMultipleAttributeValues(item, keyEquivalentAttributes(), 0, values) !=
      AXError::success) {
    return std::nullopt;
  }
  return menuKeyEquivalent(entry(values, 0), entry(values, 1), entry(values, 2));
}

MailMenuReader::MailMenuReader(platform::Accessibility& ax, pid_t pid, Limits limits)
    : ax_(ax), pid_(pid), limits_(limits) {}

void MailMenuReader::stop(bool complete) {
  finished_ = true;
  complete_ = complete_ && complete;
}

bool MailMenuReader::mayAsk() {
  if (finished_) return false;
  if (requests_ < limits_.requests) return true;
  stop(false);
  return false;
}

bool MailMenuReader::answered(AXError error) {
  ++requests_;
  switch (error) {
    case AXError::success:
    case AXError::noValue:
    case AXError::attributeUnsupported:
      return true;
    case AXError::cannotComplete:    // Mail is busy: every further request would wait as long
    case AXError::apiDisabled:       // no Accessibility permission
    case AXError::invalidUIElement:  // Mail quit, or rebuilt its menus
    case AXError::failure:
    case AXError::illegalArgument:
    case AXError::invalidUIElementObserver:
    case AXError::actionUnsupported:
    case AXError::notificationUnsupported:
    case AXError::notImplemented:
    case AXError::notificationAlreadyRegistered:
    case AXError::notificationNotRegistered:
    case AXError::parameterizedAttributeUnsupported:
    case AXError::notEnoughPrecision:
      stop(false);
      return false;
  }
  stop(false);
  return false;
}

std::vector<AXUIElement> MailMenuReader::children(const AXUIElement& element) {
  std::vector<AXUIElement> found;
  if (!mayAsk()) return found;
  CFValue value;
  const AXError error = ax_.copyAttributeValue(element, "AXChildren", value);
  if (!answered(error) || error != AXError::success) return found;
  if (const auto* array = value.get<CFValue::Array>()) {
    for (const CFValue& child : *array) {
      if (const auto* element = child.get<AXUIElement>()) found.push_back(*element);
    }
  }
  return found;
}

std::vector<MailMenuItem> MailMenuReader::readItems(const AXUIElement& menu, int levelsLeft) {
  static const std::vector<std::string> kAttributes = [] {
    std::vector<std::string> names{"AXTitle"};
    names.insert(names.end(), keyEquivalentAttributes().begin(), keyEquivalentAttributes().end());
    names.emplace_back("AXChildren");
    return names;
  }();
  std::vector<MailMenuItem> items;
  for (const AXUIElement& element : children(menu)) {
    if (!mayAsk()) break;
    CFValue values;
    const AXError error = ax_.copyMultipleAttributeValues(element, kAttributes, 0, values);
    if (!answered(error)) break;
    MailMenuItem item{element, std::nullopt, std::nullopt, {}};
    if (const auto* title = entry(values, 0).get<std::string>()) item.name = *title;
    item.key = menuKeyEquivalent(entry(values, 1), entry(values, 2), entry(values, 3));
    if (levelsLeft > 1) {
      if (const auto* submenus = entry(values, 4).get<CFValue::Array>()) {
        for (const CFValue& submenu : *submenus) {
          const auto* submenuElement = submenu.get<AXUIElement>();
          if (!submenuElement) continue;
          auto below = readItems(*submenuElement, levelsLeft - 1);
          item.items.insert(item.items.end(), std::make_move_iterator(below.begin()),
                            std::make_move_iterator(below.end()));
        }
      }
    }
    items.push_back(std::move(item));
  }
  return items;
}

bool MailMenuReader::step() {
  if (finished_) return false;
  if (!started_) {
    started_ = true;
    const AXUIElement app = ax_.createApplication(pid_);
    if (!mayAsk()) return false;
    CFValue bar;
    const AXError error = ax_.copyAttributeValue(app, "AXMenuBar", bar);
    if (!answered(error)) return false;
    const auto* barElement = bar.get<AXUIElement>();
    if (error != AXError::success || !barElement) {
      stop(false);
      return false;
    }
    pending_ = children(*barElement);
    if (!pending_.empty()) pending_.erase(pending_.begin());  // the Apple menu
    if (pending_.empty() && !finished_) stop(false);
    return !finished_;
  }
  if (next_ >= pending_.size()) {
    stop(true);
    return false;
  }
  const AXUIElement barItem = pending_[next_++];
  if (!mayAsk()) return false;
  CFValue values;
  static const std::vector<std::string> kBarAttributes{"AXTitle", "AXChildren"};
  const AXError error = ax_.copyMultipleAttributeValues(barItem, kBarAttributes, 0, values);
  if (!answered(error)) return false;
  MailMenuItem menu{barItem, std::nullopt, std::nullopt, {}};
  if (const auto* title = entry(values, 0).get<std::string>()) menu.name = *title;
  if (const auto* menuElements = entry(values, 1).get<CFValue::Array>()) {
    for (const CFValue& element : *menuElements) {
      const auto* menuElement = element.get<AXUIElement>();
      if (!menuElement) continue;
      auto items = readItems(*menuElement, limits_.depth);
      menu.items.insert(menu.items.end(), std::make_move_iterator(items.begin()),
                        std::make_move_iterator(items.end()));
    }
  }
  menus_.push_back(std::move(menu));
  if (finished_) return false;
  if (next_ >= pending_.size()) {
    stop(true);
    return false;
  }
  return true;
}

void MailMenuReader::readAll() {
  while (step()) {
  }
}

}  // namespace quillo
