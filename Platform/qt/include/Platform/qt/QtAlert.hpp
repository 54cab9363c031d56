// QtAlert: the application's modal alert (NSAlert's runModal) as a
// QMessageBox: the message in bold, the informative text under it, the
// buttons in the order given with the first the default (Return) and the
// last the one Esc chooses. Needs a QApplication; GUI thread only; blocks
// in a nested event loop until answered.
#pragma once

#include "Platform/Application.hpp"

namespace quillo::platform {

/// Shows `alert` and returns the answer as NSAlert does:
/// alertFirstButtonReturn for the first button, one more for each next.
int runQtAlert(const Alert& alert);

}  // namespace quillo::platform
