// QtLoopDriver: how a script, or the desktop's self-test, lets Qt's loop run
// between its steps, in real time. Not from inside the loop.
#pragma once

#include "Platform/qt/QtMainLoop.hpp"
#include "Session/LoopDriver.hpp"

namespace quillo::desktop {

class QtLoopDriver final : public simulated::LoopDriver {
 public:
  explicit QtLoopDriver(platform::QtMainLoop& loop) : loop_(loop) {}
  void settle() override { loop_.runUntilIdle(); }
  void wait(platform::Duration duration) override { loop_.runFor(duration); }

 private:
  platform::QtMainLoop& loop_;
};

}  // namespace quillo::desktop
