#include <gtest/gtest.h>

#include <sys/stat.h>

#include "DebugLog.hpp"
#include "Files.hpp"
#include "Platform/linux/LinuxServices.hpp"
#include "Preferences.hpp"
#include "RecordingDoubles.hpp"
#include "Session/RecordedServices.hpp"
#include "TempHome.hpp"

namespace quillo {
namespace {

using platform::WallClock;

/// Fixes the local time zone for the duration of a test.
class FixedTimeZone {
 public:
  explicit FixedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~FixedTimeZone() {
    if (saved_) {
      ::setenv("TZ", saved_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }

 private:
  std::optional<std::string> saved_;
};

class DebugLogTest : public ::testing::Test {
 protected:
  testing::TempHome home;
  FixedTimeZone zone{"UTC"};
  platform::XdgPaths paths;
  platform::RecordingSystemLog systemLog;
  // 2026-03-04 05:06:07.089 UTC
  WallClock::time_point now = WallClock::time_point(std::chrono::milliseconds(1772600767089));
  DebugLog log{paths, systemLog, [this] { return now; }};
};

TEST_F(DebugLogTest, FileLivesInTheLogsFolder) {
  EXPECT_EQ(log.filePath(), home.state() / "Quillo" / "debug.log");
}

TEST_F(DebugLogTest, GuardedLinesGoNowhereWhileOffAndAlwaysLinesGoEverywhere) {
  log.log("keymap applied: set gmail, 16 keys, 2 chords, 0 warnings");
  EXPECT_FALSE(std::filesystem::exists(log.filePath()));
  EXPECT_TRUE(systemLog.lines.empty());

  log.log("event tap installed with Accessibility=yes, Input Monitoring=no", true);
  EXPECT_EQ(
      testing::readText(log.filePath()),
      "2026-03-04 05:06:07.089 event tap installed with Accessibility=yes, Input Monitoring=no\n");
  ASSERT_EQ(systemLog.lines.size(), 1u);
  EXPECT_EQ(systemLog.lines[0].category, "debug");
  EXPECT_EQ(systemLog.lines[0].level, platform::LogLevel::info);

  log.setEnabled(true);
  now += std::chrono::milliseconds(1);
  log.log("archive: pressed Message \u203a Archive");
  EXPECT_TRUE(testing::readText(log.filePath())
                  .ends_with("2026-03-04 05:06:07.090 archive: pressed Message \u203a Archive\n"));
}

TEST_F(DebugLogTest, TimestampsAreLocalTime) {
  FixedTimeZone berlin("Europe/Berlin");
  EXPECT_EQ(DebugLog::timestamp(now), "2026-03-04 06:06:07.089");
  EXPECT_EQ(DebugLog::timestamp(WallClock::time_point(std::chrono::seconds(0))),
            "1970-01-01 01:00:00.000");
}

TEST_F(DebugLogTest, TheFileIsCreatedForItsOwnerOnly) {
  log.log("x", true);
  struct stat info {};
  ASSERT_EQ(::stat(log.filePath().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(DebugLogTest, AFileOfExactlyTheLimitIsAppendedToAndOneByteMoreStartsAfresh) {
  const std::string line = "2026-03-04 05:06:07.089 next\n";
  testing::writeText(log.filePath(), std::string(DebugLog::maximumSize, 'x'));
  log.log("next", true);
  EXPECT_EQ(std::filesystem::file_size(log.filePath()), DebugLog::maximumSize + line.size());

  testing::writeText(log.filePath(), std::string(DebugLog::maximumSize + 1, 'x'));
  log.log("next", true);
  EXPECT_EQ(testing::readText(log.filePath()), line);
}

TEST_F(DebugLogTest, AnUnwritableFolderLosesTheLineButNotTheMirror) {
  std::filesystem::create_directories(home.state());
  testing::writeText(home.state() / "Quillo", "a file where the folder should be");
  log.log("lost", true);
  EXPECT_EQ(systemLog.lines.size(), 1u);
}

TEST(Preferences, EnabledIsTrueUnlessItReadsAsFalse) {
  platform::InMemoryUserDefaults defaults;
  Preferences prefs(defaults);
  EXPECT_TRUE(prefs.enabled());
  defaults.set("enabled", false);
  EXPECT_FALSE(prefs.enabled());
  defaults.set("enabled", "NO");  // as a Mac reads a hand-edited string
  EXPECT_FALSE(prefs.enabled());
  defaults.set("enabled", "YES");
  EXPECT_TRUE(prefs.enabled());
  defaults.values["enabled"] = platform::OtherDefaultValue{};  // neither: on
  EXPECT_TRUE(prefs.enabled());
}

TEST(Preferences, LastActiveSet) {
  platform::InMemoryUserDefaults defaults;
  Preferences prefs(defaults);
  EXPECT_EQ(prefs.lastActiveSet(), ShortcutSet::gmail);
  prefs.setLastActiveSet(ShortcutSet::outlookWindows);
  EXPECT_EQ(defaults.string("lastActiveSet"), "outlookWindows");
  EXPECT_EQ(prefs.lastActiveSet(), ShortcutSet::outlookWindows);
  defaults.set("lastActiveSet", "larkpost");  // no set of ours
  EXPECT_EQ(prefs.lastActiveSet(), ShortcutSet::gmail);
}

}  // namespace
}  // namespace quillo
