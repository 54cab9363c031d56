#include "AppController.hpp"

#include "QuilloCore/Decider.hpp"
#include "QuilloCore/KeymapPreset.hpp"

namespace quillo {

AppController::AppController(AppEnvironment environment, StatusUIFactory makeStatusUI)
    : environment_(std::move(environment)),
      prefs_(environment_.defaults),
      log_(environment_.paths, environment_.systemLog,
           [&loop = environment_.loop] { return loop.now(); }),
      keymapStore_(environment_.loop, environment_.paths, environment_.files, environment_.bundle,
                   environment_.systemLog),
      customStore_(environment_.paths, environment_.files, environment_.systemLog),
      frontmost_(environment_.workspace),
      permissions_(
          std::make_unique<SystemPermissions>(environment_.accessibility, environment_.events)),
      tap_(std::make_unique<EventTap>(environment_.events, environment_.systemLog,
                                      environment_.loop)),
      focusInspector_(environment_.accessibility, log_, environment_.loop, FocusPolicy::default_()),
      executor_(environment_.accessibility, environment_.events, environment_.loop),
      interceptor_(focusInspector_, executor_, frontmost_, log_, environment_.loop,
                   environment_.keyboardLayouts),
      menuDiagnostics_(environment_.accessibility, log_, environment_.loop),
      reachability_(environment_.accessibility, environment_.loop, MenuReachability::Limits{}),
      makeStatusUI_(std::move(makeStatusUI)),
      appLog_(environment_.systemLog, "app") {}

AppController::~AppController() {
  // The tap goes first: nothing may reach the interceptor while parts go.
  tap_->setOnKeyEvent(nullptr);
  tap_->setOnDisabled(nullptr);
  tap_->setOnRenewed(nullptr);
  tap_->stop();
}

ShortcutSet AppController::fallbackSetImportingHandEditedKeymap() {
  if (customStore_.exists() || keymapStore_.loadError()) return ShortcutSet::gmail;
  const Keymap& loaded = keymapStore_.keymap();
  const Keymap& builtIn = Keymap::default_();
  // The default files of earlier builds lack the newer default keys ("v"
  // for the mailbox picker, and before it "?"): not edited by hand either.
  KeyBindings withoutPicker = builtIn.bindings;
  withoutPicker.erase(KeyToken::character("v"));
  KeyBindings withoutShortcuts = withoutPicker;
  withoutShortcuts.erase(KeyToken::character("?"));
  const bool handEdited =
      (loaded.bindings != builtIn.bindings && loaded.bindings != withoutPicker &&
       loaded.bindings != withoutShortcuts) ||
      loaded.composeBindings != builtIn.composeBindings || !loaded.listChords.empty() ||
      !loaded.anywhereChords.empty();
  if (!handEdited) return ShortcutSet::gmail;
  // A keymap edited by hand before custom sets existed becomes the custom set.
  customStore_.change(
      [&](CustomKeymap& definition) { definition = CustomKeymap::importing(loaded); });
  return ShortcutSet::custom;
}

void AppController::start() {
  auto& ax = environment_.accessibility;
  ax.setMessagingTimeout(ax.createSystemWide(), messagingTimeout);
  log_.setEnabled(prefs_.debugLogging());
  // Settings that could not be used are as good as none; the user may
  // wonder why, and the debug log is where one looks.
  if (const auto problem = environment_.defaults.loadProblem()) log_.log(*problem, true);
  keymapStore_.start();
  customStore_.load();
  const ShortcutSet fallback = fallbackSetImportingHandEditedKeymap();

  const auto storedSet = prefs_.shortcutSet();
  storeSet(storedSet ? *storedSet : (prefs_.enabled() ? fallback : ShortcutSet::off));
  installKeymap();

  const auto weak = lifeline_.weak();
  keymapStore_.setOnChange([weak] {
    if (auto* self = Lifeline<AppController>::lock(weak)) self->applyKeymap();
  });
  tap_->setOnKeyEvent([weak](platform::EventType type, const platform::Event& event) {
    auto* self = Lifeline<AppController>::lock(weak);
    return self ? self->interceptor_.handle(type, event) : false;
  });
  tap_->setOnDisabled([weak] {
    auto* self = Lifeline<AppController>::lock(weak);
    if (!self) return;
    self->interceptor_.forgetSwallowedKeys();
    // A tap whose process lost Accessibility holds every key it is handed
    // and cannot pass it on; switched back on, it would stall the keyboard
    // again until the next permission check. Check now, removing it.
    if (!self->permissions_->state().accessibility) self->checkPermissions(false);
  });
  tap_->setOnRenewed([weak](const TapRenewal& renewal) {
    if (auto* self = Lifeline<AppController>::lock(weak)) self->tapRenewed(renewal);
  });
  frontmost_.setOnChange([weak] {
    auto* self = Lifeline<AppController>::lock(weak);
    if (!self) return;
    // Mail left the front, or came to it: a second key is no longer awaited.
    self->interceptor_.cancelSequence();
    // A Mail not checked yet (just launched, or relaunched), or one that
    // quit; before the refresh below, which shows what a quit Mail left.
    const auto mail = self->mailProcess();
    const auto& reach = self->reachability_;
    const bool known = mail ? mail == reach.checkedPID() || mail == reach.checkingPID()
                            : !reach.checkedPID() && !reach.checkingPID();
    if (!known) self->checkMenuTargets();
    self->syncEnabled();
  });
  reachability_.setOnChange([weak] {
    if (auto* self = Lifeline<AppController>::lock(weak)) self->refreshUI();
  });
  // The executor is the controller's own, so it cannot outlive the log or
  // the reachability check.
  executor_.setMenusRead([this](pid_t pid) -> const std::vector<MailMenuItem>* {
    const auto& menus = reachability_.menus();
    return reachability_.checkedPID() == pid && !menus.empty() ? &menus : nullptr;
  });
  executor_.setOnFoundByKeyEquivalent(
      [&log = log_](const std::string& line) { log.log(line, false); });
  // showShortcuts, the one action Quillo does itself, opens the user
  // interface's list of shortcuts; the user interface is the controller's
  // own too.
  executor_.setOnDoneByQuillo([this](ActionID action) -> std::string {
    if (!statusMenu_) return "no user interface to show it in";
    if (action == ActionID::showShortcuts) return statusMenu_->showShortcuts();
    return statusMenu_->pickMailbox(action);
  });

  if (makeStatusUI_) {
    statusMenu_ = makeStatusUI_(*this, prefs_.classicMenu());
  }
  checkPermissions(true);
  permissionTimer_ = environment_.loop.repeat(platform::Duration(permissionCheckInterval), [weak] {
    if (auto* self = Lifeline<AppController>::lock(weak)) self->checkPermissions(false);
  });
}

void AppController::fileMessages(ActionID action, platform::AXUIElement item, MenuPath path,
                                 pid_t pid, std::function<void(const ActionOutcome&)> done) {
  executor_.press(action, std::move(item), std::move(path), pid,
                  [this, action, done = std::move(done)](const ActionOutcome& outcome) {
                    log_.log(std::string(rawValue(action)) + ": " + outcome.description());
                    if (done) done(outcome);
                  });
}

void AppController::rememberMailbox(const Mailbox& chosen) {
  prefs_.setRecentMailboxes(
      MailboxPicker::remembered(prefs_.recentMailboxes(MailboxPicker::recentLimit), chosen));
}

void AppController::storeSet(ShortcutSet set) {
  shortcutSet_ = set;
  prefs_.setShortcutSet(set);
  setEnabled(set != ShortcutSet::off);
}

void AppController::setEnabled(bool enabled) {
  prefs_.setEnabled(enabled);
  enabled_ = enabled;
  interceptor_.setEnabled(enabled);
  const bool listening = enabled && frontmost_.mailPID().has_value();
  // A tap that does not listen sees no key-ups: those still due (a key held
  // while a question of ours came to the front) go to whoever is in front.
  if (!listening) interceptor_.forgetSwallowedKeys();
  tap_->setListening(listening);
}

Keymap AppController::activeKeymap() const {
  // Custom and off both stand for the custom definition's keys.
  const auto given = preset(shortcutSet_);
  const Keymap& file = keymapStore_.keymap();
  // The set gives the keys; keymap.json says how actions are done, which
  // actions it defines itself and where the focus is.
  if (!given) return customStore_.definition().keymap(file);
  Keymap keymap = quillo::keymap(*given);
  keymap.actions = file.actions;
  keymap.userActions = file.userActions;
  keymap.focus = file.focus;
  return keymap;
}

void AppController::applyKeymap() {
  installKeymap();
  refreshUI();
}

void AppController::installKeymap() {
  Keymap keymap = activeKeymap();
  focusInspector_.setPolicy(keymap.focus);
  focusInspector_.clearCachedFocus();
  executor_.forgetResolvedItems();
  if (log_.isEnabled()) {
    const std::size_t chords =
        keymap.listChords.size() + keymap.composeBindings.size() + keymap.anywhereChords.size();
    const auto& error = keymapStore_.loadError();
    log_.log("keymap applied: set " + std::string(rawValue(shortcutSet_)) + ", " +
             std::to_string(keymap.bindings.size()) + " keys, " + std::to_string(chords) +
             " chords, " +
             (keymap.hasSequences() ? std::to_string(keymap.sequenceCount()) + " sequences, "
                                    : std::string()) +
             std::to_string(keymapStore_.warnings().size()) + " warnings" +
             (error ? ", error: " + *error : std::string()));
  }
  interceptor_.setKeymap(std::move(keymap));
  checkMenuTargets();
}

const std::vector<MailMenuItem>& AppController::mailMenus() const {
  static const std::vector<MailMenuItem> none;
  const auto mail = mailProcess();
  return mail && mail == reachability_.checkedPID() ? reachability_.menus() : none;
}

void AppController::checkMenuTargets() {
  const auto mail = mailProcess();
  if (!mail || !permissionState_.accessibility) {
    reachability_.clear();
    return;
  }
  reachability_.check(*mail, activeKeymap());
}

void AppController::selectSet(ShortcutSet set) {
  storeSet(set);
  if (set != ShortcutSet::off) prefs_.setLastActiveSet(set);
  installKeymap();
  refreshUI();
}

void AppController::syncEnabled() {
  setEnabled(enabled_);
  // Mail coming to the front is when hidden keys start to matter; the
  // two-second check would tell only later.
  lookForHiddenKeys();
  refreshUI();
}

void AppController::lookForHiddenKeys() {
  const bool hidden = tap_->keysHidden();
  if (hidden == keysHidden_) return;
  keysHidden_ = hidden;
  // The key-ups of keys swallowed before will not be seen; forgetting them
  // keeps a later key-up of the same key from being eaten.
  if (hidden) interceptor_.forgetSwallowedKeys();
  if (log_.isEnabled()) {
    log_.log(hidden ? "secure keyboard entry is on in another app: the event tap sees no keys"
                    : "secure keyboard entry is off: the event tap sees keys again");
  }
}

void AppController::tapRenewed(const TapRenewal& renewal) {
  log_.log(renewal.description(), true);
  // Keys swallowed by the old tap end on no tap that knows them.
  interceptor_.forgetSwallowedKeys();
  // Without a new tap the status says the tap is missing; the next
  // permission check tries to install one, as after any failure.
  if (!renewal.installed) refreshUI();
}

void AppController::checkPermissions(bool initial) {
  const PermissionState now = permissions_->state();
  const bool accessibilityChanged = now.accessibility != permissionState_.accessibility;
  permissionState_ = now;
  // Mail's menus can be read now, or no longer: what was found goes with them.
  if (accessibilityChanged) checkMenuTargets();
  const std::string im = now.inputMonitoring ? "yes" : "no";
  // A dead port is noticed only by asking; its renewal comes first, so a
  // renewal that fails is tried again below like any installation.
  if (now.accessibility) tap_->renewIfPortInvalid();
  if (now.accessibility && !tap_->isInstalled()) {
    if (tap_->start()) {
      tapFinding_ = TapFinding::installed(now.inputMonitoring);
      const std::string message =
          "event tap installed with Accessibility=yes, Input Monitoring=" + im;
      appLog_.notice(message);
      log_.log(message, true);
    } else if (tapFinding_ != TapFinding::failed(now.inputMonitoring)) {
      tapFinding_ = TapFinding::failed(now.inputMonitoring);
      const std::string message =
          "event tap creation failed with Accessibility=yes, Input Monitoring=" + im;
      appLog_.error(message);
      log_.log(message, true);
      if (!now.inputMonitoring && !askedForInputMonitoring_) {
        askedForInputMonitoring_ = true;
        permissions_->requestInputMonitoring();
      }
    }
  }
  if (!now.accessibility) {
    if (initial) permissions_->requestAccessibility();
    if (tap_->isInstalled()) {
      tap_->stop();
      interceptor_.forgetSwallowedKeys();
      tapFinding_ = TapFinding::notAttempted();
      appLog_.notice("Accessibility revoked; event tap removed");
    }
  }
  // Every check re-evaluates listening and hidden keys and refreshes the
  // interface once, which covers a check that saw anything change.
  setEnabled(enabled_);
  lookForHiddenKeys();
  refreshUI();
  if (now.accessibility && tap_->isInstalled() && onTapInstalledCheck_) onTapInstalledCheck_();
}

AppController::Status AppController::status() const {
  if (!permissionState_.accessibility) return Status::needsAccessibility;
  if (!tap_->isInstalled()) return Status::needsInputMonitoring;
  if (!enabled_) return Status::paused;
  if (!frontmost_.mailPID()) return Status::waitingForMail;
  if (keysHidden_) return Status::keysHidden;
  return Status::active;
}

void AppController::fixAccessibility() {
  quillo::fixAccessibility(*permissions_, environment_.opener);
}

void AppController::fixInputMonitoring() {
  quillo::fixInputMonitoring(*permissions_, environment_.opener, askedForInputMonitoring_);
}

void AppController::setDebugLogging(bool on) {
  prefs_.setDebugLogging(on);
  log_.setEnabled(on);
  log_.log(std::string("debug logging ") + (on ? "on" : "off"), true);
}

void AppController::editCustom(const std::function<void(CustomKeymap&)>& edit) {
  customStore_.change(edit);
  applyKeymap();
}

bool AppController::takeLaunchAtLoginOffer() {
  if (prefs_.askedLaunchAtLogin()) return false;
  prefs_.setAskedLaunchAtLogin();
  return true;
}

void AppController::refreshUI() {
  if (statusMenu_) statusMenu_->refresh();
}

// MARK: - Diagnostics

std::optional<pid_t> AppController::mailProcess() const {
  if (const auto front = frontmost_.mailPID()) return front;
  const auto running = environment_.workspace.runningApplications(Decider::mailBundleID);
  if (running.empty()) return std::nullopt;
  return running.front().processIdentifier;
}

void AppController::focusCaptureIn3Seconds() {
  log_.log("capturing Mail's focused element in 3 seconds: switch to Mail now", true);
  environment_.loop.schedule(platform::Duration(3.0), [weak = lifeline_.weak()] {
    if (auto* self = Lifeline<AppController>::lock(weak)) self->focusCapture();
  });
}

void AppController::focusCapture() {
  const auto pid = mailProcess();
  const char* unreadable =
      "focus capture: couldn't read Mail's focused element (Accessibility permission?)";
  if (!pid || !permissionState_.accessibility) {
    // In its place among the readings, not before those still going on.
    menuDiagnostics_.read([line = pid ? unreadable : "focus capture: Mail isn't running"](auto&) {
      return std::vector<std::string>{line};
    });
    return;
  }
  // Read like the menus, across turns: a reader of its own over the
  // diagnostics' accessibility, so nothing of the key path's cache changes.
  menuDiagnostics_.read(
      [this, pid = *pid, unreadable, policy = activeKeymap().focus](platform::Accessibility& ax) {
        AXFocusInspector reader(ax, log_, environment_.loop, policy);
        const auto snapshot = reader.snapshot(pid);
        if (!snapshot) return std::vector<std::string>{unreadable};
        const FocusContext classified = FocusClassifier::classify(*snapshot, policy);
        const FocusContext checked = reader.context(pid);
        return std::vector<std::string>{
            "focus capture: " + snapshot->description(),
            "  classified as " + std::string(rawValue(classified)) +
                "; with the keyboard-focus check: " + std::string(rawValue(checked))};
      });
}

void AppController::menuCheck() {
  menuDiagnostics_.menuCheck(mailProcess(), activeKeymap());
}

void AppController::menuStructure() {
  menuDiagnostics_.menuStructure(mailProcess());
}

void AppController::windowStructure() {
  menuDiagnostics_.windowStructure(mailProcess());
}

void AppController::showDebugLog() {
  log_.log("opened debug log", true);
  environment_.opener.openFile(log_.filePath());
}

void AppController::runDiagnosis() {
  // A wait for a second key is shown only while one is on.
  const auto first = interceptor_.pendingFirstKey();
  log_.log(
      std::string("--diagnose: Accessibility=") +
          (permissionState_.accessibility ? "true" : "false") +
          ", Input Monitoring preflight=" + (permissionState_.inputMonitoring ? "true" : "false") +
          ", tap=" + tapFinding_.description() +
          ", secure keyboard entry=" + (tap_->keysHidden() ? "true" : "false") +
          ", tap renewals=" + std::to_string(tap_->renewals()) +
          (first ? ", waiting for the key after " + first->displayString() : std::string()),
      true);
  menuCheck();
  menuStructure();
  windowStructure();
  focusCapture();
}

}  // namespace quillo
