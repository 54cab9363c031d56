// The steps of Quillo's status item and its panel: clicking, reading and
// leaving it.
#include "StepForms.hpp"

#include <sstream>
#include "Session/ScenarioHost.hpp"
#include "Simulator/User.hpp"

namespace quillo::simulated {

using namespace steps;

std::vector<ScenarioRunner::Step> ScenarioRunner::panelSteps() {
  using R = ScenarioRunner;
  using S = ScenarioStep;
  return {
      {"click|option-click|right-click status item",
       "click Quillo's status item, holding option or not, or with the right button (its button "
       "acts on either): with its menu attached (the classic menu), the menu opens, read anew "
       "as it opens; otherwise the panel opens or closes, with the debug section when option "
       "is held",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         auto& item = r.mac_.statusItem();
         if (w[0] == "right-click") {
           item.rightClick();
         } else {
           item.click(w[0] == "option-click" ? platform::EventFlags::alternate : 0);
         }
       },
       true},
      {"click panel key \"TITLE\"", "",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         if (auto error = r.host_.clickPanel(w[3], true)) throw StepFailure(*error);
       },
       true},
      {"click panel \"TITLE\"",
       "click a control of Quillo's open panel by its title (a switch, a set, a button, an icon "
       "by its description, the editor's \"Start from SET\" chooser and then one of its "
       "entries), or the keys of a shortcut row, which start recording a new key while the "
       "editor is open",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         if (auto error = r.host_.clickPanel(w[2], false)) throw StepFailure(*error);
       },
       true},
      {"show panel",
       "open Quillo's panel with a click on its icon, unless it is open. The panel reads as "
       "one line per row: switches \"Shortcuts enabled [on]\", sets \"(•) Gmail — …\", "
       "warnings \"⚠ …\", shortcuts \"Archive [E] ⟨⌘⌫⟩ ●●○\" (filled keys in brackets, "
       "the Mac's own in angle brackets, then ● or ○ for the message list, an open message and "
       "writing; \"[record]\" and \"[clear]\" while editing, \"⟦Press keys…⟧\" while "
       "recording), buttons \"[Edit Shortcuts…]\". The transcript says \"panel: opened\" and "
       "\"panel: closed\" when it opens and closes",
       [](R& r, const Words&, const S&) {
         r.requireQuillo();
         if (!r.host_.panelLines()) r.mac_.statusItem().click();
         r.loop_.settle();
         if (!r.host_.panelLines()) throw StepFailure("Quillo's panel did not open");
       },
       true},
      {"read panel", "write every line of Quillo's open panel into the transcript",
       [](R& r, const Words&, const S&) {
         r.requireQuillo();
         const auto lines = r.host_.panelLines();
         if (!lines) throw StepFailure("Quillo's panel is closed");
         r.panelReadout_ = *lines;
       },
       true},
      {"read picker",
       "write every line of Quillo's open mailbox picker into the transcript: its title, the "
       "field \"[rcpt▏]\" (the placeholder in angle brackets while empty), one line per row "
       "shown (\"▸\" marks the selected one, its place after a dash, \"⏲\" a recent choice), "
       "a note in brackets, and the footer. The transcript says \"picker: opened\" and "
       "\"picker: closed\" when it opens and closes; keys typed while it is open are its own",
       [](R& r, const Words&, const S&) {
         r.requireQuillo();
         const auto lines = r.host_.pickerLines();
         if (!lines) throw StepFailure("Quillo's mailbox picker is closed");
         r.pickerReadout_ = *lines;
       },
       true},
      {"click picker \"MAILBOX\"",
       "click the row of a mailbox in Quillo's open picker, by its name or \"name — place\"",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         if (auto error = r.host_.clickPicker(w[2])) throw StepFailure(*error);
       },
       true},
      {"scroll picker ROWS",
       "turn the mouse wheel over the open picker's list by ROWS rows (negative: up)",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         if (!r.host_.scrollPicker(static_cast<int>(number(w[2]))))
           throw StepFailure("Quillo's mailbox picker is closed");
       },
       true},
      {"panel loses key",
       "Quillo's open panel stops being the key window and nothing else happens (a window of "
       "the system takes the keyboard)",
       [](R& r, const Words&, const S&) {
         r.requireQuillo();
         if (!r.host_.panelLosesKey()) throw StepFailure("Quillo's panel is not the key window");
       },
       true},
      {"read panel frame|labels",
       "write where the open panel is (\"panel | frame X Y WIDTH×HEIGHT\", from the screen's "
       "bottom left), or each shortcut row's accessibility label (\"panel | Archive: …\")",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         const auto frame = r.host_.panelFrame();
         if (!frame) throw StepFailure("Quillo's panel is closed");
         if (w[2] == "labels") {
           r.panelReadout_ = r.host_.panelRowLabels();
           return;
         }
         const auto n = [](double v) {
           std::ostringstream text;
           text << v;
           return text.str();
         };
         r.panelReadout_ = {"frame " + n(frame->x) + " " + n(frame->y) + " " + n(frame->width) +
                            "\u00D7" + n(frame->height)};
       },
       true},
  };
}

}  // namespace quillo::simulated
