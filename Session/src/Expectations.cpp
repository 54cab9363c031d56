// The expectations a step may check (`expect …`): facts of Mail, the
// front application, Quillo's panel, menu, status, decisions and files, and
// that every typed key had one fate.
#include "StepForms.hpp"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "Platform/KeyCodes.hpp"
#include "Session/ScenarioHost.hpp"
#include "Simulator/USKeyboard.hpp"
#include "Simulator/User.hpp"

namespace quillo::simulated {

using namespace steps;

const std::vector<ScenarioRunner::Expectation>& ScenarioRunner::expectations() {
  using R = ScenarioRunner;
  constexpr bool exact = true;
  constexpr bool takesTheRest = false;
  static const std::vector<Expectation> table{
      {"mailbox NAME count N", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto& messages = r.user_.mail().mailbox(w[2]);
         if (messages.size() != static_cast<std::size_t>(number(w[4]))) {
           unmet.push_back("mailbox " + w[2] + " to hold " + w[4] + " messages, not " +
                           std::to_string(messages.size()));
         }
       },
       exact},
      {"mailbox NAME has \"SUBJECT\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto& messages = r.user_.mail().mailbox(w[2]);
         const bool found = std::any_of(messages.begin(), messages.end(),
                                        [&](const auto& m) { return m.subject == w[4]; });
         if (!found) unmet.push_back("mailbox " + w[2] + " to hold " + inQuotes(w[4]));
       },
       exact},
      {"selected \"SUBJECT\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto selected = r.user_.mail().selectedMessage();
         if (!selected || selected->subject != w[2]) {
           unmet.push_back("selected " + inQuotes(w[2]) + ", not " +
                           (selected ? inQuotes(selected->subject) : std::string("nothing")));
         }
       },
       exact},
      {"focus \"WHERE\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const std::string focus = r.user_.mail().focusDescription();
         if (focus != w[2])
           unmet.push_back("focus in " + inQuotes(w[2]) + ", not in " + inQuotes(focus));
       },
       exact},
      {"text PLACE \"TEXT\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const std::string name = joined(w, 2, w.size() - 1);
         const auto place = sim::placeNamed(name);
         if (!place) throw StepFailure("no place \"" + name + "\" in Mail");
         const auto text = r.user_.mail().text(*place);
         if (text != w.back()) {
           unmet.push_back(name + " to read " + inQuotes(w.back()) + ", not " +
                           inQuotes(text.value_or("(none)")));
         }
       },
       takesTheRest},
      {"front APP", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto front = r.mac_.workspace().frontmostApplication();
         if (!front || lower(front->localizedName) != lower(w[2])) {
           unmet.push_back(w[2] + " in front, not " +
                           (front ? front->localizedName : std::string("nothing")));
         }
       },
       exact},
      {"picker open", "",
       [](R& r, const Words&, Words& unmet) {
         if (!r.host_.pickerLines()) unmet.push_back("Quillo's mailbox picker open, not closed");
       },
       exact},
      {"picker closed", "",
       [](R& r, const Words&, Words& unmet) {
         if (r.host_.pickerLines()) unmet.push_back("Quillo's mailbox picker closed, not open");
       },
       exact},
      {"panel closed", "",
       [](R& r, const Words&, Words& unmet) {
         if (r.host_.panelLines()) unmet.push_back("Quillo's panel closed, not open");
       },
       exact},
      {"panel \"TEXT\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto lines = r.host_.panelLines();
         if (!lines) {
           unmet.push_back("the panel line " + inQuotes(w[2]) + ", but the panel is closed");
           return;
         }
         const bool shown = std::any_of(lines->begin(), lines->end(), [&](const auto& line) {
           return line.find(w[2]) != std::string::npos;
         });
         if (!shown) unmet.push_back("a panel line with " + inQuotes(w[2]));
       },
       exact},
      {"no panel \"TEXT\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto lines = r.host_.panelLines();
         if (!lines) {
           unmet.push_back("no panel line with " + inQuotes(w[3]) + ", but the panel is closed");
           return;
         }
         for (const auto& line : *lines) {
           if (line.find(w[3]) != std::string::npos)
             unmet.push_back("no panel line with " + inQuotes(w[3]) + ": " + line);
         }
       },
       exact},
      {"status STATUS", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto status = r.host_.status();
         if (status != w[2])
           unmet.push_back("status " + w[2] + ", not " + status.value_or("(none)"));
       },
       exact},
      {"windows N", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto count = r.user_.mail().windowList().size();
         if (count != static_cast<std::size_t>(number(w[2])))
           unmet.push_back(w[2] + " Mail windows, not " + std::to_string(count));
       },
       exact},
      {"decision DECISION", "",
       [](R& r, const Words& w, Words& unmet) {
         const std::string decision = joined(w, 2, w.size());
         const auto& decisions = r.lastDecisions_;
         if (std::find(decisions.begin(), decisions.end(), decision) == decisions.end())
           unmet.push_back("the decision " + inQuotes(decision) + " in the step before");
       },
       takesTheRest},
      {"outcome \"TEXT\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto& outcomes = r.lastOutcomes_;
         if (std::find(outcomes.begin(), outcomes.end(), w[2]) == outcomes.end())
           unmet.push_back("the outcome " + inQuotes(w[2]) + " in the step before");
       },
       exact},
      {"round-trips N", "",
       [](R& r, const Words& w, Words& unmet) {
         if (r.roundTripsOfLastStep_ != static_cast<std::size_t>(number(w[2]))) {
           unmet.push_back(w[2] + " accessibility round trips, not " +
                           std::to_string(r.roundTripsOfLastStep_));
         }
       },
       exact},
      {"log \"LINE\"", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto lines = r.debugLogLines();
         if (std::find(lines.begin(), lines.end(), w[2]) == lines.end())
           unmet.push_back("the debug log line " + inQuotes(w[2]));
       },
       exact},
      {"menu \"ITEM\"", "",
       [](R& r, const Words& w, Words& unmet) {
         // An item as `show menu` prints it, wherever it sits, or without
         // the parentheses of a disabled item and the mark of a submenu;
         // a checkmark or an image must be written.
         std::vector<std::string> plain;
         for (std::string line : r.menuLines(&plain)) {
           line.erase(0, line.find_first_not_of(' '));
           if (line == w[2]) return;
         }
         if (std::find(plain.begin(), plain.end(), w[2]) != plain.end()) return;
         unmet.push_back("the open menu to hold " + inQuotes(w[2]));
       },
       exact},
      {"file FILE as-written", "",
       [](R& r, const Words& w, Words& unmet) {
         const auto written = r.written_.find(w[2]);
         if (written == r.written_.end())
           throw StepFailure("no step wrote " + w[2] + " in this script");
         std::ifstream in(r.host_.supportFolder() / w[2], std::ios::binary);
         const std::string now((std::istreambuf_iterator<char>(in)), {});
         if (now != written->second)
           unmet.push_back(w[2] + " to hold the very bytes the script last wrote there");
       },
       exact},
      {"file FILE as-written-to OTHER", "",
       [](R& r, const Words& w, Words& unmet) {
         // A file Quillo kept aside holds what the script wrote under the
         // other name.
         const auto written = r.written_.find(w[4]);
         if (written == r.written_.end())
           throw StepFailure("no step wrote " + w[4] + " in this script");
         std::ifstream in(r.host_.supportFolder() / w[2], std::ios::binary);
         const std::string now((std::istreambuf_iterator<char>(in)), {});
         if (!in.is_open() || now != written->second)
           unmet.push_back(w[2] + " to hold the very bytes the script last wrote to " + w[4]);
       },
       exact},
      {"keys-paired", "", [](R& r, const Words&, Words& unmet) { r.checkKeysPaired(unmet); },
       exact},
      {"no log \"TEXT\"", "",
       [](R& r, const Words& w, Words& unmet) {
         for (const auto& line : r.debugLogLines()) {
           if (line.find(w[3]) != std::string::npos)
             unmet.push_back("no debug log line with " + inQuotes(w[3]) + ": " + line);
         }
       },
       exact},
  };
  return table;
}

