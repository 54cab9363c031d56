// Quillo on a Mac: the one entry point, where the macOS implementations of
// every platform seam are chosen and the application is run.
//
// Qt draws the panel, so Qt's application object is made first — after the
// environment that keeps Qt from activating Quillo (MacQtStart.hpp): on macOS it
// creates NSApplication and runs NSApplication's loop in exec(), which also
// serves the main Dispatch queue that MacMainLoop posts to. Quillo's own
// delegate is a C++ object (Qt's is the NSApplicationDelegate); it hears
// "launching finished" as the first piece of work on the running loop.
#import <AppKit/AppKit.h>

#include <QApplication>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "AppController.hpp"
#include "AppNapActivity.hpp"
#include "Gui/PanelWidget.hpp"
#include "Gui/PickerWidget.hpp"
#include "MacAppParts.hpp"
#include "MacApplication.hpp"
#include "MacEventMonitors.hpp"
#include "MacFoundationServices.hpp"
#include "MacLoginItems.hpp"
#include "MacMainLoop.hpp"
#include "MacPanelStyle.hpp"
#include "MacQtStart.hpp"
#include "MacStatusItem.hpp"
#include "MacWorkspace.hpp"
#include "MailboxPickerController.hpp"
#include "Platform/FileSystem.hpp"
#include "QuilloApp.hpp"
#include "StatusMenuController.hpp"
#include "StatusPanelController.hpp"

namespace {

using namespace quillo;
namespace mac = quillo::platform::mac;

constexpr const char* kActivityReason = "Quillo keeps Mail's keyboard shortcuts on time";

/// The panel: its widget and its window. Made once, before the controller
/// asks for the panel; the monitors and the status item outlive it.
struct Panel {
  Panel(mac::MacEventMonitors& monitors, const mac::MacStatusItem& item)
      : window(
            macapp::makePanelWindow(view, [this, &monitors, &item] { restyle(monitors, item); })) {}

  gui::PanelWidget view;
  std::unique_ptr<platform::PanelWindow> window;

 private:
  /// After every showing. Qt may have made a new native window for it (see
  /// QtPanelWindowRules.hpp), which needs the panel's style again, and the
  /// monitors must know which window is the panel, or every click inside it
  /// reads as a click outside.
  void restyle(mac::MacEventMonitors& monitors, const mac::MacStatusItem& item) {
    // On macOS winId() is the top-level widget's NSView.
    void* nativeView = reinterpret_cast<void*>(view.window()->winId());
    mac::styleAsStatusPanel(nativeView);
    monitors.recognise(mac::windowOfView(nativeView), item.buttonWindow());
  }
};

/// The mailbox picker: its widget and its window, made like the panel's
/// (the same non-activating NSPanel, styled again after every showing).
/// Made once, before the controller; it outlives the picker's controller.
struct Picker {
  Picker() : window(macapp::makePanelWindow(view, [this] { restyle(); })) {}

  gui::PickerWidget view;
  std::unique_ptr<platform::PanelWindow> window;

 private:
  /// After every showing, for the reason the panel gives. The monitors are
  /// not told about this window: the picker's controller lets every click
  /// in its own window through without asking where it is, and the panel,
  /// never open with it, recognises its own window at each of its showings.
  void restyle() {
    // On macOS winId() is the top-level widget's NSView.
    mac::styleAsStatusPanel(reinterpret_cast<void*>(view.window()->winId()));
  }
};

int run(int argc, char** argv) {
  mac::applyQtEnvironmentForMenuBarApp();
  QApplication qt(argc, argv);
  // The panel closing is no reason to quit: Quillo lives in the menu bar.
  QApplication::setQuitOnLastWindowClosed(false);

  mac::MacApplication application;
  AppDelegate::prepare(application);
  const mac::AppNapActivity activity(kActivityReason);

  mac::MacMainLoop loop;
  mac::MacUserDefaults defaults;
  mac::MacPaths paths;
  platform::PosixFileSystem files;
  mac::MacBundle bundle;
  mac::MacSystemLog systemLog;
  const std::unique_ptr<platform::EventServices> events = macapp::makeEventServices();
  const std::unique_ptr<platform::KeyboardLayouts> layouts = macapp::makeKeyboardLayouts();
  const std::unique_ptr<platform::Accessibility> accessibility = macapp::makeAccessibility();
  mac::MacWorkspace workspace;
  mac::MacWorkspaceOpener opener;
  mac::MacLoginItems loginItems;

  mac::MacStatusItem statusItem;
  mac::MacEventMonitors monitors;
  Panel panel(monitors, statusItem);
  Picker picker;

  AppEnvironment environment{loop,
                             defaults,
                             paths,
                             files,
                             bundle,
                             systemLog,
                             *events,
                             *layouts,
                             *accessibility,
                             workspace,
                             opener,
                             loginItems,
                             std::vector<std::string>(argv + 1, argv + argc)};
  AppDelegate delegate(std::move(environment), application,
                       [&](AppController& app, bool classicMenu) -> std::unique_ptr<StatusUI> {
                         if (classicMenu)
                           return std::make_unique<StatusMenuController>(statusItem, app,
                                                                         application);
                         auto controller = std::make_unique<StatusPanelController>(
                             app, statusItem, *panel.window, monitors, panel.view, application);
                         controller->setPicker(std::make_unique<MailboxPickerController>(
                             app, statusItem, *picker.window, monitors, picker.view,
                             application.processIdentifier()));
                         return controller;
                       });
  loop.post([&delegate] { delegate.applicationDidFinishLaunching(); });
  return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
  @autoreleasepool {
    return run(argc, argv);
  }
}
