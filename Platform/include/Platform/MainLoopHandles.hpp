// MainLoopHandles: the WorkItem and Timer handles every main loop hands out.
// A loop gives each one the way to stop what it scheduled; the handle keeps
// the rules: work is cancelled at most once and only before it has run, and
// a timer stops once, when invalidated or destroyed, whichever comes first.
#pragma once

#include <functional>
#include <utility>

#include "Platform/MainLoop.hpp"

namespace quillo::platform {

class ScheduledWork final : public WorkItem {
 public:
  /// `stop` drops the work from its loop and returns true, or returns false
  /// when there is nothing left to stop (it has run, or the loop is gone).
  explicit ScheduledWork(std::function<bool()> stop) : stop_(std::move(stop)) {}

  void cancel() override {
    if (!cancelled_ && stop_()) cancelled_ = true;
  }
  bool isCancelled() const override { return cancelled_; }

 private:
  std::function<bool()> stop_;
  bool cancelled_ = false;
};

class RepeatingTimer final : public Timer {
 public:
  /// `stop` ends the repeats; it runs once at most.
  explicit RepeatingTimer(std::function<void()> stop) : stop_(std::move(stop)) {}
  ~RepeatingTimer() override { invalidate(); }
  RepeatingTimer(const RepeatingTimer&) = delete;
  RepeatingTimer& operator=(const RepeatingTimer&) = delete;

  void invalidate() override {
    if (auto stop = std::exchange(stop_, nullptr)) stop();
  }

 private:
  std::function<void()> stop_;
};

}  // namespace quillo::platform
