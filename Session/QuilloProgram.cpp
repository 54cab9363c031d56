// quillo: Quillo running on a simulated Mac with a simulated Apple Mail.
//
// These machines have no Mac, so the program runs the real application — the
// same app controller and everything it owns — on the simulated Mac, with the
// real Linux services for settings, files, the debug log and syslog. A script
// or a person at the console acts as the user; the program prints what the
// user did and what Quillo and Mail did in response.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "Session/Session.hpp"

namespace {

using namespace quillo;
using namespace quillo::simulated;

constexpr const char* kOptionsHelp =
    R"HELP(usage: quillo [--script FILE [--virtual-time] [--update|--check]] [--diagnose]
              [--mac-adapters]
       quillo --help

Runs Quillo on a simulated Mac with a simulated Apple Mail, and lets you act
as the user: from a script (--script FILE), or typing steps at the console.
Quillo keeps its real files: keymap.json and custom.json under
$XDG_CONFIG_HOME/Quillo (~/.config/Quillo), its settings under
$XDG_CONFIG_HOME/Preferences, the debug log under $XDG_STATE_HOME/Quillo
(~/.local/state/Quillo); it writes to syslog.

options:
  --script FILE     run the steps of FILE, print what happened, and exit:
                    0 when every expectation held, 1 when one did not,
                    2 when the script cannot be read; Quillo starts before
                    the first step unless the script has a start step
  --virtual-time    (with --script) let waits and slow answers take no real
                    time: the run is instant and always the same
  --update          (with --script) write what happened into FILE, as the
                    "> " lines under each step
  --check           (with --script) also compare what happened with the
                    "> " lines under each step, print the differences and
                    exit 1 on any
  --diagnose        1 second after start, write the permission and tap state
                    and every diagnostic to the debug log
  --mac-adapters    reach the event taps, the keyboard layout and
                    Accessibility through Quillo's macOS adapters, over an
                    emulation of the macOS C APIs on the simulated Mac
  --help            this text

)HELP";

constexpr std::size_t kHelpWidth = 78;
constexpr std::size_t kUsageColumn = 2;
constexpr std::size_t kDescriptionColumn = 20;

/// The columns a text takes: UTF-8 continuation bytes take none.
std::size_t columns(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

/// Appends `text` at `column` word by word, going on at `indent` on a new line
/// before a word that would pass the help's width. Returns the column after.
std::size_t fill(std::string& out, std::string_view text, std::size_t column, std::size_t indent) {
  bool first = true;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find(' ', start), text.size());
    const std::string_view word = text.substr(start, end - start);
    start = end + 1;
    if (!first && column + 1 + columns(word) > kHelpWidth) {
      out += "\n" + std::string(indent, ' ');
      column = indent;
    } else if (!first) {
      out += ' ';
      ++column;
    }
    out += word;
    column += columns(word);
    first = false;
  }
  return column;
}

/// Appends `items` from `column` on with `separator` between them; an item
/// that would pass the help's width (with room for `lineEnd`) goes on a new
/// line at the usage column, the line before ending in `lineEnd`. Returns
/// the column after.
std::size_t list(std::string& out, const std::vector<std::string>& items,
                 std::string_view separator, std::string_view lineEnd, std::size_t column) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::size_t width = columns(separator) + columns(items[i]) + columns(lineEnd);
    if (i > 0 && column + width > kHelpWidth) {
      out += std::string(lineEnd) + "\n" + std::string(kUsageColumn, ' ');
      column = kUsageColumn;
    } else if (i > 0) {
      out += separator;
      column += columns(separator);
    }
    column = fill(out, items[i], column, kDescriptionColumn);
  }
  return column;
}

/// The steps in two columns: the ways of writing them, and what they do.
std::string stepsHelp() {
  std::string out =
      "steps (one per line; \"text with blanks\" in double quotes; # starts a comment):\n";
  for (const auto& entry : ScenarioRunner::help()) {
    out += std::string(kUsageColumn, ' ');
    std::size_t column = list(out, entry.usages, " | ", "", kUsageColumn);
    if (column + 2 > kDescriptionColumn) {
      out += "\n";
      column = 0;
    }
    out += std::string(kDescriptionColumn - column, ' ');
    fill(out, entry.description, kDescriptionColumn, kDescriptionColumn);
    out += "\n";
  }
  out += "commands (for run):\n" + std::string(kUsageColumn, ' ');
  list(out, Session::commands(), ", ", ",", kUsageColumn);
  return out + "\nat the console also: help, quit\n";
}

