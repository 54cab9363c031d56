#include <gtest/gtest.h>

#include <sys/stat.h>

#include "Files.hpp"
#include "Platform/FileSystem.hpp"
#include "Platform/linux/LinuxServices.hpp"
#include "RecordingDoubles.hpp"
#include "Session/RecordedServices.hpp"
#include "TempHome.hpp"

namespace quillo::platform {
namespace {

class LinuxServicesTest : public ::testing::Test {
 protected:
  testing::TempHome home;
  XdgPaths paths;
  RecordingSystemLog log;
};

TEST_F(LinuxServicesTest, PathsFollowTheXdgVariablesAndFallBackUnderHome) {
  EXPECT_EQ(paths.applicationSupport(), home.config());
  EXPECT_EQ(paths.logs(), home.state());
  EXPECT_EQ(paths.home(), home.home());
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("XDG_STATE_HOME", "relative/ignored", 1);
  EXPECT_EQ(paths.applicationSupport(), home.home() / ".config");
  EXPECT_EQ(paths.logs(), home.home() / ".local" / "state");
}

TEST_F(LinuxServicesTest, DefaultsKeepTheirTypesAcrossARestart) {
  const auto file = JsonFileUserDefaults::standardFile(paths);
  EXPECT_EQ(file, home.config() / "Preferences" / "com.larkmoor.Quillo.json");
  {
    JsonFileUserDefaults defaults(file, log);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(defaults.value("enabled")));
    defaults.set("enabled", false);
    defaults.set("shortcutSet", "outlookMac");
    defaults.set("debugLogging", true);
    defaults.set("gone", true);
    defaults.remove("gone");
  }
  JsonFileUserDefaults again(file, log);
  EXPECT_EQ(again.boolean("enabled"), false);
  EXPECT_EQ(again.string("shortcutSet"), "outlookMac");
  EXPECT_EQ(again.boolean("debugLogging"), true);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(again.value("gone")));
  // A boolean is not a string.
  EXPECT_FALSE(again.string("enabled").has_value());
  EXPECT_TRUE(log.lines.empty());
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(LinuxServicesTest, TheSettingsOfEarlierVersionsAreReadUntilTheNewFileIsWritten) {
  const auto former = JsonFileUserDefaults::formerStandardFile(paths);
  const auto file = JsonFileUserDefaults::standardFile(paths);
  testing::writeText(former, R"({"shortcutSet": "outlookMac", "enabled": true})");
  {
    JsonFileUserDefaults defaults(file, log, former);
    EXPECT_EQ(defaults.string("shortcutSet"), "outlookMac");
    defaults.set("debugLogging", true);
  }
  testing::writeText(former, R"({"shortcutSet": "gmail"})");  // no longer read
  JsonFileUserDefaults again(file, log, former);
  EXPECT_EQ(again.string("shortcutSet"), "outlookMac");
  EXPECT_EQ(again.boolean("debugLogging"), true);
}

TEST_F(LinuxServicesTest, BooleansAreReadAsTheMacReadsThemAndOtherValuesSurviveWrites) {
  const auto file = home.config() / "Quillo" / "defaults.json";
  testing::writeText(file, R"({"yes": "YES", "true": "true", "one": "1", "padded": "  y",
      "seven": "+007", "no": "NO", "zero": "0", "empty": "", "word": "enabled",
      "number": 2, "nought": 0, "fraction": 0.5, "list": [1], "object": {}})");
  JsonFileUserDefaults defaults(file, log);
  for (const char* key : {"yes", "true", "one", "padded", "seven", "number", "fraction"}) {
    EXPECT_EQ(defaults.boolean(key), true) << key;
  }
  for (const char* key : {"no", "zero", "empty", "word", "nought"}) {
    EXPECT_EQ(defaults.boolean(key), false) << key;
  }
  for (const char* key : {"list", "object", "absent"}) {
    EXPECT_EQ(defaults.boolean(key), std::nullopt) << key;
  }
  // As values they are what they are, and a write keeps them.
  EXPECT_EQ(defaults.value("word"), DefaultValue(std::string("enabled")));
  EXPECT_EQ(defaults.value("number"), DefaultValue(2.0));
  EXPECT_EQ(defaults.value("list"), DefaultValue(OtherDefaultValue{}));
  defaults.set("debugLogging", true);
  const auto written = nlohmann::json::parse(testing::readText(file));
  EXPECT_EQ(written["number"], 2);
  EXPECT_EQ(written["list"], nlohmann::json::array({1}));
}

