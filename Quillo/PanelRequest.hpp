// PanelRequest: every request the panel can make, as a value (the types in
// PanelRequests, any one of them a PanelRequest).
//
// A control of the panel carries the request it makes; whatever draws the
// panel (the Qt widgets, the console) only hands it to the status panel
// controller, which carries it out. So no rule of the panel is decided where
// it is drawn. Plain values, compared by value.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

#include "QuilloCore/ActionID.hpp"
#include "QuilloCore/CustomKeymap.hpp"
#include "QuilloCore/RawValueEnum.hpp"
#include "ShortcutSet.hpp"

namespace quillo {

struct PanelRequests {
  /// The debug section's commands; their raw values are the buttons' titles.
  enum class DebugCommand : std::uint8_t { focus, menus, menuStructure, windows, showLog };

  struct SetEnabled {
    bool on;
    bool operator==(const SetEnabled&) const = default;
  };
  struct SelectSet {
    ShortcutSet set;
    bool operator==(const SelectSet&) const = default;
  };
  struct SetLaunchAtLogin {
    bool on;
    bool operator==(const SetLaunchAtLogin&) const = default;
  };
  struct OpenLoginItems {
    bool operator==(const OpenLoginItems&) const = default;
  };
  struct FixAccessibility {
    bool operator==(const FixAccessibility&) const = default;
  };
  struct FixInputMonitoring {
    bool operator==(const FixInputMonitoring&) const = default;
  };
  struct EditShortcuts {
    bool operator==(const EditShortcuts&) const = default;
  };
  struct ToggleHelp {
    bool operator==(const ToggleHelp&) const = default;
  };
  struct SetBaseline {
    CustomKeymap::Baseline baseline;
    bool operator==(const SetBaseline&) const = default;
  };
  /// Starts recording a key for the action; none stops recording.
  struct Record {
    std::optional<ActionID> action;
    bool operator==(const Record&) const = default;
  };
  struct ClearKey {
    ActionID action;
    bool operator==(const ClearKey&) const = default;
  };
  struct ResetChanges {
    bool operator==(const ResetChanges&) const = default;
  };
  struct ResetShortcuts {
    bool operator==(const ResetShortcuts&) const = default;
  };
  struct Support {
    bool operator==(const Support&) const = default;
  };
  struct Quit {
    bool operator==(const Quit&) const = default;
  };
  struct SetDebugLogging {
    bool on;
    bool operator==(const SetDebugLogging&) const = default;
  };
  struct Debug {
    DebugCommand command;
    bool operator==(const Debug&) const = default;
  };
};

/// Any request of the panel.
using PanelRequest =
    std::variant<PanelRequests::SetEnabled, PanelRequests::SelectSet,
                 PanelRequests::SetLaunchAtLogin, PanelRequests::OpenLoginItems,
                 PanelRequests::FixAccessibility, PanelRequests::FixInputMonitoring,
                 PanelRequests::EditShortcuts, PanelRequests::ToggleHelp,
                 PanelRequests::SetBaseline, PanelRequests::Record, PanelRequests::ClearKey,
                 PanelRequests::ResetChanges, PanelRequests::ResetShortcuts, PanelRequests::Support,
                 PanelRequests::Quit, PanelRequests::SetDebugLogging, PanelRequests::Debug>;

}  // namespace quillo

template <>
struct quillo::EnumRawValues<quillo::PanelRequests::DebugCommand> {
  static constexpr std::array<std::string_view, 5> values{
      "Log Focused Element in 3 s", "Check Menu Actions", "Log Menu Structure",
      "Log Window Structure", "Show Debug Log"};
};