void printHelp() {
  std::cout << kOptionsHelp << stepsHelp();
}

struct Options {
  std::optional<std::string> script;
  bool virtualTime = false;
  bool update = false;
  bool check = false;
  bool diagnose = false;
  bool macAdapters = false;
};

std::optional<Options> parseOptions(int argc, char** argv, int& exitStatus) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      printHelp();
      exitStatus = 0;
      return std::nullopt;
    }
    if (argument == "--script" && i + 1 < argc) {
      options.script = argv[++i];
    } else if (argument == "--virtual-time") {
      options.virtualTime = true;
    } else if (argument == "--update") {
      options.update = true;
    } else if (argument == "--check") {
      options.check = true;
    } else if (argument == "--diagnose") {
      options.diagnose = true;
    } else if (argument == "--mac-adapters") {
      options.macAdapters = true;
    } else {
      std::cerr << "quillo: unknown option " << argument << " (try quillo --help)\n";
      exitStatus = 2;
      return std::nullopt;
    }
  }
  if ((options.virtualTime || options.update || options.check) && !options.script) {
    std::cerr << "quillo: --virtual-time, --update and --check need --script\n";
    exitStatus = 2;
    return std::nullopt;
  }
  if (options.update && options.check) {
    std::cerr << "quillo: --update rewrites what --check compares; give one of them\n";
    exitStatus = 2;
    return std::nullopt;
  }
  return options;
}

class Transcript {
 public:
  void narrate(const std::vector<std::string>& comments) {
    for (const auto& line : comments) {
      if (line.empty()) {
        std::cout << "\n";
      } else {
        std::string text = line.substr(1);
        if (!text.empty() && text.front() == ' ') text.erase(0, 1);
        std::cout << text << "\n";
      }
    }
  }
  void step(const ScenarioStep& step) {
    std::cout << "\u00bb " << step.text << "\n";
    for (const auto& line : step.block)
      std::cout << "  | " << line << "\n";
  }
  void result(const StepResult& result) {
    for (const auto& line : result.observations)
      std::cout << "    " << line << "\n";
    for (const auto& failure : result.failures)
      std::cout << "    \u2717 " << failure << "\n";
    failures += static_cast<int>(result.failures.size());
    std::cout.flush();
  }
  int failures = 0;
};

bool stopped(Session& session) {
  return session.realLoop() && session.realLoop()->stoppedBySignal();
}

/// Quillo finishes launching, as a menu-bar application would, with a line
/// in the transcript saying so.
void launch(Session& session) {
  Transcript transcript;
  ScenarioStep launch;
  launch.text = "(Quillo starts)";
  launch.words = {"start"};
  transcript.step(launch);
  transcript.result(session.runner().run(launch));
}

bool isStart(const ScenarioStep& step) {
  return step.words.size() == 1 && step.words.front() == "start";
}

int runScript(Session& session, const Options& options) {
  std::ifstream in(*options.script);
  if (!in) {
    std::cerr << "quillo: cannot read " << *options.script << ": " << std::strerror(errno) << "\n";
    return 2;
  }
  // Read twice, a step at a time, so that a long script costs no memory for
  // its length: first to see that it reads and whether it starts Quillo
  // itself (then what comes before its start step happens before Quillo
  // runs, as in the golden tests), then to run it.
  std::size_t steps = 0;
  bool startsQuillo = false;
  try {
    ScenarioReader check(in);
    while (const auto step = check.next()) {
      ++steps;
      startsQuillo = startsQuillo || isStart(*step);
    }
  } catch (const ScenarioError& error) {
    std::cerr << "quillo: " << *options.script << " " << error.what() << "\n";
    return 2;
  }
  in.clear();
  in.seekg(0);
  if (!in) {
    std::cerr << "quillo: cannot read " << *options.script << " again\n";
    return 2;
  }
  if (!startsQuillo) launch(session);
  ScenarioReader reader(in);
  Transcript transcript;
  Scenario updated;  // with --update only: the script to write back
  std::vector<std::vector<std::string>> observations;
  std::vector<std::string> differences;
  try {
    bool running = true;  // until a signal stops the program; the rest is still read
    while (auto step = reader.next()) {
      if (running) {
        transcript.narrate(step->leading);
        transcript.step(*step);
        StepResult result = session.runner().run(*step);
        transcript.result(result);
        if (options.check) {
          if (auto difference = ScenarioRunner::difference(*step, result.observations))
            differences.push_back(std::move(*difference));
        }
        if (options.update) observations.push_back(std::move(result.observations));
        running = !stopped(session);
      }
      if (options.update) updated.steps.push_back(std::move(*step));
    }
  } catch (const ScenarioError& error) {
    // The file changed while it ran.
    std::cerr << "quillo: " << *options.script << " " << error.what() << "\n";
    return 2;
  }
  transcript.narrate(reader.trailing());
  updated.trailing = reader.trailing();
  if (options.update) std::ofstream(*options.script) << updated.render(observations);
  std::cout << "\n"
            << steps << " steps; "
            << (transcript.failures == 0 ? std::string("every expectation held")
                                         : std::to_string(transcript.failures) + " failed");
  if (options.check) {
    std::cout << "; "
              << (differences.empty() ? std::string("every step as written")
                                      : std::to_string(differences.size()) +
                                            " steps differ from their \"> \" lines");
  }
  std::cout << "\n";
  for (const auto& difference : differences)
    std::cout << "\n" << difference;
  return transcript.failures == 0 && differences.empty() ? 0 : 1;
}

