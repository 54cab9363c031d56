// The main-loop contract every real-time loop keeps, as typed tests: each
// loop's test program instantiates them for its loop with
//   INSTANTIATE_TYPED_TEST_SUITE_P(Name, RealTimeLoop, LoopType);
//   INSTANTIATE_TYPED_TEST_SUITE_P(Name, LoopFileSource, LoopType);
// so that the loops are proven to behave the same. A loop type has the
// MainLoop calls plus stoppedBySignal().
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

#include "Files.hpp"
#include "Platform/MainLoop.hpp"
#include "TempHome.hpp"

namespace quillo::platform::contract {

// MARK: - Real-time loops

/// Runs `loop` until `done` holds or `limit` passes; true when it held.
template <class Loop>
bool runUntil(Loop& loop, const std::function<bool()>& done, Duration limit = Duration(3)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  auto check = loop.repeat(Duration(0.005), [&] {
    if (done() || std::chrono::steady_clock::now() > deadline) loop.stop();
  });
  loop.run();
  return done();
}

template <class Loop>
class RealTimeLoop : public ::testing::Test {};
TYPED_TEST_SUITE_P(RealTimeLoop);

TYPED_TEST_P(RealTimeLoop, TimersRunInDueOrderAndCancelledOnesNever) {
  TypeParam loop;
  std::vector<std::string> order;
  loop.schedule(Duration(0.030), [&] { order.push_back("c"); });
  loop.schedule(Duration(0.010), [&] { order.push_back("a"); });
  auto cancelled = loop.schedule(Duration(0.015), [&] { order.push_back("x"); });
  loop.schedule(Duration(0.020), [&] { order.push_back("b"); });
  loop.post([&] { order.push_back("posted"); });
  cancelled->cancel();
  EXPECT_TRUE(runUntil(loop, [&] { return order.size() == 4; }));
  EXPECT_EQ(order, (std::vector<std::string>{"posted", "a", "b", "c"}));
  EXPECT_TRUE(cancelled->isCancelled());
}

TYPED_TEST_P(RealTimeLoop, RepeatingTimerAndCancellationFromInsideWork) {
  TypeParam loop;
  int ticks = 0;
  std::unique_ptr<Timer> timer;
  timer = loop.repeat(Duration(0.005), [&] {
    if (++ticks == 3) timer->invalidate();
  });
  std::shared_ptr<WorkItem> self;
  bool selfRan = false;
  self = loop.schedule(Duration(0.001), [&] {
    selfRan = true;
    self->cancel();  // too late: it is already running
  });
  runUntil(
      loop, [] { return false; }, Duration(0.08));
  EXPECT_EQ(ticks, 3);
  EXPECT_TRUE(selfRan);
  EXPECT_FALSE(self->isCancelled());
}

TYPED_TEST_P(RealTimeLoop, PostIsSafeFromAnotherThread) {
  TypeParam loop;
  std::atomic<int> count = 0;
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i)
      loop.post([&] { ++count; });
  });
  EXPECT_TRUE(runUntil(loop, [&] { return count == 100; }));
  worker.join();
}

TYPED_TEST_P(RealTimeLoop, SignalsEndTheLoopCleanly) {
  for (int signal : {SIGINT, SIGTERM}) {
    TypeParam loop;
    loop.schedule(Duration(0.01), [signal] { ::raise(signal); });
    auto guard = loop.schedule(Duration(3), [&] { loop.stop(); });
    loop.run();
    EXPECT_TRUE(loop.stoppedBySignal()) << signal;
    guard->cancel();
  }
}

TYPED_TEST_P(RealTimeLoop, HandlesOutlivingTheLoopAreHarmless) {
  std::unique_ptr<Timer> timer;
  std::shared_ptr<WorkItem> item;
  {
    TypeParam loop;
    timer = loop.repeat(Duration(1), [] {});
    item = loop.schedule(Duration(1), [] {});
  }
  timer->invalidate();
  item->cancel();
  timer.reset();
}

// MARK: - File sources

template <class Loop>
class LoopFileSource : public ::testing::Test {
 protected:
  struct Seen {
    std::vector<FileEvents> events;
    bool any(FileEvent event) const {
      for (auto e : events) {
        if (e.contains(event)) return true;
      }
      return false;
    }
  };

  std::unique_ptr<platform::FileSource> watchFile(Loop& loop, Seen& seen) {
    return loop.watch(file,
                      FileEvent::write | FileEvent::extend | FileEvent::delete_ | FileEvent::rename,
                      [&](FileEvents events) { seen.events.push_back(events); });
  }

  testing::TempHome home;
  std::filesystem::path file = home.root() / "watched.json";
};

TYPED_TEST_SUITE_P(LoopFileSource);

TYPED_TEST_P(LoopFileSource, NoSourceForAMissingPath) {
  TypeParam loop;
  EXPECT_EQ(loop.watch(this->file, FileEvent::write, [](FileEvents) {}), nullptr);
}

TYPED_TEST_P(LoopFileSource, SeesAnInPlaceWriteAsWriteWithoutExtend) {
  testing::writeText(this->file, "0123456789");
  TypeParam loop;
  typename TestFixture::Seen seen;
  auto source = this->watchFile(loop, seen);
  ASSERT_NE(source, nullptr);
  loop.post([&] { testing::writeText(this->file, "abc"); });
  EXPECT_TRUE(runUntil(loop, [&] { return seen.any(FileEvent::write); }));
  EXPECT_FALSE(seen.any(FileEvent::extend));
  EXPECT_FALSE(seen.any(FileEvent::delete_));
}

