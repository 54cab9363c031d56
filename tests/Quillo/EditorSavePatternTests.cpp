// How editors save a file, on the real loop with real file watching: every
// way of saving keymap.json reloads it exactly once after the quiet period,
// and a bad save keeps the keymap that was in use.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

#include "Files.hpp"
#include "KeymapStore.hpp"
#include "Platform/Recording.hpp"
#include "Platform/linux/LibuvMainLoop.hpp"
#include "Platform/linux/LinuxServices.hpp"
#include "TempHome.hpp"

namespace quillo {
namespace {

using platform::Duration;

constexpr const char* kOneKey = R"({"keys": {"y": "archive"}})";
constexpr const char* kTwoKeys = R"({"keys": {"y": "archive", "u": "undo"}})";

class EditorSavePatternTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::writeText(file(), kOneKey);
    store.start();
    store.onChange = [this] { ++reloads; };
  }
  std::filesystem::path file() const { return home.config() / "Quillo" / "keymap.json"; }
  std::filesystem::path folder() const { return home.config() / "Quillo"; }

  /// Lets the quiet period pass (with a margin) and says how many reloads it brought.
  int settle() {
    reloads = 0;
    loop.runFor(Duration(KeymapStore::debounceSeconds + 0.35));
    return reloads;
  }
  std::size_t keys() const { return store.keymap().bindings.size(); }

  testing::TempHome home;
  platform::XdgPaths paths;
  platform::RecordingSystemLog systemLog;
  platform::InstalledBundle bundle{QUILLO_RESOURCES};
  platform::LibuvMainLoop loop;
  platform::PosixFileSystem files;
  KeymapStore store{loop, paths, files, bundle, systemLog};
  int reloads = 0;
};

TEST_F(EditorSavePatternTest, InPlaceWrite) {
  {
    std::fstream out(file(), std::ios::in | std::ios::out);
    out.seekp(0);
    out << R"({"keys": {"u": "undo"}}     )";  // no truncation: the same length
  }
  EXPECT_EQ(settle(), 1);
  EXPECT_EQ(store.keymap().action(KeyToken::character("u")), ActionID::undo);
}

TEST_F(EditorSavePatternTest, TruncateThenWrite) {
  testing::writeText(file(), "");
  testing::writeText(file(), kTwoKeys, std::ios::app);
  EXPECT_EQ(settle(), 1);
  EXPECT_EQ(keys(), 2u);
}

TEST_F(EditorSavePatternTest, Append) {
  testing::writeText(file(), "\n\n", std::ios::app);
  EXPECT_EQ(settle(), 1);
  EXPECT_EQ(keys(), 1u);
  EXPECT_FALSE(store.loadError());
}

TEST_F(EditorSavePatternTest, TemporaryFileRenamedOverIt) {
  testing::writeText(folder() / ".keymap.json.swp", kTwoKeys);
  std::filesystem::rename(folder() / ".keymap.json.swp", file());
  EXPECT_EQ(settle(), 1);
  EXPECT_EQ(keys(), 2u);
  testing::writeText(file(), kOneKey);  // the new file is watched too
  EXPECT_EQ(settle(), 1);
  EXPECT_EQ(keys(), 1u);
}

TEST_F(EditorSavePatternTest, VimsDefaultSave) {
  std::filesystem::rename(file(), folder() / "keymap.json~");
  testing::writeText(file(), kTwoKeys);
  std::filesystem::remove(folder() / "keymap.json~");
  EXPECT_EQ(settle(), 1);
  EXPECT_EQ(keys(), 2u);
  testing::writeText(file(), kOneKey);
  EXPECT_EQ(settle(), 1);
  EXPECT_EQ(keys(), 1u);
}

TEST_F(EditorSavePatternTest, DeleteThenRecreate) {
  std::filesystem::remove(file());
  testing::writeText(file(), kTwoKeys);
  EXPECT_EQ(settle(), 1);
  EXPECT_EQ(keys(), 2u);
  EXPECT_FALSE(store.loadError());
}

TEST_F(EditorSavePatternTest, ASymbolicLinkToAFileElsewhere) {
  const auto target = home.root() / "dotfiles" / "quillo-keymap.json";
  testing::writeText(target, kOneKey);
  std::filesystem::remove(file());
  std::filesystem::create_symlink(target, file());
  EXPECT_EQ(settle(), 1);
  testing::writeText(target, kTwoKeys);
  EXPECT_EQ(settle(), 1);
  EXPECT_EQ(keys(), 2u);
}

TEST_F(EditorSavePatternTest, ABurstOfTwentyWritesReloadsOnce) {
  std::vector<std::shared_ptr<platform::WorkItem>> writes;
  for (int i = 0; i < 20; ++i) {
    writes.push_back(loop.schedule(Duration(0.005 * i), [this, i] {
      testing::writeText(file(), i % 2 ? kOneKey : kTwoKeys);
    }));
  }
  EXPECT_EQ(settle(), 1);
  EXPECT_EQ(keys(), 1u);  // the last write had one key
}

TEST_F(EditorSavePatternTest, ABadSaveKeepsTheKeymapAndAFixClearsTheError) {
  testing::writeText(file(), R"({"keys": {"y": "archive", "u": "undo",}})");
  EXPECT_EQ(settle(), 1);
  EXPECT_EQ(keys(), 1u);
  ASSERT_TRUE(store.loadError());
  EXPECT_TRUE(store.loadError()->ends_with(" The previous keymap is still in use."));
  testing::writeText(file(), kTwoKeys);
  EXPECT_EQ(settle(), 1);
  EXPECT_FALSE(store.loadError());
  EXPECT_EQ(keys(), 2u);
}

}  // namespace
}  // namespace quillo
