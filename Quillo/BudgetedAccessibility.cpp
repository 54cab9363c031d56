#include "BudgetedAccessibility.hpp"

#include <algorithm>

namespace quillo {

using platform::AXError;
using platform::AXUIElement;
using platform::CFValue;

namespace {

/// Below this, a request is not worth making: no application answers in it.
constexpr double kShortestTimeout = 0.001;

bool sameElement(const std::optional<AXUIElement>& a, const AXUIElement& b) {
  return a && *a == b;
}

}  // namespace

BudgetedAccessibility::BudgetedAccessibility(platform::Accessibility& ax, Clock clock)
    : ax_(ax), clock_(std::move(clock)) {}

void BudgetedAccessibility::begin(double seconds) {
  deadline_ = clock_() + std::chrono::duration_cast<platform::WallClock::duration>(
                             platform::Duration(std::max(seconds, 0.0)));
  fresh_ = true;
  ranOut_ = false;
  timedOut_ = false;
  asked_ = 0;
}

void BudgetedAccessibility::end() {
  deadline_.reset();
  fresh_ = false;
}

void BudgetedAccessibility::unbounded() {
  end();
  ranOut_ = false;
  timedOut_ = false;
  asked_ = 0;
}

std::optional<double> BudgetedAccessibility::remaining() const {
  if (!deadline_) return std::nullopt;
  return std::max(platform::Duration(*deadline_ - clock_()).count(), 0.0);
}

bool BudgetedAccessibility::affords(double seconds) {
  const auto left = remaining();
  if (!left || *left >= seconds) return true;
  ranOut_ = true;
  return false;
}

AXUIElement BudgetedAccessibility::createSystemWide() {
  const AXUIElement element = ax_.createSystemWide();
  systemWide_ = element;
  return element;
}

AXError BudgetedAccessibility::ask(const AXUIElement& element, const std::string* key,
                                   CFValue& value,
                                   const std::function<AXError(CFValue&)>& request) {
  const bool memory = remembering_ && key;
  Key name;
  if (memory) {
    name = Key{element.pid, element.element, *key};
    if (const auto found = remembered_.find(name); found != remembered_.end()) {
      value = found->second.value;
      return found->second.error;
    }
  }
  const bool timed = deadline_ && !sameElement(systemWide_, element);
  bool cut = false;  // the time-out is shorter than the whole budget
  if (timed) {
    const double left = *remaining();
    if (left < kShortestTimeout) {
      ranOut_ = true;
      return AXError::cannotComplete;
    }
    ax_.setMessagingTimeout(element, static_cast<float>(left));
    cut = !fresh_;
    fresh_ = false;
  }
  ++asked_;
  const AXError error = request(value);
  if (error == AXError::cannotComplete && timed) timedOut_ = true;
  if (error == AXError::cannotComplete && cut) {
    ranOut_ = true;  // Mail may answer it with a budget of its own
    return error;
  }
  if (memory) remembered_.insert_or_assign(std::move(name), Answer{error, value});
  return error;
}

AXError BudgetedAccessibility::copyAttributeValue(const AXUIElement& element,
                                                  std::string_view attribute, CFValue& value) {
  const std::string key(attribute);
  return ask(element, &key, value,
             [&](CFValue& into) { return ax_.copyAttributeValue(element, attribute, into); });
}

AXError BudgetedAccessibility::copyMultipleAttributeValues(
    const AXUIElement& element, const std::vector<std::string>& attributes, std::uint32_t options,
    CFValue& values) {
  std::string key = "\n" + std::to_string(options);  // no attribute name holds a line feed
  for (const auto& attribute : attributes)
    key += "\n" + attribute;
  return ask(element, &key, values, [&](CFValue& into) {
    return ax_.copyMultipleAttributeValues(element, attributes, options, into);
  });
}

AXError BudgetedAccessibility::performAction(const AXUIElement& element, std::string_view action) {
  CFValue unused;
  return ask(element, nullptr, unused,
             [&](CFValue&) { return ax_.performAction(element, action); });
}

}  // namespace quillo
