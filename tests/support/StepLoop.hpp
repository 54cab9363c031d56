// StepLoop: a main loop whose posted work the test runs one piece at a
// time, to see what each turn of posted work does.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

#include "Platform/MainLoop.hpp"
#include "Platform/linux/ManualMainLoop.hpp"

namespace quillo::testing {

/// A main loop whose posted work runs one piece at a time, by hand.
class StepLoop final : public platform::MainLoop {
 public:
  void post(std::function<void()> work) override { posted.push_back(std::move(work)); }
  /// Work for a later turn is run one piece at a time too; nothing waits.
  std::shared_ptr<platform::WorkItem> schedule(platform::Duration delay,
                                               std::function<void()> work) override {
    if (delay.count() > 0) ADD_FAILURE() << "nothing waits";
    posted.push_back(std::move(work));
    return nullptr;
  }
  std::unique_ptr<platform::Timer> repeat(platform::Duration, std::function<void()>) override {
    return nullptr;
  }
  std::unique_ptr<platform::FileSource> watch(const std::filesystem::path&, platform::FileEvents,
                                              std::function<void(platform::FileEvents)>) override {
    return nullptr;
  }
  void run() override {}
  void stop() override {}
  platform::WallClock::time_point now() const override { return clock.now(); }
  bool runOne() {
    if (posted.empty()) return false;
    auto work = std::move(posted.front());
    posted.pop_front();
    work();
    return true;
  }

  std::deque<std::function<void()>> posted;
  const platform::ManualMainLoop& clock;
  explicit StepLoop(const platform::ManualMainLoop& clock) : clock(clock) {}
};

}  // namespace quillo::testing
