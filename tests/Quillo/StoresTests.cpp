#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>

#include <nlohmann/json.hpp>

#include "CustomStore.hpp"
#include "Files.hpp"
#include "KeymapStore.hpp"
#include "Platform/linux/LinuxServices.hpp"
#include "Platform/linux/ManualMainLoop.hpp"
#include "QuilloCore/FileLimits.hpp"
#include "QuilloCore/KeymapPreset.hpp"
#include "Session/RecordedServices.hpp"
#include "TempHome.hpp"

namespace quillo {
namespace {

using platform::Duration;

class KeymapStoreTest : public ::testing::Test {
 protected:
  void start() {
    store.start();
    store.setOnChange([this] { ++changes; });
  }
  void write(const std::string& text) { testing::writeText(store.filePath(), text); }
  /// The default keymap file the application carries.
  static std::string bundled() {
    return testing::readText(std::filesystem::path(QUILLO_RESOURCES) / "keymap.json");
  }

  testing::TempHome home;
  platform::XdgPaths paths;
  platform::RecordingSystemLog systemLog;
  platform::InstalledBundle bundle{QUILLO_RESOURCES};
  platform::ManualMainLoop loop;
  platform::PosixFileSystem realFiles;
  platform::FaultyFileSystem files{realFiles};
  KeymapStore store{loop, paths, files, bundle, systemLog};
  int changes = 0;
};

/// Runs `work`, which must not block on `fifo`: if it is still running after
/// a second, a writer opens and closes the FIFO so that it ends, and the
/// test fails instead of hanging.
void expectNoBlockOn(const std::filesystem::path& fifo, const std::function<void()>& work) {
  auto done = std::async(std::launch::async, work);
  if (done.wait_for(std::chrono::seconds(1)) == std::future_status::timeout) {
    ADD_FAILURE() << "blocked on " << fifo;
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  }
  done.get();
}

TEST_F(KeymapStoreTest, AFirstLaunchInstallsTheDefaultFileAndLoadsIt) {
  EXPECT_EQ(store.filePath(), home.config() / "Quillo" / "keymap.json");
  int calls = 0;
  store.setOnChange([&] { ++calls; });
  store.start();
  EXPECT_EQ(calls, 1);  // every load reports, the first one too
  EXPECT_EQ(testing::readText(store.filePath()), bundled());
  EXPECT_EQ(store.keymap(), Keymap::default_());
  EXPECT_FALSE(store.loadError());
}

TEST_F(KeymapStoreTest, EditsReloadOnceAfterTheQuietPeriod) {
  start();
  write(R"({"keys": {"y": "archive"}})");
  loop.advance(Duration(0.1));
  write(R"({"keys": {"y": "archive", "u": "undo"}})");
  loop.advance(Duration(0.15));
  EXPECT_EQ(changes, 0);  // still inside the quiet period of the last notice
  loop.advance(Duration(0.1));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(store.keymap().bindings.size(), 2u);
}

TEST_F(KeymapStoreTest, ADeletedFileMeansTheBuiltInDefaultsAndIsNotCopiedBack) {
  write(R"({"keys": {"y": "archive"}})");
  start();
  std::filesystem::remove(store.filePath());
  loop.advance(Duration(0.3));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(store.keymap(), Keymap::default_());
  EXPECT_EQ(store.loadError(), "keymap.json is missing, so the built-in defaults are in use.");
  EXPECT_FALSE(std::filesystem::exists(store.filePath()));
  // The folder watcher sees it come back.
  write(R"({"keys": {"u": "undo"}})");
  loop.advance(Duration(0.3));
  EXPECT_FALSE(store.loadError());
  EXPECT_EQ(store.keymap().bindings.size(), 1u);
}

TEST_F(KeymapStoreTest, AFailedInstallLeavesNoFileAndTheNextStartInstallsIt) {
  using Fault = platform::FaultyFileSystem::Fault;
  for (const Fault fault : {Fault::diskFull, Fault::readOnly}) {
    std::filesystem::remove_all(store.directoryURL());
    systemLog.lines.clear();
    files.faults = {{home.config(), fault}};
    std::filesystem::create_directories(store.directoryURL());
    KeymapStore first{loop, paths, files, bundle, systemLog};
    first.start();
    EXPECT_FALSE(std::filesystem::exists(first.filePath()));
    EXPECT_EQ(first.loadError(), KeymapStore::missingText);
    ASSERT_FALSE(systemLog.lines.empty());
    EXPECT_TRUE(systemLog.lines[0].message.starts_with("Couldn't install the default keymap: "))
        << systemLog.lines[0].message;
    EXPECT_EQ(systemLog.lines[0].level, platform::LogLevel::error);

    files.faults.clear();
    KeymapStore second{loop, paths, files, bundle, systemLog};
    second.start();
    EXPECT_EQ(second.loadError(), std::nullopt);
    EXPECT_EQ(testing::readText(second.filePath()), bundled());
  }
}

TEST_F(KeymapStoreTest, AResetOnAFullDiskKeepsTheUsersFile) {
  const std::string mine = R"({"keys": {"y": "archive"}})";
  write(mine);
  start();
  files.faults = {{store.directoryURL(), platform::FaultyFileSystem::Fault::diskFull}};
  store.resetToDefaults();
  loop.advance(Duration(0.3));
  EXPECT_EQ(testing::readText(store.filePath()), mine);
  EXPECT_EQ(store.keymap().bindings.size(), 1u);
}

TEST_F(KeymapStoreTest, AFIFOInPlaceOfTheFileIsRefusedWithoutBlocking) {
  std::filesystem::create_directories(store.directoryURL());
  ASSERT_EQ(::mkfifo(store.filePath().c_str(), 0600), 0);
  expectNoBlockOn(store.filePath(), [&] { start(); });
  EXPECT_EQ(store.loadError(), KeymapStore::notRegularText);
  EXPECT_EQ(store.keymap(), Keymap::default_());
  // A FIFO that appears while running is refused the same way.
  std::filesystem::remove(store.filePath());
  loop.advance(Duration(0.3));
  EXPECT_EQ(store.loadError(), KeymapStore::missingText);
  ASSERT_EQ(::mkfifo(store.filePath().c_str(), 0600), 0);
  expectNoBlockOn(store.filePath(), [&] { loop.advance(Duration(0.3)); });
  EXPECT_EQ(store.loadError(), KeymapStore::notRegularText);
}

TEST_F(KeymapStoreTest, AnUnreadableDefaultNeverReplacesTheUsersFile) {
  /// The real files, but the bundled default cannot be read (a damaged
  /// bundle, an I/O error).
  struct UnreadableDefault final : platform::FileSystem {
    platform::FileSystem& real;
    std::filesystem::path resource;
    UnreadableDefault(platform::FileSystem& real, std::filesystem::path resource)
        : real(real), resource(std::move(resource)) {}
    platform::FileResult read(const std::filesystem::path& path, std::size_t limit) override {
      if (path == resource) return {false, "", "Input/output error"};
      return real.read(path, limit);
    }
    std::optional<std::string> writeAtomically(const std::filesystem::path& path,
                                               std::string_view data, mode_t mode) override {
      return real.writeAtomically(path, data, mode);
    }
    std::optional<std::string> createDirectories(const std::filesystem::path& folder) override {
      return real.createDirectories(folder);
    }
    bool exists(const std::filesystem::path& path) override { return real.exists(path); }
    platform::FileKind kindAt(const std::filesystem::path& path) override {
      return real.kindAt(path);
    }
    std::optional<std::string> rename(const std::filesystem::path& from,
                                      const std::filesystem::path& to) override {
      return real.rename(from, to);
    }
  };
  UnreadableDefault unreadable{realFiles, *bundle.resource("keymap.json")};
  // At the first launch: no file at all rather than an empty one.
  KeymapStore first{loop, paths, unreadable, bundle, systemLog};
  first.start();
  EXPECT_FALSE(std::filesystem::exists(first.filePath()));
  // A reset keeps the user's file.
  const std::string mine = R"({"keys": {"y": "archive"}})";
  write(mine);
  KeymapStore reset{loop, paths, unreadable, bundle, systemLog};
  reset.start();
  reset.resetToDefaults();
  loop.advance(Duration(0.3));
  EXPECT_EQ(testing::readText(reset.filePath()), mine);
  const auto lines = systemLog.messages("app");
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "Couldn't install the default keymap: Input/output error"),
            lines.end());
}

