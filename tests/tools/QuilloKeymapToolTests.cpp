#include <gtest/gtest.h>

#include "Fixtures.hpp"
#include "RunProgram.hpp"

namespace quillo {
namespace {

const std::string kTool = QUILLO_KEYMAP_TOOL;

/// Runs every case of a fixture table against one subcommand.
void runTable(const std::string& fixture, const std::string& command) {
  const auto table = testing::loadFixture(fixture);
  for (const auto& entry : table["cases"]) {
    SCOPED_TRACE(entry["args"].dump());
    std::vector<std::string> arguments{command};
    for (const auto& argument : entry["args"])
      arguments.push_back(argument);
    const auto result = testing::runProgram(kTool, arguments);
    EXPECT_EQ(result.exitStatus, entry["exit"].get<int>()) << result.err;
    if (entry.contains("out")) {
      EXPECT_EQ(result.out, entry["out"].get<std::string>() + "\n");
      EXPECT_EQ(result.err, "");
    }
    if (entry.contains("err")) {
      EXPECT_TRUE(result.err.starts_with(entry["err"].get<std::string>())) << result.err;
      EXPECT_EQ(result.out, "");
    }
  }
}

TEST(QuilloKeymapTool, Explain) {
  runTable("explain.json", "explain");
}

TEST(QuilloKeymapTool, UnknownCommandAndHelp) {
  const auto unknown = testing::runProgram(kTool, {"frobnicate"});
  EXPECT_EQ(unknown.exitStatus, 2);
  EXPECT_TRUE(unknown.err.starts_with("error: unknown command"));
  const auto help = testing::runProgram(kTool, {"--help"});
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_NE(help.out.find("explain"), std::string::npos);
}

}  // namespace
}  // namespace quillo
