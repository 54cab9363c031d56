// MainLoop: the application's one main thread — its run loop, the main
// dispatch queue, timers and file-system event sources.
//
// Everything the application does runs on this loop, one piece of work after
// another. Work posted with post() runs in the order posted; delayed work and
// timers run when due, in the order they fall due (ties in the order they
// were scheduled). Handlers never run inside the call that registers them.
//
// Handles: a WorkItem may be cancelled until it has run; a Timer and a
// FileSource stop when cancelled or destroyed. Handlers must not outlive what
// they capture: owners cancel or destroy their handles first, or capture weak
// references.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

namespace quillo::platform {

using Duration = std::chrono::duration<double>;  // seconds
using WallClock = std::chrono::system_clock;

/// The events of a file-system object source, as a bit set. On a file:
/// written, grown, deleted (its last link removed), renamed. On a folder,
/// `write` means an entry was added, removed or renamed.
enum class FileEvent : std::uint8_t { write = 1, extend = 2, delete_ = 4, rename = 8 };

class FileEvents {
 public:
  constexpr FileEvents() noexcept = default;
  constexpr FileEvents(FileEvent event) noexcept : bits_(static_cast<std::uint8_t>(event)) {}
  constexpr FileEvents operator|(FileEvents other) const noexcept {
    return FileEvents(static_cast<std::uint8_t>(bits_ | other.bits_));
  }
  constexpr FileEvents operator&(FileEvents other) const noexcept {
    return FileEvents(static_cast<std::uint8_t>(bits_ & other.bits_));
  }
  constexpr bool contains(FileEvent event) const noexcept {
    return bits_ & static_cast<std::uint8_t>(event);
  }
  constexpr bool isEmpty() const noexcept { return bits_ == 0; }
  constexpr bool operator==(const FileEvents&) const noexcept = default;

 private:
  constexpr explicit FileEvents(std::uint8_t bits) noexcept : bits_(bits) {}
  std::uint8_t bits_ = 0;
};

constexpr FileEvents operator|(FileEvent a, FileEvent b) noexcept {
  return FileEvents(a) | FileEvents(b);
}

/// Delayed work that may be cancelled until it has started.
class WorkItem {
 public:
  virtual ~WorkItem() = default;
  virtual void cancel() = 0;
  virtual bool isCancelled() const = 0;
};

/// A repeating timer; stops when invalidated or destroyed.
class Timer {
 public:
  virtual ~Timer() = default;
  virtual void invalidate() = 0;
};

/// A file-system object source on one opened path; stops (and closes what it
/// opened) when cancelled or destroyed.
class FileSource {
 public:
  virtual ~FileSource() = default;
  virtual void cancel() = 0;
};

class MainLoop {
 public:
  virtual ~MainLoop() = default;

  /// Runs `work` on the loop soon, after what was posted before it. Safe to
  /// call from any thread (the one exception to main-thread-only).
  virtual void post(std::function<void()> work) = 0;

  /// Runs `work` on the loop `delay` from now unless cancelled first. The
  /// work runs even if the caller drops the returned handle.
  virtual std::shared_ptr<WorkItem> schedule(Duration delay, std::function<void()> work) = 0;

  /// Runs `work` every `interval` until the timer is invalidated or destroyed.
  virtual std::unique_ptr<Timer> repeat(Duration interval, std::function<void()> work) = 0;

  /// Opens `path` (following a symbolic link) and watches the object opened
  /// for `events`; the handler gets the events seen (never empty). None when
  /// the path cannot be opened (for example, it does not exist). The source
  /// keeps watching that object, wherever it is renamed to.
  virtual std::unique_ptr<FileSource> watch(const std::filesystem::path& path, FileEvents events,
                                            std::function<void(FileEvents)> handler) = 0;

  /// Runs the loop until stop() is called.
  virtual void run() = 0;
  /// Makes run() return once the work in progress has finished.
  virtual void stop() = 0;

  /// The current wall-clock time.
  virtual WallClock::time_point now() const = 0;
};

}  // namespace quillo::platform
