// Application: the application object itself (NSApplication) as Quillo uses
// it — its activation policy, its main menu, coming to the front, modal
// alerts and termination. Main thread only.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quillo::platform {

enum class ActivationPolicy : std::uint8_t { regular = 0, accessory = 1, prohibited = 2 };

/// One item of the main menu: a title, the action sent to the first
/// responder, and a key equivalent (its character and modifier mask, whose
/// bits are those of EventFlags: NSEventModifierFlags share them).
struct MainMenuItem {
  std::string title;  // empty for a separator
  std::string action;
  char16_t key = 0;
  std::uint64_t modifiers = 0;
  bool operator==(const MainMenuItem&) const = default;
};

struct MainMenuTitle {
  std::string title;
  std::vector<MainMenuItem> items;
  bool operator==(const MainMenuTitle&) const = default;
};

struct Alert {
  std::string messageText;
  std::string informativeText;
  std::vector<std::string> buttons;  // the first is the default
};

/// NSAlertFirstButtonReturn; the second button answers 1001, and so on.
inline constexpr int alertFirstButtonReturn = 1000;

class Application {
 public:
  virtual ~Application() = default;
  virtual void setActivationPolicy(ActivationPolicy policy) = 0;
  virtual void setMainMenu(std::vector<MainMenuTitle> menus) = 0;
  /// Brings the application to the front.
  virtual void activate() = 0;
  /// Shows the alert and waits for the user's answer.
  virtual int runModal(const Alert& alert) = 0;
  /// Ends the application.
  virtual void terminate() = 0;
  /// This application's own process (NSRunningApplication's
  /// currentApplication), as workspace notifications name it.
  virtual pid_t processIdentifier() const = 0;
};

}  // namespace quillo::platform
