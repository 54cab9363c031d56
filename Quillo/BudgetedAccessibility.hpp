// BudgetedAccessibility: Accessibility requests that keep within a time
// budget, so that a slow Mail never keeps a key event waiting long.
//
// Quillo reads Mail on its main thread, where the keyboard's events wait for
// it: inside the event tap's callback (the focus read of one key) and in the
// main loop's turns (menu walks). Each such piece of work begins a budget;
// every request made under it gets as its messaging time-out what is left of
// the budget, and once nothing is left no request is made at all. A request
// cut short that way, or refused, "runs out" the budget: the work stops
// there and carries on later (the next key, the next turn), never acting on
// a reading that time cut short.
//
// To carry on without asking again, answers are remembered while
// remembering is on (setRemembering), until forget(): a walk run again over the same
// elements in a later turn gets them at once and goes further. An answer is
// remembered whatever it says, except a time-out that the budget shortened:
// Mail may yet answer that one in a budget of its own. A time-out of the
// first request of a budget, which had the whole budget, is Mail's own
// answer, and is remembered: so every budget makes progress.
//
// Without a budget, requests go through as they are, each element with its
// own messaging time-out. The system-wide element's time-out is the whole
// process's, so requests on it are never given one; they are answered by the
// system, not by Mail. Main thread only; the service below must outlive it.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "Platform/Accessibility.hpp"
#include "Platform/MainLoop.hpp"

namespace quillo {

/// The longest a turn of Quillo's main loop may wait on Mail: a key event
/// that arrives meanwhile waits for the turn to end.
inline constexpr double mainLoopTurnBudget = 0.1;

/// Runs `work` in a later turn of the loop, behind the events already due
/// (a key that arrived during this turn): as delayed work without delay,
/// which takes its place in time order, where posted work may be run
/// first, before anything due.
inline void inLaterTurn(platform::MainLoop& loop, std::function<void()> work) {
  loop.schedule(platform::Duration(0), std::move(work));
}

class BudgetedAccessibility final : public platform::Accessibility {
 public:
  using Clock = std::function<platform::WallClock::time_point()>;

  BudgetedAccessibility(platform::Accessibility& ax, Clock clock);

  /// Starts a budget of `seconds` from now (replacing any other).
  void begin(double seconds);
  /// Ends the budget: requests go through as they are. What ran out stays
  /// told until the next begin() or unbounded().
  void end();
  /// Ends the budget and forgets that anything ran out.
  void unbounded();
  /// Seconds left of the budget (0 when spent); none without a budget.
  std::optional<double> remaining() const;
  /// Whether `seconds` are left (always, without a budget); when not, the
  /// budget has run out.
  bool affords(double seconds);
  /// Whether a request of this budget was cut short or refused by it.
  bool ranOut() const noexcept { return ranOut_; }
  /// Whether a request of this budget timed out, cut short or not.
  bool timedOut() const noexcept { return timedOut_; }
  /// Requests of this budget that reached the application (not answered
  /// from memory, not refused).
  std::size_t asked() const noexcept { return asked_; }

  /// Whether answers are remembered (and answered from memory).
  void setRemembering(bool on) noexcept { remembering_ = on; }
  /// Forgets every remembered answer.
  void forget() { remembered_.clear(); }
  std::size_t rememberedCount() const noexcept { return remembered_.size(); }

  // Accessibility
  bool isProcessTrusted() const override { return ax_.isProcessTrusted(); }
  bool isProcessTrustedWithOptions(bool prompt) override {
    return ax_.isProcessTrustedWithOptions(prompt);
  }
  platform::AXUIElement createSystemWide() override;
  platform::AXUIElement createApplication(pid_t pid) override { return ax_.createApplication(pid); }
  platform::AXError setMessagingTimeout(const platform::AXUIElement& element,
                                        float seconds) override {
    return ax_.setMessagingTimeout(element, seconds);
  }
  platform::AXError copyAttributeValue(const platform::AXUIElement& element,
                                       std::string_view attribute,
                                       platform::CFValue& value) override;
  platform::AXError copyMultipleAttributeValues(const platform::AXUIElement& element,
                                                const std::vector<std::string>& attributes,
                                                std::uint32_t options,
                                                platform::CFValue& values) override;
  platform::AXError getPid(const platform::AXUIElement& element, pid_t& pid) const override {
    return ax_.getPid(element, pid);
  }
  /// Never remembered: a press is done anew each time.
  platform::AXError performAction(const platform::AXUIElement& element,
                                  std::string_view action) override;

 private:
  /// Asks `request` under the budget; `key` names it for memory (none:
  /// never remembered).
  platform::AXError ask(const platform::AXUIElement& element, const std::string* key,
                        platform::CFValue& value,
                        const std::function<platform::AXError(platform::CFValue&)>& request);

  using Key = std::tuple<pid_t, std::uint64_t, std::string>;
  struct Answer {
    platform::AXError error;
    platform::CFValue value;
  };

  platform::Accessibility& ax_;
  Clock clock_;
  std::optional<platform::WallClock::time_point> deadline_;
  bool fresh_ = false;  // no request of this budget has reached the application yet
  bool ranOut_ = false;
  bool timedOut_ = false;
  std::size_t asked_ = 0;
  std::optional<platform::AXUIElement> systemWide_;
  std::map<Key, Answer> remembered_;
  bool remembering_ = false;
};

}  // namespace quillo
