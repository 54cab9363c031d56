#include "Console/ScenarioRunner.hpp"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>

#include "Console/MailState.hpp"
#include "Platform/FileSystem.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "Simulator/USKeyboard.hpp"

namespace quillo::console {

using sim::MailApp;
using sim::SimulatedMac;

namespace {

struct StepFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string joined(const std::vector<std::string>& words, std::size_t from, std::size_t to,
                   const char* separator = " ") {
  std::string text;
  for (std::size_t i = from; i < std::min(to, words.size()); ++i) {
    if (i > from) text += separator;
    text += words[i];
  }
  return text;
}

double number(const std::string& word) {
  try {
    std::size_t used = 0;
    const double value = std::stod(word, &used);
    if (used == word.size() && value >= 0) return value;
  } catch (const std::exception&) {
  }
  throw StepFailure("\"" + word + "\" is not a number");
}

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

/// Every debug-log line starts with DebugLog::timestamp() and a blank.
constexpr std::size_t kTimestampWidth = std::string_view("yyyy-MM-dd HH:mm:ss.SSS ").size();

const std::map<std::string, std::pair<std::string, std::string>>& knownApps() {
  static const std::map<std::string, std::pair<std::string, std::string>> apps{
      {"mail", {SimulatedMac::mailBundleID, "Mail"}},
      {"safari", {SimulatedMac::safariBundleID, "Safari"}},
      {"finder", {SimulatedMac::finderBundleID, "Finder"}},
      {"textedit", {"com.apple.TextEdit", "TextEdit"}},
      {"notes", {"com.apple.Notes", "Notes"}},
      {"terminal", {"com.apple.Terminal", "Terminal"}},
  };
  return apps;
}

std::string lower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

const std::vector<std::string>& ScenarioRunner::vocabulary() {
  static const std::vector<std::string> words{
      "start",  "set",     "debug-log", "grant", "revoke", "press",    "hold",  "type",
      "click",  "select",  "mailbox",   "new",   "open",   "close",    "sheet", "accept",
      "cancel", "popover", "switch",    "quit",  "launch", "relaunch", "mail",  "tap",
      "wait",   "write",   "remove",    "run",   "expect"};
  return words;
}

ScenarioRunner::ScenarioRunner(sim::SimulatedMac& mac, sim::User& user, ScenarioHost& host,
                               LoopDriver& loop)
    : mac_(mac), user_(user), host_(host), loop_(loop) {
  KeyInterceptor::Observer observer;
  observer.decided = [this](const std::optional<KeyToken>& key, KeyModifiers modifiers,
                            bool isAutoRepeat, const Decision& decision) {
    decisions_.push_back(
        {describeKey(key, modifiers) + (isAutoRepeat ? " (repeat)" : ""), decision.description()});
  };
  observer.performed = [this](ActionID action, const ActionOutcome& outcome) {
    outcomes_.push_back(std::string(rawValue(action)) + ": " + outcome.description());
  };
  host_.interceptor().addObserver(std::move(observer));
}

std::vector<std::string> ScenarioRunner::debugLogLines() const {
  std::vector<std::string> lines;
  std::ifstream in(host_.debugLog().fileURL());
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line.size() > kTimestampWidth ? line.substr(kTimestampWidth) : line);
  }
  return lines;
}

