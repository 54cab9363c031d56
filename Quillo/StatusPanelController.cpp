#include "StatusPanelController.hpp"

#include <algorithm>
#include <string>
#include <variant>

#include "PanelContent.hpp"
#include "PanelPlacement.hpp"
#include "Platform/KeyCodes.hpp"
#include "Platform/Text.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "QuilloCore/KeySequenceState.hpp"
#include "QuilloCore/KeyToken.hpp"
#include "StatusMenuContent.hpp"

namespace quillo {

namespace {

using platform::MonitoredEvent;
namespace KeyCode = platform::KeyCode;

bool isKeyDown(const MonitoredEvent& event) {
  return event.type == MonitoredEvent::Type::keyDown;
}

}  // namespace

StatusPanelController::StatusPanelController(AppController& app, platform::StatusItem& item,
                                             platform::PanelWindow& panel,
                                             platform::EventMonitors& monitors, PanelView& view,
                                             platform::Application& application)
    : app_(app),
      item_(item),
      panel_(panel),
      monitors_(monitors),
      view_(view),
      application_(application),
      model_(app.environment().bundle),
      log_(app.environment().systemLog, "app") {
  item_.setOnClick([weak = lifeline_.weak()](std::uint64_t flags) {
    if (auto* self = Lifeline<StatusPanelController>::lock(weak)) self->toggle(flags);
  });
  view_.setOnRequest([weak = lifeline_.weak()](const PanelRequest& request) {
    if (auto* self = Lifeline<StatusPanelController>::lock(weak)) self->perform(request);
  });
  view_.setNeedsDisplay([weak = lifeline_.weak()] {
    if (auto* self = Lifeline<StatusPanelController>::lock(weak)) self->redraw();
  });
  refresh();
}

StatusPanelController::~StatusPanelController() {
  // Nothing may call back into a controller that is gone.
  item_.setOnClick(nullptr);
  view_.setOnRequest(nullptr);
  view_.setNeedsDisplay(nullptr);
  monitorTokens_.clear();
  observers_.clear();
  if (app_.interceptor().suspended()) app_.interceptor().setSuspended(false);
}

void StatusPanelController::refresh() {
  model_.update(app_);
  const AppController::Status status = model_.status;
  // The same image and dimming as the classic menu's button; the panel's own words.
  StatusButton button = statusButton(status);
  button.toolTip = "Quillo \u2014 " + std::string(statusNote(status));
  // A refresh that changes nothing (the permission check every two
  // seconds, mostly) touches nothing on screen.
  if (button != shownButton_) {
    if (!shownButton_ || button.image != shownButton_->image ||
        button.accessibilityDescription != shownButton_->accessibilityDescription) {
      item_.setImage(symbolName(button.image), button.accessibilityDescription);
    }
    if (!shownButton_ || button.dimmed != shownButton_->dimmed)
      item_.setAlphaValue(button.dimmed ? pausedAlpha : 1.0);
    if (!shownButton_ || button.toolTip != shownButton_->toolTip) item_.setToolTip(button.toolTip);
    shownButton_ = std::move(button);
  }
  redraw();
}

void StatusPanelController::redraw() {
  // The interceptor stands aside exactly while a key is being recorded —
  // also when the model ended the recording itself (another set chosen).
  KeyInterceptor& interceptor = app_.interceptor();
  const bool recording = model_.recording.has_value();
  if (recording != interceptor.suspended()) {
    interceptor.setSuspended(recording);
    // Key-ups still due are the recorder's now; none may be swallowed later.
    if (recording) interceptor.forgetSwallowedKeys();
  }
  PanelContent content = panelContent(model_, view_.viewState());
  if (content == shownContent_) return;
  shownContent_ = std::move(content);
  view_.display(*shownContent_);
  // Measured anew for the new content: an open panel takes its new size
  // at once, before anything is drawn at the old one.
  if (panel_.isVisible()) place();
}

void StatusPanelController::toggle(std::uint64_t modifierFlags) {
  if (panel_.isVisible()) {
    close("its icon was clicked again");
    return;
  }
  // The flags held at the click, as NSEvent.modifierFlags reads them then.
  show(((modifierFlags | monitors_.currentModifierFlags()) & platform::EventFlags::alternate) != 0);
}

std::string StatusPanelController::showShortcuts() {
  if (panel_.isVisible()) return "the panel is open already";
  show(false);
  return "opened the panel";
}

std::string StatusPanelController::pickMailbox(ActionID action) {
  if (!picker_) return "no mailbox picker";
  if (panel_.isVisible()) close("the mailbox picker opened");
  return picker_->open(action);
}

void StatusPanelController::show(bool showDebug) {
  if (picker_ && picker_->isOpen()) picker_->close("the panel opened");
  model_.showDebug = showDebug;
  model_.editing = false;
  model_.showingHelp = false;
  model_.stopRecording();
  model_.update(app_);
  redraw();
  place();
  item_.setHighlighted(true);
  panel_.orderFrontAsKey();

  const auto weak = lifeline_.weak();
  const auto closeIt = [weak](const char* why) {
    if (auto* self = Lifeline<StatusPanelController>::lock(weak)) self->close(why);
  };
  observers_.push_back(app_.environment().workspace.observeActivation(
      [closeIt, own = application_.processIdentifier()](
          const std::optional<platform::RunningApplication>& activated) {
        if (activationClosesPanel(activated, own)) closeIt("another application became active");
      }));
  observers_.push_back(panel_.observeResignKey([closeIt] { closeIt("it lost the keyboard"); }));
  monitorTokens_.push_back(monitors_.addGlobalMouseDownMonitor(
      [closeIt](const MonitoredEvent&) { closeIt("a click in another application"); }));
  monitorTokens_.push_back(monitors_.addLocalMonitor([weak](const MonitoredEvent& event) {
    auto* self = Lifeline<StatusPanelController>::lock(weak);
    return self ? self->handleLocalEvent(event) : true;
  }));
}

bool StatusPanelController::activationClosesPanel(
    const std::optional<platform::RunningApplication>& activated, pid_t ownProcess) {
  return !activated || activated->processIdentifier != ownProcess;
}

void StatusPanelController::place() {
  const platform::Size size = PanelPlacement::size(view_.fittingSize());
  panel_.setFrame(
      PanelPlacement::frame(size, item_.buttonFrameOnScreen(), item_.visibleFrameOfButtonScreen()));
}

void StatusPanelController::close(std::string_view why) {
  if (panel_.isVisible()) lastCloseReason_ = std::string(why);
  monitorTokens_.clear();
  observers_.clear();
  panel_.orderOut();
  item_.setHighlighted(false);
  endRecordingWait();
  model_.recording.reset();
  if (app_.interceptor().suspended()) app_.interceptor().setSuspended(false);
}

bool StatusPanelController::handleLocalEvent(const MonitoredEvent& event) {
  // Esc after a recorded key declines the second key and then does what Esc
  // does; before any key, it cancels the recording.
  if (isKeyDown(event) && model_.recordedFirstKey && event.keyCode == KeyCode::escape) {
    endRecordingWait();
  }
  if (isKeyDown(event) && model_.recording) {
    recordKey(event);
    return false;
  }
  if (isKeyDown(event) && model_.showingHelp &&
      (event.keyCode == KeyCode::escape || event.keyCode == KeyCode::returnKey ||
       event.keyCode == KeyCode::keypadEnter)) {
    model_.showingHelp = false;
    redraw();
    return false;
  }
  if (!isKeyDown(event)) {
    const bool ours = event.window == platform::EventWindow::panel ||
                      event.window == platform::EventWindow::statusItemButton;
    if (!ours) close("a click outside it");
    return true;
  }
  if (event.keyCode == KeyCode::escape) {
    close("Esc");
    return false;
  }
  return true;
}

void StatusPanelController::recordKey(const MonitoredEvent& event) {
  const ActionID action = *model_.recording;
  if (event.keyCode == KeyCode::escape) {
    model_.stopRecording();
    refresh();
    return;
  }
  // The interceptor's own rule, so that the key recorded is the key it sees.
  const std::optional<KeyToken> token =
      keyTokenOf(event.keyCode, event.modifierFlags, platform::text::utf16(event.characters),
                 app_.environment().keyboardLayouts);
  if (!token) {
    model_.recordMessage = unusableKeyMessage;
    refresh();
    return;
  }
  const KeyChord chord(*token, modifiersOf(event.modifierFlags));
  if (model_.recordedFirstKey) {
    recordSecondKey(chord);
    return;
  }
  if (auto message = CustomKeymap::problem(chord, action)) {
    model_.recordMessage = std::move(*message);
    refresh();
    return;
  }
  // The row names the active keymap's action; the custom set knows the
  // keymap file's own actions by name.
  const Keymap active = app_.activeKeymap();
  app_.editCustom(
      [&](CustomKeymap& definition) { definition.assign(chord, definition.idOf(action, active)); });
  // The key is kept at once; a second key within the wait a two-key
  // sequence is given makes one with it ("G then I").
  model_.recordedFirstKey = chord;
  model_.recordMessage.reset();
  recordingWait_ =
      app_.environment().loop.schedule(KeySequenceState::waitTime, [weak = lifeline_.weak()] {
        if (auto* self = Lifeline<StatusPanelController>::lock(weak)) {
          self->endRecordingWait();
          self->refresh();
        }
      });
  refresh();
}

void StatusPanelController::recordSecondKey(const KeyChord& second) {
  const ActionID action = *model_.recording;
  const KeySequence sequence(*model_.recordedFirstKey, second);
  endRecordingWait();
  if (auto message = CustomKeymap::secondKeyProblem(second)) {
    model_.recordMessage = std::move(*message);
    refresh();
    return;
  }
  const Keymap active = app_.activeKeymap();
  bool taken = false;
  app_.editCustom([&](CustomKeymap& definition) {
    const ActionID id = definition.idOf(action, active);
    CustomKeymap tried = definition;
    tried.clear(id);
    tried.addSequence(sequence, id);
    const auto sequences = CheatSheet::sequencesProvided(id, tried.keymap());
    taken = std::find(sequences.begin(), sequences.end(), sequence) != sequences.end();
    if (taken) definition = std::move(tried);
  });
  if (!taken) {
    // Its first key does something else on its own: the first key alone
    // stays recorded.
    model_.recording = action;
    model_.recordMessage = sequence.first().displayString() +
                           " already does something on its own, so it can't begin a two-key "
                           "shortcut.";
    refresh();
    return;
  }
  model_.stopRecording();
  refresh();
}

void StatusPanelController::endRecordingWait() {
  if (recordingWait_) recordingWait_->cancel();
  recordingWait_.reset();
  if (!model_.recordedFirstKey) return;
  model_.stopRecording();
}

void StatusPanelController::perform(const PanelRequest& request) {
  // One handler per request: a request without one does not compile.
  std::visit([this](const auto& r) { handle(r); }, request);
}

void StatusPanelController::handle(const PanelRequests::SetEnabled& r) {
  app_.selectSet(r.on ? app_.prefs().lastActiveSet() : ShortcutSet::off);
  refresh();
}

void StatusPanelController::handle(const PanelRequests::SelectSet& r) {
  app_.selectSet(r.set);
  model_.editing = r.set == ShortcutSet::custom;
  model_.stopRecording();
  refresh();
}

void StatusPanelController::handle(const PanelRequests::SetLaunchAtLogin& r) {
  auto& items = app_.environment().loginItems;
  if (auto error = r.on ? items.registerApp() : items.unregisterApp()) {
    log_.error("Launch at login change failed: " + *error);
  }
  refresh();
}

void StatusPanelController::handle(const PanelRequests::OpenLoginItems&) {
  close("for Login Items in System Settings");
  app_.environment().loginItems.openSystemSettingsLoginItems();
}

void StatusPanelController::handle(const PanelRequests::FixAccessibility&) {
  close("for Accessibility in System Settings");
  app_.fixAccessibility();
}

void StatusPanelController::handle(const PanelRequests::FixInputMonitoring&) {
  close("for Input Monitoring in System Settings");
  app_.fixInputMonitoring();
}

void StatusPanelController::handle(const PanelRequests::EditShortcuts&) {
  if (!model_.editing) {
    const ShortcutSet active = app_.shortcutSet();
    if (active != ShortcutSet::custom) {
      // The editor starts from what the user has now; earlier overrides stay.
      app_.editCustom([&](CustomKeymap& definition) { definition.baseline = baseline(active); });
      app_.selectSet(ShortcutSet::custom);
    }
    model_.editing = true;
  } else {
    model_.editing = false;
  }
  model_.stopRecording();
  refresh();
}

void StatusPanelController::handle(const PanelRequests::ToggleHelp&) {
  model_.showingHelp = !model_.showingHelp;
  refresh();
}

void StatusPanelController::handle(const PanelRequests::SetBaseline& r) {
  app_.editCustom([&](CustomKeymap& definition) { definition.baseline = r.baseline; });
  refresh();
}

void StatusPanelController::handle(const PanelRequests::Record& r) {
  endRecordingWait();
  model_.recording = r.action;
  model_.recordMessage.reset();
  redraw();
}

void StatusPanelController::handle(const PanelRequests::ClearKey& r) {
  const Keymap active = app_.activeKeymap();
  app_.editCustom(
      [&](CustomKeymap& definition) { definition.clear(definition.idOf(r.action, active)); });
  refresh();
}

void StatusPanelController::handle(const PanelRequests::ResetChanges&) {
  app_.editCustom([](CustomKeymap& definition) { definition.resetChanges(); });
  refresh();
}

void StatusPanelController::handle(const PanelRequests::ResetShortcuts&) {
  app_.resetKeymapToDefaults();
}

void StatusPanelController::handle(const PanelRequests::Support&) {
  close("for the support address");
  app_.environment().opener.openURL(supportAddress);
}

void StatusPanelController::handle(const PanelRequests::Quit&) {
  application_.terminate();
}

void StatusPanelController::handle(const PanelRequests::SetDebugLogging& r) {
  app_.setDebugLogging(r.on);
  refresh();
}

void StatusPanelController::handle(const PanelRequests::Debug& r) {
  using Command = PanelRequests::DebugCommand;
  close("for a diagnostic");
  switch (r.command) {
    case Command::focus:
      app_.focusCaptureIn3Seconds();
      break;
    case Command::menus:
      app_.menuCheck();
      break;
    case Command::menuStructure:
      app_.menuStructure();
      break;
    case Command::windows:
      app_.windowStructure();
      break;
    case Command::showLog:
      app_.showDebugLog();
      break;
  }
}

}  // namespace quillo
