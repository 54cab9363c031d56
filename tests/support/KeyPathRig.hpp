// The key path wired together the way one key press travels: the event tap
// hands key events to the key interceptor, which asks the decider, the focus
// inspector and the action executor — on a simulated Mac. Until the app
// controller owns and wires these parts, tests use this rig (also as the
// host of golden scenarios).
#pragma once

#include <fstream>

#include "AXFocusInspector.hpp"
#include "Console/ScenarioHost.hpp"
#include "DebugLog.hpp"
#include "EventTap.hpp"
#include "FrontmostAppMonitor.hpp"
#include "KeyInterceptor.hpp"
#include "MailMenu.hpp"
#include "Platform/Recording.hpp"
#include "Platform/linux/LinuxServices.hpp"
#include "QuilloCore/CustomKeymap.hpp"
#include "QuilloCore/KeymapPreset.hpp"
#include "SimulatedMacFixture.hpp"
#include "TempHome.hpp"

namespace quillo::testing {

class KeyPathRig final : public console::ScenarioHost {
 public:
  KeyPathRig(sim::SimulatedMac& mac, platform::MainLoop& loop)
      : mac_(mac),
        log(paths, systemLog, [&loop] { return loop.now(); }),
        frontmost(mac.workspace()),
        inspector(mac.accessibility(), log),
        executor(mac.accessibility(), mac.windowServer()),
        interceptor_(inspector, executor, frontmost, log, loop, mac.windowServer()),
        tap(mac.windowServer(), systemLog) {
    tap.setOnKeyEvent([this](platform::EventType type, const platform::Event& event) {
      return interceptor_.handle(type, event);
    });
    frontmost.onChange = [this] { tap.setListening(frontmost.mailPID().has_value()); };
  }

  void start() override {
    mac_.accessibility().setMessagingTimeout(mac_.accessibility().createSystemWide(), 0.25f);
    tap.start();
    tap.setListening(frontmost.mailPID().has_value());
  }

  /// Installs a keymap as the controller does: keys, focus policy, menu cache.
  void useKeymap(const Keymap& keymap) {
    interceptor_.keymap = keymap;
    inspector.setPolicy(keymap.focus);
    inspector.clearCachedFocus();
    executor.resolved.clear();
  }

  void selectSet(ShortcutSet set) override {
    interceptor_.enabled = set != ShortcutSet::off;
    switch (set) {
      case ShortcutSet::gmail:
        useKeymap(keymap(KeymapPreset::gmail));
        break;
      case ShortcutSet::outlookMac:
        useKeymap(keymap(KeymapPreset::outlookMac));
        break;
      case ShortcutSet::outlookWindows:
        useKeymap(keymap(KeymapPreset::outlookWindows));
        break;
      case ShortcutSet::custom:
      case ShortcutSet::off:
        useKeymap(CustomKeymap().keymap());
        break;
    }
  }

  void setDebugLogging(bool on) override { log.isEnabled = on; }
  KeyInterceptor& interceptor() override { return interceptor_; }
  DebugLog& debugLog() override { return log; }
  std::filesystem::path supportFolder() const override { return home.config() / "Quillo"; }
  std::vector<std::string> systemLogLines() override {
    std::vector<std::string> lines;
    for (const auto& line : systemLog.lines)
      lines.push_back(line.category + ": " + line.message);
    return lines;
  }

  /// The lines of the debug log file so far, without their timestamps.
  std::vector<std::string> logLines() const {
    std::vector<std::string> lines;
    std::ifstream in(log.fileURL());
    for (std::string line; std::getline(in, line);)
      lines.push_back(line.substr(24));
    return lines;
  }

 private:
  sim::SimulatedMac& mac_;

 public:
  TempHome home;
  platform::XdgPaths paths;
  platform::RecordingSystemLog systemLog;
  DebugLog log;
  FrontmostAppMonitor frontmost;
  AXFocusInspector inspector;
  ActionExecutor executor;

 private:
  KeyInterceptor interceptor_;

 public:
  EventTap tap;
};

class KeyPathTest : public SimulatedMacTest {
 protected:
  void SetUp() override {
    mac.permissions.accessibility = true;
    mail = &user.openMail();
    rig.start();
    ASSERT_TRUE(rig.tap.isInstalled());
  }

  void useKeymap(const Keymap& keymap) { rig.useKeymap(keymap); }
  std::vector<std::string> logLines() const { return rig.logLines(); }

  KeyPathRig rig{mac, loop};
  DebugLog& log = rig.log;
  platform::RecordingSystemLog& systemLog = rig.systemLog;
  FrontmostAppMonitor& frontmost = rig.frontmost;
  AXFocusInspector& inspector = rig.inspector;
  ActionExecutor& executor = rig.executor;
  KeyInterceptor& interceptor = rig.interceptor();
  sim::MailApp* mail = nullptr;
};

}  // namespace quillo::testing
