// ManualMainLoop: the main loop in virtual time, for deterministic tests.
//
// Nothing happens by itself: the test runs what is pending with
// runUntilIdle() and moves the clock with advance(), which runs timers and
// delayed work in the order they fall due, each at its own due time. elapse()
// moves the clock without running anything, the way a call that blocks the
// main thread lets time pass. File sources are real (inotify) and deliver
// during runUntilIdle() and advance().
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "Platform/MainLoop.hpp"

namespace quillo::platform {

class InotifyWatchHub;

class ManualMainLoop final : public MainLoop {
 public:
  /// The clock starts at `start`; by default 2026-01-05 09:00:00 UTC.
  explicit ManualMainLoop(WallClock::time_point start = defaultStart());
  ~ManualMainLoop() override;

  void post(std::function<void()> work) override;
  std::shared_ptr<WorkItem> schedule(Duration delay, std::function<void()> work) override;
  std::unique_ptr<Timer> repeat(Duration interval, std::function<void()> work) override;
  std::unique_ptr<FileSource> watch(const std::filesystem::path& path, FileEvents events,
                                    std::function<void(FileEvents)> handler) override;
  /// Runs until stop(), jumping the clock from one due timer to the next;
  /// returns early when nothing is left that could ever run.
  void run() override;
  void stop() override;
  WallClock::time_point now() const override;

  /// Runs posted work, file events and everything due now, until none is left.
  void runUntilIdle();
  /// Moves the clock forward by `duration`, running what falls due on the way.
  void advance(Duration duration);
  /// Moves the clock forward without running anything.
  void elapse(Duration duration);
  /// Time moved so far.
  Duration elapsed() const;
  /// The longest piece of work (a turn) since the last call, in the time
  /// it moved the clock by blocking; starts counting afresh.
  Duration takeLongestTurn();
  /// Delayed work and timers that are still to run.
  std::size_t scheduledCount() const;

  static WallClock::time_point defaultStart();

  struct Entry;

 private:
  bool runOnePosted();
  bool runOneDue();
  void runTurn(const std::function<void()>& work);

  WallClock::time_point start_;
  Duration elapsed_{0};
  Duration longestTurn_{0};
  bool stopped_ = false;
  std::uint64_t nextSequence_ = 0;
  mutable std::mutex postedMutex_;
  std::deque<std::function<void()>> posted_;
  std::vector<std::shared_ptr<Entry>> scheduled_;
  std::unique_ptr<InotifyWatchHub> files_;
};

}  // namespace quillo::platform
