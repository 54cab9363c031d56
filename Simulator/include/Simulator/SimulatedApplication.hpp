// SimulatedApplication: Quillo's own process on the simulated Mac.
//
// It runs as an application of the simulated Mac (bundle identifier
// "com.larkmoor.Quillo"), so bringing it to the front takes the front away
// from Mail as it would on a Mac. Its main menu becomes its menu bar. An
// alert is answered by the next queued answer, else by `answerer` (a person
// at a console), else with its last button (the cautious choice, such as
// "Not Now"); every alert and its answer is recorded.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Application.hpp"
#include "Simulator/SimulatedMac.hpp"

namespace quillo::sim {

class SimulatedApplication final : public platform::Application {
 public:
  static constexpr const char* bundleID = "com.larkmoor.Quillo";

  explicit SimulatedApplication(SimulatedMac& mac);

  void setActivationPolicy(platform::ActivationPolicy policy) override { this->policy = policy; }
  void setMainMenu(std::vector<platform::MainMenuTitle> menus) override;
  void activate() override;
  int runModal(const platform::Alert& alert) override;
  void terminate() override;
  pid_t processIdentifier() const override { return pid_; }

  pid_t pid() const { return pid_; }

  platform::ActivationPolicy policy = platform::ActivationPolicy::regular;
  std::vector<platform::MainMenuTitle> mainMenu;
  /// Answers for the next alerts, by button title.
  std::deque<std::string> answers;
  /// Asked when no answer is queued; returns a button title.
  std::function<std::string(const platform::Alert&)> answerer;
  struct Shown {
    platform::Alert alert;
    std::string answer;
  };
  std::vector<Shown> alerts;
  bool terminated = false;
  std::function<void()> onTerminate;

 private:
  SimulatedMac& mac_;
  pid_t pid_;
};

}  // namespace quillo::sim
