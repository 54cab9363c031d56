// MacApplication: the Application seam over NSApplication — the activation
// policy, the main menu (items without a target, so their actions go to the
// first responder of the key window), coming to the front, modal NSAlerts
// and termination. Uses NSApplication.sharedApplication, creating it on
// first use. Main thread only.
#pragma once

#include "Platform/Application.hpp"

namespace quillo::platform::mac {

class MacApplication final : public Application {
 public:
  void setActivationPolicy(ActivationPolicy policy) override;
  void setMainMenu(std::vector<MainMenuTitle> menus) override;
  void activate() override;
  /// Runs the alert's own modal loop; the answer is NSAlertFirstButtonReturn
  /// (1000) for the first button, 1001 for the second, and so on.
  int runModal(const Alert& alert) override;
  /// NSApplication's terminate:, which ends the process once it agrees.
  void terminate() override;
  pid_t processIdentifier() const override;
};

}  // namespace quillo::platform::mac
