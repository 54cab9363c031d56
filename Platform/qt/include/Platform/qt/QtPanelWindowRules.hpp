// What the panel's Qt window asks of Qt, decided in plain terms so that the
// Mac's answers are tested here too. Read against Qt 6's own macOS sources
// (qcocoawindow.mm): the platform plug-in makes a top-level window an
// NSPanel when its type has Qt::Popup's or Qt::Dialog's bits (so Tool,
// ToolTip, Sheet, Popup and Dialog), and only a panel can be non-activating;
// QWindow::raise() there orders the window front and then activates the
// whole application unless QT_MAC_SET_RAISE_PROCESS is 0.
#pragma once

#include <Qt>
#include <string_view>

namespace quillo::platform {

/// The panel's window: a frameless tool window that floats above others.
inline constexpr Qt::WindowFlags panelWindowFlags =
    Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

/// Whether Qt's macOS plug-in gives a top-level window of `type` an NSPanel.
constexpr bool qtMakesPanelOnMac(Qt::WindowType type) {
  const auto has = [type](Qt::WindowType bits) { return (type & bits) == bits; };
  return has(Qt::Popup) || has(Qt::Dialog);
}

/// Whether showing the panel may also raise it under the Qt platform plug-in
/// named `platformName` (QGuiApplication::platformName()). Never on a Mac
/// ("cocoa"), where raising activates Quillo and takes Mail's place; the
/// panel's window level keeps it in front there. Elsewhere a raise is what
/// puts a newly shown tool window above the others.
constexpr bool panelMayRaise(std::string_view platformName) {
  return platformName != "cocoa";
}

}  // namespace quillo::platform
