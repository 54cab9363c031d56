// How the stores' files are written and read: whole files that replace the
// old one, data on disk before the file takes its place, reads that stop at
// their limit.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "Files.hpp"
#include "Platform/FileSystem.hpp"
#include "TempHome.hpp"

namespace {

/// What fsync was asked to flush while a test watches a path: the file's
/// identity, and whether that file already stood at the path then.
struct Flush {
  ino_t inode;
  bool alreadyInPlace;
};
std::optional<std::filesystem::path> watchedPath;
std::vector<Flush> flushes;

ino_t inodeOf(const std::filesystem::path& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

}  // namespace

// This test program's fsync stands in front of the C library's (the
// platform library is linked into it statically): it notes what it flushes,
// then flushes it.
extern "C" int fsync(int fd) {
  using Fsync = int (*)(int);
  static const auto real = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
  if (watchedPath) {
    struct stat status {};
    if (::fstat(fd, &status) == 0)
      flushes.push_back({status.st_ino, inodeOf(*watchedPath) == status.st_ino});
  }
  return real(fd);
}

namespace quillo::platform {
namespace {

class FileWriteTest : public ::testing::Test {
 protected:
  void TearDown() override {
    watchedPath.reset();
    flushes.clear();
  }
  std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  testing::TempHome home;
  std::filesystem::path folder = home.root() / "files";
  std::filesystem::path file = folder / "keymap.json";
};

TEST_F(FileWriteTest, AWriteIsANewFileThatTakesTheOldOnesPlace) {
  testing::writeText(file, "old");
  const ino_t old = inodeOf(file);
  // Another name for the old file: it keeps the old contents.
  std::filesystem::create_hard_link(file, folder / "kept");
  ASSERT_EQ(writeFileAtomically(file, "new"), std::nullopt);
  EXPECT_NE(inodeOf(file), old);
  EXPECT_EQ(testing::readText(file), "new");
  EXPECT_EQ(testing::readText(folder / "kept"), "old");
  EXPECT_EQ(namesIn(folder), (std::vector<std::string>{"kept", "keymap.json"}));  // nothing else
}

TEST_F(FileWriteTest, TheDataIsOnDiskBeforeTheFileTakesItsPlace) {
  testing::writeText(file, "old");
  watchedPath = file;
  ASSERT_EQ(writeFileAtomically(file, "new"), std::nullopt);
  const ino_t written = inodeOf(file);
  const auto ofTheNewFile = std::find_if(
      flushes.begin(), flushes.end(), [&](const Flush& flush) { return flush.inode == written; });
  ASSERT_NE(ofTheNewFile, flushes.end()) << "the new file was never flushed";
  EXPECT_FALSE(ofTheNewFile->alreadyInPlace) << "flushed only after it replaced the old one";
}

TEST_F(FileWriteTest, AFailedReplaceLeavesNoTemporaryFileBehind) {
  // A folder with something in it stands where the file should go: the
  // rename fails after the temporary file was written.
  std::filesystem::create_directories(file / "inside");
  const auto error = writeFileAtomically(file, "new");
  ASSERT_NE(error, std::nullopt);
  EXPECT_TRUE(error->starts_with("couldn't replace ")) << *error;
  EXPECT_EQ(namesIn(folder), std::vector<std::string>{"keymap.json"});
  EXPECT_TRUE(std::filesystem::is_directory(file / "inside"));
}

TEST_F(FileWriteTest, AReadStopsOneByteAfterItsLimit) {
  struct Case {
    std::size_t size;
    std::size_t limit;
    std::size_t read;
  };
  // Sizes around the limit, and around the 64 KiB a read asks for at once.
  const Case cases[] = {
      {10, 10, 10},           {11, 10, 11},           {1000, 10, 11},
      {200000, 70000, 70001}, {200000, 65535, 65536}, {65536, 200000, 65536},
  };
  for (const Case& c : cases) {
    testing::writeText(file, std::string(c.size, 'x'));
    const FileResult result = readFile(file, c.limit);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.contents.size(), c.read) << c.size << " bytes, limit " << c.limit;
  }
}

}  // namespace
}  // namespace quillo::platform
