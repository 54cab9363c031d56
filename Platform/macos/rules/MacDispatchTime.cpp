#include "MacDispatchTime.hpp"

#include <algorithm>
#include <cmath>

namespace quillo::platform::mac {

namespace {
constexpr double kNanosecondsPerSecond = 1e9;
}

std::int64_t dispatchNanoseconds(Duration delay) {
  return std::llround(std::max(0.0, delay.count()) * kNanosecondsPerSecond);
}

TimerSchedule timerSchedule(Duration interval) {
  const std::int64_t period =
      dispatchNanoseconds(Duration(std::max(interval.count(), minimumTimerInterval)));
  return TimerSchedule{
      static_cast<std::uint64_t>(period),
      static_cast<std::uint64_t>(std::llround(static_cast<double>(period) * timerLeewayShare))};
}

}  // namespace quillo::platform::mac
