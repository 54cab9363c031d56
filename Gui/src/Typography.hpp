// Typography: the panel's fonts, sized in the Mac's points. A point of the
// panel is one device-independent pixel of Qt, as on a Mac at any scale;
// sizes are exact (11.5 stays 11.5). The system family is the application
// font's; rounded keys ask for SF Pro Rounded first, where it exists.
// Main thread (reads the primary screen's resolution).
#pragma once

#include <QFont>

namespace quillo::gui {

QFont systemFont(double points, QFont::Weight weight = QFont::Normal);
/// The keycaps' font.
QFont roundedFont(double points, QFont::Weight weight = QFont::DemiBold);

}  // namespace quillo::gui
