// Session: Quillo running on a simulated Mac, with the real Linux services
// for everything Linux has (user defaults, keymap.json and custom.json in the
// XDG folders, the debug log file, syslog) — the whole application, wired by
// its app controller, ready for a script or a person to drive.
//
// With virtual time (tests) it runs on the manual loop and a blocking request
// moves the clock; in real time (the `quillo` program) it runs on libuv and a
// blocking request sleeps. A program with an interface of its own (the
// `quillo-gui` desktop) brings its loop, status item, panel window, event
// monitors, panel view and alerts as a SessionDesktop; the session is the one
// place that chooses between those and the simulated Mac's own.
// XDG_CONFIG_HOME, XDG_STATE_HOME and HOME decide where the files go.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AppController.hpp"
#include "MailboxPickerController.hpp"
#include "Platform/linux/LinuxServices.hpp"
#include "QuilloApp.hpp"
#include "Session/LoopDriver.hpp"
#include "Session/RecordedServices.hpp"
#include "Session/ScenarioHost.hpp"
#include "Session/ScenarioRunner.hpp"
#include "Session/StatusText.hpp"
#include "Session/TextPanelView.hpp"
#include "Session/TextPickerView.hpp"
#include "Simulator/SimEventMonitors.hpp"
#include "Simulator/SimPanelWindow.hpp"
#include "Simulator/SimulatedApplication.hpp"
#include "Simulator/SimulatedMac.hpp"
#include "Simulator/User.hpp"
#include "StatusMenuController.hpp"

namespace quillo {
class StatusPanelController;
}
namespace quillo::macshim {
class Attachment;
}

namespace quillo::simulated {

/// The implementations a desktop program runs Quillo's process with, in real
/// time, instead of the simulated Mac's own. Every reference must outlive the
/// session; the process is relaunched with the same ones.
struct SessionDesktop {
  platform::MainLoop& loop;
  LoopDriver& driver;
  platform::StatusItem& statusItem;
  platform::PanelWindow& panelWindow;
  platform::EventMonitors& eventMonitors;
  PanelView& panelView;
  /// Shows an alert and returns the title of the button chosen.
  std::function<std::string(const platform::Alert&)> answerAlert;
  /// The mailbox picker's window and drawing; without them there is no
  /// picker.
  platform::PanelWindow* pickerWindow = nullptr;
  PickerView* pickerView = nullptr;
};

struct SessionOptions {
  bool virtualTime = true;
  /// Also write to syslog (the program); tests only record.
  bool useSyslog = false;
  /// Where the default keymap.json is found; the installed one by default.
  std::optional<std::filesystem::path> resourceFolder;
  /// Quillo's command line.
  std::vector<std::string> arguments;
  /// Quillo reaches the event taps, the keyboard layout and Accessibility
  /// through the macOS adapters, over the MacShim's C functions on the
  /// simulated Mac, instead of through the simulated Mac's seams directly.
  bool macAdapters = false;
  /// A desktop's own implementations (real time whatever `virtualTime`
  /// says); none: the simulated Mac's, drawn as text.
  SessionDesktop* desktop = nullptr;
};

class Session final : public ScenarioHost {
 public:
  explicit Session(SessionOptions options = {});
  ~Session() override;

  platform::MainLoop& loop() { return *loop_; }
  LoopDriver& driver() { return *driver_; }
  sim::SimulatedMac& mac() { return *mac_; }
  sim::User& user() { return *user_; }
  AppController& controller() { return delegate_->controller(); }
  AppDelegate& delegate() { return *delegate_; }
  sim::SimulatedApplication& application() { return *application_; }
  /// Counts refreshes whichever interface Quillo shows.
  StatusText& statusText() { return *statusText_; }
  /// The files the application reads and writes, where faults can be made.
  platform::FaultyFileSystem& files() { return files_; }
  /// The system-log lines newSystemLogLines has not handed out yet.
  platform::RecordingSystemLog& recordedSystemLog() { return recorded_; }
  ScenarioRunner& runner() { return *runner_; }
  /// The manual loop, with virtual time; null in real time.
  platform::ManualMainLoop* manualLoop() { return manual_; }
  /// The libuv loop, in real time; null with virtual time or a desktop's loop.
  platform::LibuvMainLoop* realLoop() { return real_; }

