// Reading accessibility attributes as the values Quillo uses.
//
// A read that fails, has no value, or has a value of another type counts as
// absent: in the key path nothing fails loudly.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Accessibility.hpp"

namespace quillo::ax {

std::optional<std::string> string(platform::Accessibility& ax, const platform::AXUIElement& element,
                                  std::string_view attribute);
std::optional<bool> boolean(platform::Accessibility& ax, const platform::AXUIElement& element,
                            std::string_view attribute);
std::optional<platform::AXUIElement> element(platform::Accessibility& ax,
                                             const platform::AXUIElement& element,
                                             std::string_view attribute);
/// The entries of an array attribute that are elements; empty when absent.
std::vector<platform::AXUIElement> elements(platform::Accessibility& ax,
                                            const platform::AXUIElement& element,
                                            std::string_view attribute);

/// Role, subrole, identifier and parent, read in one request. Absent values
/// stay absent; a failed request gives an element without any of them.
struct ElementDetails {
  std::optional<std::string> role;
  std::optional<std::string> subrole;
  std::optional<std::string> identifier;
  std::optional<platform::AXUIElement> parent;
};
ElementDetails details(platform::Accessibility& ax, const platform::AXUIElement& element);

}  // namespace quillo::ax