TYPED_TEST_P(LoopFileSource, SeesAnAppendAsWriteAndExtend) {
  testing::writeText(this->file, "{}");
  TypeParam loop;
  typename TestFixture::Seen seen;
  auto source = this->watchFile(loop, seen);
  loop.post([&] { testing::writeText(this->file, "\n", std::ios::app); });
  EXPECT_TRUE(runUntil(loop, [&] { return seen.any(FileEvent::extend); }));
  EXPECT_TRUE(seen.any(FileEvent::write));
}

TYPED_TEST_P(LoopFileSource, SeesADelete) {
  testing::writeText(this->file, "{}");
  TypeParam loop;
  typename TestFixture::Seen seen;
  auto source = this->watchFile(loop, seen);
  loop.post([&] { std::filesystem::remove(this->file); });
  EXPECT_TRUE(runUntil(loop, [&] { return seen.any(FileEvent::delete_); }));
}

TYPED_TEST_P(LoopFileSource, SeesAFileRenamedOverItAsTheDeleteOfTheWatchedFile) {
  testing::writeText(this->file, "{}");
  TypeParam loop;
  typename TestFixture::Seen seen;
  auto source = this->watchFile(loop, seen);
  loop.post([&] {
    testing::writeText(this->home.root() / "watched.json.tmp", "{\"keys\": {}}");
    std::filesystem::rename(this->home.root() / "watched.json.tmp", this->file);
  });
  EXPECT_TRUE(runUntil(loop, [&] { return seen.any(FileEvent::delete_); }));
  // The source watched the old file; the new one needs a new source.
  typename TestFixture::Seen after;
  auto again = this->watchFile(loop, after);
  loop.post([&] { testing::writeText(this->file, "{}", std::ios::app); });
  EXPECT_TRUE(runUntil(loop, [&] { return after.any(FileEvent::write); }));
}

TYPED_TEST_P(LoopFileSource, FollowsTheWatchedFileWhenItIsRenamed) {
  testing::writeText(this->file, "{}");
  TypeParam loop;
  typename TestFixture::Seen seen;
  auto source = this->watchFile(loop, seen);
  loop.post([&] { std::filesystem::rename(this->file, this->home.root() / "moved.json"); });
  EXPECT_TRUE(runUntil(loop, [&] { return seen.any(FileEvent::rename); }));
  seen.events.clear();
  loop.post([&] { testing::writeText(this->home.root() / "moved.json", "x", std::ios::app); });
  EXPECT_TRUE(runUntil(loop, [&] { return seen.any(FileEvent::write); }));
}

TYPED_TEST_P(LoopFileSource, FolderSourceSeesAFileCreatedAfterHavingBeenMissing) {
  const auto folder = this->home.root() / "Quillo";
  std::filesystem::create_directories(folder);
  testing::writeText(folder / "keymap.json", "{}");
  std::filesystem::remove(folder / "keymap.json");
  TypeParam loop;
  int notices = 0;
  auto source = loop.watch(folder, FileEvent::write, [&](FileEvents events) {
    if (events.contains(FileEvent::write)) ++notices;
  });
  ASSERT_NE(source, nullptr);
  loop.post([&] { testing::writeText(folder / "keymap.json", "{}"); });
  EXPECT_TRUE(runUntil(loop, [&] { return notices > 0; }));
  // Writing into an existing file of the folder is no folder event.
  notices = 0;
  loop.post([&] { testing::writeText(folder / "keymap.json", "{\"a\":1}"); });
  runUntil(
      loop, [] { return false; }, Duration(0.05));
  EXPECT_EQ(notices, 0);
}

TYPED_TEST_P(LoopFileSource, CancelledSourcesAndSymlinkTargets) {
  const auto target = this->home.root() / "elsewhere" / "real.json";
  testing::writeText(target, "{}");
  std::filesystem::create_symlink(target, this->file);
  TypeParam loop;
  typename TestFixture::Seen seen;
  auto source = this->watchFile(loop, seen);
  ASSERT_NE(source, nullptr);
  loop.post([&] { testing::writeText(target, "[]"); });
  EXPECT_TRUE(runUntil(loop, [&] { return seen.any(FileEvent::write); }));
  source->cancel();
  seen.events.clear();
  loop.post([&] { testing::writeText(target, "{}"); });
  runUntil(
      loop, [] { return false; }, Duration(0.05));
  EXPECT_TRUE(seen.events.empty());
}

REGISTER_TYPED_TEST_SUITE_P(RealTimeLoop, TimersRunInDueOrderAndCancelledOnesNever,
                            RepeatingTimerAndCancellationFromInsideWork,
                            PostIsSafeFromAnotherThread, SignalsEndTheLoopCleanly,
                            HandlesOutlivingTheLoopAreHarmless);
REGISTER_TYPED_TEST_SUITE_P(LoopFileSource, NoSourceForAMissingPath,
                            SeesAnInPlaceWriteAsWriteWithoutExtend, SeesAnAppendAsWriteAndExtend,
                            SeesADelete, SeesAFileRenamedOverItAsTheDeleteOfTheWatchedFile,
                            FollowsTheWatchedFileWhenItIsRenamed,
                            FolderSourceSeesAFileCreatedAfterHavingBeenMissing,
                            CancelledSourcesAndSymlinkTargets);

}  // namespace quillo::platform::contract
