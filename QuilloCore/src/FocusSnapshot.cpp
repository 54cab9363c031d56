#include "QuilloCore/FocusSnapshot.hpp"

namespace quillo {

std::string ElementInfo::label() const {
  std::string text = role ? *role : "?";
  if (subrole) text += "/" + *subrole;
  if (identifier) text += "#" + *identifier;
  return text;
}

const ElementInfo* FocusSnapshot::window() const noexcept {
  for (const auto& ancestor : ancestors) {
    if (ancestor.role && *ancestor.role == "AXWindow") return &ancestor;
  }
  return nullptr;
}

std::string FocusSnapshot::description() const {
  std::string text = focused.label();
  for (const auto& ancestor : ancestors) {
    text += " \u2039 ";
    text += ancestor.label();
  }
  return text;
}

}  // namespace quillo
