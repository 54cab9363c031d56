// MacDispatchTime: the main loop's durations as Dispatch takes them —
// nanoseconds for dispatch_time and dispatch_source_set_timer, and the
// leeway a repeating timer allows the system. Pure.
#pragma once

#include <cstdint>

#include "Platform/MainLoop.hpp"

namespace quillo::platform::mac {

/// The shortest interval of a repeating timer: a Dispatch timer of interval
/// 0 would fire without pause and hold the main thread.
inline constexpr double minimumTimerInterval = 0.001;

/// A tenth of the interval: late enough for the system to group wake-ups,
/// never late enough to matter to a 2-second check or a 0.2-second debounce.
inline constexpr double timerLeewayShare = 0.1;

/// `delay` in whole nanoseconds, rounded; a negative delay is none.
std::int64_t dispatchNanoseconds(Duration delay);

/// A repeating timer's interval and leeway, in nanoseconds.
struct TimerSchedule {
  std::uint64_t interval = 0;
  std::uint64_t leeway = 0;
  bool operator==(const TimerSchedule&) const = default;
};
TimerSchedule timerSchedule(Duration interval);

}  // namespace quillo::platform::mac
