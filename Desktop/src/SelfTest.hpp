// SelfTest: `quillo-gui --self-test tray|mail|placement|clicks|alert|picker` — the desktop checks
// itself on a real display (Xvfb in the test suite), printing one line per fact checked and
// answering with an exit status.
//
//   tray  the icon appears in the tray (a tray host such as trayer must be
//         running); a real click on it (xdotool) opens the panel under it,
//         inside the screen; a real click on the Mail window closes it.
//   mail  real keys typed into the Mail window (xdotool) are converted and
//         reach Mail through Quillo's event tap: Gmail's `e` archives the
//         selected message; in a compose window, typing only types.
//   placement  the panel made as tall as it gets (Option-click, the editor
//         and its chooser) stays inside the screen's visible frame with its
//         header and footer showing and its middle scrolling, every frame
//         painted at its final geometry; a plain click after it opens the
//         panel at its smaller size at once.
//   clicks  40 real clicks on the icon 130 ms apart open and close the
//         panel 20 times each.
//   alert  the launch-at-login question, shown for real (not answered by
//         the test): drawn on the screen, not a black box; the icon's
//         clicks do nothing while it waits; SIGTERM then ends the loop and
//         the question is answered "Not Now". Needs a fresh home.
//   picker  V typed into the Mail window opens the mailbox picker, drawn
//         at its final size from the first frame, inside the screen; open
//         and idle it uses under 1 % of a CPU; typed keys filter it and
//         Return files the selected message in the mailbox chosen, the
//         keyboard going back to Mail; a click in Mail closes it.
//
// Runs the loop itself; call it instead of Desktop::run, after start().
#pragma once

#include <ostream>
#include <string_view>

#include "Desktop.hpp"

namespace quillo::desktop {

/// 0 when every check held, 1 when one failed, 2 for an unknown test.
int runSelfTest(Desktop& desktop, std::string_view which, std::ostream& out);

}  // namespace quillo::desktop
