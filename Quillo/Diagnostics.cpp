// The diagnostic commands of the app controller: what Quillo sees in Mail,
// written to the debug log with `always`, so they work with debug logging off.
#include "AppController.hpp"
#include "QuilloCore/Decider.hpp"

namespace quillo {

std::optional<pid_t> AppController::mailProcess() const {
  if (const auto front = frontmost.mailPID()) return front;
  const auto running = environment_.workspace.runningApplications(Decider::mailBundleID);
  if (running.empty()) return std::nullopt;
  return running.front().processIdentifier;
}

void AppController::focusCaptureIn3Seconds() {
  log.log("capturing Mail's focused element in 3 seconds: switch to Mail now", true);
  environment_.loop.schedule(platform::Duration(3.0), [weak = lifeline_.weak()] {
    if (auto* self = Lifeline<AppController>::lock(weak)) self->focusCapture();
  });
}

void AppController::focusCapture() {
  const auto pid = mailProcess();
  if (!pid) {
    log.log("focus capture: Mail isn't running", true);
    return;
  }
  const char* unreadable =
      "focus capture: couldn't read Mail's focused element (Accessibility permission?)";
  if (!permissionState.accessibility) {
    log.log(unreadable, true);
    return;
  }
  const auto snapshot = focusInspector.snapshot(*pid);
  if (!snapshot) {
    log.log(unreadable, true);
    return;
  }
  const FocusContext classified = FocusClassifier::classify(*snapshot, activeKeymap().focus);
  const FocusContext checked = focusInspector.context(*pid);
  log.log("focus capture: " + snapshot->description(), true);
  log.log("  classified as " + std::string(rawValue(classified)) +
              "; with the keyboard-focus check: " + std::string(rawValue(checked)),
          true);
}

void AppController::writeDiagnostic(const std::string& name,
                                    const std::function<std::string(pid_t)>& header,
                                    const std::function<std::vector<std::string>(pid_t)>& lines) {
  const auto pid = mailProcess();
  if (!pid) {
    log.log(name + ": Mail isn't running", true);
    return;
  }
  log.log(header(*pid), true);
  for (const auto& line : lines(*pid))
    log.log("  " + line, true);
}

void AppController::menuCheck() {
  writeDiagnostic(
      "menu check",
      [](pid_t mail) { return "menu check (Mail pid " + std::to_string(mail) + "):"; },
      [this](pid_t mail) {
        return menuCheckLines(environment_.accessibility, mail, activeKeymap());
      });
}

void AppController::menuStructure() {
  writeDiagnostic(
      "menu structure", [](pid_t) { return std::string("Mail menu structure:"); },
      [this](pid_t mail) { return menuStructureLines(environment_.accessibility, mail); });
}

void AppController::windowStructure() {
  writeDiagnostic(
      "window structure",
      [](pid_t) { return std::string("Mail window structure (tables and outlines):"); },
      [this](pid_t mail) { return windowStructureLines(environment_.accessibility, mail); });
}

void AppController::showDebugLog() {
  log.log("opened debug log", true);
  environment_.opener.openFile(log.fileURL());
}

void AppController::runDiagnosis() {
  log.log(std::string("--diagnose: Accessibility=") +
              (permissionState.accessibility ? "true" : "false") + ", Input Monitoring preflight=" +
              (permissionState.inputMonitoring ? "true" : "false") +
              ", tap=" + tapFinding.description(),
          true);
  menuCheck();
  menuStructure();
  windowStructure();
  focusCapture();
}

}  // namespace quillo