StepResult ScenarioRunner::run(const ScenarioStep& step) {
  StepResult result;
  if (step.words.empty()) return result;
  if (step.words.front() == "expect") {
    try {
      expect(step.words, result);
    } catch (const std::exception& error) {
      result.failures.push_back(error.what());
    }
    return result;
  }

  const MailState before = MailState::of(mac_);
  auto& server = mac_.windowServer();
  const std::size_t eventsBefore = server.log.size();
  const std::size_t promptsBefore = mac_.permissions.prompts.size();
  const std::size_t urlsBefore = mac_.workspace().openedURLs.size();
  const std::size_t filesBefore = mac_.workspace().openedFiles.size();
  const std::size_t alertsBefore = host_.alertLines().size();
  const std::size_t logBefore = debugLogLines().size();
  const std::size_t systemLogBefore = host_.systemLogLines().size();
  const auto statusBefore = host_.status();
  decisions_.clear();
  outcomes_.clear();
  singleKeyStep_ = false;
  typingStep_ = step.words.front() == "type";
  mac_.accessibility().resetRoundTrips();

  try {
    execute(step, result);
    loop_.settle();
  } catch (const std::exception& error) {
    result.failures.push_back(error.what());
  }
  roundTripsOfLastStep_ = mac_.accessibility().totalRoundTrips();

  auto& out = result.observations;
  // Decisions: one line per key-down; typed text in one line that counts
  // the decisions, so a reader sees at once whether any key acted.
  if (typingStep_ && !decisions_.empty()) {
    std::vector<std::pair<std::string, int>> counts;
    bool acted = false;
    for (const auto& decided : decisions_) {
      acted = acted || !decided.decision.starts_with("passThrough");
      auto found = std::find_if(counts.begin(), counts.end(),
                                [&](const auto& c) { return c.first == decided.decision; });
      if (found == counts.end()) {
        counts.emplace_back(decided.decision, 1);
      } else {
        ++found->second;
      }
    }
    std::string summary;
    for (const auto& [decision, count] : counts) {
      summary += (summary.empty() ? "" : ", ") + std::to_string(count) + " " + decision;
    }
    out.push_back(std::to_string(decisions_.size()) + (acted ? " keys: " : " keys passed: ") +
                  summary);
  } else {
    for (std::size_t i = 0; i < decisions_.size();) {
      std::size_t same = i + 1;
      while (!singleKeyStep_ && same < decisions_.size() &&
             decisions_[same].decision == decisions_[i].decision) {
        ++same;
      }
      out.push_back(same - i > 1 ? std::to_string(same - i) + " keys: " + decisions_[i].decision
                                 : decisions_[i].key + ": " + decisions_[i].decision);
      i = same;
    }
  }
  // What became of the typed key events, for single presses.
  std::vector<std::string> fates;
  std::vector<std::string> posted;
  for (std::size_t i = eventsBefore; i < server.log.size(); ++i) {
    const auto& event = server.log[i];
    const std::string name = sim::USKeyboard::keyName(event.keyCode) +
                             (event.type == platform::EventType::keyDown ? " key-down" : " key-up");
    if (event.posted) {
      posted.push_back(name);
    } else if (singleKeyStep_) {
      fates.push_back(name + (event.deliveredTo ? " passed" : " swallowed"));
    }
  }
  if (!fates.empty()) out.push_back("keys: " + joined(fates, 0, fates.size(), ", "));
  for (const auto& outcome : outcomes_)
    out.push_back(outcome);
  if (!posted.empty()) out.push_back("posted to Mail: " + joined(posted, 0, posted.size(), ", "));

  const MailState after = MailState::of(mac_);
  for (auto& change : MailState::changes(before, after))
    out.push_back(std::move(change));
  if (before.front != after.front) out.push_back("front: " + after.front);
  if (const auto status = host_.status(); status != statusBefore && status) {
    out.push_back("status: " + *status);
  }
  for (std::size_t i = promptsBefore; i < mac_.permissions.prompts.size(); ++i) {
    out.push_back("system asks for " + mac_.permissions.prompts[i]);
  }
  for (std::size_t i = urlsBefore; i < mac_.workspace().openedURLs.size(); ++i) {
    out.push_back("opened " + mac_.workspace().openedURLs[i]);
  }
  for (std::size_t i = filesBefore; i < mac_.workspace().openedFiles.size(); ++i) {
    out.push_back("opened the file " + mac_.workspace().openedFiles[i]);
  }
  const auto alerts = host_.alertLines();
  for (std::size_t i = alertsBefore; i < alerts.size(); ++i)
    out.push_back("alert: " + alerts[i]);
  const auto logLines = debugLogLines();
  for (std::size_t i = logBefore; i < logLines.size(); ++i) {
    // Outcomes are already shown above.
    if (std::find(outcomes_.begin(), outcomes_.end(), logLines[i]) != outcomes_.end()) continue;
    out.push_back("debug log: " + logLines[i]);
  }
  const auto systemLines = host_.systemLogLines();
  for (std::size_t i = systemLogBefore; i < systemLines.size(); ++i) {
    if (systemLines[i].starts_with("debug: ")) continue;  // the debug log's mirror
    out.push_back("system log: " + systemLines[i]);
  }
  lastDecisions_.clear();
  for (const auto& decided : decisions_)
    lastDecisions_.push_back(decided.decision);
  lastOutcomes_ = outcomes_;
  return result;
}

