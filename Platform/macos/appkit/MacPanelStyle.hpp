// MacPanelStyle: what the panel's window needs from AppKit on a Mac that Qt
// does not give it. The panel is drawn by Qt; its window is Qt's. Given the
// native view of the panel's top-level widget (what QWidget::winId()
// returns on macOS: an NSView*), this styles the view's window as Quillo's
// panel and observes it losing the keyboard.
//
// The Qt widget must be a window of type Qt::Tool with
// Qt::FramelessWindowHint (Qt makes such a window an NSPanel; see
// QtPanelWindowRules.hpp) and Qt::WA_TranslucentBackground (so the corners
// outside Qt's rounded background are clear), and must already have its
// native window (call this after the show). Qt's own panel window answers canBecomeKeyWindow for a
// tool window; what Qt cannot set is done here. Main thread only; the view is not retained.
#pragma once

#include <functional>
#include <memory>

#include "Platform/Workspace.hpp"

namespace quillo::platform::mac {

/// Makes the window of `nativeView` a non-activating panel that floats at
/// pop-up menu level, stays when the application is not active, joins no
/// window cycle, goes along into full-screen spaces and moves with the
/// space, without title bar or opaque background: Qt draws the panel's
/// rounded background itself. The window keeps Qt's content view (Qt makes
/// a new window for one whose content view was replaced), so there is no
/// blurred effect view. Safe to call again, and to be called after every
/// showing: Qt may have made a new native window, or set the window's style
/// again. False, with nothing
/// changed, when the view has no window yet or its window is not an NSPanel
/// (only a panel can be non-activating: an ordinary window would make
/// Quillo the active application and close the panel at once).
bool styleAsStatusPanel(void* nativeView);

/// The window of `nativeView` (an NSWindow*), or null; for
/// MacEventMonitors::recognise.
void* windowOfView(void* nativeView);

/// NSWindowDidResignKeyNotification of the window of `nativeView` only,
/// delivered on the main queue while the token lives; none when the view
/// has no window yet.
std::unique_ptr<NotificationObserver> observeResignKey(void* nativeView,
                                                       std::function<void()> handler);

}  // namespace quillo::platform::mac
