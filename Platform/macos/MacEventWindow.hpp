// MacEventWindow: which of Quillo's windows an NSEvent is aimed at, from the
// event's window and the two windows Quillo knows (the panel's and the
// status item button's). The windows are compared by identity only, so
// they are passed as plain pointers. Pure.
#pragma once

#include "Platform/EventMonitors.hpp"

namespace quillo::platform::mac {

/// A null event window (an event outside the application's windows) is
/// none. Unknown windows (null) never match.
EventWindow eventWindow(const void* eventWindow, const void* panelWindow,
                        const void* statusItemWindow);

}  // namespace quillo::platform::mac
