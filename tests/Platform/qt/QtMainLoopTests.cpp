#include <gtest/gtest.h>

#include <QTimer>

#include "../MainLoopContract.hpp"
#include "Platform/qt/QtMainLoop.hpp"

namespace quillo::platform {
namespace {

using namespace contract;

// The Qt loop keeps the same contract as the libuv loop, test for test.
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, RealTimeLoop, QtMainLoop);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, LoopFileSource, QtMainLoop);

TEST(QtMainLoop, RunsQtsOwnEventsAlongsideItsWork) {
  // Widgets' timers and the loop's work share one event loop.
  QtMainLoop loop;
  bool qtTimerFired = false;
  QTimer::singleShot(5, [&] { qtTimerFired = true; });
  EXPECT_TRUE(runUntil(loop, [&] { return qtTimerFired; }));
}

TEST(QtMainLoop, RunUntilIdleRunsWhatWasPostedAndWhatThatPosted) {
  QtMainLoop loop;
  std::vector<int> order;
  loop.post([&] {
    order.push_back(1);
    loop.post([&] { order.push_back(3); });
  });
  loop.post([&] { order.push_back(2); });
  loop.runUntilIdle();
  EXPECT_EQ(order, (std::vector{1, 2, 3}));
}

TEST(QtMainLoop, StopBeforeRunMakesTheNextRunReturnAtOnce) {
  // As uv_stop before uv_run: the stop is not lost.
  QtMainLoop loop;
  bool ran = false;
  loop.post([&] { loop.stop(); });
  loop.runUntilIdle();
  auto late = loop.schedule(Duration(5), [&] { ran = true; });
  const auto started = std::chrono::steady_clock::now();
  loop.run();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
  EXPECT_FALSE(ran);
  late->cancel();
}

TEST(QtMainLoop, RunForLetsThatMuchTimePass) {
  QtMainLoop loop;
  int ticks = 0;
  auto timer = loop.repeat(Duration(0.01), [&] { ++ticks; });
  loop.runFor(Duration(0.1));
  EXPECT_GE(ticks, 5);
  EXPECT_LE(ticks, 11);
}

}  // namespace
}  // namespace quillo::platform