TEST_F(LinuxServicesTest, ACorruptDefaultsFileMeansEmptyDefaultsAndIsKeptBesideByTheNextWrite) {
  const auto file = home.config() / "Quillo" / "defaults.json";
  const struct {
    std::string corrupt;
    const char* keptAs;
  } cases[] = {{"{\"enabled\": fal", "defaults.json.corrupt"},
               {"[true]", "defaults.json.corrupt-2"},
               {"\xFF\xFE", "defaults.json.corrupt-3"},
               {std::string("{\"enabled\": false}\0{", 21), "defaults.json.corrupt-4"}};
  for (const auto& c : cases) {
    testing::writeText(file, c.corrupt);
    log.lines.clear();
    JsonFileUserDefaults defaults(file, log);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(defaults.value("enabled"))) << c.keptAs;
    ASSERT_EQ(log.lines.size(), 1u) << c.keptAs;
    EXPECT_EQ(log.lines[0].level, LogLevel::error);
    EXPECT_EQ(log.lines[0].category, "app");
    EXPECT_EQ(defaults.loadProblem(), log.lines[0].message);
    EXPECT_EQ(testing::readText(file), c.corrupt);
    EXPECT_FALSE(std::filesystem::exists(file.parent_path() / c.keptAs));
    defaults.set("enabled", true);
    EXPECT_EQ(nlohmann::json::parse(testing::readText(file)), nlohmann::json({{"enabled", true}}));
    EXPECT_EQ(testing::readText(file.parent_path() / c.keptAs), c.corrupt);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[1].message, "Kept a copy of the unusable settings file as " +
                                        (file.parent_path() / c.keptAs).string());
    // Kept once: later writes only write the settings.
    defaults.set("enabled", false);
    EXPECT_EQ(log.lines.size(), 2u);
  }
  JsonFileUserDefaults good(file, log);
  EXPECT_EQ(good.loadProblem(), std::nullopt);
}

TEST_F(LinuxServicesTest, AnUnwritableDefaultsFolderIsLoggedNotFatal) {
  // A file where the folder should be: the folder can never be created.
  testing::writeText(home.config() / "Quillo", "not a folder");
  JsonFileUserDefaults defaults(home.config() / "Quillo" / "defaults.json", log);
  defaults.set("enabled", false);
  EXPECT_EQ(defaults.boolean("enabled"), false);  // kept in memory
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_TRUE(log.lines[0].message.starts_with("Couldn't save the settings: "));
}

TEST_F(LinuxServicesTest, WritingIntoAMissingFolderFailsAndReadingSaysWhy) {
  EXPECT_NE(writeFileAtomically(home.root() / "missing" / "x.json", "x"), std::nullopt);
  const auto read = readFile(home.root() / "missing" / "x.json");
  EXPECT_FALSE(read.ok);
  EXPECT_EQ(read.error, "No such file or directory");
}

TEST_F(LinuxServicesTest, AutostartEntryAppearsAndDisappears) {
  RecordingOpener opener;
  XdgAutostartLoginItems items(paths, opener, "/opt/Quillo \"beta\"/bin/quillo");
  const auto entry = home.config() / "autostart" / "com.larkmoor.Quillo.desktop";
  EXPECT_EQ(items.entryFile(), entry);
  EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
  EXPECT_EQ(items.registerApp(), std::nullopt);
  EXPECT_EQ(items.status(), LoginItemStatus::enabled);
  const std::string text = testing::readText(entry);
  EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
  EXPECT_NE(text.find("Exec=\"/opt/Quillo \\\"beta\\\"/bin/quillo\"\n"), std::string::npos);
  EXPECT_EQ(items.unregisterApp(), std::nullopt);
  EXPECT_EQ(items.status(), LoginItemStatus::notRegistered);
  EXPECT_FALSE(std::filesystem::exists(entry));
  items.openSystemSettingsLoginItems();
  EXPECT_EQ(opener.opened, std::vector<std::string>{(home.config() / "autostart").string()});

  XdgAutostartLoginItems nowhere(paths, opener, "");
  EXPECT_EQ(nowhere.status(), LoginItemStatus::notFound);
  EXPECT_NE(nowhere.registerApp(), std::nullopt);
}

TEST_F(LinuxServicesTest, BundleFindsResourcesBesideTheProgram) {
  const auto folder = home.root() / "share" / "quillo";
  testing::writeText(folder / "keymap.json", "{}");
  InstalledBundle bundle(folder);
  EXPECT_EQ(bundle.resource("keymap.json"), folder / "keymap.json");
  EXPECT_EQ(bundle.resource("missing.json"), std::nullopt);
  EXPECT_FALSE(bundle.shortVersion().empty());
  EXPECT_EQ(InstalledBundle("").resource("keymap.json"), std::nullopt);
}

}  // namespace
}  // namespace quillo::platform
