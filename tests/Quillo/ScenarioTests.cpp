// Golden scenarios: every file under scenarios/ is run with Quillo on a fresh
// simulated Mac and its transcript compared with the file's "> " lines.
// QUILLO_UPDATE_GOLDEN=1 rewrites the files with what happened, for a
// reviewer to read in the diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "Files.hpp"
#include "QuilloFixture.hpp"
#include "Session/ScenarioRunner.hpp"

namespace quillo {
namespace {

std::vector<std::filesystem::path> scenarioFiles(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.path().extension() == ".scenario") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

/// Runs the scenario in `file` and reports its failures and, unless the
/// file is being rewritten, how its transcript differs.
void runScenario(const std::filesystem::path& file, bool macAdapters) {
  const auto scenario = simulated::Scenario::parse(testing::readText(file));
  testing::TempHome home;
  auto options = testing::testSessionOptions();
  options.macAdapters = macAdapters;
  simulated::Session session(options);
  const auto outcome = session.runner().runAll(scenario);
  for (const auto& failure : outcome.failures)
    ADD_FAILURE() << failure;
  if (!macAdapters && std::getenv("QUILLO_UPDATE_GOLDEN")) {
    std::ofstream(file) << outcome.rendered;
    return;
  }
  for (const auto& mismatch : outcome.mismatches)
    ADD_FAILURE() << mismatch;
}

class Scenario : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(Scenario, MatchesItsTranscript) {
  runScenario(GetParam(), false);
}

/// The same scenarios with Quillo reaching the event taps, the keyboard
/// layout and Accessibility through the macOS adapters over the MacShim: the
/// transcripts must not differ by a line. Never rewrites the files.
class MacAdapterScenario : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(MacAdapterScenario, MatchesItsTranscript) {
  runScenario(GetParam(), true);
}

/// A step's words, as a script writes them.
simulated::ScenarioStep step(const std::string& text) {
  return simulated::Scenario::parse(text + "\n").steps.front();
}

bool shows(const simulated::StepResult& result, const std::string& line) {
  return std::find(result.observations.begin(), result.observations.end(), line) !=
         result.observations.end();
}

TEST(ScenarioRunner, ShowsTheLinesOfADebugLogThatStartedAfresh) {
  testing::TempHome home;
  simulated::Session session(testing::testSessionOptions());
  auto& runner = session.runner();
  runner.run(step("grant accessibility"));
  runner.run(step("launch mail"));
  runner.run(step("start"));
  runner.run(step("debug-log on"));
  const auto file = session.debugLog().filePath();
  // The log has grown past its limit between steps: the next line starts a
  // new, shorter file, whose lines are what the step wrote.
  testing::writeText(file, std::string(DebugLog::maximumSize + 1, 'x') + "\n", std::ios::app);
  const auto afresh = runner.run(step("run window-structure"));
  EXPECT_LT(std::filesystem::file_size(file), DebugLog::maximumSize);
  EXPECT_TRUE(shows(afresh, "debug log: Mail window structure (tables and outlines):"))
      << ::testing::PrintToString(afresh.observations);
  // And a log deleted between steps is read from its start when it returns.
  std::filesystem::remove(file);
  const auto again = runner.run(step("run window-structure"));
  EXPECT_TRUE(shows(again, "debug log: Mail window structure (tables and outlines):"))
      << ::testing::PrintToString(again.observations);
}

std::string scenarioName(const ::testing::TestParamInfo<std::filesystem::path>& info) {
  std::string name =
      info.param.parent_path().filename().string() + "_" + info.param.stem().string();
  std::erase(name, '-');
  return name;
}

INSTANTIATE_TEST_SUITE_P(Golden, Scenario, ::testing::ValuesIn(scenarioFiles(QUILLO_SCENARIOS)),
                         scenarioName);
INSTANTIATE_TEST_SUITE_P(GoldenMac, MacAdapterScenario,
                         ::testing::ValuesIn(scenarioFiles(QUILLO_SCENARIOS)), scenarioName);

}  // namespace
}  // namespace quillo
