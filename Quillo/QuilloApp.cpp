#include "QuilloApp.hpp"

#include <algorithm>

#include "Platform/KeyCodes.hpp"

namespace quillo {

using platform::LoginItemStatus;

// MARK: - LaunchAtLogin

LaunchAtLogin::LaunchAtLogin(AppController& app, platform::Application& application)
    : app_(app), application_(application), log_(app.environment().systemLog, "app") {}

bool LaunchAtLogin::isOn() const {
  return app_.environment().loginItems.status() == LoginItemStatus::enabled;
}

bool LaunchAtLogin::requiresApproval() const {
  return app_.environment().loginItems.status() == LoginItemStatus::requiresApproval;
}

std::optional<std::string> LaunchAtLogin::set(bool on) {
  auto& items = app_.environment().loginItems;
  return on ? items.registerApp() : items.unregisterApp();
}

void LaunchAtLogin::offerIfNeverOffered() {
  // Offered at most once per user, also when the question is then not shown.
  if (!app_.takeLaunchAtLoginOffer()) return;
  if (isOn()) return;
  app_.environment().loop.schedule(platform::Duration(questionDelay), [weak = lifeline_.weak()] {
    if (auto* self = Lifeline<LaunchAtLogin>::lock(weak)) self->ask();
  });
}

void LaunchAtLogin::ask() {
  application_.activate();
  const int answer = application_.runModal({question, explanation, {openAtLogin, notNow}});
  if (answer != platform::alertFirstButtonReturn) return;
  if (const auto error = set(true)) {
    log_.error(std::string("Launch at login failed: ") + *error);
  } else if (requiresApproval()) {
    app_.environment().loginItems.openSystemSettingsLoginItems();
  }
  app_.refreshUI();
}

// MARK: - AppDelegate

void AppDelegate::prepare(platform::Application& application) {
  application.setActivationPolicy(platform::ActivationPolicy::accessory);
}

AppDelegate::AppDelegate(AppEnvironment environment, platform::Application& application,
                         AppController::StatusUIFactory makeStatusUI)
    : application_(application),
      controller_(std::make_unique<AppController>(std::move(environment), std::move(makeStatusUI))),
      launchAtLogin_(std::make_unique<LaunchAtLogin>(*controller_, application)) {
  // The delegate owns both the controller and the offer, so the hook never
  // outlives what it points at.
  controller_->setOnTapInstalledCheck(
      [offer = launchAtLogin_.get()] { offer->offerIfNeverOffered(); });
}

std::vector<platform::MainMenuTitle> AppDelegate::mainMenu() {
  constexpr std::uint64_t command = platform::EventFlags::command;
  constexpr std::uint64_t shiftCommand =
      platform::EventFlags::shift | platform::EventFlags::command;
  return {
      {"Quillo", {}},
      {"Edit",
       {{"Undo", "undo:", u'z', command},
        {"Redo", "redo:", u'z', shiftCommand},
        {"", "", 0, 0},
        {"Cut", "cut:", u'x', command},
        {"Copy", "copy:", u'c', command},
        {"Paste", "paste:", u'v', command},
        {"Select All", "selectAll:", u'a', command}}},
      {"Window", {{"Close", "performClose:", u'w', command}}},
  };
}

void AppDelegate::applicationDidFinishLaunching() {
  application_.setMainMenu(mainMenu());
  controller_->start();
  const auto& arguments = controller_->environment().arguments;
  if (std::find(arguments.begin(), arguments.end(), diagnoseOption) != arguments.end()) {
    controller_->environment().loop.schedule(platform::Duration(diagnoseDelay),
                                             [weak = lifeline_.weak()] {
                                               if (auto* self = Lifeline<AppDelegate>::lock(weak))
                                                 self->controller_->runDiagnosis();
                                             });
  }
}

}  // namespace quillo
