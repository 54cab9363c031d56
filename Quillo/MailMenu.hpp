// Mail's menus, as Quillo uses them: the menu nodes it walks, the action
// executor that presses their items, and the menu and window diagnostics.
//
// Three units, in this order:
// - Menu nodes: AXMenuNode and menuBarItems read Mail's menu bar over
//   Accessibility as a tree the menu path resolver can walk.
// - Action executor: finds an action's menu item in Mail's menu bar (trying
//   the action's menu paths in order, remembering per action the item found
//   last time), checks that it is enabled and presses it. When no path
//   resolves it posts the action's fallback key to Mail instead — a bare named
//   key, from a private event source marked with `ownEventMarker`, so the key
//   interceptor lets the program's own keys through. A disabled item is
//   reported, not pressed, and nothing is posted in its place. A press Mail
//   does not answer in time is reported as unconfirmed, not as failed: on a
//   Mac that is how a command that runs a modal sheet answers. Nothing is
//   shown to the user; the outcome goes to the debug log. Actions are done
//   one after another, each in as many turns of the main loop as a slow
//   Mail needs: no turn waits on Mail longer than `mainLoopTurnBudget`, so
//   key events get their turn between. An action done by Quillo itself
//   (showShortcuts) is handed to the app in its turn, and Mail is not asked.
// - Menu and window diagnostics: what Quillo can reach in Mail's menus and
//   windows, written to the debug log whether or not debug logging is on.
// Main thread only.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "BudgetedAccessibility.hpp"
#include "DebugLog.hpp"
#include "Lifeline.hpp"
#include "MailMenuSnapshot.hpp"
#include "Platform/Accessibility.hpp"
#include "Platform/EventServices.hpp"
#include "Platform/MainLoop.hpp"
#include "QuilloCore/ActionID.hpp"
#include "QuilloCore/ActionSpec.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "QuilloCore/Keymap.hpp"
#include "QuilloCore/MenuResolver.hpp"

namespace quillo {

// MARK: - Menu nodes

/// A menu-bar item or menu item of Mail, walked by the menu path resolver.
/// Its children skip the AXMenu level in between: the children of a menu-bar
/// item are the items of its menu.
class AXMenuNode {
 public:
  AXMenuNode(platform::AXUIElement element, platform::Accessibility& ax)
      : element_(element), ax_(&ax) {}

  std::optional<std::string> title() const;
  std::vector<AXMenuNode> children() const;
  const platform::AXUIElement& element() const noexcept { return element_; }

 private:
  platform::AXUIElement element_;
  platform::Accessibility* ax_;
};
static_assert(MenuTreeNode<AXMenuNode>);

/// Mail's top-level menus, left to right, without the Apple menu; empty when
/// the menu bar cannot be read.
std::vector<AXMenuNode> menuBarItems(platform::Accessibility& ax, pid_t pid);

// MARK: - Action executor

/// The source user data of every key event Quillo posts: "QLO!".
inline constexpr std::int64_t ownEventMarker = 0x514C4F21;

/// What performing one action did.
class ActionOutcome {
 public:
  struct Pressed {
    MenuPath path;
    bool operator==(const Pressed&) const = default;
  };
  struct Disabled {
    MenuPath path;
    bool operator==(const Disabled&) const = default;
  };
  /// Pressed, but Mail did not answer before the messaging time-out (a slow
  /// command, or one that runs a modal sheet, answers only when done): it
  /// has most likely done it, though Quillo cannot tell.
  struct Unconfirmed {
    MenuPath path;
    platform::AXError error;
    bool operator==(const Unconfirmed&) const = default;
  };
  struct Posted {
    KeyToken::NamedKey key;
    bool operator==(const Posted&) const = default;
  };
  struct Failed {
    std::string message;
    bool operator==(const Failed&) const = default;
  };
  struct Unavailable {
    bool operator==(const Unavailable&) const = default;
  };
  /// An action Quillo carries out itself (showShortcuts), handed to the app,
  /// which says what it did ("opened the panel").
  struct DoneByQuillo {
    std::string what;
    bool operator==(const DoneByQuillo&) const = default;
  };
  using Value =
      std::variant<Pressed, Disabled, Unconfirmed, Posted, Failed, Unavailable, DoneByQuillo>;

  template <class Case>
  requires std::is_constructible_v<Value, Case> ActionOutcome(Case outcome)
      : value(std::move(outcome)) {}  // NOLINT: implicit by design

