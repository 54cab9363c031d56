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

AXFocusInspector::AXFocusInspector(platform::Accessibility& ax, DebugLog& log,
                                   platform::MainLoop& loop, FocusPolicy policy)
    : policy_(std::move(policy)),
      log_(log),
      loop_(loop),
      ax_(ax, [&loop] { return loop.now(); }),
      systemWide_(ax_.createSystemWide()) {}

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

std::vector<std::string> AXFocusInspector::windowContents(const AXUIElement& window) {
  for (const auto& entry : windowContents_) {
    if (entry.window == window) return entry.identifiers;
  }
  std::vector<std::string> identifiers;
  for (const AXUIElement& child : ax::elements(ax_, window, "AXChildren")) {
    if (auto identifier = ax::string(ax_, child, "AXIdentifier")) {
      identifiers.push_back(std::move(*identifier));
    }
  }
  // Contents that time cut short are not the window's: read them again.
  if (ax_.ranOut()) return identifiers;
  windowContents_.push_front({window, identifiers});
  if (windowContents_.size() > windowCacheSize) windowContents_.pop_back();
  return identifiers;
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
  ax_.begin(keyBudget);
  const auto result = [&]() -> std::optional<FocusContext> {
    const auto focusedApp = ax::element(ax_, systemWide_, "AXFocusedApplication");
    if (!focusedApp) return FocusContext::unknown;
    pid_t focusedPID = 0;
    if (ax_.getPid(*focusedApp, focusedPID) != AXError::success || focusedPID != pid) {
      return FocusContext::unknown;  // the system says another application has the keyboard
    }
    const auto focused = focusedElement(applicationElement(pid));
    if (!focused) {
      cached_.reset();
      if (outOfTime()) return std::nullopt;
      return FocusContext::unknown;
    }
    if (cached_ && cached_->element == *focused) return cached_->context;
    if (auto context = classify(*focused)) return context;
    finishLater();
    return std::nullopt;
  }();
  ax_.end();
  if (!result) {
    if (!outOfTimeLogged_) {
      outOfTimeLogged_ = true;
      log_.log("Mail's focus could not be read within " +
               std::to_string(static_cast<int>(keyBudget * 1000 + 0.5)) +
               " ms: keys pass until it can");
    }
    return FocusContext::unknown;
  }
  outOfTimeLogged_ = false;
  return *result;
}

std::optional<FocusContext> AXFocusInspector::classify(const AXUIElement& focused) {
  // Answers are remembered for this element's reading only: another
  // focused element starts afresh.
  if (!reading_ || !(*reading_ == focused)) {
    ax_.forget();
    reading_ = focused;
  }
  ax_.setRemembering(true);
  const FocusSnapshot reading = snapshotOf(focused);
  ax_.setRemembering(false);
  if (outOfTime()) return std::nullopt;
  ax_.forget();
  reading_.reset();
  const FocusContext context = FocusClassifier::classify(reading, policy_);
  cached_ = CachedFocus{focused, context};
  if (log_.isEnabled()) {
    log_.log("focus changed: " + reading.description() + " [window has " +
             joined(reading.windowContents, ", ") + "] \u2192 " + std::string(rawValue(context)));
  }
  return context;
}

void AXFocusInspector::finishLater() {
  if (finishing_) return;
  finishing_ = true;
  inLaterTurn(loop_, [weak = lifeline_.weak()] {
    if (auto* self = Lifeline<AXFocusInspector>::lock(weak)) self->finishTurn();
  });
}

void AXFocusInspector::finishTurn() {
  finishing_ = false;
  if (!reading_) return;  // a key finished it
  const AXUIElement focused = *reading_;
  ax_.begin(mainLoopTurnBudget);
  const bool done = classify(focused).has_value();
  ax_.end();
  if (!done) finishLater();
}

std::optional<FocusSnapshot> AXFocusInspector::snapshot(pid_t pid) {
  const AXUIElement app = applicationElement(pid);
  ax_.setMessagingTimeout(app, applicationTimeout);  // a key's budget may have lowered it
  const auto focused = focusedElement(app);
  if (!focused) return std::nullopt;
  return snapshotOf(*focused);
}

}  // namespace quillo
