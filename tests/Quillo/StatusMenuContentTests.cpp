#include <gtest/gtest.h>

#include "StatusMenuContent.hpp"

namespace quillo {
namespace {

using Status = AppStatus;
using TapFinding = quillo::TapFinding;

const StatusMenuItem& titled(const std::vector<StatusMenuItem>& items, std::string_view start) {
  for (const auto& item : items) {
    if (item.title.starts_with(start)) return item;
  }
  throw std::out_of_range(std::string(start));
}

StatusMenuState granted() {
  StatusMenuState state;
  state.status = Status::active;
  state.permissions = {true, false};
  state.tapFinding = TapFinding::installed(false);
  state.tapListening = true;
  state.version = "0.1.0";
  return state;
}

TEST(StatusMenuContent, TheInputMonitoringLineReadsThePermissionAndTheTap) {
  struct Case {
    bool granted;
    TapFinding finding;
    const char* title;
    std::optional<StatusMenuCommand> command;
  };
  const Case cases[] = {
      {false, TapFinding::failed(false), "Input Monitoring: required \u2014 Open Settings\u2026",
       StatusMenuCommand::fixInputMonitoring},
      {false, TapFinding::notAttempted(), "Input Monitoring: checked after Accessibility",
       std::nullopt},
      {false, TapFinding::installed(false), "Input Monitoring: not needed",
       StatusMenuCommand::openInputMonitoringSettings},
      {false, TapFinding::installed(true),
       "Input Monitoring: removed since launch \u2014 quit and reopen Quillo to recheck",
       std::nullopt},
      {true, TapFinding::installed(true), "Input Monitoring: granted",
       StatusMenuCommand::openInputMonitoringSettings},
      {true, TapFinding::notAttempted(), "Input Monitoring: granted",
       StatusMenuCommand::openInputMonitoringSettings},
      {true, TapFinding::failed(true),
       "Keyboard tap failed despite both permissions \u2014 see Debug log",
       StatusMenuCommand::showDebugLog},
  };
  for (const auto& c : cases) {
    StatusMenuState state = granted();
    state.permissions.inputMonitoring = c.granted;
    state.tapFinding = c.finding;
    const auto items = statusMenuItems(state);
    EXPECT_EQ(items.at(5).title, c.title);
    EXPECT_EQ(items.at(5).command, c.command) << c.title;
  }
}

TEST(StatusMenuContent, TheTapLine) {
  struct Case {
    Status status;
    bool listening;
    const char* line;
  };
  const Case cases[] = {
      {Status::needsAccessibility, false, "Keyboard tap: not installed"},
      {Status::needsInputMonitoring, false, "Keyboard tap: not installed"},
      {Status::paused, false, "Keyboard tap: off (paused)"},
      {Status::waitingForMail, false, "Keyboard tap: off until Mail is in front"},
      {Status::waitingForMail, true, "Keyboard tap: listening in Mail"},
      {Status::keysHidden, true,
       "Keyboard tap: keys hidden by secure keyboard entry in another app"},
      {Status::active, true, "Keyboard tap: listening in Mail"},
  };
  for (const auto& c : cases) {
    StatusMenuState state = granted();
    state.status = c.status;
    state.tapListening = c.listening;
    EXPECT_EQ(statusMenuItems(state).at(6).title, c.line);
  }
}

TEST(StatusMenuContent, AccessibilityMissingOffersTheFix) {
  StatusMenuState state = granted();
  state.permissions.accessibility = false;
  const auto line = statusMenuItems(state).at(4);
  EXPECT_EQ(line.title, "Accessibility: required \u2014 Open Settings\u2026");
  EXPECT_EQ(line.image, StatusImage::warning);
  EXPECT_EQ(line.imageDescription, "needed");
  EXPECT_EQ(line.command, StatusMenuCommand::fixAccessibility);
}

TEST(StatusMenuContent, ApprovalPendingAddsAnIndentedItem) {
  StatusMenuState state = granted();
  state.launchAtLogin = false;
  state.loginNeedsApproval = true;
  const auto items = statusMenuItems(state);
  const auto& approve = titled(items, "Approve in Login Items Settings");
  EXPECT_EQ(approve.indentation, 1);
  EXPECT_EQ(approve.command, StatusMenuCommand::openLoginItems);
  state.launchAtLogin = true;
  state.loginNeedsApproval = false;
  EXPECT_TRUE(titled(statusMenuItems(state), "Launch at Login").checked);
  EXPECT_THROW(titled(statusMenuItems(state), "Approve"), std::out_of_range);
}

}  // namespace
}  // namespace quillo
