#include "Platform/linux/ManualMainLoop.hpp"

#include <algorithm>
#include <utility>

#include "Platform/MainLoopHandles.hpp"
#include "Platform/linux/InotifyWatchHub.hpp"

namespace quillo::platform {

/// One piece of delayed work or one timer.
struct ManualMainLoop::Entry {
  Duration due{0};
  std::uint64_t sequence = 0;
  Duration interval{0};  // zero for one-shot work
  bool cancelled = false;
  bool done = false;  // one-shot work that has run
  std::function<void()> work;

  bool finished() const { return cancelled || done; }
};

WallClock::time_point ManualMainLoop::defaultStart() {
  // 2026-01-05 09:00:00 UTC: a Monday morning.
  return WallClock::time_point(std::chrono::seconds(1767603600));
}

ManualMainLoop::ManualMainLoop(WallClock::time_point start)
    : start_(start), files_(std::make_unique<InotifyWatchHub>()) {}

ManualMainLoop::~ManualMainLoop() = default;

void ManualMainLoop::post(std::function<void()> work) {
  std::lock_guard lock(postedMutex_);
  posted_.push_back(std::move(work));
}

std::shared_ptr<WorkItem> ManualMainLoop::schedule(Duration delay, std::function<void()> work) {
  auto entry = std::make_shared<Entry>();
  entry->due = elapsed_ + std::max(delay, Duration(0));
  entry->sequence = nextSequence_++;
  entry->work = std::move(work);
  scheduled_.push_back(entry);
  return std::make_shared<ScheduledWork>([entry] {
    if (entry->done) return false;
    entry->cancelled = true;
    return true;
  });
}

std::unique_ptr<Timer> ManualMainLoop::repeat(Duration interval, std::function<void()> work) {
  auto entry = std::make_shared<Entry>();
  entry->interval = std::max(interval, Duration(0.001));
  entry->due = elapsed_ + entry->interval;
  entry->sequence = nextSequence_++;
  entry->work = std::move(work);
  scheduled_.push_back(entry);
  return std::make_unique<RepeatingTimer>([entry] { entry->cancelled = true; });
}

std::unique_ptr<FileSource> ManualMainLoop::watch(const std::filesystem::path& path,
                                                  FileEvents events,
                                                  std::function<void(FileEvents)> handler) {
  return files_->watch(path, events, std::move(handler));
}

WallClock::time_point ManualMainLoop::now() const {
  return start_ + std::chrono::duration_cast<WallClock::duration>(elapsed_);
}

Duration ManualMainLoop::elapsed() const {
  return elapsed_;
}

std::size_t ManualMainLoop::scheduledCount() const {
  return static_cast<std::size_t>(std::count_if(
      scheduled_.begin(), scheduled_.end(), [](const auto& entry) { return !entry->finished(); }));
}

bool ManualMainLoop::runOnePosted() {
  std::function<void()> work;
  {
    std::lock_guard lock(postedMutex_);
    if (posted_.empty()) return false;
    work = std::move(posted_.front());
    posted_.pop_front();
  }
  runTurn(work);
  return true;
}

bool ManualMainLoop::runOneDue() {
  std::erase_if(scheduled_, [](const auto& entry) { return entry->finished(); });
  std::shared_ptr<Entry> next;
  for (const auto& entry : scheduled_) {
    if (entry->due > elapsed_) continue;
    if (!next || entry->due < next->due ||
        (entry->due == next->due && entry->sequence < next->sequence)) {
      next = entry;
    }
  }
  if (!next) return false;
  auto work = next->work;
  if (next->interval > Duration(0)) {
    next->due += next->interval;
    next->sequence = nextSequence_++;
  } else {
    next->done = true;
  }
  runTurn(work);
  return true;
}

void ManualMainLoop::runTurn(const std::function<void()>& work) {
  const Duration started = elapsed_;
  work();
  longestTurn_ = std::max(longestTurn_, elapsed_ - started);
}

Duration ManualMainLoop::takeLongestTurn() {
  return std::exchange(longestTurn_, Duration(0));
}

void ManualMainLoop::runUntilIdle() {
  while (true) {
    files_->dispatchPending();
    if (runOnePosted()) continue;
    if (runOneDue()) continue;
    files_->dispatchPending();
    std::lock_guard lock(postedMutex_);
    if (posted_.empty()) break;
  }
}

void ManualMainLoop::advance(Duration duration) {
  const Duration target = elapsed_ + std::max(duration, Duration(0));
  runUntilIdle();
  while (true) {
    std::shared_ptr<Entry> next;
    for (const auto& entry : scheduled_) {
      if (entry->finished() || entry->due > target) continue;
      if (!next || entry->due < next->due) next = entry;
    }
    if (!next) break;
    elapsed_ = std::max(elapsed_, next->due);
    runUntilIdle();
  }
  // Work that blocked may have taken the clock past the target already;
  // time never runs backwards.
  elapsed_ = std::max(elapsed_, target);
  runUntilIdle();
}

void ManualMainLoop::elapse(Duration duration) {
  elapsed_ += std::max(duration, Duration(0));
}

void ManualMainLoop::run() {
  stopped_ = false;
  while (!stopped_) {
    runUntilIdle();
    if (stopped_) break;
    std::shared_ptr<Entry> next;
    for (const auto& entry : scheduled_) {
      if (!entry->finished() && (!next || entry->due < next->due)) next = entry;
    }
    if (!next) break;
    elapsed_ = std::max(elapsed_, next->due);
  }
}

void ManualMainLoop::stop() {
  stopped_ = true;
}

}  // namespace quillo::platform