  // MARK: ScenarioHost
  void start() override;
  bool isRunning() const override { return started_; }
  bool quit() override;
  void selectSet(ShortcutSet set) override { controller().selectSet(set); }
  void setDebugLogging(bool on) override { controller().setDebugLogging(on); }
  KeyInterceptor& interceptor() override { return controller().interceptor(); }
  const DebugLog& debugLog() override { return controller().log(); }
  std::filesystem::path supportFolder() const override;
  std::optional<std::string> status() override;
  std::vector<std::string> newSystemLogLines() override;
  std::vector<std::string> alertLines(std::size_t from = 0) override;
  std::size_t alertCount() override;
  /// Quillo's commands for scripts: the diagnostics, the permission fixes,
  /// resetting the keymap, and faults of the simulated system.
  bool command(const std::vector<std::string>& words) override;
  bool answerNextAlert(const std::string& button) override;
  bool setFolderFault(FolderFault fault) override;
  bool setClassicMenu(bool on) override;
  bool panelLosesKey() override;
  bool commandNeedsQuillo(const std::string& name) const override;
  std::optional<platform::Rect> panelFrame() const override;
  std::vector<std::string> panelRowLabels() const override;
  std::optional<std::vector<std::string>> pickerLines() override;
  std::string pickerCloseReason() const override;
  std::optional<std::string> clickPicker(const std::string& mailbox) override;
  bool scrollPicker(int rows) override;
  bool setBundleVersion(bool present) override;
  bool setAlertDetails(bool on) override {
    alertDetails_ = on;
    return true;
  }
  /// The commands, as help writes them: "menu-check", "login-item
  /// approval|fails TEXT|enabled".
  static std::vector<std::string> commands();
  std::optional<std::vector<std::string>> panelLines() override;
  std::string panelCloseReason() const override;
  std::optional<std::string> clickPanel(const std::string& title, bool keys) override;

 private:
  struct Command;
  static const std::vector<Command>& commandTable();
  /// Quillo's process and its app delegate, not yet launched.
  void launchProcess();
  /// Ends the running process and launches a new one, not yet started.
  void endProcess();

  platform::ManualMainLoop* manual_ = nullptr;
  platform::LibuvMainLoop* real_ = nullptr;
  SessionDesktop* desktop_ = nullptr;
  std::unique_ptr<platform::MainLoop> ownLoop_;  // none with a desktop's loop
  std::unique_ptr<LoopDriver> ownDriver_;
  platform::MainLoop* loop_ = nullptr;
  LoopDriver* driver_ = nullptr;
  platform::XdgPaths paths_;
  platform::PosixFileSystem realFiles_;
  platform::FaultyFileSystem files_{realFiles_};
  platform::RecordingSystemLog recorded_;
  std::unique_ptr<platform::SyslogSystemLog> syslog_;
  std::unique_ptr<platform::TeeSystemLog> systemLog_;
  std::unique_ptr<platform::JsonFileUserDefaults> defaults_;
  /// The installed bundle, whose version a script may take away.
  class ScriptedBundle final : public platform::Bundle {
   public:
    explicit ScriptedBundle(std::filesystem::path resources) : installed_(std::move(resources)) {}
    std::optional<std::filesystem::path> resource(std::string_view name) const override {
      return installed_.resource(name);
    }
    std::string shortVersion() const override {
      return hasVersion ? installed_.shortVersion() : std::string();
    }
    bool hasVersion = true;

   private:
    platform::InstalledBundle installed_;
  };
  std::unique_ptr<ScriptedBundle> bundle_;
  bool alertDetails_ = false;
  std::unique_ptr<sim::SimulatedMac> mac_;
  // With the macOS adapters: the shim attached to the Mac, and the adapters
  // of the running process (a new process gets new ones).
  std::unique_ptr<macshim::Attachment> shim_;
  std::unique_ptr<platform::EventServices> macEvents_;
  std::unique_ptr<platform::KeyboardLayouts> macLayouts_;
  std::unique_ptr<platform::Accessibility> macAccessibility_;
  std::unique_ptr<sim::User> user_;
  std::unique_ptr<sim::SimulatedApplication> application_;
  // The process's status panel on the simulated Mac: its window, event
  // monitors and drawing; none with a desktop's.
  std::unique_ptr<sim::SimPanelWindow> panelWindow_;
  std::unique_ptr<sim::SimEventMonitors> eventMonitors_;
  std::unique_ptr<TextPanelView> panelView_;
  std::unique_ptr<sim::SimPanelWindow> pickerWindow_;
  std::unique_ptr<TextPickerView> pickerView_;
  MailboxPickerController* pickerController_ = nullptr;  // owned by the panel's controller
  std::unique_ptr<AppDelegate> delegate_;
  StatusText* statusText_ = nullptr;
  StatusPanelController* panelController_ = nullptr;  // owned by statusText_
  std::unique_ptr<ScenarioRunner> runner_;
  std::vector<std::string> arguments_;
  bool started_ = false;
};

}  // namespace quillo::simulated
