#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "QuilloCore/FileLimits.hpp"

#include "Fixtures.hpp"
#include "RunProgram.hpp"

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

TEST(QuilloKeymapTool, Explain) {
  runTable("explain.json", "explain");
}

TEST(QuilloKeymapTool, Check) {
  runTable("check.json", "check");
}

TEST(QuilloKeymapTool, Cheatsheet) {
  runTable("cheatsheet.json", "cheatsheet");
}

TEST(QuilloKeymapTool, CheckReadsTheUsersKeymapByDefault) {
  const auto config = std::filesystem::temp_directory_path() / "quillo-check-test";
  std::filesystem::create_directories(config / "Quillo");
  std::filesystem::copy_file(QUILLO_DEFAULT_KEYMAP_FILE, config / "Quillo" / "keymap.json",
                             std::filesystem::copy_options::overwrite_existing);
  const auto viaXDG =
      testing::runProgram(kTool, {"check"}, "", {{"XDG_CONFIG_HOME", config.string()}});
  EXPECT_EQ(viaXDG.exitStatus, 0) << viaXDG.err;
  EXPECT_EQ(viaXDG.out, (config / "Quillo" / "keymap.json").string() +
                            ": 16 single keys, 2 chords, 0 warnings\n");

  std::filesystem::create_directories(config / "home" / ".config" / "Quillo");
  std::filesystem::copy_file(QUILLO_DEFAULT_KEYMAP_FILE,
                             config / "home" / ".config" / "Quillo" / "keymap.json",
                             std::filesystem::copy_options::overwrite_existing);
  const auto viaHome = testing::runProgram(
      kTool, {"check"}, "", {{"XDG_CONFIG_HOME", ""}, {"HOME", (config / "home").string()}});
  EXPECT_EQ(viaHome.exitStatus, 0) << viaHome.err;
  EXPECT_TRUE(viaHome.out.starts_with((config / "home" / ".config/Quillo/keymap.json").string()));
  std::filesystem::remove_all(config);
}

TEST(QuilloKeymapTool, AFIFOIsRefusedAtOnceAndAHugeFileIsNotReadWhole) {
  const auto folder = std::filesystem::temp_directory_path() / "quillo-fifo-test";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const auto fifo = folder / "keymap.json";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // With no writer, a blocking read would never return; the tool must.
  for (const char* command : {"check", "cheatsheet", "explain"}) {
    std::vector<std::string> arguments{command};
    if (std::string(command) != "check") arguments.push_back("--file");
    arguments.push_back(fifo.string());
    if (std::string(command) == "explain") arguments.push_back("e");
    const auto result = testing::runProgram(kTool, arguments);
    EXPECT_EQ(result.exitStatus, 1) << command;
    EXPECT_EQ(result.err, "error: cannot read " + fifo.string() + ": it is not a regular file\n");
  }
  const auto huge = folder / "huge.json";
  {
    std::ofstream out(huge);
    out << "{\"about\": \"" << std::string(FileLimits::maximumSize + 100, 'x') << "\"}";
  }
  const auto result = testing::runProgram(kTool, {"check", huge.string()});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.err, "error: " + huge.string() + " isn't valid: the file is larger than 4 MB\n");
  std::filesystem::remove_all(folder);
}

TEST(QuilloKeymapTool, BytesAfterTheDocumentAreRefusedLikeAnyTrailingText) {
  const auto folder = std::filesystem::temp_directory_path() / "quillo-trailing-test";
  std::filesystem::create_directories(folder);
  const auto file = folder / "keymap.json";
  for (const std::string& trailing : {std::string(" junk"), std::string("\0junk", 5)}) {
    {
      std::ofstream out(file, std::ios::binary | std::ios::trunc);
      out << R"({"keys": {"y": "archive"}})" << trailing;
    }
    const auto result = testing::runProgram(kTool, {"check", file.string()});
    EXPECT_EQ(result.exitStatus, 1) << trailing.size();
    EXPECT_EQ(result.err, "error: " + file.string() + " isn't valid: malformed JSON\n");
  }
  std::filesystem::remove_all(folder);
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
