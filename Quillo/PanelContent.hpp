// PanelContent: what the status-bar panel shows, as plain data.
//
// A pure function of the panel model (and the view's own state: whether the
// baseline chooser is open, which entry the pointer is over) gives every
// section in order, with its texts, states, accessibility labels and the
// request each control makes. The Qt widgets draw it and the console prints
// it, so neither decides what the panel shows. Pixels (fonts, sizes,
// colours) are the drawing's business; the content says only what they
// depend on (filled or outlined, large, dimmed, a warning's orange).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "PanelModel.hpp"
#include "PanelRequest.hpp"

namespace quillo {

struct PanelContent {
  /// A link-style or plain button.
  struct Button {
    std::string title;
    PanelRequest request;
    std::string toolTip;
    std::string accessibilityLabel;
    bool operator==(const Button&) const = default;
  };
  /// A title, a switch, then a link, a note or nothing.
  struct SwitchRow {
    std::string title;
    bool on = false;
    /// What flipping the switch asks for.
    PanelRequest flip;
    std::optional<std::string> note;
    std::optional<Button> link;
    bool operator==(const SwitchRow&) const = default;
  };
  /// An orange warning sign, a title and a button.
  struct WarningRow {
    std::string title;
    Button button;
    bool operator==(const WarningRow&) const = default;
  };
  struct SetRow {
    ShortcutSet set;
    std::string title;
    std::string description;
    bool selected = false;
    bool operator==(const SetRow&) const = default;
  };
  struct Keycap {
    std::string text;
    bool outlined = false;
    bool large = false;
    /// The second key of a two-key sequence: a keycap of its own after the
    /// word "then" ("G then I"); empty for a single key.
    std::string then;
    bool operator==(const Keycap&) const = default;
  };
  struct ShortcutRow {
    ActionID action;
    std::string title;
    /// The keys, or one outlined dash when there are none; while editing
    /// they are one button that records a new key.
    std::vector<Keycap> keys;
    /// While editing: the keys' button (empty title) that starts recording.
    std::optional<Button> recordButton;
    /// This row's key is being recorded: a field reading "Press keys…".
    bool recording = false;
    /// While editing, for the keys Quillo gives: back to the Mac's own.
    std::optional<Button> clearButton;
    CheatSheet::PlaceSet places;
    std::string accessibilityLabel;
    /// A line under the row, in the warning colour: the recorded key is
    /// Mail's own for another command.
    std::optional<std::string> notice;
    bool operator==(const ShortcutRow&) const = default;
  };
  struct BaselineChoice {
    CustomKeymap::Baseline baseline;
    std::string title;
    bool checked = false;
    bool highlighted = false;
    bool operator==(const BaselineChoice&) const = default;
  };
  /// The custom-set editor above the shortcut list.
  struct Editor {
    std::string startFromLabel;
    /// Shows the baseline's title; opens and closes the chooser.
    std::string baselineTitle;
    std::string baselineAccessibilityLabel;
    /// The chooser's entries while it is open, else empty.
    std::vector<BaselineChoice> choices;
    std::string message;
    bool messageIsWarning = false;
    std::optional<Button> resetChanges;
    bool operator==(const Editor&) const = default;
  };
  struct HelpPlace {
    CheatSheet::Place place;
    std::string name;
    std::string description;
    bool operator==(const HelpPlace&) const = default;
  };
  struct Help {
    std::string title;
    std::string text;
    std::vector<HelpPlace> places;
    std::vector<std::string> legend;  // the green line, then the grey one
    Button ok;
    bool operator==(const Help&) const = default;
  };

  std::string title;
  // The status section.
  std::vector<SwitchRow> switches;  // enabled, open at login, accessibility
  std::optional<std::string> accessibilityHelp;
  std::optional<WarningRow> loginApproval;
  std::string setCaption;
  std::vector<SetRow> sets;
  // The warnings section: present when either part is.
  std::optional<WarningRow> inputMonitoring;
  std::optional<WarningRow> keymapWarning;
  std::vector<std::string> keymapProblemLines;  // at most three
  // The shortcuts section.
  std::string shortcutsCaption;
  std::vector<Keycap> legend;  // "Quillo" filled, "macOS" outlined
  bool legendQuilloDimmed = false;
  Button editButton;
  Button helpButton;
  std::optional<Editor> editor;
  std::vector<ShortcutRow> leftColumn;
  std::vector<ShortcutRow> rightColumn;
  // The debug section, when shown.
  struct Debug {
    std::string caption;
    SwitchRow logging;
    std::string note;
    std::vector<Button> commands;
    bool operator==(const Debug&) const = default;
  };
  std::optional<Debug> debug;
  // The footer.
  Button support;
  std::string versionText;
  Button quit;
  std::optional<Help> help;

  bool hasWarnings() const { return inputMonitoring || keymapWarning; }
  bool operator==(const PanelContent&) const = default;
};

/// The view's own state: the baseline chooser and the entry under the pointer.
struct PanelViewState {
  bool choosingBaseline = false;
  std::optional<CustomKeymap::Baseline> hoveredBaseline;
  bool operator==(const PanelViewState&) const = default;
};

/// What the panel shows for this model. Pure.
PanelContent panelContent(const PanelModel& model, const PanelViewState& view = {});

/// The note beside the "Shortcuts enabled" switch for a status.
std::string_view statusNote(AppStatus status);

/// A shortcut row's accessibility label: "Archive: E, Quillo, works in the
/// message list, in an open message"; "Show shortcuts: no key" for a row
/// that has none.
std::string accessibilityLabel(const PanelModel::Shortcut& shortcut);

}  // namespace quillo
