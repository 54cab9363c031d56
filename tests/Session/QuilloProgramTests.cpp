// The `quillo` program as a user runs it: options, scripts, exit statuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "Files.hpp"
#include "RunProgram.hpp"
#include "TempHome.hpp"

namespace quillo {
namespace {

const std::string kProgram = QUILLO_PROGRAM;
/// The source tree, for the scripts that run as tests.
const std::filesystem::path kSourceTree = QUILLO_SOURCE_TREE;

std::vector<std::string> split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  for (std::size_t start = 0;;) {
    const std::size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at - start));
    if (at == std::string::npos) return parts;
    start = at + separator.size();
  }
}

/// The usages `quillo --help` lists under `heading` ("steps", "commands"):
/// each indented line up to two blanks in a row, split at " | " or ", ".
std::vector<std::string> helpUsages(const std::string& help, const std::string& heading,
                                    const std::string& separator) {
  std::vector<std::string> usages;
  bool inside = false;
  for (const auto& line : split(help, "\n")) {
    if (!line.starts_with(" ")) {
      inside = line.starts_with(heading + " (");
      continue;
    }
    if (!inside || line.starts_with("   ")) continue;  // a description
    std::string text = line.substr(2, line.find("  ", 2) - 2);
    if (text.ends_with(separator.substr(0, separator.find_last_not_of(' ') + 1)))
      text.resize(text.find_last_not_of(", |") + 1);
    for (const auto& usage : split(text, separator))
      usages.push_back(usage);
  }
  return usages;
}

/// The words of a usage that are written as they stand, each as its first
/// alternative: "grant|revoke accessibility|input-monitoring" gives "grant
/// accessibility", "press KEY [KEY…]" gives "press".
std::string fixedWords(const std::string& usage) {
  std::string text;
  for (const auto& word : split(usage, " ")) {
    if (word.empty() || !std::all_of(word.begin(), word.end(), [](char c) {
          return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '|';
        })) {
      break;
    }
    text += (text.empty() ? "" : " ") + word.substr(0, word.find('|'));
  }
  return text;
}

/// Every usage's first word and, after "expect", its second, with each
/// alternative: what a step must start with to be one.
std::set<std::string> documentedStarts(const std::vector<std::string>& usages) {
  std::set<std::string> starts;
  for (const auto& usage : usages) {
    const auto words = split(usage, " ");
    const bool expectation = words[0] == "expect" && words.size() > 1;
    for (const auto& word : split(expectation ? words[1] : words[0], "|"))
      starts.insert(expectation ? "expect " + word : word);
  }
  return starts;
}

/// Whether `text` holds `part`; a failure shows the whole text.
::testing::AssertionResult has(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

class QuilloProgramTest : public ::testing::Test {
 protected:
  testing::ProgramResult run(std::vector<std::string> arguments, const std::string& input = {}) {
    return testing::runProgram(kProgram, arguments, input,
                               {{"HOME", home.home().string()},
                                {"XDG_CONFIG_HOME", home.config().string()},
                                {"XDG_STATE_HOME", home.state().string()}});
  }
  std::filesystem::path script(const std::string& text) {
    const auto path = home.root() / "script.scenario";
    testing::writeText(path, text);
    return path;
  }
  /// Runs `text` as a script in virtual time, after `options`.
  testing::ProgramResult runScript(const std::string& text, std::vector<std::string> options = {}) {
    options.insert(options.end(), {"--virtual-time", "--script", script(text).string()});
    return run(options);
  }
  testing::TempHome home;
};

TEST_F(QuilloProgramTest, HelpDocumentsTheOptions) {
  const auto result = run({"--help"});
  EXPECT_EQ(result.exitStatus, 0);
  for (const char* word : {"--script", "--virtual-time", "--update", "--check", "--diagnose"})
    EXPECT_TRUE(has(result.out, word));
  EXPECT_EQ(run({"--colour"}).exitStatus, 2);
  EXPECT_EQ(run({"--virtual-time"}).exitStatus, 2);
}

TEST_F(QuilloProgramTest, HelpListsEveryStepTheGoldenScriptsUse) {
  const auto starts = documentedStarts(helpUsages(run({"--help"}).out, "steps", " | "));
  ASSERT_GT(starts.size(), 20u);
  std::vector<std::filesystem::path> scripts;
  for (const auto& folder : {kSourceTree / "tests", kSourceTree / "examples"}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      if (entry.path().extension() == ".scenario") scripts.push_back(entry.path());
    }
  }
  ASSERT_GT(scripts.size(), 10u);
  for (const auto& file : scripts) {
    for (const auto& line : split(testing::readText(file), "\n")) {
      if (line.empty() || std::string("#|>").find(line[0]) != std::string::npos) continue;
      const auto words = split(line, " ");
      const std::string start = words[0] == "expect" ? "expect " + words[1] : words[0];
      EXPECT_TRUE(starts.contains(start)) << start << " in " << file;
    }
  }
}

