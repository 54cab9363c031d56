// User: the person at the simulated Mac, for tests and the `quillo` program.
//
// Presses keys and chords, holds keys down, types text, clicks the keyboard
// focus into a place of Mail, opens and closes Mail's windows, switches
// applications, quits and relaunches Mail, grants and revokes permissions,
// and injects faults. After every action the user waits for the Mac to
// settle (`settle` runs the main loop until nothing is pending).
//
// Keys go at a person's pace, not the Mac's: a person typing several keys
// strikes one every `keystrokeInterval` whether or not the Mac has caught up,
// and lets time pass (`wait`, running the main loop) until the last is
// released. So an action normally runs while its key is still down, and keys
// typed while the application is busy wait for it.
//
// Keys are written as the user presses them: a character as typed ("e", "I",
// "#" — shift is implied where the US layout needs it), a named key
// ("return", "enter", "tab", "space", "escape", "delete", "up", "down",
// "left", "right", "f1"…), optionally after modifier words joined with "+"
// ("cmd+return", "ctrl+shift+r", "cmd++").
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Simulator/SimulatedMac.hpp"

namespace quillo::sim {

/// A key spec that names no key on the keyboard.
struct UnknownKey : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};

class User {
 public:
  User(SimulatedMac& mac, std::function<void()> settle,
       std::function<void(platform::Duration)> wait);

  SimulatedMac& mac() { return mac_; }

  // MARK: Keyboard
  /// The key code and modifier flags of a key spec; throws UnknownKey.
  struct Keystroke {
    std::uint16_t keyCode;
    std::uint64_t flags;
  };
  static Keystroke keystroke(std::string_view spec);
  void press(std::string_view spec);
  /// Presses keys one after another, at a person's pace.
  void press(const std::vector<std::string>& specs);
  /// From one key-down to the next when a person types.
  platform::Duration keystrokeInterval{0.15};
  /// Presses and holds: the key-down, `repeats` auto-repeats, the key-up.
  void hold(std::string_view spec, int repeats);
  /// Types text character by character (line breaks as Return).
  void type(std::string_view text);

  // MARK: Mail
  /// The running Mail; throws std::logic_error when Mail is not running.
  MailApp& mail();
  bool click(MailApp::Place place);
  /// Switches to Mail, launching it when it is not running.
  MailApp& openMail();
  MailApp& relaunchMail(MailVariant variant = {});
  void quitMail();

  // MARK: Other applications
  /// Brings the application to the front, launching it when needed.
  void switchTo(const std::string& bundleID, const std::string& name = "");
  /// Opens a panel of the application (launched in the background when
  /// needed) that takes the keyboard while the front application stays in
  /// front, as Spotlight's search field does.
  void showPanel(const std::string& bundleID, const std::string& name);
  void closePanel();

  // MARK: Permissions
  void setAccessibility(bool granted);
  void setInputMonitoring(bool granted);

  void settle() { settle_(); }

 private:
  /// Strikes the keys one after another and waits until the last is up.
  void strike(const std::vector<Keystroke>& strokes);
  SimulatedMac& mac_;
  std::function<void()> settle_;
  std::function<void(platform::Duration)> wait_;
};

}  // namespace quillo::sim
