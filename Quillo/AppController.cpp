#include "AppController.hpp"

#include <algorithm>

#include "QuilloCore/KeymapPreset.hpp"

namespace quillo {

using Keys = Preferences::Keys;

std::string AppController::TapFinding::description() const {
  const std::string flag = inputMonitoringGranted ? "true" : "false";
  switch (kind) {
    case Kind::installed:
      return "installed(inputMonitoringGranted: " + flag + ")";
    case Kind::failed:
      return "failed(inputMonitoringGranted: " + flag + ")";
    case Kind::notAttempted:
      return "notAttempted";
  }
  return {};
}

AppController::AppController(AppEnvironment environment, StatusUIFactory makeStatusUI)
    : prefs(environment.defaults),
      log(environment.paths, environment.systemLog,
          [&loop = environment.loop] { return loop.now(); }),
      keymapStore(environment.loop, environment.paths, environment.bundle, environment.systemLog),
      customStore(environment.paths, environment.systemLog),
      frontmost(environment.workspace),
      permissions(
          std::make_unique<SystemPermissions>(environment.accessibility, environment.events)),
      tap(std::make_unique<EventTap>(environment.events, environment.systemLog)),
      focusInspector(environment.accessibility, log, FocusPolicy::default_()),
      executor(environment.accessibility, environment.events),
      interceptor(focusInspector, executor, frontmost, log, environment.loop,
                  environment.keyboardLayouts),
      environment_(std::move(environment)),
      makeStatusUI_(std::move(makeStatusUI)),
      appLog_(environment_.systemLog, "app") {}

AppController::~AppController() {
  // The tap goes first: nothing may reach the interceptor while parts go.
  tap->setOnKeyEvent(nullptr);
  tap->stop();
}

ShortcutSet AppController::fallbackSet() {
  if (customStore.exists || keymapStore.loadError()) return ShortcutSet::gmail;
  const Keymap& loaded = keymapStore.keymap();
  const Keymap& builtIn = Keymap::default_();
  const bool handEdited = loaded.bindings != builtIn.bindings ||
                          loaded.composeBindings != builtIn.composeBindings ||
                          !loaded.listChords.empty() || !loaded.anywhereChords.empty();
  if (!handEdited) return ShortcutSet::gmail;
  // A keymap edited by hand before custom sets existed becomes the custom set.
  customStore.definition = CustomKeymap::importing(loaded);
  customStore.save();
  return ShortcutSet::custom;
}

void AppController::start() {
  auto& ax = environment_.accessibility;
  ax.setMessagingTimeout(ax.createSystemWide(), messagingTimeout);
  log.isEnabled = prefs.defaults.boolean(Keys::debugLogging).value_or(false);
  keymapStore.start();
  customStore.load();
  const ShortcutSet fallback = fallbackSet();

  const auto stored = prefs.defaults.string(Keys::shortcutSet);
  const auto storedSet = stored ? fromRawValue<ShortcutSet>(*stored) : std::nullopt;
  shortcutSet = storedSet ? *storedSet : (prefs.enabled() ? fallback : ShortcutSet::off);
  prefs.defaults.set(Keys::shortcutSet, std::string(rawValue(shortcutSet)));
  prefs.defaults.set(Keys::enabled, shortcutSet != ShortcutSet::off);

  applyKeymap();

  const auto weak = lifeline_.weak();
  keymapStore.onChange = [weak] {
    if (auto* self = Lifeline<AppController>::lock(weak)) self->applyKeymap();
  };
  tap->setOnKeyEvent([weak](platform::EventType type, const platform::Event& event) {
    auto* self = Lifeline<AppController>::lock(weak);
    return self ? self->interceptor.handle(type, event) : false;
  });
  frontmost.onChange = [weak] {
    if (auto* self = Lifeline<AppController>::lock(weak)) self->syncEnabled();
  };

  if (makeStatusUI_) {
    statusMenu = makeStatusUI_(*this, prefs.defaults.boolean(Keys::classicMenu).value_or(false));
  }
  checkPermissions(true);
  permissionTimer = environment_.loop.repeat(platform::Duration(permissionCheckInterval), [weak] {
    if (auto* self = Lifeline<AppController>::lock(weak)) self->checkPermissions(false);
  });
  const auto& arguments = environment_.arguments;
  if (std::find(arguments.begin(), arguments.end(), "--diagnose") != arguments.end()) {
    environment_.loop.schedule(platform::Duration(1.0), [weak] {
      auto* self = Lifeline<AppController>::lock(weak);
      if (self && self->diagnose) self->diagnose();
    });
  }
}

Keymap AppController::activeKeymap() const {
  Keymap keymap = [&] {
    switch (shortcutSet) {
      case ShortcutSet::gmail:
        return quillo::keymap(KeymapPreset::gmail);
      case ShortcutSet::outlookMac:
        return quillo::keymap(KeymapPreset::outlookMac);
      case ShortcutSet::outlookWindows:
        return quillo::keymap(KeymapPreset::outlookWindows);
      case ShortcutSet::custom:
      case ShortcutSet::off:
        break;
    }
    return customStore.definition.keymap();
  }();
  // The set gives the keys; keymap.json says how actions are done and
  // where the focus is.
  keymap.actions = keymapStore.keymap().actions;
  keymap.focus = keymapStore.keymap().focus;
  return keymap;
}

void AppController::applyKeymap() {
  Keymap keymap = activeKeymap();
  focusInspector.setPolicy(keymap.focus);
  focusInspector.clearCachedFocus();
  executor.resolved.clear();
  if (log.isEnabled) {
    const std::size_t chords =
        keymap.listChords.size() + keymap.composeBindings.size() + keymap.anywhereChords.size();
    const auto& error = keymapStore.loadError();
    log.log("keymap applied: set " + std::string(rawValue(shortcutSet)) + ", " +
            std::to_string(keymap.bindings.size()) + " keys, " + std::to_string(chords) +
            " chords, " + std::to_string(keymapStore.warnings().size()) + " warnings" +
            (error ? ", error: " + *error : std::string()));
  }
  interceptor.keymap = std::move(keymap);
  refreshUI();
}

void AppController::selectSet(ShortcutSet set) {
  shortcutSet = set;
  prefs.defaults.set(Keys::shortcutSet, std::string(rawValue(set)));
  prefs.defaults.set(Keys::enabled, set != ShortcutSet::off);
  if (set != ShortcutSet::off) prefs.setLastActiveSet(set);
  applyKeymap();
  syncEnabled();
}

void AppController::syncEnabled() {
  const bool enabled = prefs.enabled();
  interceptor.enabled = enabled;
  tap->setListening(enabled && frontmost.mailPID().has_value());
  refreshUI();
}

void AppController::checkPermissions(bool initial) {
  const PermissionState now = permissions->state();
  const bool changed = initial || now != permissionState;
  permissionState = now;
  const std::string im = now.inputMonitoring ? "yes" : "no";
  if (now.accessibility && !tap->isInstalled()) {
    if (tap->start()) {
      tapFinding = TapFinding::installed(now.inputMonitoring);
      const std::string message =
          "event tap installed with Accessibility=yes, Input Monitoring=" + im;
      appLog_.notice(message);
      log.log(message, true);
    } else if (tapFinding != TapFinding::failed(now.inputMonitoring)) {
      tapFinding = TapFinding::failed(now.inputMonitoring);
      const std::string message =
          "event tap creation failed with Accessibility=yes, Input Monitoring=" + im;
      appLog_.error(message);
      log.log(message, true);
      if (!now.inputMonitoring && !askedForInputMonitoring) {
        askedForInputMonitoring = true;
        permissions->requestInputMonitoring();
      }
    }
  }
  if (!now.accessibility) {
    if (initial) permissions->requestAccessibility();
    if (tap->isInstalled()) {
      tap->stop();
      tapFinding = TapFinding::notAttempted();
      appLog_.notice("Accessibility revoked; event tap removed");
    }
  }
  syncEnabled();
  if (changed) refreshUI();
  if (now.accessibility && tap->isInstalled() && offerLaunchAtLogin) offerLaunchAtLogin();
}

AppController::Status AppController::status() const {
  if (!permissionState.accessibility) return Status::needsAccessibility;
  if (!tap->isInstalled()) return Status::needsInputMonitoring;
  if (!prefs.enabled()) return Status::paused;
  if (!frontmost.mailPID()) return Status::waitingForMail;
  return Status::active;
}

void AppController::fixAccessibility() {
  quillo::fixAccessibility(*permissions, environment_.opener);
}

void AppController::fixInputMonitoring() {
  quillo::fixInputMonitoring(*permissions, environment_.opener, askedForInputMonitoring);
}

void AppController::setDebugLogging(bool on) {
  prefs.defaults.set(Keys::debugLogging, on);
  log.isEnabled = on;
  log.log(std::string("debug logging ") + (on ? "on" : "off"), true);
}

void AppController::refreshUI() {
  if (statusMenu) statusMenu->refresh();
}

}  // namespace quillo
