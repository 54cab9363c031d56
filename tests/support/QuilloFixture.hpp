// Quillo as it runs — the app controller owning and wiring everything — on a
// simulated Mac in virtual time, with its files in a temporary home.
#pragma once

#include <gtest/gtest.h>

#include <fstream>

#include "Session/Session.hpp"
#include "Simulator/USKeyboard.hpp"
#include "TempHome.hpp"

namespace quillo::testing {

/// The key path's services themselves, which the application reaches only
/// through the controller: its tests drive them directly.
struct AppControllerPeer {
  static DebugLog& log(AppController& app) { return app.log_; }
  static AXFocusInspector& focusInspector(AppController& app) { return app.focusInspector_; }
  static ActionExecutor& executor(AppController& app) { return app.executor_; }
};

inline simulated::SessionOptions testSessionOptions(std::vector<std::string> arguments = {}) {
  simulated::SessionOptions options;
  options.virtualTime = true;
  options.resourceFolder = std::filesystem::path(QUILLO_RESOURCES);
  options.arguments = std::move(arguments);
  return options;
}

class QuilloTest : public ::testing::Test {
 protected:
  /// The debug log's lines so far, without their timestamps.
  std::vector<std::string> logLines() const {
    std::vector<std::string> lines;
    std::ifstream in(app.log().filePath());
    for (std::string line; std::getline(in, line);)
      lines.push_back(line.substr(DebugLog::timestampWidth));
    return lines;
  }
  std::vector<std::string> appLog() { return session.recordedSystemLog().messages("app"); }

  TempHome home;  // before the session: it decides where the files go
  simulated::Session session{testSessionOptions()};
  platform::ManualMainLoop& loop = *session.manualLoop();
  sim::SimulatedMac& mac = session.mac();
  sim::User& user = session.user();
  AppController& app = session.controller();
};

/// Quillo started with Accessibility granted and Mail in front, its message
/// list focused.
class KeyPathTest : public QuilloTest {
 protected:
  void SetUp() override {
    mac.permissions.accessibility = true;
    mail = &user.openMail();
    session.start();
    loop.runUntilIdle();
    ASSERT_TRUE(app.tap().isInstalled());
  }

  /// A key event as the keyboard would make it.
  static platform::Event keyEvent(std::string_view spec,
                                  platform::EventType type = platform::EventType::keyDown,
                                  bool repeat = false) {
    using platform::EventField;
    const auto stroke = sim::User::keystroke(spec);
    platform::Event event(type);
    event.setFlags(stroke.flags | sim::USKeyboard::keyFlags(stroke.keyCode));
    event.setIntegerValueField(EventField::keyboardEventKeycode, stroke.keyCode);
    event.setIntegerValueField(EventField::keyboardEventAutorepeat, repeat ? 1 : 0);
    event.setKeyboardUnicodeString(sim::USKeyboard::eventCharacters(stroke.keyCode, event.flags()));
    return event;
  }

  /// Puts a keymap in place the way applying one does.
  void useKeymap(const Keymap& keymap) {
    interceptor.setKeymap(keymap);
    inspector.setPolicy(keymap.focus);
    inspector.clearCachedFocus();
    executor.forgetResolvedItems();
  }

  DebugLog& log = AppControllerPeer::log(app);
  platform::RecordingSystemLog& systemLog = session.recordedSystemLog();
  const FrontmostAppMonitor& frontmost = app.frontmost();
  AXFocusInspector& inspector = AppControllerPeer::focusInspector(app);
  ActionExecutor& executor = AppControllerPeer::executor(app);
  KeyInterceptor& interceptor = app.interceptor();
  sim::MailApp* mail = nullptr;
};

}  // namespace quillo::testing
