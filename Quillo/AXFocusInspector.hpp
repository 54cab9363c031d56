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
// are logged, as roles and identifiers — never titles or text. Main thread
// only.
#pragma once

#include <sys/types.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "DebugLog.hpp"
#include "Platform/Accessibility.hpp"
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

  AXFocusInspector(platform::Accessibility& ax, DebugLog& log,
                   FocusPolicy policy = FocusPolicy::default_());

  const FocusPolicy& policy() const override { return policy_; }
  void setPolicy(FocusPolicy policy) override { policy_ = std::move(policy); }
  void clearCachedFocus() override { cached_.reset(); }
  FocusContext context(pid_t pid) override;
  std::optional<FocusSnapshot> snapshot(pid_t pid) override;

  /// Whether a classification is cached (for tests and diagnostics).
  bool hasCachedFocus() const noexcept { return cached_.has_value(); }

 private:
  platform::AXUIElement applicationElement(pid_t pid);
  std::optional<platform::AXUIElement> focusedElement(const platform::AXUIElement& app);
  const std::vector<std::string>& windowContents(const platform::AXUIElement& window);
  FocusSnapshot snapshotOf(const platform::AXUIElement& focused);

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
  platform::Accessibility& ax_;
  platform::AXUIElement systemWide_;
  std::optional<ApplicationElement> app_;
  std::optional<CachedFocus> cached_;
  std::deque<WindowContents> windowContents_;  // most recently added first
};

}  // namespace quillo