TEST_F(KeymapStoreTest, WithoutABundledFileNothingIsInstalledAndTheDefaultsApply) {
  platform::InstalledBundle empty{home.root() / "nowhere"};
  KeymapStore bare{loop, paths, files, empty, systemLog};
  bare.start();
  EXPECT_FALSE(std::filesystem::exists(bare.filePath()));
  EXPECT_EQ(bare.loadError(), "keymap.json is missing, so the built-in defaults are in use.");
  EXPECT_TRUE(std::filesystem::is_directory(bare.directoryURL()));
}

TEST_F(KeymapStoreTest, ResetMovesWhatIsNotARegularFileAsideAndInstallsTheDefault) {
  const std::string defaults = bundled();
  const auto folder = store.directoryURL();
  std::filesystem::create_directories(folder);
  // A folder with the user's things in it, a FIFO, a link that leads nowhere.
  const std::function<void()> makers[] = {
      [&] { testing::writeText(store.filePath() / "notes.txt", "mine"); },
      [&] { ASSERT_EQ(::mkfifo(store.filePath().c_str(), 0600), 0); },
      [&] { std::filesystem::create_symlink(folder / "nowhere.json", store.filePath()); },
  };
  start();
  int n = 1;
  for (const auto& make : makers) {
    std::filesystem::remove(store.filePath());
    make();
    const std::string aside =
        "keymap.json.moved-aside" + (n == 1 ? std::string() : "-" + std::to_string(n));
    systemLog.lines.clear();
    store.resetToDefaults();
    loop.advance(Duration(0.3));
    EXPECT_EQ(store.loadError(), std::nullopt) << aside;
    EXPECT_EQ(testing::readText(store.filePath()), defaults) << aside;
    EXPECT_TRUE(
        std::filesystem::is_regular_file(std::filesystem::symlink_status(store.filePath())));
    EXPECT_NE(std::filesystem::symlink_status(folder / aside).type(),
              std::filesystem::file_type::not_found)
        << aside;
    EXPECT_EQ(systemLog.messages("app").front(),
              "keymap.json wasn't a regular file: moved it aside to " + (folder / aside).string());
    ++n;
  }
  EXPECT_EQ(testing::readText(folder / "keymap.json.moved-aside" / "notes.txt"), "mine");
}

