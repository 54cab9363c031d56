#include "Platform/qt/QtMainLoop.hpp"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <mutex>
#include <set>

#include "Platform/MainLoopHandles.hpp"
#include "Platform/linux/InotifyWatchHub.hpp"

namespace quillo::platform {
namespace {

/// One QTimer with its work. The QTimer belongs to the loop's context object;
/// once closed it is stopped and left to Qt to delete, and `timer` is null.
struct TimerState {
  QTimer* timer = nullptr;
  std::function<void()> work;
  bool repeating = false;
};

int milliseconds(Duration duration) {
  if (!(duration.count() > 0)) return 0;
  return static_cast<int>(std::min(std::ceil(duration.count() * 1000.0), double(INT_MAX)));
}

// The signal handler may only write to a pipe; the loop reads it. One pipe for
// the process, made once and kept open for its life.
int signalPipe[2] = {-1, -1};
std::once_flag signalPipeMade;

void writeSignal(int signal) {
  const int saved = errno;
  const auto byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
  errno = saved;
}

/// Every modal dialog that waits for an answer in a loop of its own (an
/// alert's runModal) is dismissed, as Esc would: its loop returns with the
/// cautious answer, and the loop around it can end.
void dismissModalDialogs() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(window);
    if (dialog && dialog->isVisible() && dialog->isModal()) dialog->reject();
  }
}

}  // namespace

struct QtMainLoop::Impl {
  // Declared before the context so that the notifier reading its descriptor
  // (a child of the context) goes first.
  InotifyWatchHub files;
  QObject context;
  std::set<std::shared_ptr<TimerState>> timers;  // every timer not yet closed
  std::atomic<int> pendingPosts = 0;
  QEventLoop* running = nullptr;
  bool stopRequested = false;
  bool stoppedBySignal = false;
  struct sigaction previousInterrupt {};
  struct sigaction previousTerminate {};

  void close(const std::shared_ptr<TimerState>& state) {
    if (!state->timer) return;
    state->timer->stop();
    // It may be the sender of the signal being handled right now.
    state->timer->deleteLater();
    state->timer = nullptr;
    timers.erase(state);
  }

  /// A single shot after `delay`, or (with an interval) a repeating timer.
  std::shared_ptr<TimerState> startTimer(Duration delay, Duration interval,
                                         std::function<void()> work) {
    auto state = std::make_shared<TimerState>();
    state->work = std::move(work);
    state->repeating = interval.count() > 0;
    state->timer = new QTimer(&context);
    state->timer->setTimerType(Qt::PreciseTimer);
    state->timer->setSingleShot(!state->repeating);
    QObject::connect(state->timer, &QTimer::timeout, &context,
                     [this, weak = std::weak_ptr<TimerState>(state)] {
                       // Keep the state alive for the whole call, even if closed in it.
                       const std::shared_ptr<TimerState> state = weak.lock();
                       if (!state || !state->timer) return;
                       if (!state->repeating) close(state);
                       auto work = state->work;
                       work();
                     });
    timers.insert(state);
    state->timer->start(state->repeating ? std::max(1, milliseconds(interval))
                                         : milliseconds(delay));
    return state;
  }

  void stop() {
    if (running) {
      running->quit();
    } else {
      stopRequested = true;
    }
  }
};

QtMainLoop::QtMainLoop() : impl_(std::make_unique<Impl>()) {
  Impl* impl = impl_.get();
  if (impl->files.descriptor() >= 0) {
    auto* notifier =
        new QSocketNotifier(impl->files.descriptor(), QSocketNotifier::Read, &impl->context);
    QObject::connect(notifier, &QSocketNotifier::activated, &impl->context,
                     [impl] { impl->files.dispatchPending(); });
  }
  std::call_once(signalPipeMade, [] {
    if (::pipe2(signalPipe, O_NONBLOCK | O_CLOEXEC) != 0) signalPipe[0] = signalPipe[1] = -1;
  });
  if (signalPipe[0] >= 0) {
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &impl->context);
    QObject::connect(notifier, &QSocketNotifier::activated, &impl->context, [impl] {
      unsigned char byte = 0;
      while (::read(signalPipe[0], &byte, 1) == 1) {
      }
      impl->stoppedBySignal = true;
      impl->stop();
      dismissModalDialogs();
    });
    struct sigaction action {};
    action.sa_handler = writeSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &impl->previousInterrupt);
    ::sigaction(SIGTERM, &action, &impl->previousTerminate);
  }
}

QtMainLoop::~QtMainLoop() {
  Impl* impl = impl_.get();
  if (signalPipe[0] >= 0) {
    ::sigaction(SIGINT, &impl->previousInterrupt, nullptr);
    ::sigaction(SIGTERM, &impl->previousTerminate, nullptr);
  }
  // The context deletes every QTimer, closed or not; handles find their
  // state closed and do nothing.
  for (const auto& state : impl->timers)
    state->timer = nullptr;
  impl->timers.clear();
}

void QtMainLoop::post(std::function<void()> work) {
  Impl* impl = impl_.get();
  ++impl->pendingPosts;
  // Queued calls to one receiver are delivered in the order they were made,
  // on the receiver's (the GUI) thread; Qt's queue is thread-safe.
  QMetaObject::invokeMethod(
      &impl->context,
      [impl, work = std::move(work)] {
        --impl->pendingPosts;
        work();
      },
      Qt::QueuedConnection);
}

std::shared_ptr<WorkItem> QtMainLoop::schedule(Duration delay, std::function<void()> work) {
  auto state = impl_->startTimer(delay, Duration(0), std::move(work));
  return std::make_shared<ScheduledWork>([weak = std::weak_ptr(state), impl = impl_.get()] {
    const auto live = weak.lock();
    if (!live || !live->timer) return false;  // ran, was cancelled, or the loop is gone
    impl->close(live);
    return true;
  });
}

std::unique_ptr<Timer> QtMainLoop::repeat(Duration interval, std::function<void()> work) {
  auto state = impl_->startTimer(interval, interval, std::move(work));
  return std::make_unique<RepeatingTimer>([weak = std::weak_ptr(state), impl = impl_.get()] {
    // A timer that outlived its loop has been closed with it: nothing to do.
    if (const auto live = weak.lock(); live && live->timer) impl->close(live);
  });
}

std::unique_ptr<FileSource> QtMainLoop::watch(const std::filesystem::path& path, FileEvents events,
                                              std::function<void(FileEvents)> handler) {
  return impl_->files.watch(path, events, std::move(handler));
}

void QtMainLoop::run() {
  Impl* impl = impl_.get();
  impl->stoppedBySignal = false;
  if (impl->stopRequested) {
    impl->stopRequested = false;
    return;
  }
  QEventLoop loop;
  QEventLoop* outer = impl->running;
  impl->running = &loop;
  loop.exec();
  impl->running = outer;
}

void QtMainLoop::stop() {
  impl_->stop();
}

void QtMainLoop::runUntilIdle() {
  for (int round = 0; round < 1000; ++round) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (impl_->pendingPosts == 0) break;
  }
}

void QtMainLoop::runFor(Duration duration) {
  auto stopper = schedule(duration, [this] { stop(); });
  run();
  stopper->cancel();
}

WallClock::time_point QtMainLoop::now() const {
  return WallClock::now();
}

bool QtMainLoop::stoppedBySignal() const noexcept {
  return impl_->stoppedBySignal;
}

}  // namespace quillo::platform
