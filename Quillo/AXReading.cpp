#include "AXReading.hpp"

namespace quillo::ax {

using platform::AXError;
using platform::AXUIElement;
using platform::CFValue;

namespace {

std::optional<CFValue> read(platform::Accessibility& ax, const AXUIElement& element,
                            std::string_view attribute) {
  CFValue value;
  if (ax.copyAttributeValue(element, attribute, value) != AXError::success) return std::nullopt;
  return value;
}

template <class T>
std::optional<T> as(const std::optional<CFValue>& value) {
  if (!value) return std::nullopt;
  const T* typed = value->get<T>();
  return typed ? std::optional<T>(*typed) : std::nullopt;
}

}  // namespace

std::optional<std::string> string(platform::Accessibility& ax, const AXUIElement& element,
                                  std::string_view attribute) {
  return as<std::string>(read(ax, element, attribute));
}

std::optional<bool> boolean(platform::Accessibility& ax, const AXUIElement& element,
                            std::string_view attribute) {
  return as<bool>(read(ax, element, attribute));
}

std::optional<AXUIElement> element(platform::Accessibility& ax, const AXUIElement& of,
                                   std::string_view attribute) {
  return as<AXUIElement>(read(ax, of, attribute));
}

std::vector<AXUIElement> elements(platform::Accessibility& ax, const AXUIElement& of,
                                  std::string_view attribute) {
  std::vector<AXUIElement> found;
  const auto array = as<CFValue::Array>(read(ax, of, attribute));
  if (!array) return found;
  for (const auto& entry : *array) {
    if (const auto* child = entry.get<AXUIElement>()) found.push_back(*child);
  }
  return found;
}

ElementDetails details(platform::Accessibility& ax, const AXUIElement& element) {
  static const std::vector<std::string> kAttributes{"AXRole", "AXSubrole", "AXIdentifier",
                                                    "AXParent"};
  ElementDetails result;
  CFValue values;
  if (ax.copyMultipleAttributeValues(element, kAttributes, 0, values) != AXError::success) {
    return result;
  }
  const auto* array = values.get<CFValue::Array>();
  if (!array || array->size() != 4) return result;
  const auto text = [](const CFValue& value) -> std::optional<std::string> {
    const auto* string = value.get<std::string>();
    return string ? std::optional(*string) : std::nullopt;
  };
  result.role = text((*array)[0]);
  result.subrole = text((*array)[1]);
  result.identifier = text((*array)[2]);
  if (const auto* parent = (*array)[3].get<AXUIElement>()) result.parent = *parent;
  return result;
}

}  // namespace quillo::ax
