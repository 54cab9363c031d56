// QtMainLoop: the main loop on Qt's event loop — the loop of a program with a
// Qt interface, on a Linux desktop as on a Mac (where Qt's loop is the main
// run loop).
//
// Posted work is a queued call on the GUI thread, delayed work and timers
// are precise QTimers (millisecond resolution), and file sources are the same
// inotify sources the libuv loop has, read when a socket notifier says the
// inotify descriptor is readable. SIGINT or SIGTERM end run() cleanly, as
// quitting the application would — also while a modal dialog (an alert)
// waits for an answer in a loop of its own: it is dismissed, as Esc would,
// so that its loop returns and run() can end.
//
// A QCoreApplication (or QApplication) must exist before the loop is made
// and outlive it; the loop is made, run and destroyed on the thread that
// created that application. post() may be called from any thread. Handles
// that outlive the loop do nothing.
#pragma once

#include <memory>

#include "Platform/MainLoop.hpp"

namespace quillo::platform {

class QtMainLoop final : public MainLoop {
 public:
  QtMainLoop();
  ~QtMainLoop() override;
  QtMainLoop(const QtMainLoop&) = delete;
  QtMainLoop& operator=(const QtMainLoop&) = delete;

  void post(std::function<void()> work) override;
  std::shared_ptr<WorkItem> schedule(Duration delay, std::function<void()> work) override;
  std::unique_ptr<Timer> repeat(Duration interval, std::function<void()> work) override;
  std::unique_ptr<FileSource> watch(const std::filesystem::path& path, FileEvents events,
                                    std::function<void(FileEvents)> handler) override;
  /// Runs a QEventLoop until stop(); the application's windows stay live.
  void run() override;
  void stop() override;
  WallClock::time_point now() const override;

  /// Runs what is pending now (posted work, due timers, ready file events,
  /// window events) without waiting, until nothing posted is left. Not from
  /// inside the loop.
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
