// MacMainLoop: the MainLoop seam on macOS — the main Dispatch queue for
// posted and delayed work, Dispatch timer sources for repeating timers, and
// vnode sources (MacFileSources) for file-system objects; the AppKit
// application's run loop drives them all. Where Qt runs the application
// (QApplication::exec() runs NSApplication's loop on macOS) the same queue
// is served, so this loop and Qt's share the one main thread.
//
// Differences from the seam's wording that a Mac imposes: Dispatch does not
// promise that delayed work falling due at the same instant runs in the
// order scheduled, and timers may fire up to a tenth of their interval late
// (their leeway, which lets the system group wake-ups; AppNapActivity keeps
// that from growing). A timer's interval is at least a millisecond. post() is safe from any thread;
// the rest is main thread only.
#pragma once

#include "Platform/MainLoop.hpp"

namespace quillo::platform::mac {

class MacMainLoop final : public MainLoop {
 public:
  void post(std::function<void()> work) override;
  std::shared_ptr<WorkItem> schedule(Duration delay, std::function<void()> work) override;
  std::unique_ptr<Timer> repeat(Duration interval, std::function<void()> work) override;
  std::unique_ptr<FileSource> watch(const std::filesystem::path& path, FileEvents events,
                                    std::function<void(FileEvents)> handler) override;
  /// NSApplication's run: returns after stop().
  void run() override;
  void stop() override;
  WallClock::time_point now() const override;
};

}  // namespace quillo::platform::mac
