// AppNapActivity: while an instance lives, the process holds an
// NSProcessInfo activity that keeps App Nap away, so the system neither
// throttles nor coalesces Quillo's timers (the 2-second permission check,
// the 0.2-second keymap debounce, the delayed questions) while it sits in
// the menu bar with no window. It does not keep the Mac awake: idle system
// sleep stays allowed. Create one at start for the whole run; main thread.
#pragma once

#include <memory>
#include <string_view>

namespace quillo::platform::mac {

class AppNapActivity {
 public:
  /// `reason` is shown by the system's tools (pmset -g assertions).
  explicit AppNapActivity(std::string_view reason);
  ~AppNapActivity();
  AppNapActivity(const AppNapActivity&) = delete;
  AppNapActivity& operator=(const AppNapActivity&) = delete;

 private:
  struct Token;
  std::unique_ptr<Token> token_;
};

}  // namespace quillo::platform::mac
