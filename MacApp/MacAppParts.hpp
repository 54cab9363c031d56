// MacAppParts: the parts of the Mac application that are built apart from
// its entry (main.mm) — the C++ adapters of macOS's C APIs (event taps and
// posting, keyboard layouts, Accessibility, in Platform/macos) and the Qt
// window that holds the panel (in Platform/qt). The entry makes each once,
// for the whole run, through these functions; MacAppParts.cpp defines them
// over those classes. Main thread only.
#pragma once

#include <functional>
#include <memory>

#include "Platform/Accessibility.hpp"
#include "Platform/EventServices.hpp"
#include "Platform/KeyboardLayout.hpp"
#include "Platform/PanelWindow.hpp"

class QWidget;

namespace quillo::macapp {

std::unique_ptr<platform::EventServices> makeEventServices();
std::unique_ptr<platform::KeyboardLayouts> makeKeyboardLayouts();
std::unique_ptr<platform::Accessibility> makeAccessibility();

/// The panel's window: a frameless Qt tool window (an NSPanel on macOS)
/// with `content` as its only child. `content` must outlive it. `afterShow`
/// runs after every showing, once the native window exists: Qt may have made
/// a new one, so it is where the window is styled and made known to the
/// event monitors.
std::unique_ptr<platform::PanelWindow> makePanelWindow(QWidget& content,
                                                       std::function<void()> afterShow);

}  // namespace quillo::macapp
