// ScenarioHost: Quillo as a script sees it — what a step can ask of it and
// observe in it. The app controller is the real host; tests may wire the
// parts themselves.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "DebugLog.hpp"
#include "KeyInterceptor.hpp"
#include "Platform/Geometry.hpp"
#include "ShortcutSet.hpp"

namespace quillo::simulated {

class ScenarioHost {
 public:
  virtual ~ScenarioHost() = default;
  /// Starts Quillo (once).
  virtual void start() = 0;
  /// Whether Quillo has started and not quit since.
  virtual bool isRunning() const = 0;
  /// Quits Quillo; a new process, with a new app controller on the same Mac
  /// and files, is ready to `start`. False when this host cannot quit.
  virtual bool quit() { return false; }
  virtual void selectSet(ShortcutSet set) = 0;
  virtual void setDebugLogging(bool on) = 0;
  virtual KeyInterceptor& interceptor() = 0;
  virtual const DebugLog& debugLog() = 0;
  /// The folder keymap.json and custom.json live in.
  virtual std::filesystem::path supportFolder() const = 0;
  /// The status Quillo shows, when there is one.
  virtual std::optional<std::string> status() { return std::nullopt; }
  /// System-log lines written since the last call, as "category: message".
  /// Each line is handed out once, so a long session costs no more per step
  /// than a short one.
  virtual std::vector<std::string> newSystemLogLines() { return {}; }
  /// Alerts shown so far, from the `from`th on, each with the answer it got.
  virtual std::vector<std::string> alertLines(std::size_t /*from*/ = 0) { return {}; }
  /// How many alerts were shown so far.
  virtual std::size_t alertCount() { return 0; }
  /// Runs a named command of Quillo's (a diagnostic, for instance); false
  /// when the host knows no such command.
  virtual bool command(const std::vector<std::string>&) { return false; }
  /// Gives the next alert this answer (a button title); false when nothing
  /// here asks questions.
  virtual bool answerNextAlert(const std::string&) { return false; }
  /// Makes Quillo's folder (and everything below it) fail as a read-only
  /// volume or a full disk would, or work again with none; false when the
  /// host's files cannot fail.
  enum class FolderFault { none, readOnly, diskFull };
  /// Quillo's status panel as drawn, one line per row; none while it is
  /// closed or when the host has no panel.
  virtual std::optional<std::vector<std::string>> panelLines() { return std::nullopt; }
  /// Why the panel last closed ("Esc", …); empty when unknown.
  virtual std::string panelCloseReason() const { return {}; }
  /// Clicks a control of the open panel by its title — or, with `keys`, the
  /// keys of the shortcut row with that title; the error's text when it
  /// cannot.
  virtual std::optional<std::string> clickPanel(const std::string&, bool /*keys*/) {
    return "Quillo has no panel here";
  }
  virtual bool setFolderFault(FolderFault) { return false; }
  /// The open panel stops being the key window; false when it is not open
  /// and key, or the host has no panel.
  virtual bool panelLosesKey() { return false; }
  /// The mailbox picker as drawn, one line per part; none while it is
  /// closed or when the host has none.
  virtual std::optional<std::vector<std::string>> pickerLines() { return std::nullopt; }
  /// Why the picker last closed; empty when unknown.
  virtual std::string pickerCloseReason() const { return {}; }
  /// Clicks a mailbox's row of the open picker; the error's text when there
  /// is none.
  virtual std::optional<std::string> clickPicker(const std::string&) {
    return "Quillo has no mailbox picker here";
  }
  /// Turns the mouse wheel over the open picker's list; false when closed.
  virtual bool scrollPicker(int) { return false; }
  /// Where the open panel is on the screen; none while it is closed.
  virtual std::optional<platform::Rect> panelFrame() const { return std::nullopt; }
  /// The accessibility labels of the open panel's shortcut rows.
  virtual std::vector<std::string> panelRowLabels() const { return {}; }
  /// Whether alerts are told with their informative text; false when the
  /// host tells no alerts.
  virtual bool setAlertDetails(bool) { return false; }
  /// Whether a command of `command` acts on Quillo, which must then be
  /// running (the others bring about faults of the simulated system).
  virtual bool commandNeedsQuillo(const std::string&) const { return true; }
  /// The version the application's bundle gives: its own, or none at all.
  virtual bool setBundleVersion(bool present) {
    (void)present;
    return false;
  }
  /// Stores the user default "classicMenu", which Quillo reads when it
  /// starts; false when this host keeps no user defaults.
  virtual bool setClassicMenu(bool) { return false; }
};

}  // namespace quillo::simulated
