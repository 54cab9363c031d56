#include "AXFocusInspector.hpp"

#include "AXReading.hpp"

namespace quillo {

using platform::AXError;
using platform::AXUIElement;

namespace {

ElementInfo infoOf(const ax::ElementDetails& details) {
  return ElementInfo{details.role, details.subrole, details.identifier};
}

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
  std::string text;
  for (const auto& part : parts) {
    if (!text.empty()) text += separator;
    text += part;
  }
  return text;
}

}  // namespace

AXFocusInspector::AXFocusInspector(platform::Accessibility& ax, DebugLog& log, FocusPolicy policy)
    : policy_(std::move(policy)), log_(log), ax_(ax), systemWide_(ax.createSystemWide()) {}

AXUIElement AXFocusInspector::applicationElement(pid_t pid) {
  if (app_ && app_->pid == pid) return app_->element;
  const AXUIElement element = ax_.createApplication(pid);
  ax_.setMessagingTimeout(element, applicationTimeout);
  app_ = ApplicationElement{pid, element};
  cached_.reset();  // another process: the old focus means nothing here
  return element;
}

std::optional<AXUIElement> AXFocusInspector::focusedElement(const AXUIElement& app) {
  if (auto focused = ax::element(ax_, app, "AXFocusedUIElement")) return focused;
  return ax::element(ax_, app, "AXFocusedWindow");
}

const std::vector<std::string>& AXFocusInspector::windowContents(const AXUIElement& window) {
  for (const auto& entry : windowContents_) {
    if (entry.window == window) return entry.identifiers;
  }
  std::vector<std::string> identifiers;
  for (const AXUIElement& child : ax::elements(ax_, window, "AXChildren")) {
    if (auto identifier = ax::string(ax_, child, "AXIdentifier")) {
      identifiers.push_back(std::move(*identifier));
    }
  }
  windowContents_.push_front({window, std::move(identifiers)});
  if (windowContents_.size() > windowCacheSize) windowContents_.pop_back();
  return windowContents_.front().identifiers;
}

FocusSnapshot AXFocusInspector::snapshotOf(const AXUIElement& focused) {
  const ax::ElementDetails details = ax::details(ax_, focused);
  FocusSnapshot snapshot{.focused = infoOf(details)};
  if (details.role == "AXWindow") {
    snapshot.ancestors = {snapshot.focused};
    snapshot.windowContents = windowContents(focused);
    return snapshot;
  }
  std::optional<AXUIElement> current = details.parent;
  while (current && snapshot.ancestors.size() < maximumAncestors) {
    const ax::ElementDetails ancestor = ax::details(ax_, *current);
    if (ancestor.role == "AXApplication") break;
    snapshot.ancestors.push_back(infoOf(ancestor));
    if (ancestor.role == "AXWindow") {
      snapshot.windowContents = windowContents(*current);
      break;
    }
    current = ancestor.parent;
  }
  return snapshot;
}

FocusContext AXFocusInspector::context(pid_t pid) {
  const auto focusedApp = ax::element(ax_, systemWide_, "AXFocusedApplication");
  if (!focusedApp) return FocusContext::unknown;
  pid_t focusedPID = 0;
  if (ax_.getPid(*focusedApp, focusedPID) != AXError::success || focusedPID != pid) {
    return FocusContext::unknown;  // the system says another application has the keyboard
  }
  const auto focused = focusedElement(applicationElement(pid));
  if (!focused) {
    cached_.reset();
    return FocusContext::unknown;
  }
  if (cached_ && cached_->element == *focused) return cached_->context;

  const FocusSnapshot reading = snapshotOf(*focused);
  const FocusContext context = FocusClassifier::classify(reading, policy_);
  cached_ = CachedFocus{*focused, context};
  if (log_.isEnabled) {
    log_.log("focus changed: " + reading.description() + " [window has " +
             joined(reading.windowContents, ", ") + "] \u2192 " + std::string(rawValue(context)));
  }
  return context;
}

std::optional<FocusSnapshot> AXFocusInspector::snapshot(pid_t pid) {
  const auto focused = focusedElement(applicationElement(pid));
  if (!focused) return std::nullopt;
  return snapshotOf(*focused);
}

}  // namespace quillo
