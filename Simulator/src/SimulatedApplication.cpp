#include "Simulator/SimulatedApplication.hpp"

#include <algorithm>

namespace quillo::sim {

namespace {

/// Quillo's process as the simulated Mac sees it: no windows, and the main
/// menu it was given as its menu bar.
class QuilloProcess final : public SimApp {
 public:
  QuilloProcess(SimulatedMac& mac, pid_t pid)
      : SimApp(mac, pid, SimulatedApplication::bundleID, "Quillo") {}
  std::shared_ptr<AXNode> focusedElement() const override { return nullptr; }
  std::shared_ptr<AXNode> focusedWindow() const override { return nullptr; }
  std::vector<std::shared_ptr<AXNode>> windows() const override { return {}; }
  void setMenus(const std::vector<platform::MainMenuTitle>& menus) {
    std::vector<Menu> table;
    for (const auto& menu : menus) {
      Menu built{menu.title, {}};
      for (const auto& item : menu.items) {
        built.items.push_back(
            item.title.empty() ? MenuItem::separator()
                               : MenuItem{.title = item.title, .key = {item.key, item.modifiers}});
      }
      table.push_back(std::move(built));
    }
    buildMenuBar(std::move(table));
  }
};

}  // namespace

SimulatedApplication::SimulatedApplication(SimulatedMac& mac)
    : mac_(mac), pid_(mac.launchInBackground<QuilloProcess>().pid()) {}

void SimulatedApplication::setMainMenu(std::vector<platform::MainMenuTitle> menus) {
  mainMenu = std::move(menus);
  if (auto* process = dynamic_cast<QuilloProcess*>(mac_.app(pid_))) process->setMenus(mainMenu);
}

void SimulatedApplication::activate() {
  mac_.activate(pid_);
}

int SimulatedApplication::runModal(const platform::Alert& alert) {
  std::string answer;
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
  } else if (answerer) {
    answer = answerer(alert);
  }
  auto found = std::find(alert.buttons.begin(), alert.buttons.end(), answer);
  if (found == alert.buttons.end()) found = alert.buttons.empty() ? found : alert.buttons.end() - 1;
  const int index =
      found == alert.buttons.end() ? 0 : static_cast<int>(found - alert.buttons.begin());
  alerts.push_back({alert, alert.buttons.empty() ? std::string()
                                                 : alert.buttons[static_cast<std::size_t>(index)]});
  return platform::alertFirstButtonReturn + index;
}

void SimulatedApplication::terminate() {
  terminated = true;
  if (onTerminate) onTerminate();
}

}  // namespace quillo::sim