void ScenarioRunner::execute(const ScenarioStep& step, StepResult&) {
  const auto& w = step.words;
  const std::string& verb = w[0];
  const auto need = [&](std::size_t count, const char* usage) {
    if (w.size() < count) throw StepFailure(std::string("usage: ") + usage);
  };
  if (verb == "start") {
    host_.start();
  } else if (verb == "set") {
    need(2, "set gmail|outlookMac|outlookWindows|custom|off");
    const auto set = fromRawValue<ShortcutSet>(w[1]);
    if (!set) throw StepFailure("no shortcut set \"" + w[1] + "\"");
    host_.selectSet(*set);
  } else if (verb == "debug-log") {
    need(2, "debug-log on|off");
    host_.setDebugLogging(w[1] == "on");
  } else if (verb == "grant" || verb == "revoke") {
    need(2, "grant|revoke accessibility|input-monitoring");
    const bool granted = verb == "grant";
    if (w[1] == "accessibility") {
      user_.setAccessibility(granted);
    } else if (w[1] == "input-monitoring") {
      user_.setInputMonitoring(granted);
    } else {
      throw StepFailure("no permission \"" + w[1] + "\"");
    }
  } else if (verb == "press") {
    need(2, "press KEY [KEY…]");
    singleKeyStep_ = w.size() == 2;
    for (std::size_t i = 1; i < w.size(); ++i)
      user_.press(w[i]);
  } else if (verb == "hold") {
    need(3, "hold KEY REPEATS");
    user_.hold(w[1], static_cast<int>(number(w[2])));
  } else if (verb == "type") {
    need(2, "type TEXT");
    user_.type(joined(w, 1, w.size()));
  } else if (verb == "click") {
    need(2, "click PLACE");
    const std::string name = joined(w, 1, w.size());
    const auto place = sim::placeNamed(name);
    if (!place) throw StepFailure("no place \"" + name + "\" in Mail");
    if (!user_.click(*place)) throw StepFailure("Mail has no " + name + " to click into");
  } else if (verb == "select") {
    need(2, "select N|SUBJECT");
    const bool isIndex = !w[1].empty() && std::all_of(w[1].begin(), w[1].end(), ::isdigit);
    const bool done = isIndex ? user_.mail().select(static_cast<std::size_t>(std::stoul(w[1])) - 1)
                              : user_.mail().selectSubject(w[1]);
    if (!done) throw StepFailure("no message " + inQuotes(w[1]) + " to select");
  } else if (verb == "mailbox") {
    need(2, "mailbox NAME");
    user_.mail().showMailbox(w[1]);
  } else if (verb == "new" && w.size() == 2 && w[1] == "message") {
    user_.mail().newMessage();
  } else if (verb == "open" && w.size() == 2 && w[1] == "message") {
    if (!user_.mail().openSelectedMessage()) throw StepFailure("no message is selected");
  } else if (verb == "close" && w.size() == 2 && w[1] == "window") {
    user_.mail().closeKeyWindow();
  } else if (verb == "sheet") {
    need(2, "sheet TEXT");
    user_.mail().showSheet(joined(w, 1, w.size()));
  } else if ((verb == "accept" || verb == "cancel") && w.size() == 2 && w[1] == "sheet") {
    user_.mail().dismissSheet(verb == "accept");
  } else if (verb == "popover") {
    user_.mail().showPopover();
  } else if (verb == "switch") {
    need(3, "switch to APP");
    const auto app = knownApps().find(lower(w[2]));
    if (app == knownApps().end()) throw StepFailure("no application \"" + w[2] + "\"");
    user_.switchTo(app->second.first, app->second.second);
  } else if (verb == "quit" && w.size() == 2 && lower(w[1]) == "mail") {
    user_.quitMail();
  } else if (verb == "launch" && w.size() == 2 && lower(w[1]) == "mail") {
    user_.openMail();
  } else if (verb == "relaunch") {
    need(2, "relaunch mail [junk TITLE] [without PATH] [disabling PATH]");
    sim::MailVariant variant;
    for (std::size_t i = 2; i + 1 < w.size(); i += 2) {
      if (w[i] == "junk") {
        variant.junkTitle = w[i + 1];
      } else if (w[i] == "without") {
        variant.missingItems.push_back(menuPath(w[i + 1]));
      } else if (w[i] == "disabling") {
        variant.disabledItems.push_back(menuPath(w[i + 1]));
      } else {
        throw StepFailure("relaunch mail knows junk, without and disabling, not \"" + w[i] + "\"");
      }
    }
    user_.relaunchMail(std::move(variant));
  } else if (verb == "mail") {
    need(3, "mail latency SECONDS");
    if (w[1] != "latency") throw StepFailure("usage: mail latency SECONDS");
    user_.mail().latency = number(w[2]);
  } else if (verb == "tap") {
    need(2, "tap timeout|user-input");
    if (w[1] == "timeout") {
      mac_.windowServer().disableTapsByTimeout();
    } else if (w[1] == "user-input") {
      mac_.windowServer().disableTapsByUserInput();
    } else {
      throw StepFailure("usage: tap timeout|user-input");
    }
  } else if (verb == "wait") {
    need(2, "wait SECONDS");
    loop_.wait(platform::Duration(number(w[1])));
  } else if (verb == "write") {
    need(2, "write FILE (with the contents on \"| \" lines)");
    std::string contents;
    for (const auto& line : step.block)
      contents += line + "\n";
    const auto path = host_.supportFolder() / w[1];
    platform::createDirectories(path.parent_path());
    // Written in place, as an editor that saves over the file does.
    std::ofstream file(path, std::ios::trunc);
    file << contents;
    if (!file) throw StepFailure("cannot write " + path.string());
  } else if (verb == "remove") {
    need(2, "remove FILE");
    std::filesystem::remove(host_.supportFolder() / w[1]);
  } else if (verb == "answer") {
    need(2, "answer BUTTON (the answer to the next alert)");
    if (!host_.command({"answer", joined(w, 1, w.size())}))
      throw StepFailure("nothing asks questions here");
  } else if (verb == "run") {
    need(2, "run COMMAND");
    if (!host_.command({w.begin() + 1, w.end()}))
      throw StepFailure("no command \"" + joined(w, 1, w.size()) + "\"");
  } else {
    throw StepFailure("no step \"" + verb + "\"");
  }
}