std::vector<std::string> ScenarioRunner::debugLogLines() const {
  std::vector<std::string> lines;
  std::ifstream in(host_.debugLog().filePath());
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line.size() > DebugLog::timestampWidth ? line.substr(DebugLog::timestampWidth)
                                                           : line);
  }
  return lines;
}

void ScenarioRunner::checkKeysPaired(Words& unmet) {
  // Every typed key has one fate at the tap: a key-down that passed has its
  // key-up passed (unless the application it reached quit on it), and a
  // key-down Quillo swallowed never has its key-up reach Mail.
  const auto& server = mac_.windowServer();
  if (server.eventsLogged() - pairedFrom_ > sim::WindowServer::keptEvents) {
    keysDown_.clear();  // too many at once to follow: start afresh
    pairedFrom_ = server.eventsLogged() - sim::WindowServer::keptEvents;
  }
  for (; pairedFrom_ < server.eventsLogged(); ++pairedFrom_) {
    const auto* event = server.loggedEvent(pairedFrom_);
    if (!event || event->posted) continue;
    const std::string key = sim::USKeyboard::keyName(event->keyCode);
    if (event->type == platform::EventType::keyDown) {
      if (!event->autorepeat) keysDown_[event->keyCode] = {event->droppedByTap, event->deliveredTo};
      continue;
    }
    if (event->type != platform::EventType::keyUp) continue;
    const auto down = keysDown_.find(event->keyCode);
    if (down == keysDown_.end()) continue;  // its key-down went before any check
    const KeyDown keyDown = down->second;
    keysDown_.erase(down);
    const std::optional<pid_t> downTo = keyDown.deliveredTo;
    const std::optional<pid_t> upTo = event->deliveredTo;
    // Passed both times (also to two windows: Esc closes the panel on its
    // key-down, and its key-up goes to Mail; or to none, when nothing is in
    // front to take it), or swallowed both times.
    if (keyDown.swallowed == event->droppedByTap) continue;
    if (!keyDown.swallowed) {
      if (downTo && !mac_.app(*downTo)) continue;  // it quit on the key-down
    } else {
      if (!upTo) continue;
      // Swallowed, then passed: harmless for an application other than
      // Mail, the one whose key-downs Quillo takes (Quillo's own question
      // that came to the front, say).
      const sim::SimApp* mail = mac_.mail();
      if (!mail || *upTo != mail->pid()) continue;
    }
    const auto fate = [this](bool swallowed, std::optional<pid_t> to) {
      return swallowed ? std::string("swallowed")
                       : "passed to " + (to ? targetName(*to) : std::string("no one"));
    };
    unmet.push_back(key + "'s key-down " + fate(keyDown.swallowed, downTo) + " and its key-up " +
                    fate(event->droppedByTap, upTo) + " to have the same fate");
  }
  // Once every key is up, Quillo holds none as swallowed.
  if (keysDown_.empty() && host_.isRunning() && !host_.interceptor().swallowedKeyCodes().empty()) {
    std::string codes;
    for (const auto code : host_.interceptor().swallowedKeyCodes())
      codes +=
          (codes.empty() ? "" : ", ") + sim::USKeyboard::keyName(static_cast<std::uint16_t>(code));
    unmet.push_back("no key held as swallowed once every key is up, not " + codes);
  }
}

}  // namespace quillo::simulated
