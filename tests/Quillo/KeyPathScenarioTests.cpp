// Golden scenarios of the key path: every file in scenarios/keypath is run on
// a fresh simulated Mac and its transcript compared with the file's "> "
// lines. QUILLO_UPDATE_GOLDEN=1 rewrites the files with what happened, for a
// reviewer to read in the diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "Console/ScenarioRunner.hpp"
#include "Files.hpp"
#include "KeyPathRig.hpp"

namespace quillo {
namespace {

std::vector<std::filesystem::path> scenarioFiles(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".scenario") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class KeyPathScenario : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(KeyPathScenario, MatchesItsTranscript) {
  const std::filesystem::path file = GetParam();
  const auto scenario = console::Scenario::parse(testing::readText(file));

  platform::ManualMainLoop loop;
  sim::SimulatedMac mac(loop, [&loop](platform::Duration d) { loop.elapse(d); });
  sim::User user(mac, [&loop] { loop.runUntilIdle(); });
  testing::KeyPathRig rig(mac, loop);
  console::ManualLoopDriver driver(loop);
  console::ScenarioRunner runner(mac, user, rig, driver);
  const auto outcome = runner.runAll(scenario);

  for (const auto& failure : outcome.failures)
    ADD_FAILURE() << failure;
  if (std::getenv("QUILLO_UPDATE_GOLDEN")) {
    std::ofstream(file) << outcome.rendered;
    return;
  }
  for (const auto& mismatch : outcome.mismatches)
    ADD_FAILURE() << mismatch;
}

INSTANTIATE_TEST_SUITE_P(Golden, KeyPathScenario,
                         ::testing::ValuesIn(scenarioFiles(QUILLO_SCENARIOS "/keypath")),
                         [](const auto& info) {
                           std::string name = info.param.stem().string();
                           std::erase(name, '-');
                           return name;
                         });

}  // namespace
}  // namespace quillo
