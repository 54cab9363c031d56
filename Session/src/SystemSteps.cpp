// The steps of Quillo's life, its permissions, settings and commands, the other
// applications and the screen: what the user and the system do around Quillo.
#include "StepForms.hpp"

#include <filesystem>
#include "QuilloCore/ActionSpec.hpp"
#include "Session/ScenarioHost.hpp"
#include "Simulator/SimulatedApplication.hpp"
#include "Simulator/User.hpp"

namespace quillo::simulated {

using namespace steps;

namespace {

std::string shortcutSetNames() {
  std::vector<std::string> names;
  for (const ShortcutSet set : allCases<ShortcutSet>())
    names.emplace_back(rawValue(set));
  return joined(names, 0, names.size(), "|");
}

}  // namespace

std::vector<ScenarioRunner::Step> ScenarioRunner::systemSteps() {
  using R = ScenarioRunner;
  using S = ScenarioStep;
  return {
      {"start",
       "Quillo finishes launching (the program does this before the first step of a script "
       "that has no start step)",
       [](R& r, const Words&, const S&) {
         if (r.host_.isRunning()) throw StepFailure("Quillo is already running");
         r.host_.start();
       }},
      {"grant|revoke accessibility|input-monitoring",
       "the privacy permissions of Quillo in System Settings",
       [](R& r, const Words& w, const S&) {
         const bool granted = w[0] == "grant";
         if (w[1] == "accessibility") {
           r.user_.setAccessibility(granted);
         } else {
           r.user_.setInputMonitoring(granted);
         }
       }},
      {"quillo comes to the front",
       "Quillo's own process becomes the active application, as its alerts make it (and as "
       "raising a window would, on a Mac)",
       [](R& r, const Words&, const S&) {
         const std::string bundleID = sim::SimulatedApplication::bundleID;
         if (!r.mac_.app(bundleID)) throw StepFailure("Quillo's process is not running");
         r.user_.switchTo(bundleID, "Quillo");
       }},
      {"switch to " + knownAppNames(), "bring an application to the front",
       [](R& r, const Words& w, const S&) {
         const KnownApp* app = knownApp(w[2]);
         if (!app) throw StepFailure("no application \"" + w[2] + "\"");
         r.user_.switchTo(std::string(app->bundleID), std::string(app->name));
       }},
      {"app " + knownAppNames() + " secure input on|off",
       "a running application turns secure keyboard entry on or off (as a password field or a "
       "terminal does); while any application holds it on, event taps see no keys, which still "
       "reach the application in front; each off undoes one on, and quitting ends it",
       [](R& r, const Words& w, const S&) {
         const KnownApp* app = knownApp(w[1]);
         if (!app) throw StepFailure("no application \"" + w[1] + "\"");
         sim::SimApp* running = r.mac_.app(std::string(app->bundleID));
         if (!running) throw StepFailure(std::string(app->name) + " is not running");
         auto& server = r.mac_.windowServer();
         if (w[4] == "on") {
           server.enableSecureEventInput(running->pid());
         } else {
           server.disableSecureEventInput(running->pid());
         }
       }},
      {"when-front-quits nothing|previous [SECONDS]",
       "what the system brings forward when the front application quits: nothing (as at "
       "first), or the application active before it, SECONDS (0.5) later unless another came "
       "forward first",
       [](R& r, const Words& w, const S&) {
         auto& after = r.mac_.afterFrontQuits;
         after.activatesPrevious = w[1] == "previous";
         if (w.size() > 2) after.delay = platform::Duration(number(w[2]));
       }},
      {"show panel APP", "",
       [](R& r, const Words& w, const S&) {
         if (lower(w[2]) == "spotlight") {
           r.user_.showPanel("com.apple.Spotlight", "Spotlight");
           return;
         }
         const KnownApp* app = knownApp(w[2]);
         if (!app) throw StepFailure("no application \"" + w[2] + "\"");
         r.user_.showPanel(std::string(app->bundleID), std::string(app->name));
       }},
      {"close panel",
       "a window of another process takes the keyboard while Mail stays in front: Spotlight's "
       "search field, or a panel of Safari, TextEdit, …; closing it gives the keyboard back",
       [](R& r, const Words&, const S&) { r.user_.closePanel(); }},
      {"set " + shortcutSetNames(), "choose Quillo's shortcut set",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         const auto set = fromRawValue<ShortcutSet>(w[1]);
         if (!set) throw StepFailure("no shortcut set \"" + w[1] + "\"");
         r.host_.selectSet(*set);
       }},
      {"classic-menu on|off",
       "the user default \"classicMenu\" Quillo reads as it starts: on, a status item with the "
       "classic menu",
       [](R& r, const Words& w, const S&) {
         if (r.host_.isRunning())
           throw StepFailure("Quillo reads classicMenu as it starts: quit quillo first");
         if (!r.host_.setClassicMenu(w[1] == "on"))
           throw StepFailure("Quillo has no user defaults here");
       }},
      {"debug-log on|off", "Quillo's debug logging",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         r.host_.setDebugLogging(w[1] == "on");
       }},
      {"answer BUTTON", "the answer to Quillo's next question (\"Open at Login\")",
       [](R& r, const Words& w, const S&) {
         if (!r.host_.answerNextAlert(joined(w, 1, w.size())))
           throw StepFailure("nothing asks questions here");
       }},
      {"run COMMAND", "run one of Quillo's commands (below)",
       [](R& r, const Words& w, const S&) {
         if (r.host_.commandNeedsQuillo(w[1])) r.requireQuillo();
         if (!r.host_.command({w.begin() + 1, w.end()}))
           throw StepFailure("no command \"" + joined(w, 1, w.size()) + "\"");
       }},
      {"wait SECONDS", "let time pass",
       [](R& r, const Words& w, const S&) { r.loop_.wait(platform::Duration(number(w[1]))); }},
      {"quit quillo",
       "Quillo quits; start launches it again as a new process on the same Mac, with the same "
       "files",
       [](R& r, const Words&, const S&) {
         r.requireQuillo();
         if (!r.host_.quit()) throw StepFailure("Quillo cannot quit here");
       }},
      {"quit " + otherAppNames(), "another application quits",
       [](R& r, const Words& w, const S&) {
         const KnownApp* app = knownApp(w[1]);
         sim::SimApp* running = app ? r.mac_.app(std::string(app->bundleID)) : nullptr;
         if (!running) throw StepFailure(w[1] + " is not running");
         r.mac_.quit(running->pid());
       }},
      {"bundle without-version|with-version",
       "Quillo's bundle gives no version at all (the panel and the menu then say \"Version ?\"), "
       "or its own again",
       [](R& r, const Words& w, const S&) {
         if (!r.host_.setBundleVersion(w[1] == "with-version"))
           throw StepFailure("Quillo's bundle is its own here");
       }},
      {"screen WIDTH HEIGHT [visible X Y WIDTH HEIGHT]",
       "the size of the screen with Quillo's status item and its visible frame (by default all "
       "of it under the 25-point menu bar), in points from its bottom left; the status item "
       "stays in the menu bar, as far right as it fits. Quillo places its panel anew when it "
       "next opens or changes",
       [](R& r, const Words& w, const S&) {
         if (w.size() != 3 && w.size() != 8)
           throw StepFailure(
               "screen takes WIDTH HEIGHT, then visible and four numbers, or nothing");
         auto& item = r.mac_.statusItem();
         const double width = number(w[1]), height = number(w[2]);
         item.visibleFrame = {0, 0, width, height - 25};
         if (w.size() == 8) {
           if (lower(w[3]) != "visible") throw StepFailure("screen: \"visible\", not " + w[3]);
           item.visibleFrame = {number(w[4]), number(w[5]), number(w[6]), number(w[7])};
         }
         item.buttonFrame.x = std::min(item.buttonFrame.x, width - item.buttonFrame.width);
         item.buttonFrame.y = height - item.buttonFrame.height;
       }},
      {"status-item at X [WIDTH]",
       "where Quillo's status item sits in the menu bar: its left edge X points from the "
       "screen's left, WIDTH (30) points wide",
       [](R& r, const Words& w, const S&) {
         auto& item = r.mac_.statusItem();
         item.buttonFrame.x = number(w[2]);
         item.buttonFrame.width = w.size() > 3 ? number(w[3]) : 30;
       }},
      {"alert-details on|off",
       "tell each alert Quillo shows with its informative text: \"MESSAGE\" — \"TEXT\" answered "
       "BUTTON",
       [](R& r, const Words& w, const S&) {
         if (!r.host_.setAlertDetails(w[1] == "on"))
           throw StepFailure("nothing asks questions here");
       }},
  };
}

}  // namespace quillo::simulated
