// MenuReachability: whether every action the active keymap binds can be
// performed in the running Mail — by one of its menu paths, by Mail's own
// key equivalent for it, or by its fallback key — and, for those that
// cannot, a problem line for the user ("Archive: Mail has no menu item for
// it (tried Message › Archive, Message › Move To › Archive, ⌃⌘A)").
//
// A check reads Mail's menus once (MailMenuReader) and answers every action
// from that reading. It never runs on the key path: check() only posts
// work, and each turn of the main loop reads one top-level menu, so key
// events are handled between turns; a turn that would wait on a slow Mail
// longer than `mainLoopTurnBudget` stops and reads the rest of that menu in
// the next. It is bounded: the reader's request
// limit, a time limit for the whole check, and it gives up at the first
// request Mail does not answer. A check that could not read all of Mail's
// menus reports no problems (it cannot tell) rather than false ones.
// A new check replaces one under way. Main thread only; the accessibility
// service and the loop must outlive it; its posted work holds it weakly.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "BudgetedAccessibility.hpp"
#include "Lifeline.hpp"
#include "MailMenuSnapshot.hpp"
#include "Platform/Accessibility.hpp"
#include "Platform/MainLoop.hpp"
#include "QuilloCore/Keymap.hpp"

namespace quillo {

class MenuReachability {
 public:
  struct Limits {
    MailMenuReader::Limits reading{};
    /// The whole check, from the first read to the last.
    double seconds = 2.0;
  };

  MenuReachability(platform::Accessibility& ax, platform::MainLoop& loop, Limits limits);

  /// Starts checking `keymap` against the Mail process `pid`. Reads nothing
  /// before the loop runs the posted work.
  void check(pid_t pid, Keymap keymap);
  /// Drops the problems and any check under way (Mail can't be read now).
  /// Does not call onChange: the caller refreshes what it shows.
  void clear();

  /// The problem lines of the last finished check, in action order.
  const std::vector<std::string>& problems() const noexcept { return problems_; }
  /// The Mail process of the last complete check, and its menus as read
  /// then (empty when there is none).
  std::optional<pid_t> checkedPID() const noexcept { return checkedPID_; }
  const std::vector<MailMenuItem>& menus() const noexcept { return menus_; }
  /// The Mail process of the check under way, if any.
  std::optional<pid_t> checkingPID() const noexcept {
    return reader_ ? std::optional<pid_t>(pid_) : std::nullopt;
  }
  /// The accessibility requests of the last finished check.
  std::size_t requestsOfLastCheck() const noexcept { return requestsOfLastCheck_; }

  /// Called after a finished check that changed problems() or menus(), on
  /// the main loop. Must not outlive what it captures.
  void setOnChange(std::function<void()> hook) { onChange_ = std::move(hook); }

  /// The problem line for an action that cannot be performed, from what a
  /// check found; none when it can.
  static std::optional<std::string> problem(ActionID action, const Keymap& keymap,
                                            const std::vector<MailMenuItem>& menus);

 private:
  void post();
  void turn();
  void finish();
  /// Replaces what was found; true when that changed it.
  bool publish(std::vector<std::string> problems, std::optional<pid_t> pid,
               std::vector<MailMenuItem> menus);

  BudgetedAccessibility ax_;
  platform::MainLoop& loop_;
  Limits limits_;
  std::optional<MailMenuReader> reader_;
  pid_t pid_ = 0;
  std::optional<Keymap> keymap_;
  platform::WallClock::time_point started_{};
  std::uint64_t generation_ = 0;
  std::vector<std::string> problems_;
  std::optional<pid_t> checkedPID_;
  std::vector<MailMenuItem> menus_;
  std::size_t requestsOfLastCheck_ = 0;
  std::function<void()> onChange_;
  Lifeline<MenuReachability> lifeline_{this};
};

}  // namespace quillo
