// quillo: Quillo running on a simulated Mac with a simulated Apple Mail.
//
// These machines have no Mac, so the program runs the real application — the
// same app controller and everything it owns — on the simulated Mac, with the
// real Linux services for settings, files, the debug log and syslog. A script
// or a person at the console acts as the user; the program prints what the
// user did and what Quillo and Mail did in response.
#include <poll.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "Console/Session.hpp"

namespace {

using namespace quillo;
using namespace quillo::console;

constexpr const char* kHelp =
    R"HELP(usage: quillo [--script FILE [--virtual-time] [--update]] [--diagnose]
       quillo --help

Runs Quillo on a simulated Mac with a simulated Apple Mail, and lets you act
as the user: from a script (--script FILE), or typing steps at the console.
Quillo keeps its real files: settings, keymap.json and custom.json under
$XDG_CONFIG_HOME/Quillo (~/.config/Quillo), the debug log under
$XDG_STATE_HOME/Quillo (~/.local/state/Quillo); it writes to syslog.

options:
  --script FILE     run the steps of FILE, print what happened, and exit:
                    0 when every expectation held, 1 when one did not,
                    2 when the script cannot be read
  --virtual-time    (with --script) let waits and slow answers take no real
                    time: the run is instant and always the same
  --update          (with --script) write what happened into FILE, as the
                    "> " lines under each step
  --diagnose        1 second after start, write the permission and tap state
                    and every diagnostic to the debug log
  --help            this text

steps (one per line; "text with blanks" in double quotes; # starts a comment):
  grant|revoke accessibility|input-monitoring
                    the privacy permissions of Quillo in System Settings
  launch mail | quit mail | relaunch mail [junk TITLE] [without "Menu › Item"]
                    [disabling "Menu › Item"]
                    start, quit or restart Mail (a new process), optionally a
                    Mail whose Junk item has another title, or that lacks or
                    never enables a menu item
  switch to Mail|Safari|TextEdit|Finder|Notes|Terminal
                    bring an application to the front
  press KEY [KEY…]  press keys: e, I, #, return, down, f1, cmd+return,
                    ctrl+shift+r, cmd++ (shift is implied where needed)
  hold KEY N        hold a key down for N auto-repeats
  type "TEXT"       type text, key by key
  click PLACE       put Mail's focus into: message list, mailbox list, search
                    field, preview, to field, subject field, body, message
                    content
  select N | select "SUBJECT"
                    select the Nth message (from 1) or one by subject
  mailbox NAME      show Inbox, Archive, Junk, Sent or Trash
  new message | open message | close window
  sheet "TEXT" | accept sheet | cancel sheet | popover
                    a sheet over Mail's front window; address suggestions
  mail latency SECONDS
                    how long Mail takes to answer each accessibility request
  tap timeout | tap user-input
                    the system switches the keyboard event tap off
  set gmail|outlookMac|outlookWindows|custom|off
                    choose Quillo's shortcut set
  debug-log on|off  Quillo's debug logging
  write FILE        write FILE in Quillo's folder (keymap.json, custom.json)
                    from the "| " lines that follow (at the console: the lines
                    that follow, up to a line with a single ".")
  remove FILE       delete a file in Quillo's folder
  answer BUTTON     the answer to Quillo's next question ("Open at Login")
  run COMMAND       focus-capture, focus-capture-now, menu-check,
                    menu-structure, window-structure, show-log, diagnose,
                    fix-accessibility, fix-input-monitoring, reset-keymap,
                    tap-needs-input-monitoring, login-item approval|fails TEXT
  wait SECONDS      let time pass
  expect mailbox NAME count N | expect mailbox NAME has "SUBJECT"
  expect selected "SUBJECT" | expect focus "WHERE" | expect text PLACE "TEXT"
  expect front APP | expect status STATUS | expect windows N
  expect decision DECISION | expect outcome "TEXT" | expect round-trips N
  expect log "LINE" | expect no log "TEXT"
                    check a fact; a script fails when one does not hold
at the console also: help, quit
)HELP";

struct Options {
  std::optional<std::string> script;
  bool virtualTime = false;
  bool update = false;
  bool diagnose = false;
};

std::optional<Options> parseOptions(int argc, char** argv, int& exitStatus) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::cout << kHelp;
      exitStatus = 0;
      return std::nullopt;
    }
    if (argument == "--script" && i + 1 < argc) {
      options.script = argv[++i];
    } else if (argument == "--virtual-time") {
      options.virtualTime = true;
    } else if (argument == "--update") {
      options.update = true;
    } else if (argument == "--diagnose") {
      options.diagnose = true;
    } else {
      std::cerr << "quillo: unknown option " << argument << " (try quillo --help)\n";
      exitStatus = 2;
      return std::nullopt;
    }
  }
  if ((options.virtualTime || options.update) && !options.script) {
    std::cerr << "quillo: --virtual-time and --update need --script\n";
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

int runScript(Session& session, const Options& options) {
  std::ifstream in(*options.script);
  if (!in) {
    std::cerr << "quillo: cannot read " << *options.script << ": " << std::strerror(errno) << "\n";
    return 2;
  }
  std::stringstream text;
  text << in.rdbuf();
  Scenario scenario;
  try {
    scenario = Scenario::parse(text.str());
  } catch (const ScenarioError& error) {
    std::cerr << "quillo: " << *options.script << " " << error.what() << "\n";
    return 2;
  }
  Transcript transcript;
  std::vector<std::vector<std::string>> observations;
  for (const auto& step : scenario.steps) {
    transcript.narrate(step.leading);
    transcript.step(step);
    StepResult result = session.runner().run(step);
    transcript.result(result);
    observations.push_back(std::move(result.observations));
    if (stopped(session)) break;
  }
  transcript.narrate(scenario.trailing);
  if (options.update) std::ofstream(*options.script) << scenario.render(observations);
  std::cout << "\n"
            << scenario.steps.size() << " steps; "
            << (transcript.failures == 0 ? std::string("every expectation held")
                                         : std::to_string(transcript.failures) + " failed")
            << "\n";
  return transcript.failures == 0 ? 0 : 1;
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
      std::cout << kHelp;
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
  if (options->diagnose) sessionOptions.arguments.push_back("--diagnose");
  Session session(std::move(sessionOptions));

  // Launching finishes: Quillo starts, as a menu-bar application would.
  Transcript transcript;
  ScenarioStep launch;
  launch.text = "(Quillo starts)";
  launch.words = {"start"};
  transcript.step(launch);
  transcript.result(session.runner().run(launch));

  return options->script ? runScript(session, *options) : runConsole(session);
}