TEST_F(KeymapStoreTest, ABrokenLinkIsTheUsersAndReadsAsMissingUntilItLeadsToAFile) {
  const auto folder = store.directoryURL();
  const auto dotfiles = home.root() / "dotfiles" / "keymap.json";
  std::filesystem::create_directories(folder);
  for (const bool loop_ : {false, true}) {
    std::filesystem::remove(store.filePath());
    std::filesystem::create_symlink(loop_ ? store.filePath() : dotfiles, store.filePath());
    KeymapStore fresh{loop, paths, files, bundle, systemLog};
    fresh.start();
    EXPECT_EQ(fresh.loadError(), KeymapStore::brokenLinkText) << loop_;
    EXPECT_EQ(fresh.keymap(), Keymap::default_());
    EXPECT_TRUE(std::filesystem::is_symlink(store.filePath())) << loop_;
  }
  // The folder of dotfiles comes: the link leads to a file; a reset resets
  // the file and keeps the link.
  std::filesystem::remove(store.filePath());
  std::filesystem::create_symlink(dotfiles, store.filePath());
  testing::writeText(dotfiles, R"({"keys": {"y": "archive"}})");
  start();
  EXPECT_EQ(store.loadError(), std::nullopt);
  EXPECT_EQ(store.keymap().bindings.size(), 1u);
  store.resetToDefaults();
  loop.advance(Duration(0.3));
  EXPECT_TRUE(std::filesystem::is_symlink(store.filePath()));
  EXPECT_EQ(testing::readText(dotfiles), bundled());
  EXPECT_EQ(store.keymap(), Keymap::default_());
}

TEST_F(KeymapStoreTest, AnOversizedFileIsRejectedWithoutReadingItWhole) {
  write("{\"about\": \"" + std::string(FileLimits::maximumSize + 10, 'x') + "\"}");
  start();
  EXPECT_EQ(
      store.loadError(),
      "keymap.json isn't valid: the file is larger than 4 MB The previous keymap is still in use.");
}

// MARK: - CustomStore

class CustomStoreTest : public ::testing::Test {
 protected:
  testing::TempHome home;
  platform::XdgPaths paths;
  platform::RecordingSystemLog systemLog;
  platform::PosixFileSystem files;
  CustomStore store{paths, files, systemLog};
};

TEST_F(CustomStoreTest, AFIFOInPlaceOfTheFileIsRefusedWithoutBlocking) {
  std::filesystem::create_directories(store.filePath().parent_path());
  ASSERT_EQ(::mkfifo(store.filePath().c_str(), 0600), 0);
  expectNoBlockOn(store.filePath(), [&] { store.load(); });
  EXPECT_FALSE(store.exists());
  EXPECT_EQ(systemLog.messages("app"),
            std::vector<std::string>{
                "Couldn't read the custom shortcuts: custom.json isn't a regular file"});
}

