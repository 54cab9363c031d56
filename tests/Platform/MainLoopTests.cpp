#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Files.hpp"
#include "Platform/linux/LibuvMainLoop.hpp"
#include "Platform/linux/ManualMainLoop.hpp"
#include "TempHome.hpp"

namespace quillo::platform {
namespace {

using namespace std::chrono_literals;

// MARK: - Manual loop: the timer logic, in virtual time

TEST(ManualMainLoop, RunsPostedWorkInOrderAndNothingUntilAsked) {
  ManualMainLoop loop;
  std::vector<int> order;
  loop.post([&] { order.push_back(1); });
  loop.post([&] {
    order.push_back(2);
    loop.post([&] { order.push_back(4); });  // posted while running: after what is queued
  });
  loop.post([&] { order.push_back(3); });
  EXPECT_TRUE(order.empty());
  loop.runUntilIdle();
  EXPECT_EQ(order, (std::vector{1, 2, 3, 4}));
}

TEST(ManualMainLoop, DelayedWorkRunsWhenDueInDueOrderWithTiesInSchedulingOrder) {
  ManualMainLoop loop;
  std::vector<std::string> order;
  std::vector<Duration> at;
  const auto record = [&](std::string name) {
    return [&, name] {
      order.push_back(name);
      at.push_back(loop.elapsed());
    };
  };
  loop.schedule(Duration(0.2), record("b"));
  loop.schedule(Duration(0.1), record("a"));
  loop.schedule(Duration(0.2), record("c"));
  loop.advance(Duration(0.15));
  EXPECT_EQ(order, (std::vector<std::string>{"a"}));
  loop.advance(Duration(0.1));
  EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_DOUBLE_EQ(at[0].count(), 0.1);
  EXPECT_DOUBLE_EQ(at[1].count(), 0.2);  // each runs at its own due time
  EXPECT_DOUBLE_EQ(loop.elapsed().count(), 0.25);
}

TEST(ManualMainLoop, WorkThatBlocksPastTheTargetKeepsTheClockWhereItGot) {
  ManualMainLoop loop;
  Duration late{0};
  loop.post([&] { loop.elapse(Duration(1.5)); });  // busy for 1.5 s
  loop.schedule(Duration(0.1), [&] { late = loop.elapsed(); });
  loop.advance(Duration(0.2));
  EXPECT_DOUBLE_EQ(late.count(), 1.5);  // its turn came when the work was done
  EXPECT_DOUBLE_EQ(loop.elapsed().count(), 1.5);
}

TEST(ManualMainLoop, CancelledWorkNeverRunsAndCancelAfterRunningChangesNothing) {
  ManualMainLoop loop;
  int runs = 0;
  auto cancelled = loop.schedule(Duration(1), [&] { ++runs; });
  auto kept = loop.schedule(Duration(1), [&] { runs += 10; });
  cancelled->cancel();
  loop.advance(Duration(2));
  EXPECT_EQ(runs, 10);
  EXPECT_TRUE(cancelled->isCancelled());
  kept->cancel();
  EXPECT_FALSE(kept->isCancelled());
}

TEST(ManualMainLoop, DroppingAWorkItemHandleDoesNotCancelIt) {
  ManualMainLoop loop;
  bool ran = false;
  loop.schedule(Duration(0.5), [&] { ran = true; });
  loop.advance(Duration(1));
  EXPECT_TRUE(ran);
}

TEST(ManualMainLoop, RepeatingTimerFiresEveryIntervalUntilInvalidatedOrDestroyed) {
  ManualMainLoop loop;
  std::vector<double> fired;
  auto timer = loop.repeat(Duration(2), [&] { fired.push_back(loop.elapsed().count()); });
  loop.advance(Duration(5));
  EXPECT_EQ(fired, (std::vector<double>{2, 4}));
  timer->invalidate();
  loop.advance(Duration(5));
  EXPECT_EQ(fired.size(), 2u);

  int ticks = 0;
  {
    auto scoped = loop.repeat(Duration(1), [&] { ++ticks; });
    loop.advance(Duration(3));
  }
  loop.advance(Duration(3));
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(loop.scheduledCount(), 0u);
}

TEST(ManualMainLoop, ElapseMovesTheClockWithoutRunningAnything) {
  ManualMainLoop loop;
  bool ran = false;
  loop.schedule(Duration(0.1), [&] { ran = true; });
  const auto before = loop.now();
  loop.elapse(Duration(0.25));
  EXPECT_FALSE(ran);
  EXPECT_EQ(loop.now() - before, std::chrono::milliseconds(250));
  loop.runUntilIdle();
  EXPECT_TRUE(ran);  // overdue work runs at the next chance
}

TEST(ManualMainLoop, RunJumpsFromTimerToTimerUntilStopped) {
  ManualMainLoop loop;
  int ticks = 0;
  auto timer = loop.repeat(Duration(2), [&] {
    if (++ticks == 3) loop.stop();
  });
  loop.run();
  EXPECT_EQ(ticks, 3);
  EXPECT_DOUBLE_EQ(loop.elapsed().count(), 6);
}

// MARK: - libuv loop: real time

/// Runs `loop` until `done` holds or `limit` passes; true when it held.
bool runUntil(LibuvMainLoop& loop, const std::function<bool()>& done,
              Duration limit = Duration(3)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  auto check = loop.repeat(Duration(0.005), [&] {
    if (done() || std::chrono::steady_clock::now() > deadline) loop.stop();
  });
  loop.run();
  return done();
}

TEST(LibuvMainLoop, TimersRunInDueOrderAndCancelledOnesNever) {
  LibuvMainLoop loop;
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

TEST(LibuvMainLoop, RepeatingTimerAndCancellationFromInsideWork) {
  LibuvMainLoop loop;
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

TEST(LibuvMainLoop, PostIsSafeFromAnotherThread) {
  LibuvMainLoop loop;
  std::atomic<int> count = 0;
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i)
      loop.post([&] { ++count; });
  });
  EXPECT_TRUE(runUntil(loop, [&] { return count == 100; }));
  worker.join();
}

TEST(LibuvMainLoop, SignalsEndTheLoopCleanly) {
  for (int signal : {SIGINT, SIGTERM}) {
    LibuvMainLoop loop;
    loop.schedule(Duration(0.01), [signal] { ::raise(signal); });
    auto guard = loop.schedule(Duration(3), [&] { loop.stop(); });
    loop.run();
    EXPECT_TRUE(loop.stoppedBySignal()) << signal;
    guard->cancel();
  }
}

TEST(LibuvMainLoop, HandlesOutlivingTheLoopAreHarmless) {
  std::unique_ptr<Timer> timer;
  std::shared_ptr<WorkItem> item;
  {
    LibuvMainLoop loop;
    timer = loop.repeat(Duration(1), [] {});
    item = loop.schedule(Duration(1), [] {});
  }
  timer->invalidate();
  item->cancel();
  timer.reset();
}

// MARK: - File sources

class FileSourceTest : public ::testing::Test {
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

