#include "Session/ScenarioRunner.hpp"

#include "StepForms.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

#include "MailMenu.hpp"
#include "Platform/FileSystem.hpp"
#include "Platform/KeyCodes.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "QuilloCore/MenuResolver.hpp"
#include "Session/MailState.hpp"
#include "Simulator/SimulatedApplication.hpp"
#include "Simulator/USKeyboard.hpp"

namespace quillo::simulated {

using sim::MailApp;
using sim::SimulatedMac;
using namespace steps;

namespace {

/// A key as the user pressed it: "ctrl+e", "shift+I", "shift+!". This is the
/// core's chord text but with the key exactly as typed, where a chord would
/// fold "I" into "i" and drop shift from "!". A named key keeps every
/// modifier in a chord, so a chord of one gives the modifier words.
std::string describeKey(const std::optional<KeyToken>& key, KeyModifiers modifiers) {
  const KeyToken named = KeyToken::named(KeyToken::NamedKey::space);
  std::string text = KeyChord(named, modifiers).keymapString();
  text.resize(text.size() - named.text().size());
  return text + (key ? std::string(key->text()) : std::string("(no character)"));
}

constexpr std::string_view kExpect = "expect";
/// Quillo's folder as transcripts write it.
constexpr std::string_view kFolderName = "<Quillo's folder>";
/// The folder of application support that holds Quillo's folder and its
/// settings, likewise.
constexpr std::string_view kSupportFolderName = "<Application Support>";
/// The debug log's folder, likewise.
constexpr std::string_view kLogFolderName = "<debug log's folder>";

}  // namespace

const std::vector<ScenarioRunner::Step>& ScenarioRunner::steps() {
  static const std::vector<Step> table = [] {
    std::vector<Step> all;
    // Tried in this order: a form whose word takes any word comes after
    // the forms with the same first word that it would otherwise catch
    // (click PLACE after the panel's clicks; quit OTHER, whose names are
    // not fixed words, after quit mail).
    for (auto area : {panelSteps, menuSteps, mailSteps, systemSteps, keySteps, fileSteps}) {
      for (Step& step : area())
        all.push_back(std::move(step));
    }
    return all;
  }();
  return table;
}

std::vector<ScenarioRunner::HelpEntry> ScenarioRunner::help() {
  std::vector<HelpEntry> entries;
  HelpEntry entry;
  for (const Step& step : steps()) {
    entry.usages.push_back(step.usage);
    if (step.description.empty()) continue;
    entry.description = step.description;
    entries.push_back(std::move(entry));
    entry = {};
  }
  for (const Expectation& expectation : expectations())
    entry.usages.push_back(std::string(kExpect) + " " + expectation.usage);
  entry.description = "check a fact; a script fails when one does not hold";
  entries.push_back(std::move(entry));
  return entries;
}

ScenarioRunner::ScenarioRunner(sim::SimulatedMac& mac, sim::User& user, ScenarioHost& host,
                               LoopDriver& loop)
    : mac_(mac), user_(user), host_(host), loop_(loop) {
  observeInterceptor();
}

std::vector<std::string> ScenarioRunner::newDebugLogLines() {
  std::vector<std::string> lines;
  const auto& path = host_.debugLog().filePath();
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    debugLog_ = {};  // gone: a new one is read from its start
    return lines;
  }
  // A log that started afresh (grown too big, or deleted and made anew) is
  // another file, or shorter than what was read: read it from the start.
  if (info.st_ino != debugLog_.inode || info.st_dev != debugLog_.device ||
      static_cast<std::uintmax_t>(info.st_size) < debugLog_.offset) {
    debugLog_ = {info.st_dev, info.st_ino, 0, {}};
  }
  if (static_cast<std::uintmax_t>(info.st_size) == debugLog_.offset) return lines;
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(debugLog_.offset));
  std::string chunk(static_cast<std::size_t>(info.st_size) - debugLog_.offset, '\0');
  in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
  chunk.resize(static_cast<std::size_t>(in.gcount()));
  debugLog_.offset += chunk.size();
  std::string& text = debugLog_.partial;
  text += chunk;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string_view line(text.data() + start, end - start);
    lines.emplace_back(
        line.size() > DebugLog::timestampWidth ? line.substr(DebugLog::timestampWidth) : line);
  }
  text.erase(0, start);  // a line still being written waits for its end
  return lines;
}