  /// "pressed Message › Archive", "Message › Archive is disabled",
  /// "pressed Message › Archive, unconfirmed: Mail didn't answer in time
  /// (AXPress returned -25204)", "posted down", "failed: …", "no matching
  /// menu item and no fallback key", "opened the panel".
  std::string description() const;

  Value value;
  bool operator==(const ActionOutcome&) const = default;
};

class ActionPerforming {
 public:
  using Done = std::function<void(const ActionOutcome&)>;
  virtual ~ActionPerforming() = default;
  /// Performs `action` for the Mail process `pid` after the actions asked
  /// for before it, and calls `done` with the outcome on the main loop
  /// (perhaps before returning).
  virtual void perform(ActionID action, const ActionSpec& spec, pid_t pid, Done done) = 0;
};

class ActionExecutor final : public ActionPerforming {
 public:
  /// The menus searched by an anywhere path: an item in a menu, or in
  /// submenus down to three levels below it.
  static constexpr int anywhereDepth = 4;

  /// A press is made in a turn only with at least this much of the turn's
  /// budget left, else at the start of the next: it is not made twice.
  static constexpr double pressTime = mainLoopTurnBudget / 2;

  /// The executor's posted work holds it weakly.
  ActionExecutor(platform::Accessibility& ax, platform::EventServices& events,
                 platform::MainLoop& loop)
      : ax_(ax, [&loop] { return loop.now(); }), events_(events), loop_(loop) {}

  void perform(ActionID action, const ActionSpec& spec, pid_t pid, Done done) override;
  /// The same at once, however long Mail takes, with nothing queued before.
  ActionOutcome perform(ActionID action, const ActionSpec& spec, pid_t pid);
  /// Presses a menu item already found (a mailbox of the picker's menu) for
  /// `action`, in its turn after the actions asked for before it, within a
  /// turn's budget like them; `path` is what the outcome names.
  void press(ActionID action, platform::AXUIElement item, MenuPath path, pid_t pid, Done done);
  /// Actions asked for and not yet done.
  std::size_t pendingCount() const noexcept { return jobs_.size(); }

  /// The item found last time, per action.
  struct Resolved {
    pid_t pid;
    AXMenuNode node;
    /// The ActionSpec's path that found it, or (found by its key equivalent) the
    /// titles that lead to it in this Mail.
    MenuPath path;
    /// Set when the item was found by Mail's own key equivalent for the
    /// action: the cache then checks the item still carries it, as its
    /// title, in Mail's language, says nothing Quillo knows.
    std::optional<KeyChord> keyEquivalent;
  };
  /// Starts empty; never written to disk.
  const std::map<ActionID, Resolved>& resolved() const noexcept { return resolved_; }
  /// Empties the cache: the items found belong to a keymap no longer in use.
  void forgetResolvedItems() { resolved_.clear(); }

  /// Told once per action and Mail process that an item was found by its
  /// key equivalent ("archive: found Nachricht › Archivieren by its key
  /// equivalent ⌃⌘A"). Called on the main thread inside perform.
  void setOnFoundByKeyEquivalent(std::function<void(const std::string&)> hook) {
    onFoundByKeyEquivalent_ = std::move(hook);
  }
  /// Mail's menus as already read for this Mail process (by the check after
  /// Mail launched), or null: searching them spares the walk of Mail's menus
  /// on the first press of each action. Must not outlive what it captures.
  void setMenusRead(std::function<const std::vector<MailMenuItem>*(pid_t)> source) {
    menusRead_ = std::move(source);
  }
  /// Carries out an action done by Quillo itself (isDoneByQuillo) instead of
  /// looking in Mail's menus, and says what it did; it runs in its turn
  /// after the actions asked for before it. Without it, such an action
  /// fails. Must not outlive what it captures.
  void setOnDoneByQuillo(std::function<std::string(ActionID)> hook) {
    onDoneByQuillo_ = std::move(hook);
  }

 private:
  struct Found {
    platform::AXUIElement element;
    MenuPath path;
  };
  struct Job {
    ActionID action;
    ActionSpec spec;
    pid_t pid;
    Done done;
    /// An item to press as it is, in place of finding the action's.
    std::optional<Found> item;
  };
  /// Performs the first queued action within one turn's budget.
  void turn();
  void postTurn();
  /// The outcome of `job`, or none when the budget ran out first (the
  /// answers so far are remembered for the next try).
  std::optional<ActionOutcome> attempt(ActionID action, const ActionSpec& spec, pid_t pid);
  std::optional<Found> find(ActionID action, const ActionSpec& spec, pid_t pid);
  /// Presses an item found, when enabled; none when the budget ran out.
  /// An item `readEarlier` (not found in this turn) that does not answer is
  /// gone, not disabled.
  std::optional<ActionOutcome> pressFound(const Found& found, bool readEarlier);
  /// The one item of Mail's menus that carries Mail's own shortcut for the
  /// action (read with a bounded walk of the menus), cached when found.
  std::optional<Found> findByKeyEquivalent(ActionID action, pid_t pid);
  ActionOutcome post(KeyToken::NamedKey key, pid_t pid);