TEST_F(QuilloProgramTest, EveryStepAndCommandInTheHelpIsUnderstood) {
  const std::string help = run({"--help"}).out;
  // Each step and command as far as it is written as it stands: the parser
  // may ask for the rest, but must know it.
  std::string steps;
  for (const auto& usage : helpUsages(help, "steps", " | "))
    steps += fixedWords(usage) + "\n";
  const auto commands = helpUsages(help, "commands", ", ");
  for (const auto& usage : commands)
    steps += "run " + fixedWords(usage) + "\n";
  ASSERT_GT(commands.size(), 10u);

  const auto result = runScript(steps);
  for (const char* unknown : {"no step", "no expectation", "no command"})
    EXPECT_FALSE(has(result.out, unknown));
  // And those are what words the parser does not know really get.
  const auto unknown = runScript("frobnicate\nexpect rain\nrun dance\n");
  for (const char* message :
       {"no step \"frobnicate\"", "no expectation \"rain\"", "no command \"dance\""})
    EXPECT_TRUE(has(unknown.out, message));
}

TEST_F(QuilloProgramTest, AScriptRunsAndItsExpectationsDecideTheExitStatus) {
  const auto passing = runScript(R"(launch mail
grant accessibility
wait 2
press e
expect mailbox Archive count 3
)");
  EXPECT_EQ(passing.exitStatus, 0) << passing.out << passing.err;
  EXPECT_TRUE(has(passing.out, "» press e\n    e: perform archive\n"));
  EXPECT_TRUE(has(passing.out, "5 steps; every expectation held"));

  const auto failing = runScript("expect windows 3\npress nokey\n");
  EXPECT_EQ(failing.exitStatus, 1);
  EXPECT_TRUE(has(failing.out, "✗ Mail is not running"));
  EXPECT_TRUE(has(failing.out, "2 failed"));
}

TEST_F(QuilloProgramTest, AScriptThatCannotBeReadIsAnError) {
  EXPECT_EQ(run({"--script", (home.root() / "missing.scenario").string()}).exitStatus, 2);
  const auto broken = run({"--script", script("> nothing before me\n").string()});
  EXPECT_EQ(broken.exitStatus, 2);
  EXPECT_TRUE(has(broken.err, "line 1"));
  // A fault far down is found before any step runs.
  const auto late = run({"--script", script("launch mail\n# note\n| orphan\n").string()});
  EXPECT_EQ(late.exitStatus, 2);
  EXPECT_TRUE(has(late.err, "line 3"));
  EXPECT_EQ(late.out, "");
}

TEST_F(QuilloProgramTest, AStepTakesTheFormNamedByItsWordsBeforeOneTakingAnyWord) {
  // "quit mail" with no Mail running has nothing to quit; read as "quit
  // OTHER" (any application's name) it would fail.
  const auto quit = runScript("quit mail\n");
  EXPECT_EQ(quit.exitStatus, 0) << quit.out;
}

TEST_F(QuilloProgramTest, UpdateWritesTheObservationsIntoTheScript) {
  const auto file = script("launch mail\n# a comment stays\nselect 2\n");
  EXPECT_EQ(run({"--virtual-time", "--update", "--script", file.string()}).exitStatus, 0);
  const std::string updated = testing::readText(file);
  EXPECT_TRUE(has(updated, "launch mail\n> Mail launched"));
  EXPECT_TRUE(has(updated,
                  "# a comment stays\nselect 2\n> Mail: selected \"[quillo] Pull request #42 "
                  "merged\"\n"));
}

