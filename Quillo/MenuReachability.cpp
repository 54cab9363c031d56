#include "MenuReachability.hpp"

#include "MailMenu.hpp"
#include "PanelModel.hpp"
#include "QuilloCore/CheatSheet.hpp"

namespace quillo {

MenuReachability::MenuReachability(platform::Accessibility& ax, platform::MainLoop& loop,
                                   Limits limits)
    : ax_(ax, [&loop] { return loop.now(); }), loop_(loop), limits_(limits) {}

std::optional<std::string> MenuReachability::problem(ActionID action, const Keymap& keymap,
                                                     const std::vector<MailMenuItem>& menus) {
  const ActionSpec& spec = *keymap.spec(action);
  using Way = MenuKeyEquivalents::Reach<MailMenuItem>::Way;
  const auto reach = MenuKeyEquivalents::reach(action, spec, menus, ActionExecutor::anywhereDepth);
  switch (reach.way) {
    case Way::menuPath:
    case Way::keyEquivalent:
    case Way::fallbackKey:
      return std::nullopt;
    case Way::none:
      break;
  }
  std::string tried;
  for (const MenuPath& path : spec.menu)
    tried += (tried.empty() ? "" : ", ") + MenuResolver::pathText(path);
  if (reach.keyEquivalent && reach.carrierCount == 0)
    tried += (tried.empty() ? "" : ", ") + reach.keyEquivalent->displayString();
  std::string text = PanelModel::title(action, keymap) + ": Mail has no menu item for it";
  if (!tried.empty()) text += " (tried " + tried;
  if (reach.keyEquivalent && reach.carrierCount > 1) {
    text += (tried.empty() ? " (" : "; ") + reach.keyEquivalent->displayString() + " is on " +
            std::to_string(reach.carrierCount) + " menu items";
  }
  if (!tried.empty() || reach.carrierCount > 1) text += ")";
  return text;
}

void MenuReachability::check(pid_t pid, Keymap keymap) {
  ++generation_;
  pid_ = pid;
  keymap_ = std::move(keymap);
  ax_.forget();
  reader_.emplace(ax_, pid, limits_.reading);
  started_ = loop_.now();
  post();
}

void MenuReachability::clear() {
  ++generation_;
  reader_.reset();
  ax_.forget();
  publish({}, std::nullopt, {});
}

void MenuReachability::post() {
  inLaterTurn(loop_, [weak = lifeline_.weak(), generation = generation_] {
    auto* self = Lifeline<MenuReachability>::lock(weak);
    if (self && self->generation_ == generation) self->turn();
  });
}

void MenuReachability::turn() {
  if (!reader_) return;
  const bool late = platform::Duration(loop_.now() - started_).count() > limits_.seconds;
  if (late) {
    finish();
    return;
  }
  // A menu that the turn's budget cuts short is read again in the next
  // turn, from the answers remembered: the reader goes back to before it.
  MailMenuReader before = *reader_;
  ax_.begin(mainLoopTurnBudget);
  ax_.setRemembering(true);
  const bool more = reader_->step();
  ax_.setRemembering(false);
  ax_.end();
  if (ax_.ranOut()) {
    reader_.emplace(std::move(before));
    post();
    return;
  }
  ax_.forget();
  if (more) {
    post();  // the next menu on the next turn: key events go first
    return;
  }
  finish();
}

void MenuReachability::finish() {
  const MailMenuReader reader = std::move(*reader_);
  reader_.reset();
  requestsOfLastCheck_ = reader.requests();
  if (!reader.complete()) {
    // Part of the menus is missing: Quillo cannot tell what Mail lacks.
    if (publish({}, std::nullopt, {}) && onChange_) onChange_();
    return;
  }
  std::vector<std::string> problems;
  for (ActionID action : keymap_->allActions()) {
    // Only the actions the keymap gives a key can be asked for.
    if (CheatSheet::keysProvided(action, *keymap_).empty() &&
        CheatSheet::sequencesProvided(action, *keymap_).empty()) {
      continue;
    }
    if (isDoneByQuillo(action)) continue;  // done by Quillo: nothing to find in Mail
    const ActionSpec* spec = keymap_->spec(action);
    if (!spec) continue;  // the keymap file's warnings tell of it
    if (auto line = problem(action, *keymap_, reader.menus())) problems.push_back(std::move(*line));
  }
  if (publish(std::move(problems), pid_, reader.menus()) && onChange_) onChange_();
}

bool MenuReachability::publish(std::vector<std::string> problems, std::optional<pid_t> pid,
                               std::vector<MailMenuItem> menus) {
  const bool changed = problems != problems_ || pid != checkedPID_ || menus.size() != menus_.size();
  problems_ = std::move(problems);
  checkedPID_ = pid;
  menus_ = std::move(menus);
  return changed;
}

}  // namespace quillo
