// LibuvMainLoop: the main loop in real time, on libuv.
//
// Timers and delayed work are libuv timers (millisecond resolution), file
// sources use inotify, and SIGINT or SIGTERM end run() cleanly, as quitting
// the application would. post() may be called from any thread.
#pragma once

#include <memory>

#include "Platform/MainLoop.hpp"

namespace quillo::platform {

class LibuvMainLoop final : public MainLoop {
 public:
  LibuvMainLoop();
  ~LibuvMainLoop() override;
  LibuvMainLoop(const LibuvMainLoop&) = delete;
  LibuvMainLoop& operator=(const LibuvMainLoop&) = delete;

  void post(std::function<void()> work) override;
  std::shared_ptr<WorkItem> schedule(Duration delay, std::function<void()> work) override;
  std::unique_ptr<Timer> repeat(Duration interval, std::function<void()> work) override;
  std::unique_ptr<FileSource> watch(const std::filesystem::path& path, FileEvents events,
                                    std::function<void(FileEvents)> handler) override;
  void run() override;
  void stop() override;
  WallClock::time_point now() const override;

  /// Runs what is pending now (posted work, due timers, ready file events)
  /// without waiting, until nothing posted is left. Not from inside the loop.
  void runUntilIdle();
  /// Runs the loop for `duration` of real time. Not from inside the loop.
  void runFor(Duration duration);

  /// Whether the last run() ended because of SIGINT or SIGTERM.
  bool stoppedBySignal() const noexcept;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace quillo::platform