/// Waits up to `milliseconds` for a line on standard input.
bool inputReady(int milliseconds) {
  pollfd fd{0, POLLIN, 0};
  return ::poll(&fd, 1, milliseconds) > 0;
}

int runConsole(Session& session) {
  const bool terminal = ::isatty(0);
  Transcript transcript;
  if (terminal) {
    std::cout << "Quillo is running on a simulated Mac. You are its user: type steps such as\n"
                 "  grant accessibility   launch mail   press e   type \"hello\"   set outlookMac\n"
                 "help lists every step; quit ends.\n";
  }
  session.application().answerer = [terminal](const platform::Alert& alert) -> std::string {
    std::cout << "\nQuillo asks: " << alert.messageText << "\n  " << alert.informativeText << "\n";
    for (std::size_t i = 0; i < alert.buttons.size(); ++i)
      std::cout << "  [" << i + 1 << "] " << alert.buttons[i] << "\n";
    std::cout << "answer> " << std::flush;
    std::string line;
    if (!terminal || !std::getline(std::cin, line)) return alert.buttons.back();
    const std::size_t chosen = line.empty() ? 1 : static_cast<std::size_t>(std::atoi(line.c_str()));
    return chosen >= 1 && chosen <= alert.buttons.size() ? alert.buttons[chosen - 1]
                                                         : alert.buttons.back();
  };
  bool prompted = false;
  while (!stopped(session)) {
    if (terminal && !prompted) {
      std::cout << "quillo> " << std::flush;
      prompted = true;
    }
    if (!inputReady(50)) {
      session.driver().wait(platform::Duration(0.05));  // Quillo keeps running meanwhile
      continue;
    }
    prompted = false;
    std::string line;
    if (!std::getline(std::cin, line)) break;
    ScenarioStep step;
    step.text = line;
    try {
      step.words = Scenario::words(line);
    } catch (const ScenarioError& error) {
      std::cout << "    \u2717 " << error.what() << "\n";
      continue;
    }
    if (step.words.empty() || step.words.front().starts_with("#")) continue;
    if (step.words.front() == "quit" && step.words.size() == 1) break;
    if (step.words.front() == "exit") break;
    if (step.words.front() == "help") {
      printHelp();
      continue;
    }
    if (step.words.front() == "write") {
      for (std::string content; std::getline(std::cin, content) && content != ".";)
        step.block.push_back(content);
    }
    if (!terminal) transcript.step(step);
    transcript.result(session.runner().run(step));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int exitStatus = 0;
  const auto options = parseOptions(argc, argv, exitStatus);
  if (!options) return exitStatus;

  SessionOptions sessionOptions;
  sessionOptions.virtualTime = options->virtualTime;
  sessionOptions.useSyslog = true;
  sessionOptions.macAdapters = options->macAdapters;
  if (options->diagnose) sessionOptions.arguments.push_back("--diagnose");
  Session session(std::move(sessionOptions));
  if (options->script) return runScript(session, *options);
  launch(session);
  return runConsole(session);
}