TEST_F(CustomStoreTest, TheFirstSaveCreatesTheFolderAndWritesBothMembersSorted) {
  EXPECT_EQ(store.filePath(), home.config() / "Quillo" / "custom.json");
  store.load();
  EXPECT_FALSE(store.exists());
  EXPECT_EQ(store.definition(), CustomKeymap());
  store.save();
  EXPECT_TRUE(store.exists());
  EXPECT_EQ(testing::readText(store.filePath()),
            "{\n  \"baseline\": \"appleMail\",\n  \"overrides\": {}\n}\n");
  store.change([](CustomKeymap& definition) {
    definition.assign(*KeyChord::fromKeymapString("cmd+return"), ActionID::send);
    definition.clear(ActionID::archive);
  });
  EXPECT_EQ(testing::readText(store.filePath()),
            "{\n  \"baseline\": \"appleMail\",\n  \"overrides\": {\n    \"archive\": [],\n"
            "    \"send\": [\n      \"cmd+return\"\n    ]\n  }\n}\n");
  CustomStore again{paths, files, systemLog};
  again.load();
  EXPECT_TRUE(again.exists());
  EXPECT_EQ(again.definition(), store.definition());
}

TEST_F(CustomStoreTest, AnUndecodableFileIsIgnoredAndKeptBesideWhenTheNextSaveReplacesIt) {
  const auto folder = store.filePath().parent_path();
  // Each undecodable file the user wrote is kept under a name of its own.
  const struct {
    const char* bytes;
    const char* keptAs;
  } cases[] = {{"{\"overrides\": 3}", "custom.json.undecodable"},
               {"{\"baseline\": \"gmail\", \"overrides\": {\"archive\": [\"y\"]}",
                "custom.json.undecodable-2"}};
  for (const auto& c : cases) {
    testing::writeText(store.filePath(), c.bytes);
    systemLog.lines.clear();
    CustomStore loaded{paths, files, systemLog};
    loaded.load();
    EXPECT_FALSE(loaded.exists());
    EXPECT_EQ(loaded.definition(), CustomKeymap());
    EXPECT_EQ(testing::readText(store.filePath()), c.bytes);
    EXPECT_FALSE(std::filesystem::exists(folder / c.keptAs));  // nothing replaced it yet
    loaded.save();
    EXPECT_EQ(nlohmann::json::parse(testing::readText(store.filePath()))["overrides"],
              nlohmann::json::object());
    EXPECT_EQ(testing::readText(folder / c.keptAs), c.bytes);
    const auto lines = systemLog.messages("app");
    ASSERT_EQ(lines.size(), 2u) << c.keptAs;
    EXPECT_TRUE(lines[0].starts_with("Couldn't decode the custom shortcuts in custom.json: "));
    EXPECT_EQ(lines[1], "custom.json couldn't be decoded: kept a copy of it as " +
                            (folder / c.keptAs).string());
  }
  // A file that decodes is replaced without a copy.
  store.save();
  EXPECT_FALSE(std::filesystem::exists(folder / "custom.json.undecodable-3"));
}

TEST_F(CustomStoreTest, AnUndecodableFileThatCannotBeKeptIsNotReplaced) {
  platform::FaultyFileSystem faulty{files};
  testing::writeText(store.filePath(), "not JSON");
  CustomStore loaded{paths, faulty, systemLog};
  loaded.load();
  faulty.faults = {{store.filePath().parent_path(), platform::FaultyFileSystem::Fault::diskFull}};
  loaded.save();
  EXPECT_EQ(testing::readText(store.filePath()), "not JSON");
  EXPECT_FALSE(loaded.exists());
  EXPECT_EQ(systemLog.messages("app").back(),
            "Couldn't save the custom shortcuts: couldn't keep a copy of the undecodable "
            "custom.json: couldn't write the file: No space left on device");
}

TEST_F(CustomStoreTest, AnUnknownBaselineLoadsAsMacOSWithItsOverrides) {
  testing::writeText(store.filePath(),
                     R"({"baseline": "larkpost", "overrides": {"archive": ["y"]}})");
  store.load();
  EXPECT_TRUE(store.exists());
  EXPECT_EQ(store.definition().baseline, CustomKeymap::Baseline::appleMail);
  EXPECT_EQ(store.definition().overrides.at(ActionID::archive),
            std::vector{*KeyChord::fromKeymapString("y")});
}

TEST_F(CustomStoreTest, AFailingWriteKeepsTheChangeInMemoryAndLogsEachAttempt) {
  testing::writeText(home.config() / "Quillo", "a file where the folder should be");
  store.change(
      [](CustomKeymap& definition) { definition.baseline = CustomKeymap::Baseline::gmail; });
  store.save();
  EXPECT_FALSE(store.exists());
  EXPECT_EQ(store.definition().baseline, CustomKeymap::Baseline::gmail);
  const auto lines = systemLog.messages("app");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].starts_with("Couldn't save the custom shortcuts: "));
  EXPECT_EQ(systemLog.lines[0].level, platform::LogLevel::error);
}

}  // namespace
}  // namespace quillo
