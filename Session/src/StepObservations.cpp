// How the runner turns what a step did into transcript lines: the
// decisions on the keys, the fates of key events, the changes between the
// snapshots before and after the step, the open status menu and the status
// item's look.
#include <algorithm>
#include <cstdio>
#include <sstream>

#include "MailMenu.hpp"
#include "Platform/KeyCodes.hpp"
#include "Session/ScenarioRunner.hpp"
#include "Simulator/USKeyboard.hpp"
#include "StepForms.hpp"

namespace quillo::simulated {

using namespace steps;

ScenarioRunner::Snapshot ScenarioRunner::snapshot() const {
  const auto& workspace = mac_.workspace();
  return {MailState::of(mac_),
          host_.status(),
          statusItemLook(),
          host_.panelLines().has_value(),
          host_.pickerLines().has_value(),
          mac_.windowServer().eventsLogged(),
          mac_.permissions.prompts.size(),
          workspace.openedURLs.size(),
          workspace.openedFiles.size(),
          workspace.revealedFiles.size(),
          host_.alertCount()};
}

void ScenarioRunner::addDecisions(std::vector<std::string>& out) const {
  // One line per key-down; typed text in one line that counts the
  // decisions, so a reader sees at once whether any key acted.
  if (typingStep_ && !decisions_.empty()) {
    std::vector<std::pair<std::string, int>> counts;
    bool acted = false;
    for (const auto& decided : decisions_) {
      acted = acted || !decided.decision.starts_with("passThrough");
      auto found = std::find_if(counts.begin(), counts.end(),
                                [&](const auto& c) { return c.first == decided.decision; });
      if (found == counts.end()) {
        counts.emplace_back(decided.decision, 1);
      } else {
        ++found->second;
      }
    }
    std::string summary;
    for (const auto& [decision, count] : counts) {
      summary += (summary.empty() ? "" : ", ") + std::to_string(count) + " " + decision;
    }
    out.push_back(std::to_string(decisions_.size()) + (acted ? " keys: " : " keys passed: ") +
                  summary);
    return;
  }
  for (std::size_t i = 0; i < decisions_.size();) {
    std::size_t same = i + 1;
    while (!singleKeyStep_ && same < decisions_.size() &&
           decisions_[same].decision == decisions_[i].decision) {
      ++same;
    }
    out.push_back(same - i > 1 ? std::to_string(same - i) + " keys: " + decisions_[i].decision
                               : decisions_[i].key + ": " + decisions_[i].decision);
    i = same;
  }
}

void ScenarioRunner::addKeyEvents(const Snapshot& before, std::vector<std::string>& out) {
  const auto& server = mac_.windowServer();
  // What became of the typed key events, for single presses.
  std::vector<std::string> fates;
  std::vector<std::pair<std::string, std::vector<std::string>>> posted;  // by target
  for (std::uint64_t i = before.events; i < server.eventsLogged(); ++i) {
    const auto* logged = server.loggedEvent(i);
    if (!logged) continue;  // no longer kept: a step of very many keys
    const auto& event = *logged;
    std::string name = sim::USKeyboard::keyName(event.keyCode) +
                       (event.type == platform::EventType::keyDown ? " key-down" : " key-up");
    if (event.posted) {
      if (eventDetails_) name += " " + details(event);
      const std::string target = targetName(event.targetPID);
      if (posted.empty() || posted.back().first != target) posted.push_back({target, {}});
      posted.back().second.push_back(std::move(name));
    } else if (singleKeyStep_) {
      fates.push_back(name + (event.deliveredTo ? " passed" : " swallowed"));
    }
  }
  if (!fates.empty()) out.push_back("keys: " + joined(fates, 0, fates.size(), ", "));
  if (timing_) {
    const auto ms = [](platform::Duration d) {
      return std::to_string(static_cast<long long>(d.count() * 1000 + 0.5)) + " ms";
    };
    platform::Duration held{0};
    for (std::uint64_t i = before.events; i < server.eventsLogged(); ++i) {
      if (const auto* logged = server.loggedEvent(i); logged && !logged->posted)
        held = std::max(held, logged->held);
    }
    const auto turn = loop_.takeLongestTurn();
    out.push_back("timing: keys held at most " + ms(held) +
                  (turn ? ", longest turn " + ms(*turn) : std::string()));
  }
  // The actions performed come between the keys the user typed and the
  // keys Quillo posted to carry them out.
  for (const auto& outcome : outcomes_)
    out.push_back(outcome);
  for (const auto& [target, events] : posted)
    out.push_back("posted to " + target + ": " + joined(events, 0, events.size(), ", "));
}

void ScenarioRunner::addChanges(const Snapshot& before, const Snapshot& after,
                                std::vector<std::string>& out) const {
  for (auto& change : MailState::changes(before.mail, after.mail))
    out.push_back(std::move(change));
  if (before.mail.front != after.mail.front) out.push_back("front: " + after.mail.front);
  if (after.status != before.status && after.status) out.push_back("status: " + *after.status);
  if (auto change = lookChange(before.look, after.look)) out.push_back(std::move(*change));
  for (const auto& line : shownMenu_)
    out.push_back(line);
  if (after.panelOpen != before.panelOpen) {
    const std::string why = after.panelOpen ? std::string() : host_.panelCloseReason();
    out.push_back(after.panelOpen ? "panel: opened"
                                  : "panel: closed" + (why.empty() ? "" : " \u2014 " + why));
  }
  for (const auto& line : panelReadout_)
    out.push_back("panel | " + line);
  if (after.pickerOpen != before.pickerOpen) {
    const std::string why = after.pickerOpen ? std::string() : host_.pickerCloseReason();
    out.push_back(after.pickerOpen ? "picker: opened"
                                   : "picker: closed" + (why.empty() ? "" : " \u2014 " + why));
  }
  for (const auto& line : pickerReadout_)
    out.push_back("picker | " + line);
  const auto& prompts = mac_.permissions.prompts;
  for (std::size_t i = before.prompts; i < after.prompts; ++i)
    out.push_back("system asks for " + prompts[i]);
  const auto& workspace = mac_.workspace();
  for (std::size_t i = before.openedURLs; i < after.openedURLs; ++i)
    out.push_back("opened " + workspace.openedURLs[i]);
  for (std::size_t i = before.openedFiles; i < after.openedFiles; ++i)
    out.push_back("opened the file " + workspace.openedFiles[i]);
  for (std::size_t i = before.revealedFiles; i < after.revealedFiles; ++i)
    out.push_back("revealed in Finder: " + workspace.revealedFiles[i]);
  if (after.alerts > before.alerts) {
    for (const auto& line : host_.alertLines(before.alerts))
      out.push_back("alert: " + line);
  }
}

std::string ScenarioRunner::targetName(pid_t pid) const {
  const sim::SimApp* app = mac_.app(pid);
  return app ? app->name() : "pid " + std::to_string(pid);
}

std::string ScenarioRunner::details(const sim::WindowServer::LoggedEvent& event) {
  namespace Flags = platform::EventFlags;
  constexpr std::pair<std::uint64_t, const char*> kNames[] = {
      {Flags::alphaShift, "caps-lock"},
      {Flags::shift, "shift"},
      {Flags::control, "ctrl"},
      {Flags::alternate, "alt"},
      {Flags::command, "cmd"},
      {Flags::numericPad, "numpad"},
      {Flags::help, "help"},
      {Flags::secondaryFn, "fn"},
  };
  std::string flags;
  std::uint64_t rest = event.flags;
  for (const auto& [bit, name] : kNames) {
    if (!(event.flags & bit)) continue;
    flags += (flags.empty() ? "" : "+") + std::string(name);
    rest &= ~bit;
  }
  char hex[32];
  if (rest != 0) {
    std::snprintf(hex, sizeof hex, "0x%llX", static_cast<unsigned long long>(rest));
    flags += (flags.empty() ? "" : "+") + std::string(hex);
  }
  std::snprintf(hex, sizeof hex, "0x%llX", static_cast<unsigned long long>(event.userData));
  const std::string userData = event.userData == ownEventMarker ? std::string("Quillo's marker")
                                                                : "user data " + std::string(hex);
  return "[flags " + (flags.empty() ? std::string("none") : flags) + ", " + userData + ", " +
         (event.deliveredTo ? "arrived" : "dropped") + "]";
}

namespace {

void addMenuLines(const std::vector<platform::MenuItem>& items, const std::string& indent,
                  std::vector<std::string>& lines, std::vector<std::string>* plain) {
  for (const auto& item : items) {
    using Kind = platform::MenuItem::Kind;
    if (item.kind == Kind::separator) {
      lines.push_back(indent + "---");
      continue;
    }
    if (item.kind == Kind::sectionHeader) {
      lines.push_back(indent + "== " + item.title + " ==");
      continue;
    }
    std::string marks;
    if (item.checked) marks += "✓ ";
    if (item.symbol == "exclamationmark.triangle") {
      marks += "⚠ ";
    } else if (item.symbol == "checkmark.circle") {
      marks += "☑ ";
    } else if (!item.symbol.empty()) {
      marks += "[" + item.symbol + "] ";
    }
    if (plain) plain->push_back(marks + item.title);
    std::string line = indent;
    for (int level = 0; level < item.indentationLevel; ++level)
      line += "  ";
    const bool enabled = item.action || !item.submenu.empty();
    line += marks + (enabled ? item.title : "(" + item.title + ")");
    if (!item.submenu.empty()) line += " ›";
    if (!item.keyEquivalent.empty()) {
      std::string key = item.keyEquivalent;
      for (char& c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      line += "  ⌘" + key;
    }
    lines.push_back(std::move(line));
    addMenuLines(item.submenu, indent + "  ", lines, plain);
  }
}

}  // namespace

std::vector<std::string> ScenarioRunner::menuLines(std::vector<std::string>* plain) const {
  const auto* items = mac_.statusItem().openMenu();
  if (!items) throw StepFailure("no status menu is open");
  std::vector<std::string> lines;
  addMenuLines(*items, "", lines, plain);
  return lines;
}

ScenarioRunner::StatusItemLook ScenarioRunner::statusItemLook() const {
  const auto& item = mac_.statusItem();
  return {item.symbol(), item.accessibilityDescription(), item.dimmed(), item.alpha(),
          item.toolTip()};
}

std::optional<std::string> ScenarioRunner::lookChange(const StatusItemLook& before,
                                                      const StatusItemLook& after) {
  // Only what changed: a Quillo that never touches its status item adds
  // nothing to a transcript.
  std::vector<std::string> parts;
  if (after.symbol != before.symbol || after.description != before.description) {
    const std::string image = after.symbol.empty()                         ? "icon"
                              : after.symbol == "exclamationmark.triangle" ? "⚠"
                                                                           : after.symbol;
    parts.push_back(image + " " + inQuotes(after.description));
  }
  if (after.dimmed != before.dimmed) parts.push_back(after.dimmed ? "dimmed" : "not dimmed");
  if (after.alpha != before.alpha) {
    std::ostringstream alpha;
    alpha << "alpha " << after.alpha;
    parts.push_back(alpha.str());
  }
  if (after.toolTip != before.toolTip) parts.push_back("tool tip " + inQuotes(after.toolTip));
  if (parts.empty()) return std::nullopt;
  return "status item: " + joined(parts, 0, parts.size(), ", ");
}

}  // namespace quillo::simulated
