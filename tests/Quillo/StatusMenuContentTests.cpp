#include <gtest/gtest.h>

#include "StatusMenuContent.hpp"

namespace quillo {
namespace {

using Status = AppStatus;
using TapFinding = quillo::TapFinding;

/// The menu as one line per item: separators as "---", submenus indented,
/// checked items with "✓ ", disabled ones in parentheses.
std::vector<std::string> lines(const std::vector<StatusMenuItem>& items, int depth = 0) {
  std::vector<std::string> out;
  for (const auto& item : items) {
    const std::string indent(static_cast<std::size_t>(2 * (depth + item.indentation)), ' ');
    if (item.kind == StatusMenuItem::Kind::separator) {
      out.push_back(indent + "---");
      continue;
    }
    std::string text = (item.checked ? "\u2713 " : "") + item.title;
    out.push_back(indent + (item.enabled() ? text : "(" + text + ")"));
    const auto sub = lines(item.submenu, depth + 1);
    out.insert(out.end(), sub.begin(), sub.end());
  }
  return out;
}

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

TEST(StatusMenuContent, TheWholeMenuWordForWord) {
  EXPECT_EQ(lines(statusMenuItems(granted())),
            (std::vector<std::string>{
                "(Quillo \u2014 active in Mail)",
                "\u2713 Enabled",
                "---",
                "(Permissions)",
                "Accessibility: granted",
                "Input Monitoring: not needed",
                "(Keyboard tap: listening in Mail)",
                "---",
                "Launch at Login",
                "Open Keymap File",
                "Show Keymap in Finder",
                "---",
                "Contact Support\u2026",
                "Debug",
                "  Debug Logging",
                "  Log Mail's Focused Element in 3 Seconds",
                "  Check Menu Actions",
                "  Log Mail Menu Structure",
                "  Log Mail Window Structure",
                "  ---",
                "  Show Debug Log",
                "  (Logs AX roles and action ids only, never keys or text)",
                "---",
                "(Version 0.1.0)",
                "Quit Quillo",
            }));
  EXPECT_EQ(statusMenuItems(granted()).back().keyEquivalent, "q");
}

TEST(StatusMenuContent, TheButtonFollowsTheStatus) {
  struct Case {
    Status status;
    StatusImage image;
    bool dimmed;
    const char* toolTip;
  };
  const Case cases[] = {
      {Status::needsAccessibility, StatusImage::warning, false,
       "Quillo \u2014 needs Accessibility permission"},
      {Status::needsInputMonitoring, StatusImage::warning, false,
       "Quillo \u2014 needs Input Monitoring permission"},
      {Status::paused, StatusImage::appIcon, true, "Quillo \u2014 paused"},
      {Status::waitingForMail, StatusImage::appIcon, true,
       "Quillo \u2014 ready (works while Mail is in front)"},
      {Status::keysHidden, StatusImage::appIcon, true,
       "Quillo \u2014 keys hidden by secure keyboard entry in another app"},
      {Status::active, StatusImage::appIcon, false, "Quillo \u2014 active in Mail"},
  };
  for (const auto& c : cases) {
    const StatusButton button = statusButton(c.status);
    EXPECT_EQ(button.image, c.image) << c.toolTip;
    EXPECT_EQ(button.dimmed, c.dimmed) << c.toolTip;
    EXPECT_EQ(button.toolTip, c.toolTip);
    EXPECT_EQ(button.accessibilityDescription,
              c.image == StatusImage::warning ? "Quillo needs permission" : "Quillo");
  }
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

TEST(StatusMenuContent, KeymapProblemsCountWarningsAndPutTheErrorFirst) {
  StatusMenuState state = granted();
  const std::pair<std::vector<std::string>, const char*> counted[] = {
      {{"w1"}, "Keymap: 1 warning"},
      {{"w1", "w2"}, "Keymap: 2 warnings"},
      {{"w1", "w2", "w3"}, "Keymap: 3 warnings"},
  };
  for (const auto& [warnings, title] : counted) {
    state.keymapWarnings = warnings;
    EXPECT_EQ(titled(statusMenuItems(state), "Keymap").title, title);
  }
  state.keymapError = "keymap.json isn't valid: malformed JSON";
  const auto problems = titled(statusMenuItems(state), "Keymap");
  EXPECT_EQ(problems.title, "Keymap error");
  EXPECT_EQ(lines(problems.submenu),
            (std::vector<std::string>{"(keymap.json isn't valid: malformed JSON)", "(w1)", "(w2)",
                                      "(w3)", "---", "Reset Keymap to Defaults"}));
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
