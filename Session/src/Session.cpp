#include "Session/Session.hpp"

#include <thread>

#include "MacShim/Attach.hpp"
#include "Platform/macos/MacAccessibility.hpp"
#include "Platform/macos/MacEventServices.hpp"
#include "Platform/macos/MacKeyboardLayouts.hpp"
#include "StatusPanelController.hpp"

namespace quillo::simulated {

Session::Session(SessionOptions options) : desktop_(options.desktop) {
  if (desktop_) {
    loop_ = &desktop_->loop;
    driver_ = &desktop_->driver;
  } else if (options.virtualTime) {
    auto loop = std::make_unique<platform::ManualMainLoop>();
    manual_ = loop.get();
    ownDriver_ = std::make_unique<ManualLoopDriver>(*loop);
    ownLoop_ = std::move(loop);
  } else {
    auto loop = std::make_unique<platform::LibuvMainLoop>();
    real_ = loop.get();
    ownDriver_ = std::make_unique<RealLoopDriver>(*loop);
    ownLoop_ = std::move(loop);
  }
  if (ownLoop_) {
    loop_ = ownLoop_.get();
    driver_ = ownDriver_.get();
  }
  if (options.useSyslog) syslog_ = std::make_unique<platform::SyslogSystemLog>();
  systemLog_ = std::make_unique<platform::TeeSystemLog>(recorded_, syslog_.get());
  defaults_ = std::make_unique<platform::JsonFileUserDefaults>(
      platform::JsonFileUserDefaults::standardFile(paths_), *systemLog_,
      platform::JsonFileUserDefaults::formerStandardFile(paths_));
  bundle_ = std::make_unique<ScriptedBundle>(
      options.resourceFolder.value_or(platform::InstalledBundle::defaultResourceFolder()));

  sim::SimulatedMac::Blocker block;
  if (manual_) {
    block = [loop = manual_](platform::Duration d) { loop->elapse(d); };
  } else {
    block = [](platform::Duration d) {
      std::this_thread::sleep_for(std::chrono::duration_cast<std::chrono::microseconds>(d));
    };
  }
  mac_ = std::make_unique<sim::SimulatedMac>(*loop_, std::move(block));
  if (options.macAdapters) shim_ = std::make_unique<macshim::Attachment>(*mac_);
  user_ = std::make_unique<sim::User>(
      *mac_, [this] { driver_->settle(); },
      [this](platform::Duration duration) { driver_->wait(duration); });

  arguments_ = std::move(options.arguments);
  launchProcess();
  runner_ = std::make_unique<ScenarioRunner>(*mac_, *user_, *this, *driver_);
}

Session::~Session() {
  // The application goes before the Mac it talks to.
  runner_.reset();
  delegate_.reset();
  mac_->statusItem().mouseDown = nullptr;
  // The adapters let go of their CF references while the shim still serves
  // the Mac; then the shim lets go of the Mac.
  macAccessibility_.reset();
  macLayouts_.reset();
  macEvents_.reset();
  shim_.reset();
}

void Session::launchProcess() {
  // The one place that chooses how Quillo reaches the Mac's event taps,
  // keyboard layout and Accessibility: the simulated Mac's seams, or the
  // macOS adapters over the shim's C functions. A new process gets new
  // adapters, as on a Mac.
  platform::EventServices* events = &mac_->windowServer();
  platform::KeyboardLayouts* layouts = &mac_->windowServer();
  platform::Accessibility* accessibility = &mac_->accessibility();
  if (shim_) {
    macAccessibility_ = std::make_unique<platform::macos::MacAccessibility>();
    macLayouts_ = std::make_unique<platform::macos::MacKeyboardLayouts>();
    macEvents_ = std::make_unique<platform::macos::MacEventServices>();
    events = macEvents_.get();
    layouts = macLayouts_.get();
    accessibility = macAccessibility_.get();
  }
  AppEnvironment environment{*loop_,
                             *defaults_,
                             paths_,
                             files_,
                             *bundle_,
                             *systemLog_,
                             *events,
                             *layouts,
                             *accessibility,
                             mac_->workspace(),
                             mac_->workspace(),
                             mac_->loginItems(),
                             arguments_};
  // The program's entry: an accessory (menu-bar only) application whose
  // delegate creates the controller before launching finishes.
  auto answerer = application_ ? application_->answerer : nullptr;
  if (desktop_) answerer = desktop_->answerAlert;
  application_ = std::make_unique<sim::SimulatedApplication>(*mac_);
  AppDelegate::prepare(*application_);
  application_->answerer = std::move(answerer);
  if (!desktop_) {
    // On a Mac, terminating ends the process: its tap, timers, monitors and
    // windows go with it. Here it ends as soon as the call that asked has
    // returned (the menu's or the panel's Quit is still on the stack), and
    // before anything else the loop has to run; the loop is the session's
    // own, so the session outlives the work.
    application_->onTerminate = [this, pid = application_->pid()] {
      loop_->post([this, pid] {
        if (started_ && application_->pid() == pid) endProcess();
      });
    };
  }
  panelView_.reset();
  pickerView_.reset();
  mac_->statusItem().mouseDown = nullptr;
  eventMonitors_.reset();
  panelWindow_.reset();
  pickerWindow_.reset();
  if (!desktop_) {
    panelWindow_ = std::make_unique<sim::SimPanelWindow>(*mac_, application_->pid());
    eventMonitors_ = std::make_unique<sim::SimEventMonitors>(*mac_, application_->pid());
    panelView_ = std::make_unique<TextPanelView>();
    pickerWindow_ = std::make_unique<sim::SimPanelWindow>(*mac_, application_->pid());
    pickerView_ = std::make_unique<TextPickerView>();
    // The status item's button is a window of Quillo's: its clicks pass
    // Quillo's local monitors first.
    mac_->statusItem().mouseDown = [monitors = eventMonitors_.get()](std::uint64_t flags) {
      return monitors->mouseDownInOwnWindow(platform::EventWindow::statusItemButton, flags);
    };
  }
  delegate_ = std::make_unique<AppDelegate>(
      std::move(environment), *application_, [this](AppController& app, bool classicMenu) {
        // The desktop's interface or the simulated Mac's.
        platform::StatusItem& item = desktop_ ? desktop_->statusItem : mac_->statusItem();
        platform::PanelWindow& window =
            desktop_ ? desktop_->panelWindow : static_cast<platform::PanelWindow&>(*panelWindow_);
        platform::EventMonitors& monitors =
            desktop_ ? desktop_->eventMonitors
                     : static_cast<platform::EventMonitors&>(*eventMonitors_);
        PanelView& view = desktop_ ? desktop_->panelView : static_cast<PanelView&>(*panelView_);
        // The classic menu or the panel, with the text in front of it that
        // counts and records each refresh before passing it on.
        std::unique_ptr<StatusUI> shown;
        if (classicMenu) {
          shown = std::make_unique<StatusMenuController>(item, app, *application_);
        } else {
          auto panel = std::make_unique<StatusPanelController>(app, item, window, monitors, view,
                                                               *application_);
          panelController_ = panel.get();
          platform::PanelWindow* pickerWindow =
              desktop_ ? desktop_->pickerWindow : pickerWindow_.get();
          PickerView* pickerView = desktop_ ? desktop_->pickerView : pickerView_.get();
          if (pickerWindow && pickerView) {
            auto picker = std::make_unique<MailboxPickerController>(
                app, item, *pickerWindow, monitors, *pickerView, application_->pid());
            pickerController_ = picker.get();
            panel->setPicker(std::move(picker));
          }
          shown = std::move(panel);
        }
        auto text = std::make_unique<StatusText>(app, std::move(shown));
        statusText_ = text.get();
        return text;
      });
}

void Session::start() {
  if (started_) return;
  started_ = true;
  // A process that starts reads its settings afresh.
  defaults_->reload();
  delegate_->applicationDidFinishLaunching();
}

bool Session::quit() {
  if (!started_) return false;
  endProcess();
  return true;
}

void Session::endProcess() {
  // The controller goes before its process, as when the real one exits;
  // whatever it scheduled finds it gone.
  delegate_.reset();
  statusText_ = nullptr;
  panelController_ = nullptr;
  pickerController_ = nullptr;
  mac_->quit(application_->pid());
  started_ = false;
  launchProcess();
  if (runner_) runner_->processReplaced();
}

std::optional<std::vector<std::string>> Session::panelLines() {
  if (!panelWindow_ || !panelWindow_->isVisible()) return std::nullopt;
  return panelView_->lines();
}

std::string Session::panelCloseReason() const {
  return panelController_ ? panelController_->lastCloseReason() : std::string();
}

std::optional<std::string> Session::clickPanel(const std::string& title, bool keys) {
  if (desktop_) return "Quillo's panel is on the desktop: click it there";
  if (!panelWindow_ || !panelWindow_->isVisible()) return "Quillo's panel is closed";
  // A click in the panel goes through Quillo's local monitor first.
  if (!eventMonitors_->mouseDownInOwnWindow(platform::EventWindow::panel)) return std::nullopt;
  return keys ? panelView_->clickKeys(title) : panelView_->click(title);
}

std::filesystem::path Session::supportFolder() const {
  return delegate_->controller().keymapStore().directoryURL();
}

std::optional<std::string> Session::status() {
  if (!started_) return std::nullopt;
  std::string text(rawValue(controller().status()));
  if (const auto first = interceptor().pendingFirstKey()) {
    text += ", waiting for the key after " + first->displayString();
  }
  return text;
}

std::vector<std::string> Session::alertLines(std::size_t from) {
  std::vector<std::string> lines;
  const auto& alerts = application_->alerts;
  for (std::size_t i = from; i < alerts.size(); ++i) {
    const auto& shown = alerts[i];
    const std::string& more = shown.alert.informativeText;
    lines.push_back("\"" + shown.alert.messageText + "\"" +
                    (alertDetails_ && !more.empty() ? " \u2014 \"" + more + "\"" : std::string()) +
                    " answered " + shown.answer);
  }
  return lines;
}

std::size_t Session::alertCount() {
  return application_->alerts.size();
}

struct Session::Command {
  std::string_view name;
  std::string_view arguments;  // as help writes them; none: the name alone
  /// False when the words are not a form of the command.
  bool (*run)(Session&, const std::vector<std::string>& words);
};

namespace {

/// A command that calls one of the app controller's own.
template <void (AppController::*action)()>
bool calling(Session& session, const std::vector<std::string>&) {
  (session.controller().*action)();
  return true;
}

}  // namespace

const std::vector<Session::Command>& Session::commandTable() {
  using Words = std::vector<std::string>;
  static const std::vector<Command> table{
      {"focus-capture", "", calling<&AppController::focusCaptureIn3Seconds>},
      {"focus-capture-now", "", calling<&AppController::focusCapture>},
      {"menu-check", "", calling<&AppController::menuCheck>},
      {"menu-structure", "", calling<&AppController::menuStructure>},
      {"window-structure", "", calling<&AppController::windowStructure>},
      {"show-log", "", calling<&AppController::showDebugLog>},
      {"diagnose", "", calling<&AppController::runDiagnosis>},
      {"fix-accessibility", "", calling<&AppController::fixAccessibility>},
      {"fix-input-monitoring", "", calling<&AppController::fixInputMonitoring>},
      {"reset-keymap", "", calling<&AppController::resetKeymapToDefaults>},
      {"tap-needs-input-monitoring", "",
       [](Session& session, const Words&) {
         session.mac_->permissions.tapNeedsInputMonitoring = true;
         return true;
       }},
      {"login-item", "approval|fails TEXT|enabled",
       [](Session& session, const Words& words) {
         auto& items = session.mac_->loginItems();
         if (words[1] == "approval") {
           items.registrationNeedsApproval = true;
         } else if (words[1] == "fails" && words.size() == 3) {
           items.registrationError = words[2];
         } else if (words[1] == "enabled") {
           items.status_ = platform::LoginItemStatus::enabled;
         } else {
           return false;
         }
         return true;
       }},
  };
  return table;
}

std::vector<std::string> Session::commands() {
  std::vector<std::string> usages;
  for (const Command& command : commandTable()) {
    usages.push_back(std::string(command.name) +
                     (command.arguments.empty() ? "" : " " + std::string(command.arguments)));
  }
  return usages;
}

std::vector<std::string> Session::newSystemLogLines() {
  std::vector<std::string> lines;
  for (const auto& line : recorded_.lines)
    lines.push_back(line.category + ": " + line.message);
  recorded_.lines.clear();  // each handed out once, and kept no longer
  return lines;
}

bool Session::setFolderFault(FolderFault fault) {
  const auto folder = supportFolder();
  switch (fault) {
    case FolderFault::none:
      files_.faults.erase(folder);
      break;
    case FolderFault::readOnly:
      files_.faults[folder] = platform::FaultyFileSystem::Fault::readOnly;
      break;
    case FolderFault::diskFull:
      files_.faults[folder] = platform::FaultyFileSystem::Fault::diskFull;
      break;
  }
  return true;
}

bool Session::command(const std::vector<std::string>& words) {
  if (words.empty()) return false;
  for (const Command& command : commandTable()) {
    if (command.name != words[0]) continue;
    // A command without arguments takes none; one with them needs some.
    return command.arguments.empty() == (words.size() == 1) && command.run(*this, words);
  }
  return false;
}

bool Session::setClassicMenu(bool on) {
  defaults_->set(Preferences::Keys::classicMenu, on);
  return true;
}

bool Session::commandNeedsQuillo(const std::string& name) const {
  // Faults of the simulated system wait for no process.
  return name != "tap-needs-input-monitoring" && name != "login-item";
}

bool Session::panelLosesKey() {
  return panelWindow_ && panelWindow_->isVisible() && panelWindow_->loseKey();
}

std::optional<platform::Rect> Session::panelFrame() const {
  if (!panelWindow_ || !panelWindow_->isVisible()) return std::nullopt;
  return panelWindow_->frame();
}

std::vector<std::string> Session::panelRowLabels() const {
  return panelView_ ? panelView_->rowLabels() : std::vector<std::string>{};
}

std::optional<std::vector<std::string>> Session::pickerLines() {
  if (!pickerWindow_ || !pickerWindow_->isVisible()) return std::nullopt;
  return pickerView_->lines();
}

std::string Session::pickerCloseReason() const {
  return pickerController_ ? pickerController_->lastCloseReason() : std::string();
}

std::optional<std::string> Session::clickPicker(const std::string& mailbox) {
  if (desktop_) return "Quillo's picker is on the desktop: click it there";
  if (!pickerWindow_ || !pickerWindow_->isVisible()) return "Quillo's mailbox picker is closed";
  // A click in the picker goes through Quillo's local monitor first.
  if (!eventMonitors_->mouseDownInOwnWindow(platform::EventWindow::panel)) return std::nullopt;
  return pickerView_->click(mailbox);
}

bool Session::scrollPicker(int rows) {
  if (desktop_ || !pickerWindow_ || !pickerWindow_->isVisible()) return false;
  pickerView_->scroll(rows);
  return true;
}

bool Session::setBundleVersion(bool present) {
  bundle_->hasVersion = present;
  return true;
}

bool Session::answerNextAlert(const std::string& button) {
  application_->answers.push_back(button);
  return true;
}

}  // namespace quillo::simulated
