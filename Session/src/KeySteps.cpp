// The steps of the keyboard: keys pressed, held and typed, keys other processes
// post, and what the system does to the keyboard event tap.
#include "StepForms.hpp"

#include "MailMenu.hpp"
#include "Platform/KeyCodes.hpp"
#include "QuilloCore/ActionSpec.hpp"
#include "Simulator/User.hpp"

namespace quillo::simulated {

using namespace steps;

std::vector<ScenarioRunner::Step> ScenarioRunner::keySteps() {
  using R = ScenarioRunner;
  using S = ScenarioStep;
  return {
      {"press KEY [KEY…]",
       "press keys: e, I, #, return, down, f1, cmd+return, ctrl+shift+r, cmd++ (shift is "
       "implied where needed)",
       [](R& r, const Words& w, const S&) {
         r.singleKeyStep_ = w.size() == 2;
         r.user_.press(std::vector<std::string>(w.begin() + 1, w.end()));
       }},
      {"hold KEY N", "hold a key down for N auto-repeats",
       [](R& r, const Words& w, const S&) { r.user_.hold(w[1], static_cast<int>(number(w[2]))); }},
      {"type \"TEXT\"", "type text, key by key",
       [](R& r, const Words& w, const S&) {
         r.typingStep_ = true;
         r.user_.type(joined(w, 1, w.size()));
       }},
      {"tap timeout|user-input", "the system switches the keyboard event tap off",
       [](R& r, const Words& w, const S&) {
         if (w[1] == "timeout") {
           r.mac_.windowServer().disableTapsByTimeout();
         } else {
           r.mac_.windowServer().disableTapsByUserInput();
         }
       }},
      {"tap port dies",
       "the system invalidates the port of the keyboard event tap: the tap never delivers "
       "again, and nobody is told",
       [](R& r, const Words&, const S&) { r.mac_.windowServer().invalidateTapPorts(); }},
      {"taps refused|allowed",
       "the system refuses every new keyboard event tap although both permissions are granted "
       "(as security software can make it do), or allows them again",
       [](R& r, const Words& w, const S&) {
         r.mac_.permissions.tapsRefused = w[1] == "refused";
         r.loop_.settle();
       }},
      {"post KEY to " + knownAppNames() + " [marked]",
       "another process posts a key event (down and up) to an application, aimed at its "
       "process; marked: carrying Quillo's own-event marker in its source user data",
       [](R& r, const Words& w, const S&) {
         const KnownApp* app = knownApp(w[3]);
         if (!app) throw StepFailure("no application \"" + w[3] + "\"");
         if (w.size() > 5 || (w.size() == 5 && lower(w[4]) != "marked"))
           throw StepFailure("post takes marked after the application, not \"" + w[4] + "\"");
         sim::SimApp* target = r.mac_.app(std::string(app->bundleID));
         if (!target) throw StepFailure(std::string(app->name) + " is not running");
         const auto stroke = sim::User::keystroke(w[1]);
         auto& server = r.mac_.windowServer();
         for (const bool down : {true, false}) {
           auto event = server.createKeyboardEvent(std::nullopt, stroke.keyCode, down);
           if (!event) throw StepFailure("the system makes no key events");
           event->setFlags(stroke.flags);
           if (w.size() == 5) {
             event->setIntegerValueField(platform::EventField::eventSourceUserData, ownEventMarker);
           }
           server.postToPid(target->pid(), *event);
         }
       }},
      {"event-details on|off",
       "show each posted key event with its flags, its source user data and whether it arrived",
       [](R& r, const Words& w, const S&) { r.eventDetails_ = w[1] == "on"; }},
      {"timing on|off",
       "after each step, the longest a typed key event was held before going on (waiting for "
       "Quillo's main loop, then in its tap callback) and the longest turn of the main loop "
       "(in virtual time only)",
       [](R& r, const Words& w, const S&) { r.timing_ = w[1] == "on"; }},
  };
}

}  // namespace quillo::simulated
