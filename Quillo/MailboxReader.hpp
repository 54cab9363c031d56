// MailboxReader: the mailboxes of Mail's Move To (or Copy To) menu, read
// over Accessibility for the mailbox picker, with the menu item of each.
//
// The menu is the one the action's menu paths lead to ("Message › Move
// To"). In a Mail whose titles none of the paths name (another language),
// it is found by its shape: Move To and Copy To are neighbouring submenus
// (separators between them aside) that list the same titles — the first of
// such a pair is Move To, the second Copy To. Under the menu, an item with
// a submenu of its own is an account or a mailbox holding others, and its
// title becomes part of the path; every other titled item is a mailbox.
//
// Reading never blocks the keyboard: read() only posts work, and each turn
// of the main loop reads within `mainLoopTurnBudget` (answers remembered
// from earlier turns are not asked again). It is bounded: a request limit,
// a depth limit, a time limit for the whole reading; past the request or
// time limit the menu counts as unreadable, past the depth limit what lies
// deeper is not listed. A new reading replaces one under way, whose done is
// never called. Main thread only; the service and the loop must outlive it,
// and its posted work holds it weakly.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <vector>

#include "BudgetedAccessibility.hpp"
#include "Lifeline.hpp"
#include "MailboxPicker.hpp"
#include "Platform/Accessibility.hpp"
#include "Platform/MainLoop.hpp"
#include "QuilloCore/ActionSpec.hpp"

namespace quillo {

class MailboxReader {
 public:
  struct Limits {
    std::size_t requests = 12000;
    /// Levels of submenus under the menu (an account, then mailboxes
    /// holding others).
    int depth = 6;
    double seconds = 5.0;
  };
  struct Listing {
    /// read, noMenu or unreadable.
    MailboxPicker::ListState state = MailboxPicker::ListState::unreadable;
    std::vector<Mailbox> mailboxes;
    /// The menu item of each mailbox, in the same order.
    std::vector<platform::AXUIElement> items;
    /// The titles that lead to the menu read ("Message", "Move To").
    MenuPath menu;
    /// Requests that reached Mail, over every turn.
    std::size_t requests = 0;
  };
  using Done = std::function<void(Listing)>;

  MailboxReader(platform::Accessibility& ax, platform::MainLoop& loop, Limits limits);

  /// Starts reading, in Mail `pid`, the menu that one of `paths` leads to
  /// (for `purpose`, when the shape has to tell). Reads nothing before the
  /// loop runs the posted work; `done` is called on the main loop.
  void read(pid_t pid, MailboxPicker::Purpose purpose, std::vector<MenuPath> paths, Done done);
  /// Drops a reading under way; its done is never called.
  void cancel();
  bool isReading() const noexcept { return static_cast<bool>(done_); }

 private:
  struct Walk;
  void post();
  void turn();
  /// One complete walk from the menu bar; none when the budget ran out.
  std::optional<Listing> walk();

  BudgetedAccessibility ax_;
  platform::MainLoop& loop_;
  Limits limits_;
  pid_t pid_ = 0;
  MailboxPicker::Purpose purpose_ = MailboxPicker::Purpose::move;
  std::vector<MenuPath> paths_;
  Done done_;
  platform::WallClock::time_point started_{};
  std::size_t requests_ = 0;
  std::uint64_t generation_ = 0;
  Lifeline<MailboxReader> lifeline_{this};
};

}  // namespace quillo
