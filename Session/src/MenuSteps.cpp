// The steps of Quillo's status menu: printing it and choosing its items.
#include "StepForms.hpp"

#include "QuilloCore/MenuResolver.hpp"

namespace quillo::simulated {

using namespace steps;

std::vector<ScenarioRunner::Step> ScenarioRunner::menuSteps() {
  using R = ScenarioRunner;
  using S = ScenarioStep;
  return {
      {"show menu",
       "print the open status menu, one line per item: submenus indented under their item "
       "(marked \" ›\"), \"✓ \" for a checkmark, \"⚠ \" for a warning image, \"☑ \" for a "
       "granted image, a disabled item in parentheses, a separator as \"---\", a section header "
       "as \"== TITLE ==\", a key equivalent after the title (\"  ⌘Q\")",
       [](R& r, const Words&, const S&) {
         r.requireQuillo();
         r.shownMenu_ = r.menuLines();
       }},
      {"choose \"MENU › ITEM\"",
       "choose an item of the open status menu by its path of titles (\" > \" works too); the "
       "menu closes",
       [](R& r, const Words& w, const S&) {
         r.requireQuillo();
         if (auto error = r.mac_.statusItem().choose(MenuResolver::pathFromText(w[1])))
           throw StepFailure(*error);
       },
       true},
  };
}

}  // namespace quillo::simulated
