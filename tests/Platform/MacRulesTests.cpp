// What the macOS adapters decide without macOS: the vnode events of a file
// source, the login-item service's answers, the routes of the notifications
// the panel closes on, and which window an event is aimed at.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "MacConstants.hpp"
#include "MacDispatchTime.hpp"
#include "MacFileEvents.hpp"
#include "MacLoginItemStatus.hpp"
#include "MacMenuItemForm.hpp"
#include "MacModifierFlags.hpp"
#include "MacMonitoredEvent.hpp"
#include "MacNotifications.hpp"
#include "MacQtStart.hpp"
#include "Platform/KeyCodes.hpp"

namespace quillo::platform::mac {
namespace {

// MARK: - File-system sources

const FileEvents kAll =
    FileEvent::write | FileEvent::extend | FileEvent::delete_ | FileEvent::rename;

std::string describe(FileEvents events) {
  std::string out;
  const auto add = [&](FileEvent event, const char* name) {
    if (!events.contains(event)) return;
    if (!out.empty()) out += "|";
    out += name;
  };
  add(FileEvent::write, "write");
  add(FileEvent::extend, "extend");
  add(FileEvent::delete_, "delete");
  add(FileEvent::rename, "rename");
  return out.empty() ? "(none)" : out;
}

TEST(MacFileEvents, EachVnodeEventBecomesItsFileEvent) {
  struct Case {
    std::uint32_t vnode;
    const char* expected;
  };
  const std::vector<Case> cases{
      {VnodeEvent::write, "write"},
      {VnodeEvent::extend, "extend"},
      {VnodeEvent::delete_, "delete"},
      {VnodeEvent::rename, "rename"},
      // Access revoked or the volume unmounted: the object is gone for us.
      {VnodeEvent::revoke, "delete"},
      // Metadata and link counts say nothing about the contents.
      {VnodeEvent::attrib, "(none)"},
      {VnodeEvent::link, "(none)"},
      {VnodeEvent::attrib | VnodeEvent::link, "(none)"},
      {VnodeEvent::write | VnodeEvent::extend | VnodeEvent::attrib, "write|extend"},
      {VnodeEvent::delete_ | VnodeEvent::revoke, "delete"},
      {0, "(none)"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(describe(fileEvents(c.vnode, kAll)), c.expected) << "vnode 0x" << std::hex << c.vnode;
}

TEST(MacFileEvents, OnlyTheWantedEventsReachTheHandler) {
  EXPECT_EQ(describe(fileEvents(VnodeEvent::write | VnodeEvent::rename, FileEvent::rename)),
            "rename");
  EXPECT_EQ(describe(fileEvents(VnodeEvent::extend, FileEvent::write)), "(none)");
  EXPECT_EQ(describe(fileEvents(VnodeEvent::revoke, FileEvent::write | FileEvent::delete_)),
            "delete");
}

TEST(MacFileEvents, TheSourceAsksForExactlyTheVnodeEventsItTranslates) {
  EXPECT_EQ(vnodeMask(FileEvent::write), VnodeEvent::write);
  EXPECT_EQ(vnodeMask(FileEvent::extend), VnodeEvent::extend);
  EXPECT_EQ(vnodeMask(FileEvent::delete_), VnodeEvent::delete_ | VnodeEvent::revoke);
  EXPECT_EQ(vnodeMask(FileEvent::rename), VnodeEvent::rename);
  EXPECT_EQ(vnodeMask(FileEvents()), 0u);
  EXPECT_EQ(vnodeMask(kAll), VnodeEvent::write | VnodeEvent::extend | VnodeEvent::delete_ |
                                 VnodeEvent::revoke | VnodeEvent::rename);
}

TEST(MacFileEvents, EveryVnodeEventAskedForIsOneThatCanBeSeen) {
  // Whatever subset is wanted, every bit of the mask translates to a wanted
  // event, and every wanted event has a bit in the mask.
  const std::vector<FileEvent> events{FileEvent::write, FileEvent::extend, FileEvent::delete_,
                                      FileEvent::rename};
  for (unsigned subset = 0; subset < 16; ++subset) {
    FileEvents wanted;
    for (std::size_t i = 0; i < events.size(); ++i)
      if (subset & (1u << i)) wanted = wanted | events[i];
    const std::uint32_t mask = vnodeMask(wanted);
    for (std::uint32_t bit = 1; bit <= VnodeEvent::revoke; bit <<= 1) {
      if (!(mask & bit)) continue;
      EXPECT_FALSE(fileEvents(bit, wanted).isEmpty()) << subset << " " << bit;
    }
    EXPECT_EQ(fileEvents(mask, wanted), wanted) << "subset " << subset;
  }
}

// MARK: - Login items

TEST(MacLoginItemStatus, ServiceStatusValuesBecomeTheSeamsStates) {
  EXPECT_EQ(loginItemStatus(0), LoginItemStatus::notRegistered);
  EXPECT_EQ(loginItemStatus(1), LoginItemStatus::enabled);
  EXPECT_EQ(loginItemStatus(2), LoginItemStatus::requiresApproval);
  EXPECT_EQ(loginItemStatus(3), LoginItemStatus::notFound);
  // A status a later system adds is neither on nor waiting for approval.
  EXPECT_EQ(loginItemStatus(4), LoginItemStatus::notFound);
  EXPECT_EQ(loginItemStatus(-1), LoginItemStatus::notFound);
}

TEST(MacLoginItemStatus, AFailureIsNeverReportedAsSuccess) {
  EXPECT_EQ(loginItemChangeError(true, std::nullopt), std::nullopt);
  EXPECT_EQ(loginItemChangeError(true, "ignored"), std::nullopt);
  EXPECT_EQ(loginItemChangeError(false, "Operation not permitted"), "Operation not permitted");
  EXPECT_EQ(loginItemChangeError(false, std::nullopt),
            "The login item service reported a failure without an error.");
  EXPECT_EQ(loginItemChangeError(false, ""),
            "The login item service reported a failure without an error.");
}

// MARK: - Notifications the panel closes on

TEST(MacNotifications, EachIsHeardOnItsCenterFromItsSender) {
  // Another application becoming active or quitting: the workspace center,
  // from anyone. The panel losing the keyboard: the default center, from
  // the panel only.
  const std::pair<MacNotification, NotificationRoute> cases[] = {
      {MacNotification::applicationDidActivate,
       {NotificationCenter::workspace, NotificationSender::any}},
      {MacNotification::applicationDidTerminate,
       {NotificationCenter::workspace, NotificationSender::any}},
      {MacNotification::windowDidResignKey,
       {NotificationCenter::default_, NotificationSender::observedWindow}},
  };
  for (const auto& [notification, route] : cases)
    EXPECT_EQ(notificationRoute(notification), route) << static_cast<int>(notification);
}

// MARK: - Monitored events

TEST(MacMonitoredEvent, TheMonitorsHandOnMouseDownsAndKeyDownsOnly) {
  EXPECT_EQ(monitoredEventType(1), MonitoredEvent::Type::leftMouseDown);
  EXPECT_EQ(monitoredEventType(3), MonitoredEvent::Type::rightMouseDown);
  EXPECT_EQ(monitoredEventType(10), MonitoredEvent::Type::keyDown);
  EXPECT_EQ(monitoredEventType(2), std::nullopt);   // left mouse up
  EXPECT_EQ(monitoredEventType(11), std::nullopt);  // key up
  EXPECT_EQ(monitoredEventType(12), std::nullopt);  // flags changed
  EXPECT_EQ(monitoredEventType(25), std::nullopt);  // other mouse down
  EXPECT_EQ(monitoredEventType(0), std::nullopt);
}

TEST(MacMonitoredEvent, AnEventIsAimedAtThePanelTheStatusItemAnotherWindowOrNone) {
  int panel = 0, button = 0, other = 0;
  EXPECT_EQ(eventWindow(&panel, &panel, &button), EventWindow::panel);
  EXPECT_EQ(eventWindow(&button, &panel, &button), EventWindow::statusItemButton);
  EXPECT_EQ(eventWindow(&other, &panel, &button), EventWindow::other);
  EXPECT_EQ(eventWindow(nullptr, &panel, &button), EventWindow::none);
  // Before the panel has a window, nothing is the panel's.
  EXPECT_EQ(eventWindow(&other, nullptr, &button), EventWindow::other);
  EXPECT_EQ(eventWindow(nullptr, nullptr, nullptr), EventWindow::none);
}

// MARK: - Menu items

TEST(MacMenuItemForm, AnItemIsEnabledOnlyWithAnActionOrASubmenu) {
  using Shape = MenuItemForm::Shape;
  MenuItem plain;
  plain.title = "Accessibility: granted";
  EXPECT_EQ(menuItemForm(plain, true), (MenuItemForm{Shape::item, false, false}));

  MenuItem acting = plain;
  acting.action = [] {};
  acting.checked = true;
  EXPECT_EQ(menuItemForm(acting, true), (MenuItemForm{Shape::item, true, true}));

  MenuItem parent = plain;
  parent.submenu.push_back(acting);
  EXPECT_EQ(menuItemForm(parent, true), (MenuItemForm{Shape::item, true, false}));
}

TEST(MacMenuItemForm, SectionHeadersBeforeMacOS14AreDisabledTitles) {
  using Shape = MenuItemForm::Shape;
  MenuItem header;
  header.kind = MenuItem::Kind::sectionHeader;
  header.title = "Shortcuts";
  header.action = [] {};  // a header never acts
  EXPECT_EQ(menuItemForm(header, true), (MenuItemForm{Shape::sectionHeader, false, false}));
  EXPECT_EQ(menuItemForm(header, false), (MenuItemForm{Shape::item, false, false}));

  MenuItem separator;
  separator.kind = MenuItem::Kind::separator;
  EXPECT_EQ(menuItemForm(separator, false), (MenuItemForm{Shape::separator, false, false}));
}

// MARK: - Dispatch times

TEST(MacDispatchTime, DelaysBecomeWholeNanosecondsAndNeverNegative) {
  EXPECT_EQ(dispatchNanoseconds(Duration(0.2)), 200'000'000);
  EXPECT_EQ(dispatchNanoseconds(Duration(1.5)), 1'500'000'000);
  EXPECT_EQ(dispatchNanoseconds(Duration(2.0)), 2'000'000'000);
  EXPECT_EQ(dispatchNanoseconds(Duration(1e-9 * 0.6)), 1);  // rounded, not cut
  EXPECT_EQ(dispatchNanoseconds(Duration(0)), 0);
  EXPECT_EQ(dispatchNanoseconds(Duration(-3)), 0);
}

TEST(MacDispatchTime, ATimerMayBeATenthLateAndNeverSpins) {
  EXPECT_EQ(timerSchedule(Duration(2.0)), (TimerSchedule{2'000'000'000, 200'000'000}));
  EXPECT_EQ(timerSchedule(Duration(0.2)), (TimerSchedule{200'000'000, 20'000'000}));
  // An interval of nothing would fire without pause.
  EXPECT_EQ(timerSchedule(Duration(0)), (TimerSchedule{1'000'000, 100'000}));
  EXPECT_EQ(timerSchedule(Duration(-1)), (TimerSchedule{1'000'000, 100'000}));
}

// MARK: - Modifier flags

TEST(MacModifierFlags, OnlyTheModifierKeysThemselvesCount) {
  // Option held with the left key (device bit 0x20): Option, nothing more.
  EXPECT_EQ(deviceIndependentModifierFlags(EventFlags::alternate | 0x20), EventFlags::alternate);
  EXPECT_EQ(deviceIndependentModifierFlags(EventFlags::shift | EventFlags::command | 0x0108),
            EventFlags::shift | EventFlags::command);
  EXPECT_EQ(deviceIndependentModifierFlags(EventFlags::alphaShift), EventFlags::alphaShift);
  EXPECT_EQ(deviceIndependentModifierFlags(EventFlags::secondaryFn), EventFlags::secondaryFn);
  EXPECT_EQ(deviceIndependentModifierFlags(0xFFFF), 0u);
}

// MARK: - Before Qt starts

TEST(MacQtStart, QtNeitherActivatesQuilloAtLaunchNorWhenAWindowIsRaised) {
  EXPECT_EQ(describe(qtEnvironmentForMenuBarApp()),
            "QT_MAC_DISABLE_FOREGROUND_APPLICATION_TRANSFORM=1 QT_MAC_SET_RAISE_PROCESS=0");
}

TEST(MacQtStart, TheSettingsReplaceWhatTheShellHandedDown) {
  ::setenv("QT_MAC_SET_RAISE_PROCESS", "1", 1);
  ::unsetenv("QT_MAC_DISABLE_FOREGROUND_APPLICATION_TRANSFORM");
  ASSERT_TRUE(applyQtEnvironmentForMenuBarApp());
  for (const EnvironmentSetting& setting : qtEnvironmentForMenuBarApp()) {
    const char* value = std::getenv(setting.name);
    ASSERT_NE(value, nullptr) << setting.name;
    EXPECT_STREQ(value, setting.value) << setting.name;
  }
}

}  // namespace
}  // namespace quillo::platform::mac
