// How editors save a file, on the real loop with real file watching: every
// way of saving keymap.json reloads it exactly once after the quiet period,
// and a bad save keeps the keymap that was in use.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

#include "Files.hpp"
#include "KeymapStore.hpp"
#include "Platform/linux/LibuvMainLoop.hpp"
#include "Platform/linux/LinuxServices.hpp"
#include "Session/RecordedServices.hpp"
#include "TempHome.hpp"

namespace quillo {
namespace {

using platform::Duration;

constexpr const char* kOneKey = R"({"keys": {"y": "archive"}})";
constexpr const char* kTwoKeys = R"({"keys": {"y": "archive", "u": "undo"}})";

class EditorSavePattern;

/// One way of saving keymap.json (which holds kOneKey before it), and how
/// many keys the file has after it.
struct Save {
  const char* name;
  void (*save)(EditorSavePattern&);
  std::size_t keys;
  bool error = false;  // a bad save: the previous keymap stays
};

class EditorSavePattern : public ::testing::TestWithParam<Save> {
 public:
  void SetUp() override {
    testing::writeText(file(), kOneKey);
    store.start();
    store.setOnChange([this] { ++reloads; });
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

// Each save reloads once, and what it leaves is watched: a later plain
// write (through a link, to the file it leads to) is seen too and clears an
// error.
TEST_P(EditorSavePattern, ReloadsOnceAndKeepsWatching) {
  const Save& save = GetParam();
  save.save(*this);
  EXPECT_EQ(settle(), 1);
  EXPECT_EQ(keys(), save.keys);
  EXPECT_EQ(store.loadError().has_value(), save.error);
  if (save.error) {
    EXPECT_TRUE(store.loadError()->ends_with(" The previous keymap is still in use."));
  }
  testing::writeText(file(), R"({"keys": {}})");
  EXPECT_EQ(settle(), 1);
  EXPECT_EQ(keys(), 0u);
  EXPECT_FALSE(store.loadError());
}

const Save saves[] = {
    {"InPlaceWrite",
     [](EditorSavePattern& t) {
       std::fstream out(t.file(), std::ios::in | std::ios::out);
       out.seekp(0);
       // No truncation, the same length: only the bytes change.
       out << R"({"keys": {}})" << std::string(14, ' ');
     },
     0},
    {"TruncateThenWrite",
     [](EditorSavePattern& t) {
       testing::writeText(t.file(), "");
       testing::writeText(t.file(), kTwoKeys, std::ios::app);
     },
     2},
    {"Append", [](EditorSavePattern& t) { testing::writeText(t.file(), "\n\n", std::ios::app); },
     1},
    {"TemporaryFileRenamedOverIt",
     [](EditorSavePattern& t) {
       testing::writeText(t.folder() / ".keymap.json.swp", kTwoKeys);
       std::filesystem::rename(t.folder() / ".keymap.json.swp", t.file());
     },
     2},
    {"VimsDefaultSave",
     [](EditorSavePattern& t) {
       std::filesystem::rename(t.file(), t.folder() / "keymap.json~");
       testing::writeText(t.file(), kTwoKeys);
       std::filesystem::remove(t.folder() / "keymap.json~");
     },
     2},
    {"DeleteThenRecreate",
     [](EditorSavePattern& t) {
       std::filesystem::remove(t.file());
       testing::writeText(t.file(), kTwoKeys);
     },
     2},
    {"ASymbolicLinkToAFileElsewhere",
     [](EditorSavePattern& t) {
       const auto target = t.home.root() / "dotfiles" / "quillo-keymap.json";
       testing::writeText(target, kTwoKeys);
       std::filesystem::remove(t.file());
       std::filesystem::create_symlink(target, t.file());
     },
     2},
    {"ABurstOfTwentyWrites",
     [](EditorSavePattern& t) {
       for (int i = 0; i < 20; ++i) {
         // Each write runs though its handle is dropped.
         t.loop.schedule(Duration(0.005 * i),
                         [&t, i] { testing::writeText(t.file(), i % 2 ? kOneKey : kTwoKeys); });
       }
     },
     1},  // the last write had one key
    {"ABadSave",
     [](EditorSavePattern& t) {
       testing::writeText(t.file(), R"({"keys": {"y": "archive", "u": "undo",}})");
     },
     1, true},
};
INSTANTIATE_TEST_SUITE_P(Editors, EditorSavePattern, ::testing::ValuesIn(saves),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillo
