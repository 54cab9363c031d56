#include "Platform/linux/LibuvMainLoop.hpp"

#include <uv.h>

#include <cmath>
#include <deque>
#include <mutex>
#include <set>

#include "Platform/MainLoopHandles.hpp"
#include "Platform/linux/InotifyWatchHub.hpp"

namespace quillo::platform {
namespace {

/// One libuv timer with its work. libuv owns the handle's memory until the
/// close callback, which releases the extra reference kept in `handle.data`.
struct TimerState {
  uv_timer_t handle{};
  std::function<void()> work;
  bool repeating = false;
  bool closed = false;
  bool ran = false;
  bool cancelled = false;
};

std::uint64_t milliseconds(Duration duration) {
  if (!(duration.count() > 0)) return 0;
  return static_cast<std::uint64_t>(std::ceil(duration.count() * 1000.0));
}

}  // namespace

struct LibuvMainLoop::Impl {
  uv_loop_t loop{};
  uv_async_t wakeup{};
  uv_signal_t interrupt{};
  uv_signal_t terminate{};
  uv_poll_t filePoll{};
  bool pollingFiles = false;
  bool stoppedBySignal = false;
  std::mutex postedMutex;
  std::deque<std::function<void()>> posted;
  std::set<std::shared_ptr<TimerState>> timers;  // every timer not yet closed
  InotifyWatchHub files;

  void close(const std::shared_ptr<TimerState>& state) {
    if (state->closed) return;
    state->closed = true;
    uv_timer_stop(&state->handle);
    timers.erase(state);
    uv_close(reinterpret_cast<uv_handle_t*>(&state->handle), [](uv_handle_t* handle) {
      delete static_cast<std::shared_ptr<TimerState>*>(handle->data);
    });
  }

  std::shared_ptr<TimerState> startTimer(Duration delay, Duration interval,
                                         std::function<void()> work) {
    auto state = std::make_shared<TimerState>();
    state->work = std::move(work);
    state->repeating = interval.count() > 0;
    uv_timer_init(&loop, &state->handle);
    state->handle.data = new std::shared_ptr<TimerState>(state);
    timers.insert(state);
    uv_timer_start(
        &state->handle,
        [](uv_timer_t* handle) {
          // Keep the state alive for the whole callback, even if closed in it.
          const std::shared_ptr<TimerState> state =
              *static_cast<std::shared_ptr<TimerState>*>(handle->data);
          auto* impl = static_cast<Impl*>(handle->loop->data);
          if (state->closed) return;
          if (!state->repeating) {
            state->ran = true;
            impl->close(state);
          }
          auto work = state->work;
          work();
        },
        milliseconds(delay),
        state->repeating ? std::max<std::uint64_t>(1, milliseconds(interval)) : 0);
    return state;
  }

  void drainPosted() {
    while (true) {
      std::function<void()> work;
      {
        std::lock_guard lock(postedMutex);
        if (posted.empty()) return;
        work = std::move(posted.front());
        posted.pop_front();
      }
      work();
    }
  }
};

LibuvMainLoop::LibuvMainLoop() : impl_(std::make_unique<Impl>()) {
  Impl* impl = impl_.get();
  uv_loop_init(&impl->loop);
  impl->loop.data = impl;
  uv_async_init(&impl->loop, &impl->wakeup,
                [](uv_async_t* handle) { static_cast<Impl*>(handle->loop->data)->drainPosted(); });
  const auto onSignal = [](uv_signal_t* handle, int) {
    auto* impl = static_cast<Impl*>(handle->loop->data);
    impl->stoppedBySignal = true;
    uv_stop(&impl->loop);
  };
  uv_signal_init(&impl->loop, &impl->interrupt);
  uv_signal_start(&impl->interrupt, onSignal, SIGINT);
  uv_signal_init(&impl->loop, &impl->terminate);
  uv_signal_start(&impl->terminate, onSignal, SIGTERM);
  if (impl->files.descriptor() >= 0 &&
      uv_poll_init(&impl->loop, &impl->filePoll, impl->files.descriptor()) == 0) {
    impl->pollingFiles = true;
    uv_poll_start(&impl->filePoll, UV_READABLE, [](uv_poll_t* handle, int, int) {
      static_cast<Impl*>(handle->loop->data)->files.dispatchPending();
    });
  }
}

LibuvMainLoop::~LibuvMainLoop() {
  Impl* impl = impl_.get();
  // Close every handle, let libuv finish closing them, then close the loop.
  const auto timers = impl->timers;
  for (const auto& state : timers)
    impl->close(state);
  uv_close(reinterpret_cast<uv_handle_t*>(&impl->wakeup), nullptr);
  uv_close(reinterpret_cast<uv_handle_t*>(&impl->interrupt), nullptr);
  uv_close(reinterpret_cast<uv_handle_t*>(&impl->terminate), nullptr);
  if (impl->pollingFiles) uv_close(reinterpret_cast<uv_handle_t*>(&impl->filePoll), nullptr);
  uv_run(&impl->loop, UV_RUN_DEFAULT);
  uv_loop_close(&impl->loop);
}

void LibuvMainLoop::post(std::function<void()> work) {
  {
    std::lock_guard lock(impl_->postedMutex);
    impl_->posted.push_back(std::move(work));
  }
  uv_async_send(&impl_->wakeup);
}

std::shared_ptr<WorkItem> LibuvMainLoop::schedule(Duration delay, std::function<void()> work) {
  auto state = impl_->startTimer(delay, Duration(0), std::move(work));
  return std::make_shared<ScheduledWork>([weak = std::weak_ptr(state), impl = impl_.get()] {
    const auto live = weak.lock();
    if (!live || live->closed) return false;  // ran, was cancelled, or the loop is gone
    live->cancelled = true;
    impl->close(live);
    return true;
  });
}

std::unique_ptr<Timer> LibuvMainLoop::repeat(Duration interval, std::function<void()> work) {
  auto state = impl_->startTimer(interval, interval, std::move(work));
  return std::make_unique<RepeatingTimer>([weak = std::weak_ptr(state), impl = impl_.get()] {
    // A timer that outlived its loop has been closed with it: nothing to do.
    if (const auto live = weak.lock(); live && !live->closed) impl->close(live);
  });
}

std::unique_ptr<FileSource> LibuvMainLoop::watch(const std::filesystem::path& path,
                                                 FileEvents events,
                                                 std::function<void(FileEvents)> handler) {
  return impl_->files.watch(path, events, std::move(handler));
}

void LibuvMainLoop::run() {
  impl_->stoppedBySignal = false;
  impl_->drainPosted();
  uv_run(&impl_->loop, UV_RUN_DEFAULT);
}

void LibuvMainLoop::runUntilIdle() {
  for (int round = 0; round < 1000; ++round) {
    impl_->drainPosted();
    uv_run(&impl_->loop, UV_RUN_NOWAIT);
    std::lock_guard lock(impl_->postedMutex);
    if (impl_->posted.empty()) break;
  }
}

void LibuvMainLoop::runFor(Duration duration) {
  auto stopper = schedule(duration, [this] { uv_stop(&impl_->loop); });
  impl_->drainPosted();
  uv_run(&impl_->loop, UV_RUN_DEFAULT);
  stopper->cancel();
}

void LibuvMainLoop::stop() {
  uv_stop(&impl_->loop);
}

WallClock::time_point LibuvMainLoop::now() const {
  return WallClock::now();
}

bool LibuvMainLoop::stoppedBySignal() const noexcept {
  return impl_->stoppedBySignal;
}

}  // namespace quillo::platform
