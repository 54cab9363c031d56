// PanelModel: the state behind the status-bar panel.
//
// It mirrors what the app controller knows — the status, the permissions,
// the active set, the keymap file's problems, launch at login — and holds
// the panel's own editing state: the custom-set editor, the help card, the
// action whose key is being recorded and the message under it. It turns the
// active keymap into the panel's shortcut rows with display strings such as
// "⌃⌘A". The panel's content is computed from it; the panel controller owns
// it, refreshes it with update(from:) and writes the editing state. A plain
// value: copying it copies the whole state. It belongs to the content the
// drawing sees; only update (PanelModelUpdate.cpp) reads the app, and is
// built with it. Main thread only.
#pragma once

#include <array>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AppState.hpp"
#include "Platform/Bundle.hpp"
#include "QuilloCore/ActionID.hpp"
#include "QuilloCore/CheatSheet.hpp"
#include "QuilloCore/CustomKeymap.hpp"
#include "ShortcutSet.hpp"

namespace quillo {

class AppController;

struct PanelModel {
  /// One row of the shortcut list.
  struct Shortcut {
    std::string id;  // the action's raw value
    ActionID action;
    /// Display strings, duplicates removed (⌘↩ and ⌘Enter read alike).
    std::vector<std::string> keys;
    /// Two-key sequences, each as its two keys' display strings.
    std::vector<std::array<std::string, 2>> sequences;
    std::string title;
    /// The keys come from the active keymap, not Mail's own shortcut.
    bool fromQuillo = false;
    CheatSheet::PlaceSet places;
    /// While the custom set's editor is open: the key recorded for it is one
    /// of Mail's own for another command ("⌘R is Mail's own shortcut for
    /// Reply; while this set is on, Quillo uses it for Archive.").
    std::optional<std::string> notice;
    bool operator==(const Shortcut&) const = default;
  };

  /// An action's title in the panel: "Archive", "Mark as spam", …
  static std::string_view title(ActionID action);
  /// The same, or the keymap's own action's title.
  static std::string title(ActionID action, const Keymap& keymap);

  /// The rows for a keymap, or for none (Mail's own shortcuts): one per
  /// action, in action order.
  static std::vector<Shortcut> shortcutRows(const Keymap* keymap);

  /// The initial state; `version` is the bundle's short version, or "?"
  /// when it has none.
  explicit PanelModel(const platform::Bundle& bundle);

  /// Refreshes every mirrored field from the controller, in a fixed order;
  /// leaves showDebug, showingHelp and version alone, and closes the editor
  /// (with any recording) unless the custom set is active.
  void update(const AppController& app);
  /// Ends recording a key, with the message under it.
  void stopRecording() {
    recording.reset();
    recordMessage.reset();
  }

  AppStatus status = AppStatus::waitingForMail;
  bool enabled = true;
  ShortcutSet set = ShortcutSet::gmail;
  bool editing = false;
  bool showingHelp = false;
  std::optional<ActionID> recording;
  std::optional<std::string> recordMessage;
  CustomKeymap::Baseline baseline = CustomKeymap::Baseline::appleMail;
  bool hasChanges = false;
  std::vector<ShortcutSet> sets;
  bool launchAtLogin = false;
  bool loginNeedsApproval = false;
  PermissionState permissions{true, true};
  bool needsInputMonitoring = false;
  std::vector<Shortcut> shortcuts;
  /// The keymap file's load error (first, when any), then its warnings.
  std::vector<std::string> keymapProblems;
  bool keymapHasError = false;
  bool showDebug = false;
  bool debugLogging = false;
  std::string version;

  bool operator==(const PanelModel&) const = default;
};

}  // namespace quillo