TEST_F(QuilloProgramTest, CheckComparesEachStepWithItsTranscriptLines) {
  const auto file = script("launch mail\nselect 2\npress down\n");
  ASSERT_EQ(run({"--virtual-time", "--update", "--script", file.string()}).exitStatus, 0);
  const auto same = run({"--virtual-time", "--check", "--script", file.string()});
  EXPECT_EQ(same.exitStatus, 0) << same.out;
  EXPECT_TRUE(has(same.out, "every step as written"));

  std::string text = testing::readText(file);
  const std::string selected = "> Mail: selected \"[quillo] Pull request #42 merged\"\n";
  ASSERT_TRUE(has(text, selected));
  text.replace(text.find(selected), selected.size(), "> Mail: selected \"Something else\"\n");
  testing::writeText(file, text);
  const auto differing = run({"--virtual-time", "--check", "--script", file.string()});
  EXPECT_EQ(differing.exitStatus, 1);
  EXPECT_TRUE(has(differing.out, "1 steps differ"));
  EXPECT_TRUE(has(differing.out,
                  "line 8 (select 2):\n  - Mail: selected \"Something else\"\n  + Mail: "
                  "selected \"[quillo] Pull request #42 merged\"\n"));
  EXPECT_EQ(run({"--virtual-time", "--check", "--update", "--script", file.string()}).exitStatus,
            2);
}

TEST_F(QuilloProgramTest, AScriptWithAStartStepStartsQuilloItself) {
  EXPECT_TRUE(has(runScript("launch mail\n").out, "(Quillo starts)"));

  // Quillo starts at the script's start step, with the permission granted before it.
  const auto with = runScript("grant accessibility\nlaunch mail\nstart\nexpect status active\n");
  EXPECT_EQ(with.exitStatus, 0) << with.out;
  EXPECT_FALSE(has(with.out, "(Quillo starts)"));
  EXPECT_TRUE(has(with.out, "» start\n    status: active\n"));

  const auto twice = runScript("start\nstart\n");
  EXPECT_EQ(twice.exitStatus, 1);
  EXPECT_TRUE(has(twice.out, "Quillo is already running"));
}

TEST_F(QuilloProgramTest, StepsThatNeedQuilloSaySoOnceItQuitAndStartStartsItAgain) {
  // Quit from the panel: the process ends, and what needs it says so.
  const auto result = runScript(R"(grant accessibility
launch mail
start
show panel
click panel "Quit"
set outlookMac
debug-log on
run menu-check
show panel
read panel
quit quillo
start
expect status active
)");
  EXPECT_EQ(result.exitStatus, 1);
  const std::string notRunning = "\u2717 Quillo is not running (start starts it)\n";
  for (const char* step : {"set outlookMac", "debug-log on", "run menu-check", "show panel",
                           "read panel", "quit quillo"})
    EXPECT_TRUE(has(result.out, "\u00bb " + std::string(step) + "\n    " + notRunning));
  EXPECT_TRUE(has(result.out, "13 steps; 6 failed"));
}

TEST_F(QuilloProgramTest, TheConsoleReadsStepsFromStandardInput) {
  const auto result = run({}, "launch mail\nselect 3\nhelp\nquit\npress e\n");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_TRUE(has(result.out, "» select 3\n    Mail: selected \"Lunch on Friday?\""));
  EXPECT_TRUE(has(result.out, "steps (one per line"));
  EXPECT_FALSE(has(result.out, "» press e"));  // after quit
}

TEST_F(QuilloProgramTest, QuilloKeepsItsRealFilesInTheXdgFolders) {
  runScript("debug-log on\n");
  EXPECT_TRUE(std::filesystem::exists(home.config() / "Quillo" / "keymap.json"));
  EXPECT_TRUE(std::filesystem::exists(home.config() / "Preferences" / "com.larkmoor.Quillo.json"));
  EXPECT_TRUE(has(testing::readText(home.state() / "Quillo" / "debug.log"), "debug logging on"));
}

TEST_F(QuilloProgramTest, DiagnoseWritesToTheDebugLogAfterOneSecond) {
  const auto result = runScript("grant accessibility\nlaunch mail\nwait 1.1\n", {"--diagnose"});
  EXPECT_EQ(result.exitStatus, 0);
  const std::string log = testing::readText(home.state() / "Quillo" / "debug.log");
  EXPECT_TRUE(has(
      log, "--diagnose: Accessibility=false, Input Monitoring preflight=false, tap=notAttempted"));
  EXPECT_TRUE(has(log, "focus capture: "));
}

}  // namespace
}  // namespace quillo
