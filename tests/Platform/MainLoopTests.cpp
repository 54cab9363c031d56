#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Files.hpp"
#include "MainLoopContract.hpp"
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
  // The handles are dropped at once: that cancels nothing.
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

// MARK: - libuv loop: the real-time contract

using namespace contract;
INSTANTIATE_TYPED_TEST_SUITE_P(Libuv, RealTimeLoop, LibuvMainLoop);
INSTANTIATE_TYPED_TEST_SUITE_P(Libuv, LoopFileSource, LibuvMainLoop);

TEST(ManualMainLoopFiles, DeliversFileEventsWhenRun) {
  testing::TempHome home;
  const std::filesystem::path file = home.root() / "watched.json";
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
