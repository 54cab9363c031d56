#include "PanelContent.hpp"

namespace quillo {

using Request = PanelRequest;
using Place = CheatSheet::Place;

namespace {

PanelContent::Button button(std::string title, Request request, std::string toolTip = {},
                            std::string accessibilityLabel = {}) {
  return {std::move(title), request, std::move(toolTip), std::move(accessibilityLabel)};
}

std::string_view placePhrase(Place place) {
  switch (place) {
    case Place::messageList:
      return "in the message list";
    case Place::openMessage:
      return "in an open message";
    case Place::writing:
      return "while writing";
  }
  return {};
}

PanelContent::HelpPlace helpPlace(Place place) {
  switch (place) {
    case Place::messageList:
      return {place, "Message list",
              "The main Mail window, with one or more messages selected in your inbox or any "
              "other mailbox. The shortcut acts on the selected messages. It doesn't work while "
              "you're typing in the search field or renaming a mailbox."};
    case Place::openMessage:
      return {place, "Open message",
              "A message you've opened in its own window, for example by double-clicking it. "
              "The shortcut acts on that message. Moving to the next or previous message and "
              "searching aren't available here, because there's no list."};
    case Place::writing:
      return {place, "Writing",
              "A new message, reply or forward you're writing. Only shortcuts held with \u2318, "
              "\u2303 or \u2325 work here, such as \u2318\u21A9 to send, so everything you type "
              "goes into your message."};
  }
  return {place, {}, {}};
}

PanelContent::ShortcutRow shortcutRow(const PanelModel& model,
                                      const PanelModel::Shortcut& shortcut) {
  PanelContent::ShortcutRow row{shortcut.action,
                                shortcut.title,
                                {},
                                std::nullopt,
                                false,
                                std::nullopt,
                                shortcut.places,
                                accessibilityLabel(shortcut),
                                model.editing ? shortcut.notice : std::nullopt};
  for (const std::string& key : shortcut.keys) {
    row.keys.push_back({key, !shortcut.fromQuillo, false, {}});
  }
  for (const auto& [first, second] : shortcut.sequences) {
    row.keys.push_back({first, false, false, second});
  }
  // No key from the set and none of Mail's own (showShortcuts, off): a dash
  // in the Mac's outline holds the place, and is what is clicked to record.
  if (row.keys.empty()) row.keys.push_back({"\u2014", true, false, {}});
  if (!model.editing) return row;
  // A key just recorded shows as the row's key while a second may follow.
  row.recording = model.recording == shortcut.action && !model.recordedFirstKey;
  row.recordButton = button("", PanelRequests::Record{shortcut.action},
                            "Click, then press the shortcut you want for " + shortcut.title);
  if (shortcut.fromQuillo && !row.recording) {
    row.clearButton = button("", PanelRequests::ClearKey{shortcut.action},
                             "Use the Mac's own shortcut for " + shortcut.title);
  }
  return row;
}

PanelContent::Editor editor(const PanelModel& model, const PanelViewState& view) {
  PanelContent::Editor editor;
  editor.startFromLabel = "Start from";
  editor.baselineTitle = std::string(title(model.baseline));
  editor.baselineAccessibilityLabel = "Start from " + editor.baselineTitle;
  if (view.choosingBaseline) {
    for (const auto baseline : allCases<CustomKeymap::Baseline>()) {
      editor.choices.push_back({baseline, std::string(title(baseline)), baseline == model.baseline,
                                view.hoveredBaseline == baseline});
    }
  }
  editor.messageIsWarning = model.recordMessage.has_value();
  editor.message =
      model.recordMessage.value_or("Click a key, then press the shortcut you want. Esc cancels.");
  if (model.recordedFirstKey && !model.recordMessage) {
    editor.message = "For a two-key shortcut, press its second key now (" +
                     model.recordedFirstKey->displayString() + " then \u2026).";
  }
  if (model.hasChanges)
    editor.resetChanges = button("Reset changes", PanelRequests::ResetChanges{});
  return editor;
}

PanelContent::Help help() {
  PanelContent::Help help;
  help.title = "Where shortcuts work";
  help.text =
      "Each shortcut has three icons showing where in Mail it works. Quillo never takes a plain "
      "letter key while you're typing.";
  for (const Place place : allCases<Place>())
    help.places.push_back(helpPlace(place));
  help.legend = {"Green icon: the shortcut is available there",
                 "Grey icon: the shortcut is not available there"};
  help.ok = button("OK", PanelRequests::ToggleHelp{});
  return help;
}

}  // namespace

std::string_view statusNote(AppStatus status) {
  switch (status) {
    case AppStatus::needsAccessibility:
      return "Needs Accessibility permission";
    case AppStatus::needsInputMonitoring:
      return "Needs Input Monitoring permission";
    case AppStatus::paused:
      return "Off \u2014 using Mail's own shortcuts";
    case AppStatus::waitingForMail:
      return "Ready when Apple Mail window is active";
    case AppStatus::keysHidden:
      return "Keys hidden by secure keyboard entry in another app";
    case AppStatus::active:
      return "Active in Mail";
  }
  return {};
}

std::string accessibilityLabel(const PanelModel::Shortcut& shortcut) {
  if (shortcut.keys.empty() && shortcut.sequences.empty()) return shortcut.title + ": no key";
  std::string label = shortcut.title + ": ";
  for (std::size_t i = 0; i < shortcut.keys.size(); ++i)
    label += (i ? " or " : "") + shortcut.keys[i];
  for (std::size_t i = 0; i < shortcut.sequences.size(); ++i) {
    label += (i || !shortcut.keys.empty() ? " or " : "") + shortcut.sequences[i][0] + " then " +
             shortcut.sequences[i][1];
  }
  label += shortcut.fromQuillo ? ", Quillo" : ", macOS";
  label += ", works ";
  bool first = true;
  for (const Place place : allCases<Place>()) {
    if (!shortcut.places.contains(place)) continue;
    label += (first ? "" : ", ") + std::string(placePhrase(place));
    first = false;
  }
  return label;
}

PanelContent panelContent(const PanelModel& model, const PanelViewState& view) {
  PanelContent content;
  content.title = "Shortcuts for Apple Mail";

  PanelContent::SwitchRow enabled{model.enabled ? "Shortcuts enabled" : "Shortcuts disabled",
                                  model.enabled, PanelRequests::SetEnabled{!model.enabled},
                                  std::nullopt, std::nullopt};
  if (model.enabled) enabled.note = std::string(statusNote(model.status));
  content.switches.push_back(std::move(enabled));
  content.switches.push_back(
      {"Open at login", model.launchAtLogin, PanelRequests::SetLaunchAtLogin{!model.launchAtLogin},
       std::nullopt, button("Login Items Settings\u2026", PanelRequests::OpenLoginItems{})});
  content.switches.push_back(
      {"Accessibility", model.permissions.accessibility, PanelRequests::FixAccessibility{},
       std::nullopt, button("Accessibility Settings\u2026", PanelRequests::FixAccessibility{})});
  if (!model.permissions.accessibility) {
    content.accessibilityHelp =
        "Quillo needs Accessibility to work. Switch it on in Settings; if Quillo isn't in the "
        "list, add it with the + button.";
  }
  if (model.loginNeedsApproval) {
    content.loginApproval = PanelContent::WarningRow{
        "Approve Quillo in Login Items", button("Open Settings", PanelRequests::OpenLoginItems{})};
  }
  content.setCaption = "SHORTCUT SET";
  for (const ShortcutSet set : model.sets) {
    content.sets.push_back(
        {set, std::string(title(set)), std::string(description(set)), set == model.set});
  }

  if (model.needsInputMonitoring) {
    content.inputMonitoring =
        PanelContent::WarningRow{"Input Monitoring permission is needed",
                                 button("Open Settings", PanelRequests::FixInputMonitoring{})};
  }
  if (!model.keymapProblems.empty()) {
    content.keymapWarning =
        PanelContent::WarningRow{model.keymapHasError ? "Your shortcuts file has an error"
                                                      : "Your shortcuts file has warnings",
                                 button("Reset", PanelRequests::ResetShortcuts{})};
    const std::size_t shown = std::min<std::size_t>(model.keymapProblems.size(), 3);
    content.keymapProblemLines.assign(model.keymapProblems.begin(),
                                      model.keymapProblems.begin() + static_cast<long>(shown));
  }

  content.shortcutsCaption = "SHORTCUTS";
  content.legend = {{"Quillo", false, true, {}}, {"macOS", true, true, {}}};
  content.legendQuilloDimmed = !model.enabled;
  content.editButton =
      button(model.editing ? "Done" : "Edit Shortcuts\u2026", PanelRequests::EditShortcuts{});
  content.helpButton = button("", PanelRequests::ToggleHelp{},
                              "What the icons beside each shortcut mean", "Explain the icons");
  if (model.editing) content.editor = editor(model, view);
  const std::size_t left = (model.shortcuts.size() + 1) / 2;
  for (std::size_t i = 0; i < model.shortcuts.size(); ++i) {
    (i < left ? content.leftColumn : content.rightColumn)
        .push_back(shortcutRow(model, model.shortcuts[i]));
  }

  if (model.showDebug) {
    PanelContent::Debug debug{
        "DEBUG",
        {"Debug logging", model.debugLogging, PanelRequests::SetDebugLogging{!model.debugLogging},
         std::nullopt, std::nullopt},
        "Logs accessibility roles and action names only, never keys or text.",
        {}};
    for (const auto command : allCases<PanelRequests::DebugCommand>()) {
      debug.commands.push_back(
          button(std::string(rawValue(command)), PanelRequests::Debug{command}));
    }
    content.debug = std::move(debug);
  }

  content.support = button("Support", PanelRequests::Support{});
  content.versionText = "v" + model.version;
  content.quit = button("Quit", PanelRequests::Quit{});
  if (model.showingHelp) content.help = help();
  return content;
}

}  // namespace quillo
