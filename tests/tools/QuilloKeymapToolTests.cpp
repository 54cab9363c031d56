#include <gtest/gtest.h>
#include <sys/stat.h>

#include "QuilloCore/FileLimits.hpp"

#include "Files.hpp"
#include "Fixtures.hpp"
#include "RunProgram.hpp"
#include "TempHome.hpp"

namespace quillo {
namespace {

const std::string kTool = QUILLO_KEYMAP_TOOL;

/// The fixture text with "{keymaps}" standing for the folder of sample files.
std::string expand(std::string text) {
  const std::string placeholder = "{keymaps}";
  const std::string folder = testing::fixturePath("keymaps").string();
  for (auto at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder)) {
    text.replace(at, placeholder.size(), folder);
  }
  return text;
}

/// Expected output: one string, or an array of lines.
std::string expectedOutput(const nlohmann::json& out) {
  if (out.is_string()) return expand(out.get<std::string>()) + "\n";
  std::string text;
  for (const auto& line : out) {
    text += expand(line.get<std::string>()) + "\n";
  }
  return text;
}

/// Runs every case of a fixture table against one subcommand.
void runTable(const std::string& fixture, const std::string& command) {
  const auto table = testing::loadFixture(fixture);
  for (const auto& entry : table["cases"]) {
    SCOPED_TRACE(entry["args"].dump());
    std::vector<std::string> arguments{command};
    for (const auto& argument : entry["args"]) {
      arguments.push_back(expand(argument));
    }
    const auto result = testing::runProgram(kTool, arguments);
    EXPECT_EQ(result.exitStatus, entry["exit"].get<int>()) << result.err;
    if (entry.contains("out")) {
      EXPECT_EQ(result.out, expectedOutput(entry["out"]));
      EXPECT_EQ(result.err, "");
    }
    if (entry.contains("outFile")) {
      const auto golden = testing::fixturePath(command) / entry["outFile"].get<std::string>();
      EXPECT_EQ(result.out, testing::readFile(golden));
      EXPECT_EQ(result.err, "");
    }
    if (entry.contains("err")) {
      // A message ending in a line feed is the whole of stderr; others its start.
      const std::string err = expand(entry["err"].get<std::string>());
      if (err.ends_with("\n")) {
        EXPECT_EQ(result.err, err);
      } else {
        EXPECT_TRUE(result.err.starts_with(err)) << result.err;
      }
      EXPECT_EQ(result.out, "");
    }
  }
}

TEST(QuilloKeymapTool, EveryFixtureTable) {
  for (const char* command : {"explain", "check", "cheatsheet"}) {
    SCOPED_TRACE(command);
    runTable(std::string(command) + ".json", command);
  }
}

TEST(QuilloKeymapTool, CheckReadsTheUsersKeymapByDefault) {
  testing::TempHome home;
  for (const auto& config : {home.config(), home.home() / ".config"}) {
    std::filesystem::create_directories(config / "Quillo");
    std::filesystem::copy_file(QUILLO_DEFAULT_KEYMAP_FILE, config / "Quillo" / "keymap.json");
  }
  const auto viaXDG = testing::runProgram(kTool, {"check"});
  EXPECT_EQ(viaXDG.exitStatus, 0) << viaXDG.err;
  EXPECT_EQ(viaXDG.out, (home.config() / "Quillo" / "keymap.json").string() +
                            ": 18 single keys, 2 chords, 0 warnings\n");
  const auto viaHome = testing::runProgram(kTool, {"check"}, "", {{"XDG_CONFIG_HOME", ""}});
  EXPECT_EQ(viaHome.exitStatus, 0) << viaHome.err;
  EXPECT_TRUE(viaHome.out.starts_with((home.home() / ".config/Quillo/keymap.json").string()));
}

TEST(QuilloKeymapTool, AFIFOIsRefusedAtOnceAndAHugeFileIsNotReadWhole) {
  testing::TempHome home;
  const auto fifo = home.root() / "keymap.json";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // With no writer, a blocking read would never return; the tool must.
  const std::vector<std::string> fifoRuns[] = {{"check", fifo.string()},
                                               {"cheatsheet", "--file", fifo.string()},
                                               {"explain", "--file", fifo.string(), "e"}};
  for (const auto& arguments : fifoRuns) {
    const auto result = testing::runProgram(kTool, arguments);
    EXPECT_EQ(result.exitStatus, 1) << arguments[0];
    EXPECT_EQ(result.err, "error: cannot read " + fifo.string() + ": it is not a regular file\n");
  }
  // Too big, or bytes after the document: one line each, as any invalid file.
  const std::string document = R"({"keys": {"y": "archive"}})";
  const std::pair<std::string, std::string> files[] = {
      {"{\"about\": \"" + std::string(FileLimits::maximumSize + 100, 'x') + "\"}",
       "the file is larger than 4 MB"},
      {document + " junk", "malformed JSON"},
      {document + std::string("\0junk", 5), "malformed JSON"},
  };
  const auto file = home.root() / "file.json";
  for (const auto& [contents, problem] : files) {
    testing::writeText(file, contents);
    const auto result = testing::runProgram(kTool, {"check", file.string()});
    EXPECT_EQ(result.exitStatus, 1) << problem;
    EXPECT_EQ(result.err, "error: " + file.string() + " isn't valid: " + problem + "\n");
  }
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
