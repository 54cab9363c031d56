// FocusInspecting and AXFocusInspector: where Mail's keyboard focus is.
//
// Reads Mail's focused element over Accessibility, its ancestors up to its
// window (at most 40) and the identifiers of that window's direct children,
// and classifies the reading with the current focus policy. Three caches
// keep a key press cheap: Mail's application element (per process), the last
// focused element with its classification, and the contents of the 8 most
// recently seen windows (read once, when a window is first met). A key press
// in an unchanged focused element costs two requests: the system's focused
// application and Mail's focused element.
//
// Every failure degrades to a value: an unreadable attribute is absent, a
// focus that cannot be established is `unknown`. Only new classifications
// are logged, as roles and identifiers — never titles or text.
//
// The key waits while its focus is read, so one key's reading has a budget
// of `keyBudget` for all its requests together. A reading the budget cuts
// short gives `unknown` (the key passes) and goes on in the main loop's
// turns, each within `mainLoopTurnBudget`, from where it stopped; once done,
// its classification is cached for the keys that follow. Running out is
// logged once, until a key's focus is read in time again. Main thread only;
// the loop must outlive the inspector, whose posted work holds it weakly.
#pragma once

#include <sys/types.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "BudgetedAccessibility.hpp"
#include "DebugLog.hpp"
#include "Lifeline.hpp"
#include "Platform/Accessibility.hpp"
#include "Platform/MainLoop.hpp"
#include "QuilloCore/FocusClassifier.hpp"

namespace quillo {

class FocusInspecting {
 public:
  virtual ~FocusInspecting() = default;
  virtual const FocusPolicy& policy() const = 0;
  virtual void setPolicy(FocusPolicy policy) = 0;
  /// Forgets the cached focused element, so the next query classifies anew.
  virtual void clearCachedFocus() = 0;
  /// The classification of Mail's current focus, for the Mail process `pid`.
  virtual FocusContext context(pid_t pid) = 0;
  /// A reading of Mail's focus, neither classified nor logged nor cached.
  virtual std::optional<FocusSnapshot> snapshot(pid_t pid) = 0;
};

class AXFocusInspector final : public FocusInspecting {
 public:
  static constexpr std::size_t maximumAncestors = 40;
  static constexpr std::size_t windowCacheSize = 8;
  /// Mail's application element answers within this time or not at all.
  static constexpr float applicationTimeout = 0.1f;
  /// All the requests of one key's focus read together. A key in an
  /// unchanged focus costs one request of Mail's, so a Mail that answers
  /// within this keeps its shortcuts; a reading that needs more waits no
  /// longer, and is finished between keys.
  static constexpr double keyBudget = 0.06;

  AXFocusInspector(platform::Accessibility& ax, DebugLog& log, platform::MainLoop& loop,
                   FocusPolicy policy = FocusPolicy::default_());

  const FocusPolicy& policy() const override { return policy_; }
  void setPolicy(FocusPolicy policy) override { policy_ = std::move(policy); }
  void clearCachedFocus() override { cached_.reset(); }
  FocusContext context(pid_t pid) override;
  std::optional<FocusSnapshot> snapshot(pid_t pid) override;

  /// Whether a classification is cached (for tests and diagnostics).
  bool hasCachedFocus() const noexcept { return cached_.has_value(); }
  /// Whether a reading cut short by its key's budget is still to finish.
  bool isReadingLate() const noexcept { return reading_.has_value(); }

 private:
  platform::AXUIElement applicationElement(pid_t pid);
  std::optional<platform::AXUIElement> focusedElement(const platform::AXUIElement& app);
  std::vector<std::string> windowContents(const platform::AXUIElement& window);
  FocusSnapshot snapshotOf(const platform::AXUIElement& focused);
  /// Reads and classifies `focused` under the budget begun, caching the
  /// result; none when the budget ran out first.
  std::optional<FocusContext> classify(const platform::AXUIElement& focused);
  /// Whether a request of the budget begun was cut short, refused or timed out.
  bool outOfTime() const { return ax_.ranOut() || ax_.timedOut(); }
  void finishLater();
  void finishTurn();

  struct ApplicationElement {
    pid_t pid;
    platform::AXUIElement element;
  };
  struct CachedFocus {
    platform::AXUIElement element;
    FocusContext context;
  };
  struct WindowContents {
    platform::AXUIElement window;
    std::vector<std::string> identifiers;
  };

  FocusPolicy policy_;
  DebugLog& log_;
  platform::MainLoop& loop_;
  BudgetedAccessibility ax_;
  platform::AXUIElement systemWide_;
  std::optional<ApplicationElement> app_;
  std::optional<CachedFocus> cached_;
  std::deque<WindowContents> windowContents_;  // most recently added first
  /// The focused element whose reading ran out and goes on between keys.
  std::optional<platform::AXUIElement> reading_;
  bool finishing_ = false;  // a turn of it is posted
  bool outOfTimeLogged_ = false;
  Lifeline<AXFocusInspector> lifeline_{this};
};

}  // namespace quillo
