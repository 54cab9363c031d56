// Golden scenarios: every file under scenarios/ is run with Quillo on a fresh
// simulated Mac and its transcript compared with the file's "> " lines.
// QUILLO_UPDATE_GOLDEN=1 rewrites the files with what happened, for a
// reviewer to read in the diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "Console/ScenarioRunner.hpp"
#include "Files.hpp"
#include "QuilloFixture.hpp"

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

class Scenario : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(Scenario, MatchesItsTranscript) {
  const std::filesystem::path file = GetParam();
  const auto scenario = console::Scenario::parse(testing::readText(file));

  testing::TempHome home;
  console::Session session(testing::testSessionOptions());
  const auto outcome = session.runner().runAll(scenario);

  for (const auto& failure : outcome.failures)
    ADD_FAILURE() << failure;
  if (std::getenv("QUILLO_UPDATE_GOLDEN")) {
    std::ofstream(file) << outcome.rendered;
    return;
  }
  for (const auto& mismatch : outcome.mismatches)
    ADD_FAILURE() << mismatch;
}

INSTANTIATE_TEST_SUITE_P(Golden, Scenario, ::testing::ValuesIn(scenarioFiles(QUILLO_SCENARIOS)),
                         [](const auto& info) {
                           std::string name = info.param.parent_path().filename().string() + "_" +
                                              info.param.stem().string();
                           std::erase(name, '-');
                           return name;
                         });

}  // namespace
}  // namespace quillo