  BudgetedAccessibility ax_;
  platform::EventServices& events_;
  platform::MainLoop& loop_;
  /// The actions already announced as found by key equivalent, per Mail.
  std::map<ActionID, pid_t> announced_;
  std::map<ActionID, Resolved> resolved_;
  std::function<void(const std::string&)> onFoundByKeyEquivalent_;
  std::function<const std::vector<MailMenuItem>*(pid_t)> menusRead_;
  std::function<std::string(ActionID)> onDoneByQuillo_;
  std::deque<Job> jobs_;
  bool turnPosted_ = false;
  Lifeline<ActionExecutor> lifeline_{this};
};

// MARK: - Menu and window diagnostics

/// The label of an element: its role ("?" without one), then "/" and its
/// subrole, then "#" and its identifier, read in one request.
std::string elementLabel(platform::Accessibility& ax, const platform::AXUIElement& element);

/// The lines of the menu check: per action, whether its menu paths resolve
/// in Mail's menus now (and whether the item is enabled); when none does,
/// which item carries Mail's own shortcut for it ("⌃⌘A: Nachricht ›
/// Archivieren ✓ enabled (found by its key equivalent)", "⌃⌘A ✗ (on 2 menu
/// items: …)"); and its key.
std::vector<std::string> menuCheckLines(platform::Accessibility& ax, pid_t pid,
                                        const Keymap& keymap);
/// The lines of Mail's menus and items (not the Window menu, which lists
/// open windows, nor the second-to-last menu).
std::vector<std::string> menuStructureLines(platform::Accessibility& ax, pid_t pid);
/// The lines of Mail's windows: tables, outlines and elements with a "Mail."
/// identifier, with the path of labels that leads to each.
std::vector<std::string> windowStructureLines(platform::Accessibility& ax, pid_t pid);

/// The diagnostics of Mail's menus and windows, each a header line and its
/// lines indented, or one line saying that Mail isn't running. Every line
/// goes to the debug log with `always`.
///
/// A reading may walk hundreds of Mail's elements; done in one turn, a slow
/// Mail would keep the keyboard waiting for it. So each reading runs in as
/// many turns of the main loop as Mail needs, none waiting on it longer than
/// `mainLoopTurnBudget`: the answers are remembered, and the reading starts
/// again in the next turn, getting them at once and going further, until it
/// finishes within one turn. Its lines are written then. Readings are done
/// one after another in the order asked; a quick Mail's is done before
/// read() returns. Main thread only; holds its references, which must
/// outlive it, and its posted work holds it weakly.
class MenuDiagnostics {
 public:
  /// All the lines of one reading, made from the accessibility given (the
  /// budgeted one), perhaps several times; it must not outlive what it
  /// captures.
  using Reading = std::function<std::vector<std::string>(platform::Accessibility&)>;

  MenuDiagnostics(platform::Accessibility& ax, DebugLog& log, platform::MainLoop& loop)
      : ax_(ax, [&loop] { return loop.now(); }), log_(log), loop_(loop) {}

  /// Per action of `keymap` (a copy is kept), whether its menu paths
  /// resolve in Mail's menus.
  void menuCheck(std::optional<pid_t> mail, const Keymap& keymap);
  void menuStructure(std::optional<pid_t> mail);
  void windowStructure(std::optional<pid_t> mail);
  /// Any reading of Mail, split across turns as above.
  void read(Reading reading);
  /// Readings asked for and not yet written.
  std::size_t pendingCount() const noexcept { return readings_.size(); }

 private:
  void write(const std::string& name, std::optional<pid_t> mail, std::string header,
             std::function<std::vector<std::string>(platform::Accessibility&, pid_t)> lines);
  void turn();
  void postTurn();

  BudgetedAccessibility ax_;
  DebugLog& log_;
  platform::MainLoop& loop_;
  std::deque<Reading> readings_;
  bool turnPosted_ = false;
  Lifeline<MenuDiagnostics> lifeline_{this};
};

}  // namespace quillo
