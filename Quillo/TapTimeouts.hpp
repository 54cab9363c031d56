// TapTimeouts: when switching the keyboard tap back on no longer helps.
//
// The system switches off a tap whose callback kept a key event waiting too
// long and tells it so; switched back on, a tap normally recovers. A tap that
// times out again and again within a minute does not: whatever holds it up
// (a backed-up port, a window server that gave up on it) survives
// re-enabling, and the keyboard stutters each time. Then only a new tap
// helps. This value remembers the recent time-outs and says when the latest
// makes `limit` within `window`.
//
// A plain value with no clock of its own: callers pass the time of each
// time-out. Cost: at most `limit` remembered times.
#pragma once

#include <deque>

#include "Platform/MainLoop.hpp"

namespace quillo {

class TapTimeouts {
 public:
  static constexpr std::size_t limit = 3;
  static constexpr platform::Duration window{60.0};

  /// Notes a time-out at `at`. True when it is the `limit`th within
  /// `window` (both ends included); the count then starts afresh, since a
  /// new tap has a clean record.
  bool noteTimeout(platform::WallClock::time_point at) {
    // A wall clock set back leaves "later" time-outs behind: they tell
    // nothing about the last minute any more.
    while (!recent_.empty() && recent_.back() > at)
      recent_.pop_back();
    while (!recent_.empty() && at - recent_.front() > window)
      recent_.pop_front();
    recent_.push_back(at);
    if (recent_.size() < limit) return false;
    recent_.clear();
    return true;
  }

  /// Forgets every time-out (a new tap, or one removed).
  void clear() { recent_.clear(); }

 private:
  std::deque<platform::WallClock::time_point> recent_;
};

}  // namespace quillo