void ScenarioRunner::expect(const std::vector<std::string>& w, StepResult& result) {
  const auto fail = [&](const std::string& what) { result.failures.push_back("expected " + what); };
  if (w.size() < 2) throw StepFailure("usage: expect WHAT …");
  const std::string& what = w[1];
  if (what == "mailbox" && w.size() == 5) {
    const auto& messages = user_.mail().mailbox(w[2]);
    if (w[3] == "count") {
      if (messages.size() != static_cast<std::size_t>(number(w[4]))) {
        fail("mailbox " + w[2] + " to hold " + w[4] + " messages, not " +
             std::to_string(messages.size()));
      }
    } else if (w[3] == "has") {
      const bool found = std::any_of(messages.begin(), messages.end(),
                                     [&](const auto& m) { return m.subject == w[4]; });
      if (!found) fail("mailbox " + w[2] + " to hold " + inQuotes(w[4]));
    } else {
      throw StepFailure("usage: expect mailbox NAME count N | has SUBJECT");
    }
  } else if (what == "selected" && w.size() == 3) {
    const auto selected = user_.mail().selectedMessage();
    if (!selected || selected->subject != w[2]) {
      fail("selected " + inQuotes(w[2]) + ", not " +
           (selected ? inQuotes(selected->subject) : std::string("nothing")));
    }
  } else if (what == "focus" && w.size() == 3) {
    const std::string focus = user_.mail().focusDescription();
    if (focus != w[2]) fail("focus in " + inQuotes(w[2]) + ", not in " + inQuotes(focus));
  } else if (what == "text" && w.size() >= 4) {
    const std::string name = joined(w, 2, w.size() - 1);
    const auto place = sim::placeNamed(name);
    if (!place) throw StepFailure("no place \"" + name + "\" in Mail");
    const auto text = user_.mail().text(*place);
    if (text != w.back())
      fail(name + " to read " + inQuotes(w.back()) + ", not " + inQuotes(text.value_or("(none)")));
  } else if (what == "round-trips" && w.size() == 3) {
    if (roundTripsOfLastStep_ != static_cast<std::size_t>(number(w[2]))) {
      fail(w[2] + " accessibility round trips, not " + std::to_string(roundTripsOfLastStep_));
    }
  } else if (what == "decision" && w.size() >= 3) {
    const std::string decision = joined(w, 2, w.size());
    if (std::find(lastDecisions_.begin(), lastDecisions_.end(), decision) == lastDecisions_.end()) {
      fail("the decision " + inQuotes(decision) + " in the step before");
    }
  } else if (what == "outcome" && w.size() == 3) {
    if (std::find(lastOutcomes_.begin(), lastOutcomes_.end(), w[2]) == lastOutcomes_.end()) {
      fail("the outcome " + inQuotes(w[2]) + " in the step before");
    }
  } else if (what == "log" && w.size() == 3) {
    const auto lines = debugLogLines();
    if (std::find(lines.begin(), lines.end(), w[2]) == lines.end())
      fail("the debug log line " + inQuotes(w[2]));
  } else if (what == "no" && w.size() == 4 && w[2] == "log") {
    for (const auto& line : debugLogLines()) {
      if (line.find(w[3]) != std::string::npos)
        fail("no debug log line with " + inQuotes(w[3]) + ": " + line);
    }
  } else if (what == "front" && w.size() == 3) {
    const auto front = mac_.workspace().frontmostApplication();
    if (!front || lower(front->localizedName) != lower(w[2])) {
      fail(w[2] + " in front, not " + (front ? front->localizedName : std::string("nothing")));
    }
  } else if (what == "status" && w.size() == 3) {
    const auto status = host_.status();
    if (status != w[2]) fail("status " + w[2] + ", not " + status.value_or("(none)"));
  } else if (what == "windows" && w.size() == 3) {
    const auto count = user_.mail().windowList().size();
    if (count != static_cast<std::size_t>(number(w[2]))) {
      fail(w[2] + " Mail windows, not " + std::to_string(count));
    }
  } else {
    throw StepFailure("no expectation \"" + joined(w, 1, w.size()) + "\"");
  }
}

ScenarioRunner::Outcome ScenarioRunner::runAll(const Scenario& scenario) {
  Outcome outcome;
  for (const ScenarioStep& step : scenario.steps) {
    StepResult result = run(step);
    for (const auto& failure : result.failures) {
      outcome.failures.push_back("line " + std::to_string(step.line) + " (" + step.text +
                                 "): " + failure);
    }
    if (result.observations != step.expected) {
      std::ostringstream diff;
      diff << "line " << step.line << " (" << step.text << "):\n";
      for (const auto& line : step.expected)
        diff << "  - " << line << "\n";
      for (const auto& line : result.observations)
        diff << "  + " << line << "\n";
      outcome.mismatches.push_back(diff.str());
    }
    outcome.observations.push_back(std::move(result.observations));
  }
  outcome.rendered = scenario.render(outcome.observations);
  return outcome;
}

}  // namespace quillo::console
