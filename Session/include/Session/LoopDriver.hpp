// LoopDriver: how a script lets the main loop run between its steps — in
// virtual time for tests, in real time for the `quillo` program.
#pragma once

#include <optional>

#include "Platform/MainLoop.hpp"
#include "Platform/linux/LibuvMainLoop.hpp"
#include "Platform/linux/ManualMainLoop.hpp"

namespace quillo::simulated {

class LoopDriver {
 public:
  virtual ~LoopDriver() = default;
  /// Runs what is pending now.
  virtual void settle() = 0;
  /// Lets `duration` pass, running what falls due.
  virtual void wait(platform::Duration duration) = 0;
  /// The longest turn of the loop since the last call, where it is measured.
  virtual std::optional<platform::Duration> takeLongestTurn() { return std::nullopt; }
};

class ManualLoopDriver final : public LoopDriver {
 public:
  explicit ManualLoopDriver(platform::ManualMainLoop& loop) : loop_(loop) {}
  void settle() override { loop_.runUntilIdle(); }
  void wait(platform::Duration duration) override { loop_.advance(duration); }
  std::optional<platform::Duration> takeLongestTurn() override { return loop_.takeLongestTurn(); }

 private:
  platform::ManualMainLoop& loop_;
};

class RealLoopDriver final : public LoopDriver {
 public:
  explicit RealLoopDriver(platform::LibuvMainLoop& loop) : loop_(loop) {}
  void settle() override { loop_.runUntilIdle(); }
  void wait(platform::Duration duration) override { loop_.runFor(duration); }

 private:
  platform::LibuvMainLoop& loop_;
};

}  // namespace quillo::simulated