  std::unique_ptr<FileSource> watchFile(LibuvMainLoop& loop, Seen& seen) {
    return loop.watch(file,
                      FileEvent::write | FileEvent::extend | FileEvent::delete_ | FileEvent::rename,
                      [&](FileEvents events) { seen.events.push_back(events); });
  }

  testing::TempHome home;
  std::filesystem::path file = home.root() / "watched.json";
};

TEST_F(FileSourceTest, NoSourceForAMissingPath) {
  LibuvMainLoop loop;
  EXPECT_EQ(loop.watch(file, FileEvent::write, [](FileEvents) {}), nullptr);
}

TEST_F(FileSourceTest, SeesAnInPlaceWriteAsWriteWithoutExtend) {
  testing::writeText(file, "0123456789");
  LibuvMainLoop loop;
  Seen seen;
  auto source = watchFile(loop, seen);
  ASSERT_NE(source, nullptr);
  loop.post([&] { testing::writeText(file, "abc"); });
  EXPECT_TRUE(runUntil(loop, [&] { return seen.any(FileEvent::write); }));
  EXPECT_FALSE(seen.any(FileEvent::extend));
  EXPECT_FALSE(seen.any(FileEvent::delete_));
}

TEST_F(FileSourceTest, SeesAnAppendAsWriteAndExtend) {
  testing::writeText(file, "{}");
  LibuvMainLoop loop;
  Seen seen;
  auto source = watchFile(loop, seen);
  loop.post([&] { testing::writeText(file, "\n", std::ios::app); });
  EXPECT_TRUE(runUntil(loop, [&] { return seen.any(FileEvent::extend); }));
  EXPECT_TRUE(seen.any(FileEvent::write));
}

TEST_F(FileSourceTest, SeesADelete) {
  testing::writeText(file, "{}");
  LibuvMainLoop loop;
  Seen seen;
  auto source = watchFile(loop, seen);
  loop.post([&] { std::filesystem::remove(file); });
  EXPECT_TRUE(runUntil(loop, [&] { return seen.any(FileEvent::delete_); }));
}

TEST_F(FileSourceTest, SeesAFileRenamedOverItAsTheDeleteOfTheWatchedFile) {
  testing::writeText(file, "{}");
  LibuvMainLoop loop;
  Seen seen;
  auto source = watchFile(loop, seen);
  loop.post([&] {
    testing::writeText(home.root() / "watched.json.tmp", "{\"keys\": {}}");
    std::filesystem::rename(home.root() / "watched.json.tmp", file);
  });
  EXPECT_TRUE(runUntil(loop, [&] { return seen.any(FileEvent::delete_); }));
  // The source watched the old file; the new one needs a new source.
  Seen after;
  auto again = watchFile(loop, after);
  loop.post([&] { testing::writeText(file, "{}", std::ios::app); });
  EXPECT_TRUE(runUntil(loop, [&] { return after.any(FileEvent::write); }));
}

TEST_F(FileSourceTest, FollowsTheWatchedFileWhenItIsRenamed) {
  testing::writeText(file, "{}");
  LibuvMainLoop loop;
  Seen seen;
  auto source = watchFile(loop, seen);
  loop.post([&] { std::filesystem::rename(file, home.root() / "moved.json"); });
  EXPECT_TRUE(runUntil(loop, [&] { return seen.any(FileEvent::rename); }));
  seen.events.clear();
  loop.post([&] { testing::writeText(home.root() / "moved.json", "x", std::ios::app); });
  EXPECT_TRUE(runUntil(loop, [&] { return seen.any(FileEvent::write); }));
}

TEST_F(FileSourceTest, FolderSourceSeesAFileCreatedAfterHavingBeenMissing) {
  const auto folder = home.root() / "Quillo";
  std::filesystem::create_directories(folder);
  testing::writeText(folder / "keymap.json", "{}");
  std::filesystem::remove(folder / "keymap.json");
  LibuvMainLoop loop;
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

TEST_F(FileSourceTest, CancelledSourcesAndSymlinkTargets) {
  const auto target = home.root() / "elsewhere" / "real.json";
  testing::writeText(target, "{}");
  std::filesystem::create_symlink(target, file);
  LibuvMainLoop loop;
  Seen seen;
  auto source = watchFile(loop, seen);
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

TEST_F(FileSourceTest, ManualLoopDeliversFileEventsWhenRun) {
  testing::writeText(file, "{}");
  ManualMainLoop loop;
  int notices = 0;
  auto source = loop.watch(file, FileEvent::write, [&](FileEvents) { ++notices; });
  testing::writeText(file, "[]");
  EXPECT_EQ(notices, 0);
  loop.runUntilIdle();
  EXPECT_GE(notices, 1);
}

}  // namespace
}  // namespace quillo::platform
