// ScenarioRunner: carries out scenario steps on the simulated Mac and tells
// what happened.
//
// Each step's observations are, in this order: Quillo's decision for each
// key-down (with the fate of key events for single presses), the outcome of
// each performed action, keys Quillo posted, Mail's visible changes, the
// front application, Quillo's status, permission prompts and System Settings
// pages, and new debug-log and system-log lines. `expect` steps check a fact
// and report a failure instead of observations.
#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Session/LoopDriver.hpp"
#include "Session/MailState.hpp"
#include "Session/Scenario.hpp"
#include "Session/ScenarioHost.hpp"
#include "Simulator/User.hpp"

namespace quillo::simulated {

struct StepResult {
  std::vector<std::string> observations;
  std::vector<std::string> failures;  // expectations that did not hold, errors
};

class ScenarioRunner {
 public:
  ScenarioRunner(sim::SimulatedMac& mac, sim::User& user, ScenarioHost& host, LoopDriver& loop);

  StepResult run(const ScenarioStep& step);

  /// Runs every step. Golden comparison: `mismatches` lists the steps whose
  /// observations differ from their "> " lines; `rendered` is the file as
  /// it would be with the actual observations.
  struct Outcome {
    std::vector<std::vector<std::string>> observations;
    std::vector<std::string> failures;
    std::vector<std::string> mismatches;
    std::string rendered;
  };
  Outcome runAll(const Scenario& scenario);
  /// How a step's observations differ from its "> " lines, as a golden test
  /// shows it ("line N (step):" then "  - expected" and "  + actual" lines);
  /// nothing when they agree.
  static std::optional<std::string> difference(const ScenarioStep& step,
                                               const std::vector<std::string>& observations);

  /// The steps as `quillo --help` lists them: in each entry the ways of
  /// writing one or more steps, then what they do.
  struct HelpEntry {
    std::vector<std::string> usages;
    std::string description;
  };
  static std::vector<HelpEntry> help();

  /// The host replaced Quillo's process with a new one, not yet started
  /// (Quillo quit itself): its key interceptor is followed from now on.
  void processReplaced() { observeInterceptor(); }

 private:
  /// Fails the step unless Quillo is running.
  void requireQuillo() const;
  using Words = std::vector<std::string>;
  template <class Run>
  struct Form;
  using Step = Form<void (*)(ScenarioRunner&, const Words&, const ScenarioStep&)>;
  /// Adds what was expected to `unmet` when it does not hold.
  using Expectation = Form<void (*)(ScenarioRunner&, const Words&, Words& unmet)>;
  /// Every step, tried in order; each area's steps are in a file of its own.
  static const std::vector<Step>& steps();
  static std::vector<Step> systemSteps();
  static std::vector<Step> keySteps();
  static std::vector<Step> panelSteps();
  static std::vector<Step> menuSteps();
  static std::vector<Step> mailSteps();
  static std::vector<Step> fileSteps();
  static const std::vector<Expectation>& expectations();

  void execute(const ScenarioStep& step);
  void expect(const Words& words, StepResult& result);
  /// The whole debug log, for expectations.
  std::vector<std::string> debugLogLines() const;
  /// The debug log's lines written since the last call, read from where
  /// that call stopped: a step costs the same however long the log is.
  std::vector<std::string> newDebugLogLines();
  /// Follows the decisions and actions of the current app controller.
  void observeInterceptor();
  void folderFault(ScenarioHost::FolderFault fault);
  void save(const std::string& name, const std::string& how, const std::vector<std::string>& block);
  std::string targetName(pid_t pid) const;
  static std::string details(const sim::WindowServer::LoggedEvent& event);
  /// The open status menu as `show menu` prints it; when `plain` is given,
  /// every item's marks and title are added to it, without the parentheses
  /// of a disabled item or the mark of a submenu. Fails when it is closed.
  std::vector<std::string> menuLines(std::vector<std::string>* plain = nullptr) const;
  /// What Quillo's status item shows, as one transcript line per change.
  struct StatusItemLook {
    std::string symbol;
    std::string description;
    bool dimmed = false;
    double alpha = 1.0;
    std::string toolTip;
  };
  StatusItemLook statusItemLook() const;
  static std::optional<std::string> lookChange(const StatusItemLook& before,
                                               const StatusItemLook& after);
  /// What a step's observations compare, taken before it and after it: the
  /// state shown as it is, and how far each record of what happened
  /// (logged key events, permission prompts, opened URLs and files, files
  /// revealed, alerts) had grown.
  struct Snapshot {
    MailState mail;
    std::optional<std::string> status;
    StatusItemLook look;
    bool panelOpen = false;
    bool pickerOpen = false;
    std::uint64_t events = 0;
    std::size_t prompts = 0;
    std::size_t openedURLs = 0;
    std::size_t openedFiles = 0;
    std::size_t revealedFiles = 0;
    std::size_t alerts = 0;
  };
  Snapshot snapshot() const;
  /// The observations of what differs between the snapshots, with what the
  /// step itself read (the menu shown, the panel's lines) in its place.
  void addChanges(const Snapshot& before, const Snapshot& after,
                  std::vector<std::string>& out) const;
  /// Quillo's decisions on the step's key-downs.
  void addDecisions(std::vector<std::string>& out) const;
  /// What the key events logged since `before` show: the fates of a single
  /// press's keys, with timing on how long keys were held, the actions
  /// performed, and the keys posted (by target).
  void addKeyEvents(const Snapshot& before, std::vector<std::string>& out);

  sim::SimulatedMac& mac_;
  sim::User& user_;
  ScenarioHost& host_;
  LoopDriver& loop_;
  bool singleKeyStep_ = false;
  bool typingStep_ = false;
  struct Decided {
    std::string key;
    std::string decision;
  };
  std::vector<Decided> decisions_;
  std::vector<std::string> outcomes_;
  /// The panel's lines a step asked to read, for the transcript.
  std::vector<std::string> panelReadout_;
  std::vector<std::string> pickerReadout_;
  std::vector<std::string> lastDecisions_;
  std::vector<std::string> lastOutcomes_;
  std::size_t roundTripsOfLastStep_ = 0;
  bool eventDetails_ = false;
  bool timing_ = false;
  std::vector<std::string> shownMenu_;  // what a `show menu` step printed
  /// What each `write` step last put in a file, by file name.
  std::map<std::string, std::string> written_;
  struct DebugLogPosition {
    dev_t device = 0;
    ino_t inode = 0;
    std::uintmax_t offset = 0;  // bytes read so far
    std::string partial;        // read past the last line feed
  };
  DebugLogPosition debugLog_;
  /// What `expect keys-paired` has looked at: the events logged before this
  /// one, and the typed keys whose key-down it saw and key-up not yet (by
  /// key code: the process it reached, or none when it was swallowed).
  std::uint64_t pairedFrom_ = 0;
  struct KeyDown {
    bool swallowed = false;
    std::optional<pid_t> deliveredTo;
  };
  std::map<std::uint16_t, KeyDown> keysDown_;
  /// Checks the key events since the last check; adds what broke to `unmet`.
  void checkKeysPaired(Words& unmet);
};

}  // namespace quillo::simulated
