#include "StatusMenuContent.hpp"

namespace quillo {

using Status = AppStatus;
using Command = StatusMenuCommand;
using Kind = TapFinding::Kind;

namespace {

StatusMenuItem item(std::string title, std::optional<Command> command = std::nullopt) {
  StatusMenuItem made;
  made.title = std::move(title);
  made.command = command;
  return made;
}

StatusMenuItem separator() {
  StatusMenuItem made;
  made.kind = StatusMenuItem::Kind::separator;
  return made;
}

StatusMenuItem withImage(StatusMenuItem made, StatusImage image) {
  made.image = image;
  switch (image) {
    case StatusImage::warning:
      made.imageDescription = "needed";
      break;
    case StatusImage::checkmark:
      made.imageDescription = "granted";
      break;
    case StatusImage::appIcon:
      break;
  }
  return made;
}

StatusMenuItem checked(StatusMenuItem made, bool on) {
  made.checked = on;
  return made;
}

StatusMenuItem inputMonitoringLine(const StatusMenuState& state) {
  const auto& finding = state.tapFinding;
  if (state.permissions.inputMonitoring) {
    if (finding.kind == Kind::failed) {
      return withImage(item("Keyboard tap failed despite both permissions \u2014 see Debug log",
                            Command::showDebugLog),
                       StatusImage::warning);
    }
    return withImage(item("Input Monitoring: granted", Command::openInputMonitoringSettings),
                     StatusImage::checkmark);
  }
  switch (finding.kind) {
    case Kind::failed:
      return withImage(item("Input Monitoring: required \u2014 Open Settings\u2026",
                            Command::fixInputMonitoring),
                       StatusImage::warning);
    case Kind::notAttempted:
      return item("Input Monitoring: checked after Accessibility");
    case Kind::installed:
      if (finding.inputMonitoringGranted) {
        return item(
            "Input Monitoring: removed since launch \u2014 quit and reopen Quillo to recheck");
      }
      return withImage(item("Input Monitoring: not needed", Command::openInputMonitoringSettings),
                       StatusImage::checkmark);
  }
  return item("");
}

std::string tapLine(const StatusMenuState& state) {
  switch (state.status) {
    case Status::needsAccessibility:
    case Status::needsInputMonitoring:
      return "Keyboard tap: not installed";
    case Status::paused:
      return "Keyboard tap: off (paused)";
    case Status::keysHidden:
      return "Keyboard tap: keys hidden by secure keyboard entry in another app";
    case Status::waitingForMail:
    case Status::active:
      return state.tapListening ? "Keyboard tap: listening in Mail"
                                : "Keyboard tap: off until Mail is in front";
  }
  return {};
}

std::optional<StatusMenuItem> keymapProblems(const StatusMenuState& state) {
  if (!state.keymapError && state.keymapWarnings.empty()) return std::nullopt;
  const std::size_t count = state.keymapWarnings.size();
  StatusMenuItem problems = withImage(
      item(state.keymapError
               ? "Keymap error"
               : "Keymap: " + std::to_string(count) + " warning" + (count == 1 ? "" : "s")),
      StatusImage::warning);
  problems.imageDescription.clear();
  if (state.keymapError) problems.submenu.push_back(item(*state.keymapError));
  for (const auto& warning : state.keymapWarnings)
    problems.submenu.push_back(item(warning));
  problems.submenu.push_back(separator());
  problems.submenu.push_back(item("Reset Keymap to Defaults", Command::resetKeymap));
  return problems;
}

}  // namespace

std::string symbolName(StatusImage image) {
  switch (image) {
    case StatusImage::appIcon:
      return {};  // the item draws the app's own icon for no symbol
    case StatusImage::warning:
      return "exclamationmark.triangle";
    case StatusImage::checkmark:
      return "checkmark.circle";
  }
  return {};
}

std::string_view statusText(Status status) {
  switch (status) {
    case Status::needsAccessibility:
      return "needs Accessibility permission";
    case Status::needsInputMonitoring:
      return "needs Input Monitoring permission";
    case Status::paused:
      return "paused";
    case Status::waitingForMail:
      return "ready (works while Mail is in front)";
    case Status::keysHidden:
      return "keys hidden by secure keyboard entry in another app";
    case Status::active:
      return "active in Mail";
  }
  return {};
}

StatusButton statusButton(Status status) {
  StatusButton button;
  const bool needsPermission =
      status == Status::needsAccessibility || status == Status::needsInputMonitoring;
  button.image = needsPermission ? StatusImage::warning : StatusImage::appIcon;
  button.accessibilityDescription = needsPermission ? "Quillo needs permission" : "Quillo";
  // Dimmed while shortcuts do nothing, though nothing is wrong with Quillo.
  button.dimmed =
      status == Status::paused || status == Status::waitingForMail || status == Status::keysHidden;
  button.toolTip = "Quillo \u2014 " + std::string(statusText(status));
  return button;
}

std::vector<StatusMenuItem> statusMenuItems(const StatusMenuState& state) {
  std::vector<StatusMenuItem> items;
  items.push_back(item("Quillo \u2014 " + std::string(statusText(state.status))));
  items.push_back(checked(item("Enabled", Command::toggleEnabled), state.enabled));
  items.push_back(separator());
  StatusMenuItem header = item("Permissions");
  header.kind = StatusMenuItem::Kind::sectionHeader;
  items.push_back(std::move(header));
  items.push_back(
      state.permissions.accessibility
          ? withImage(item("Accessibility: granted", Command::openAccessibilitySettings),
                      StatusImage::checkmark)
          : withImage(item("Accessibility: required \u2014 Open Settings\u2026",
                           Command::fixAccessibility),
                      StatusImage::warning));
  items.push_back(inputMonitoringLine(state));
  items.push_back(item(tapLine(state)));
  items.push_back(separator());
  items.push_back(
      checked(item("Launch at Login", Command::toggleLaunchAtLogin), state.launchAtLogin));
  if (state.loginNeedsApproval) {
    StatusMenuItem approve = item("Approve in Login Items Settings\u2026", Command::openLoginItems);
    approve.indentation = 1;
    items.push_back(std::move(approve));
  }
  items.push_back(item("Open Keymap File", Command::openKeymapFile));
  items.push_back(item("Show Keymap in Finder", Command::revealKeymapFile));
  if (auto problems = keymapProblems(state)) items.push_back(std::move(*problems));
  items.push_back(separator());
  items.push_back(item("Contact Support\u2026", Command::contactSupport));
  StatusMenuItem debug = item("Debug");
  debug.submenu = {
      checked(item("Debug Logging", Command::toggleDebugLogging), state.debugLogging),
      item("Log Mail's Focused Element in 3 Seconds", Command::focusCapture),
      item("Check Menu Actions", Command::menuCheck),
      item("Log Mail Menu Structure", Command::menuStructure),
      item("Log Mail Window Structure", Command::windowStructure),
      separator(),
      item("Show Debug Log", Command::showDebugLog),
      item("Logs AX roles and action ids only, never keys or text"),
  };
  items.push_back(std::move(debug));
  items.push_back(separator());
  items.push_back(item("Version " + state.version));
  StatusMenuItem quit = item("Quit Quillo", Command::quit);
  quit.keyEquivalent = "q";
  items.push_back(std::move(quit));
  return items;
}

}  // namespace quillo
