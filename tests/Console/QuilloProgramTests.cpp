// The `quillo` program as a user runs it: options, scripts, exit statuses.
#include <gtest/gtest.h>

#include "Files.hpp"
#include "RunProgram.hpp"
#include "TempHome.hpp"

namespace quillo {
namespace {

const std::string kProgram = QUILLO_PROGRAM;

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
  testing::TempHome home;
};

TEST_F(QuilloProgramTest, HelpDocumentsTheStepsAndOptions) {
  const auto result = run({"--help"});
  EXPECT_EQ(result.exitStatus, 0);
  for (const char* word : {"--script", "--virtual-time", "--diagnose", "press KEY",
                           "expect mailbox", "write FILE", "answer BUTTON", "run COMMAND"}) {
    EXPECT_NE(result.out.find(word), std::string::npos) << word;
  }
  EXPECT_EQ(run({"--colour"}).exitStatus, 2);
  EXPECT_EQ(run({"--virtual-time"}).exitStatus, 2);
}

TEST_F(QuilloProgramTest, AScriptRunsAndItsExpectationsDecideTheExitStatus) {
  const auto passing = run({"--virtual-time", "--script",
                            script(R"(launch mail
grant accessibility
wait 2
press e
expect mailbox Archive count 3
)")
                                .string()});
  EXPECT_EQ(passing.exitStatus, 0) << passing.out << passing.err;
  EXPECT_NE(passing.out.find("» press e\n    e: perform archive\n"), std::string::npos)
      << passing.out;
  EXPECT_NE(passing.out.find("5 steps; every expectation held"), std::string::npos);

  const auto failing =
      run({"--virtual-time", "--script", script("expect windows 3\npress nokey\n").string()});
  EXPECT_EQ(failing.exitStatus, 1);
  EXPECT_NE(failing.out.find("✗ Mail is not running"), std::string::npos) << failing.out;
  EXPECT_NE(failing.out.find("2 failed"), std::string::npos);
}

TEST_F(QuilloProgramTest, AScriptThatCannotBeReadIsAnError) {
  EXPECT_EQ(run({"--script", (home.root() / "missing.scenario").string()}).exitStatus, 2);
  const auto broken = run({"--script", script("> nothing before me\n").string()});
  EXPECT_EQ(broken.exitStatus, 2);
  EXPECT_NE(broken.err.find("line 1"), std::string::npos);
}

TEST_F(QuilloProgramTest, UpdateWritesTheObservationsIntoTheScript) {
  const auto file = script("launch mail\n# a comment stays\nselect 2\n");
  EXPECT_EQ(run({"--virtual-time", "--update", "--script", file.string()}).exitStatus, 0);
  const std::string updated = testing::readText(file);
  EXPECT_NE(updated.find("launch mail\n> Mail launched"), std::string::npos) << updated;
  EXPECT_NE(
      updated.find(
          "# a comment stays\nselect 2\n> Mail: selected \"[quillo] Pull request #42 merged\"\n"),
      std::string::npos)
      << updated;
}

TEST_F(QuilloProgramTest, TheConsoleReadsStepsFromStandardInput) {
  const auto result = run({}, "launch mail\nselect 3\nhelp\nquit\npress e\n");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_NE(result.out.find("» select 3\n    Mail: selected \"Lunch on Friday?\""),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("steps (one per line"), std::string::npos);
  EXPECT_EQ(result.out.find("» press e"), std::string::npos);  // after quit
}

TEST_F(QuilloProgramTest, QuilloKeepsItsRealFilesInTheXdgFolders) {
  run({"--virtual-time", "--script", script("debug-log on\n").string()});
  EXPECT_TRUE(std::filesystem::exists(home.config() / "Quillo" / "keymap.json"));
  EXPECT_TRUE(std::filesystem::exists(home.config() / "Preferences" / "com.larkmoor.Quillo.json"));
  EXPECT_NE(testing::readText(home.state() / "Quillo" / "debug.log").find("debug logging on"),
            std::string::npos);
}

TEST_F(QuilloProgramTest, DiagnoseWritesToTheDebugLogAfterOneSecond) {
  const auto result = run({"--diagnose", "--virtual-time", "--script",
                           script(R"(grant accessibility
launch mail
wait 1.1
)")
                               .string()});
  EXPECT_EQ(result.exitStatus, 0);
  const std::string log = testing::readText(home.state() / "Quillo" / "debug.log");
  EXPECT_NE(
      log.find(
          "--diagnose: Accessibility=false, Input Monitoring preflight=false, tap=notAttempted"),
      std::string::npos)
      << log;
  EXPECT_NE(log.find("focus capture: "), std::string::npos);
}

}  // namespace
}  // namespace quillo