void ScenarioRunner::observeInterceptor() {
  KeyInterceptor::Observer observer;
  observer.decided = [this](const std::optional<KeyToken>& key, KeyModifiers modifiers,
                            bool isAutoRepeat, const KeyStep& step) {
    decisions_.push_back({describeKey(key, modifiers) + (isAutoRepeat ? " (repeat)" : ""),
                          step.description(&host_.interceptor().keymap())});
  };
  observer.performed = [this](ActionID action, const ActionOutcome& outcome) {
    outcomes_.push_back(std::string(host_.interceptor().keymap().actionName(action)) + ": " +
                        outcome.description());
  };
  host_.interceptor().addObserver(std::move(observer));
}

void ScenarioRunner::requireQuillo() const {
  if (!host_.isRunning()) throw StepFailure("Quillo is not running (start starts it)");
}

StepResult ScenarioRunner::run(const ScenarioStep& step) {
  StepResult result;
  if (step.words.empty()) return result;
  if (step.words.front() == kExpect) {
    try {
      expect(step.words, result);
    } catch (const std::exception& error) {
      result.failures.push_back(error.what());
    }
    return result;
  }

  const Snapshot before = snapshot();
  // Lines written between steps belong to no step.
  newDebugLogLines();
  host_.newSystemLogLines();
  shownMenu_.clear();
  decisions_.clear();
  outcomes_.clear();
  panelReadout_.clear();
  pickerReadout_.clear();
  singleKeyStep_ = false;
  typingStep_ = false;
  mac_.accessibility().resetRoundTrips();
  loop_.takeLongestTurn();

  try {
    execute(step);
    loop_.settle();
  } catch (const std::exception& error) {
    result.failures.push_back(error.what());
  }
  roundTripsOfLastStep_ = mac_.accessibility().totalRoundTrips();

  auto& out = result.observations;
  addDecisions(out);
  addKeyEvents(before, out);
  addChanges(before, snapshot(), out);
  for (const auto& line : newDebugLogLines()) {
    // Outcomes are already shown above.
    if (std::find(outcomes_.begin(), outcomes_.end(), line) != outcomes_.end()) continue;
    out.push_back("debug log: " + line);
  }
  for (const auto& line : host_.newSystemLogLines()) {
    if (line.starts_with("debug: ")) continue;  // the debug log's mirror
    out.push_back("system log: " + line);
  }
  // Where the files are changes from run to run; a transcript names the place.
  const std::string folder = host_.supportFolder().string();
  const std::string logFolder = host_.debugLog().filePath().parent_path().string();
  const std::string supportFolder = host_.supportFolder().parent_path().string();
  for (auto& line : out) {
    for (auto at = line.find(folder); at != std::string::npos; at = line.find(folder, at))
      line.replace(at, folder.size(), kFolderName);
    for (auto at = line.find(logFolder); at != std::string::npos; at = line.find(logFolder, at))
      line.replace(at, logFolder.size(), kLogFolderName);
    for (auto at = line.find(supportFolder); at != std::string::npos;
         at = line.find(supportFolder, at))
      line.replace(at, supportFolder.size(), kSupportFolderName);
  }
  lastDecisions_.clear();
  for (const auto& decided : decisions_)
    lastDecisions_.push_back(decided.decision);
  lastOutcomes_ = outcomes_;
  return result;
}

void ScenarioRunner::execute(const ScenarioStep& step) {
  const auto [form, words] =
      chosen(steps(), step.words, 0, "", "no step \"" + step.words.front() + "\"");
  form->run(*this, words, step);
}

void ScenarioRunner::expect(const Words& w, StepResult& result) {
  const auto [form, words] =
      chosen(expectations(), w, 1, "expect ", "no expectation \"" + joined(w, 1, w.size()) + "\"");
  Words unmet;
  form->run(*this, words, unmet);
  for (const auto& what : unmet)
    result.failures.push_back("expected " + what);
}

std::optional<std::string> ScenarioRunner::difference(
    const ScenarioStep& step, const std::vector<std::string>& observations) {
  if (observations == step.expected) return std::nullopt;
  std::ostringstream diff;
  diff << "line " << step.line << " (" << step.text << "):\n";
  for (const auto& line : step.expected)
    diff << "  - " << line << "\n";
  for (const auto& line : observations)
    diff << "  + " << line << "\n";
  return diff.str();
}

ScenarioRunner::Outcome ScenarioRunner::runAll(const Scenario& scenario) {
  Outcome outcome;
  for (const ScenarioStep& step : scenario.steps) {
    StepResult result = run(step);
    for (const auto& failure : result.failures) {
      outcome.failures.push_back("line " + std::to_string(step.line) + " (" + step.text +
                                 "): " + failure);
    }
    if (auto mismatch = difference(step, result.observations))
      outcome.mismatches.push_back(std::move(*mismatch));
    outcome.observations.push_back(std::move(result.observations));
  }
  outcome.rendered = scenario.render(outcome.observations);
  return outcome;
}

}  // namespace quillo::simulated
