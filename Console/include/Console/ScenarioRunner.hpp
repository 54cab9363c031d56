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

#include <functional>
#include <string>
#include <vector>

#include "Console/LoopDriver.hpp"
#include "Console/Scenario.hpp"
#include "Console/ScenarioHost.hpp"
#include "Simulator/User.hpp"

namespace quillo::console {

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

  /// The steps as `quillo --help` lists them: in each entry the ways of
  /// writing one or more steps, then what they do.
  struct HelpEntry {
    std::vector<std::string> usages;
    std::string description;
  };
  static std::vector<HelpEntry> help();

 private:
  using Words = std::vector<std::string>;
  template <class Run>
  struct Form;
  using Step = Form<void (*)(ScenarioRunner&, const Words&, const ScenarioStep&)>;
  /// Adds what was expected to `unmet` when it does not hold.
  using Expectation = Form<void (*)(ScenarioRunner&, const Words&, Words& unmet)>;
  static const std::vector<Step>& steps();
  static const std::vector<Expectation>& expectations();

  void execute(const ScenarioStep& step);
  void expect(const Words& words, StepResult& result);
  std::vector<std::string> debugLogLines() const;

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
  std::vector<std::string> lastDecisions_;
  std::vector<std::string> lastOutcomes_;
  std::size_t roundTripsOfLastStep_ = 0;
};

}  // namespace quillo::console
