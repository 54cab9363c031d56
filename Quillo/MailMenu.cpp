#include "MailMenu.hpp"

#include "AXReading.hpp"
#include "MailMenuSnapshot.hpp"
#include "QuilloCore/CheatSheet.hpp"
#include "QuilloCore/FocusSnapshot.hpp"
#include "QuilloCore/Keymap.hpp"

namespace quillo {

using platform::AXError;
using platform::AXUIElement;
using platform::Event;
using platform::EventField;
using NamedKey = KeyToken::NamedKey;

// MARK: - Menu nodes

std::optional<std::string> AXMenuNode::title() const {
  return ax::string(*ax_, element_, "AXTitle");
}

std::vector<AXMenuNode> AXMenuNode::children() const {
  std::vector<AXMenuNode> items;
  for (const AXUIElement& menu : ax::elements(*ax_, element_, "AXChildren")) {
    for (const AXUIElement& item : ax::elements(*ax_, menu, "AXChildren"))
      items.emplace_back(item, *ax_);
  }
  return items;
}

std::vector<AXMenuNode> menuBarItems(platform::Accessibility& ax, pid_t pid) {
  const AXUIElement app = ax.createApplication(pid);
  const auto menuBar = ax::element(ax, app, "AXMenuBar");
  if (!menuBar) return {};
  std::vector<AXMenuNode> items;
  const auto children = ax::elements(ax, *menuBar, "AXChildren");
  for (std::size_t i = 1; i < children.size(); ++i)
    items.emplace_back(children[i], ax);  // no Apple menu
  return items;
}

// MARK: - Action executor

namespace {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

std::string ActionOutcome::description() const {
  return std::visit(
      Overloaded{
          [](const Pressed& pressed) { return "pressed " + MenuResolver::pathText(pressed.path); },
          [](const Disabled& disabled) {
            return MenuResolver::pathText(disabled.path) + " is disabled";
          },
          [](const Unconfirmed& unconfirmed) {
            return "pressed " + MenuResolver::pathText(unconfirmed.path) +
                   ", unconfirmed: Mail didn't answer in time (AXPress returned " +
                   std::to_string(static_cast<int>(unconfirmed.error)) + ")";
          },
          [](const Posted& posted) { return "posted " + std::string(rawValue(posted.key)); },
          [](const Failed& failed) { return "failed: " + failed.message; },
          [](const Unavailable&) {
            return std::string("no matching menu item and no fallback key");
          },
          [](const DoneByQuillo& done) { return done.what; },
      },
      value);
}

namespace {

struct FallbackKey {
  std::uint16_t keyCode;
  std::uint64_t flags;
};

FallbackKey fallbackKey(NamedKey key) {
  namespace KeyCode = platform::KeyCode;
  constexpr std::uint64_t kArrow =
      platform::EventFlags::secondaryFn | platform::EventFlags::numericPad;
  switch (key) {
    case NamedKey::return_:
      return {KeyCode::returnKey, 0};
    case NamedKey::enter:
      return {KeyCode::keypadEnter, 0};
    case NamedKey::tab:
      return {KeyCode::tab, 0};
    case NamedKey::space:
      return {KeyCode::space, 0};
    case NamedKey::escape:
      return {KeyCode::escape, 0};
    case NamedKey::delete_:
      return {KeyCode::deleteKey, 0};
    case NamedKey::up:
      return {KeyCode::up, kArrow};
    case NamedKey::down:
      return {KeyCode::down, kArrow};
    case NamedKey::left:
      return {KeyCode::left, kArrow};
    case NamedKey::right:
      return {KeyCode::right, kArrow};
  }
  return {0, 0};
}

}  // namespace

std::optional<ActionExecutor::Found> ActionExecutor::find(ActionID action, const ActionSpec& spec,
                                                          pid_t pid) {
  if (spec.menu.empty()) return std::nullopt;  // no menu route: the cache is not involved
  if (const auto cached = resolved_.find(action); cached != resolved_.end()) {
    const Resolved& entry = cached->second;
    if (entry.pid == pid && !entry.path.empty()) {
      // Still the same item? Mail may have relaunched or retitled it, or
      // the user may have moved its key equivalent.
      if (entry.keyEquivalent) {
        if (readKeyEquivalent(ax_, entry.node.element()) == entry.keyEquivalent)
          return Found{entry.node.element(), entry.path};
      } else {
        const auto title = entry.node.title();
        if (title && MenuResolver::titleMatches(*title, entry.path.back())) {
          return Found{entry.node.element(), entry.path};
        }
      }
      if (ax_.ranOut()) return std::nullopt;
    }
  }
  // From here on, a walk that time cut short changes nothing: it is walked
  // again, from the answers remembered, in the next turn.
  const std::vector<AXMenuNode> menus = menuBarItems(ax_, pid);
  for (const MenuPath& path : spec.menu) {
    auto node = MenuResolver::resolve(path, menus, anywhereDepth);
    if (ax_.ranOut()) return std::nullopt;
    if (node) {
      const AXUIElement element = node->element();
      resolved_.insert_or_assign(action, Resolved{pid, std::move(*node), path, std::nullopt});
      return Found{element, path};
    }
  }
  // No title matched: Mail may run in another language. Its key
  // equivalents are the same in every language (menus unreadable: no walk).
  if (!menus.empty()) {
    if (auto found = findByKeyEquivalent(action, pid)) return found;
    if (ax_.ranOut()) return std::nullopt;
  }
  resolved_.erase(action);
  return std::nullopt;
}

std::optional<ActionExecutor::Found> ActionExecutor::findByKeyEquivalent(ActionID action,
                                                                         pid_t pid) {
  const auto chord = MenuKeyEquivalents::ownKeyEquivalent(action);
  if (!chord) return std::nullopt;
  const auto search = [&](const std::vector<MailMenuItem>& menus) {
    return MenuKeyEquivalents::carriers(menus, *chord, anywhereDepth);
  };
  const std::vector<MailMenuItem>* known = menusRead_ ? menusRead_(pid) : nullptr;
  auto carriers = known ? search(*known) : decltype(search(*known)){};
  // An item found in an earlier reading must still carry the key.
  if (known && carriers.size() == 1 &&
      readKeyEquivalent(ax_, carriers.front().node.element) != chord) {
    known = nullptr;
  }
  if (ax_.ranOut()) return std::nullopt;
  std::optional<MailMenuReader> reader;
  if (!known) {
    reader.emplace(ax_, pid, MailMenuReader::Limits{});
    reader->readAll();
    if (ax_.ranOut()) return std::nullopt;
    carriers = search(reader->menus());
  }
  // Two items with the same key: the user gave one of them Mail's shortcut
  // in App Shortcuts, and pressing either could be the wrong command.
  if (carriers.size() != 1) return std::nullopt;
  auto& carrier = carriers.front();
  resolved_.insert_or_assign(
      action, Resolved{pid, AXMenuNode(carrier.node.element, ax_), carrier.path, chord});
  const auto said = announced_.find(action);
  if (onFoundByKeyEquivalent_ && (said == announced_.end() || said->second != pid)) {
    announced_.insert_or_assign(action, pid);
    onFoundByKeyEquivalent_(std::string(rawValue(action)) + ": found " +
                            MenuResolver::pathText(carrier.path) + " by its key equivalent " +
                            chord->displayString());
  }
  return Found{carrier.node.element, std::move(carrier.path)};
}

void ActionExecutor::perform(ActionID action, const ActionSpec& spec, pid_t pid, Done done) {
  jobs_.push_back(Job{action, spec, pid, std::move(done), std::nullopt});
  // Called from posted work: the first action starts in this very turn.
  if (jobs_.size() == 1 && !turnPosted_) turn();
}

void ActionExecutor::press(ActionID action, platform::AXUIElement item, MenuPath path, pid_t pid,
                           Done done) {
  jobs_.push_back(
      Job{action, ActionSpec{}, pid, std::move(done), Found{std::move(item), std::move(path)}});
  if (jobs_.size() == 1 && !turnPosted_) turn();
}

ActionOutcome ActionExecutor::perform(ActionID action, const ActionSpec& spec, pid_t pid) {
  ax_.unbounded();
  ax_.setRemembering(false);
  return *attempt(action, spec, pid);  // without a budget nothing runs out
}

void ActionExecutor::postTurn() {
  turnPosted_ = true;
  inLaterTurn(loop_, [weak = lifeline_.weak()] {
    if (auto* self = Lifeline<ActionExecutor>::lock(weak)) self->turn();
  });
}

void ActionExecutor::turn() {
  turnPosted_ = false;
  if (jobs_.empty()) return;
  ax_.begin(mainLoopTurnBudget);
  ax_.setRemembering(true);
  const Job& job = jobs_.front();
  const auto outcome =
      job.item ? pressFound(*job.item, true) : attempt(job.action, job.spec, job.pid);
  ax_.setRemembering(false);
  ax_.end();
  if (!outcome) {
    postTurn();  // key events first; then on from where it stopped
    return;
  }
  ax_.forget();
  const Job done = std::move(jobs_.front());
  jobs_.pop_front();
  if (!jobs_.empty()) postTurn();
  if (done.done) done.done(*outcome);
}

std::optional<ActionOutcome> ActionExecutor::attempt(ActionID action, const ActionSpec& spec,
                                                     pid_t pid) {
  if (isDoneByQuillo(action)) {
    if (!onDoneByQuillo_) return ActionOutcome::Failed{"nothing in Quillo carries it out"};
    return ActionOutcome::DoneByQuillo{onDoneByQuillo_(action)};
  }
  const auto found = find(action, spec, pid);
  if (ax_.ranOut()) return std::nullopt;
  if (found) return pressFound(*found, false);
  if (!spec.key) return ActionOutcome::Unavailable{};
  return post(*spec.key, pid);
}

std::optional<ActionOutcome> ActionExecutor::pressFound(const Found& found, bool readEarlier) {
  const auto enabled = ax::boolean(ax_, found.element, "AXEnabled");
  if (ax_.ranOut()) return std::nullopt;
  // An item read earlier that answers nothing now was taken away by Mail
  // (it rebuilt the menu, or quit).
  if (readEarlier && !enabled) return ActionOutcome::Failed{"the menu item is gone"};
  if (enabled != true) return ActionOutcome::Disabled{found.path};
  // A press cannot be taken back and made again: it waits for a turn
  // with time enough to be answered.
  if (!ax_.affords(pressTime)) return std::nullopt;
  const AXError result = ax_.performAction(found.element, "AXPress");
  if (result == AXError::success) return ActionOutcome::Pressed{found.path};
  // kAXErrorCannotComplete: Mail did not answer before the time-out. The
  // press reached it; a command that runs a modal sheet answers only when
  // the sheet is gone.
  if (result == AXError::cannotComplete) return ActionOutcome::Unconfirmed{found.path, result};
  return ActionOutcome::Failed{"AXPress returned " + std::to_string(static_cast<int>(result))};
}

ActionOutcome ActionExecutor::post(NamedKey key, pid_t pid) {
  const auto failed = [key] {
    return ActionOutcome::Failed{"couldn't create the " + std::string(rawValue(key)) +
                                 " key event"};
  };
  const auto source = events_.eventSourceCreate(platform::EventSourceStateID::privateState);
  if (!source) return failed();
  events_.eventSourceSetUserData(*source, ownEventMarker);
  const FallbackKey fallback = fallbackKey(key);
  auto down = events_.createKeyboardEvent(source->get(), fallback.keyCode, true);
  auto up = events_.createKeyboardEvent(source->get(), fallback.keyCode, false);
  if (!down || !up) return failed();
  for (Event* event : {&*down, &*up}) {
    event->setFlags(fallback.flags);  // set explicitly, whatever is held now
    event->setIntegerValueField(EventField::eventSourceUserData, ownEventMarker);
    events_.postToPid(pid, *event);
  }
  return ActionOutcome::Posted{key};
}

// MARK: - Menu and window diagnostics

std::string elementLabel(platform::Accessibility& ax, const AXUIElement& element) {
  const ax::ElementDetails details = ax::details(ax, element);
  return ElementInfo{details.role, details.subrole, details.identifier}.label();
}

namespace {

constexpr const char* kNoMenuBar = "Couldn't read Mail's menu bar (Accessibility permission?)";

std::string enabledText(platform::Accessibility& ax, const AXUIElement& element) {
  return ax::boolean(ax, element, "AXEnabled") == true ? "enabled" : "disabled";
}

}  // namespace

std::vector<std::string> menuCheckLines(platform::Accessibility& ax, pid_t pid,
                                        const Keymap& keymap) {
  const std::vector<AXMenuNode> menus = menuBarItems(ax, pid);
  if (menus.empty()) return {kNoMenuBar};
  std::vector<std::string> lines;
  std::optional<MailMenuReader> snapshot;  // read once, when a path fails
  for (ActionID action : keymap.allActions()) {
    const ActionSpec* spec = keymap.spec(action);
    std::string line(keymap.actionName(action));
    // The picker's actions have menu paths too: to the menu it lists.
    if (action == ActionID::showShortcuts) {
      lines.push_back(line + ": done by Quillo, not in Mail's menus");
      continue;
    }
    if (!spec) {
      lines.push_back(line + ": no spec");
      continue;
    }
    std::vector<std::string> parts;
    bool resolved = false;
    for (const MenuPath& path : spec->menu) {
      std::string part = MenuResolver::pathText(path);
      if (const auto node = MenuResolver::resolve(path, menus, ActionExecutor::anywhereDepth)) {
        part += " \u2713 " + enabledText(ax, node->element());
        resolved = true;
      } else {
        part += " \u2717";
      }
      parts.push_back(std::move(part));
    }
    if (!resolved && !spec->menu.empty()) {
      if (const auto chord = MenuKeyEquivalents::ownKeyEquivalent(action)) {
        if (!snapshot) {
          snapshot.emplace(ax, pid, MailMenuReader::Limits{});
          snapshot->readAll();
        }
        const auto carriers =
            MenuKeyEquivalents::carriers(snapshot->menus(), *chord, ActionExecutor::anywhereDepth);
        std::string part = chord->displayString();
        if (carriers.size() == 1) {
          part += ": " + MenuResolver::pathText(carriers.front().path) + " \u2713 " +
                  enabledText(ax, carriers.front().node.element) + " (found by its key equivalent)";
        } else if (carriers.empty()) {
          part += " \u2717 (no menu item has it)";
        } else {
          part += " \u2717 (on " + std::to_string(carriers.size()) + " menu items:";
          for (std::size_t i = 0; i < carriers.size(); ++i)
            part += (i ? ", " : " ") + MenuResolver::pathText(carriers[i].path);
          part += ")";
        }
        parts.push_back(std::move(part));
      } else if (MenuKeyEquivalents::sharesOwnShortcut(action)) {
        parts.push_back(CheatSheet::macOwnShortcuts()[static_cast<std::size_t>(action)]
                            .keys.front()
                            .displayString() +
                        " not tried (Mail gives it to two commands)");
      }
    }
    if (spec->key) parts.push_back("key " + std::string(rawValue(*spec->key)));
    line += ": ";
    for (std::size_t i = 0; i < parts.size(); ++i)
      line += (i ? "; " : "") + parts[i];
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> menuStructureLines(platform::Accessibility& ax, pid_t pid) {
  const std::vector<AXMenuNode> menus = menuBarItems(ax, pid);
  if (menus.empty()) return {kNoMenuBar};
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < menus.size(); ++i) {
    const std::string title = menus[i].title().value_or("?");
    if (i + 2 == menus.size() || title == "Window") {
      lines.push_back(title + " (skipped: lists open windows)");
      continue;
    }
    lines.push_back(title);
    for (const AXMenuNode& item : menus[i].children()) {
      const auto itemTitle = item.title();
      if (!itemTitle || itemTitle->empty()) continue;  // a separator
      lines.push_back("  " + *itemTitle +
                      (enabledText(ax, item.element()) == "enabled" ? "" : "  (disabled)"));
      if (*itemTitle != "Find" && *itemTitle != "Flag") continue;
      for (const AXMenuNode& subitem : item.children()) {
        const auto subtitle = subitem.title();
        if (subtitle && !subtitle->empty()) lines.push_back("    " + *subtitle);
      }
    }
  }
  return lines;
}

namespace {

constexpr int kMaximumDepth = 13;
constexpr int kMaximumElements = 2999;

void walk(platform::Accessibility& ax, const AXUIElement& element,
          const std::vector<std::string>& path, int depth, int& counter,
          std::vector<std::string>& lines) {
  if (depth > kMaximumDepth || counter > kMaximumElements) return;
  for (const AXUIElement& child : ax::elements(ax, element, "AXChildren")) {
    ++counter;
    const ax::ElementDetails details = ax::details(ax, child);
    std::vector<std::string> childPath = path;
    childPath.push_back(ElementInfo{details.role, details.subrole, details.identifier}.label());
    const std::string line = "  " + MenuResolver::pathText(childPath);
    const bool mailIdentifier = details.identifier && details.identifier->starts_with("Mail.");
    const std::string role = details.role.value_or("");
    if (role == "AXTable" || role == "AXOutline") {
      lines.push_back(line);
    } else if (role == "AXWebArea" || role == "AXTextArea" || role == "AXTextField") {
      if (mailIdentifier) lines.push_back(line);
    } else {
      if (mailIdentifier) lines.push_back(line);
      walk(ax, child, childPath, depth + 1, counter, lines);
    }
  }
}

}  // namespace

std::vector<std::string> windowStructureLines(platform::Accessibility& ax, pid_t pid) {
  platform::CFValue value;
  const AXUIElement app = ax.createApplication(pid);
  if (ax.copyAttributeValue(app, "AXWindows", value) != AXError::success ||
      !value.get<platform::CFValue::Array>()) {
    return {"Couldn't read Mail's windows (Accessibility permission?)"};
  }
  std::vector<std::string> lines;
  int number = 0;
  for (const auto& entry : *value.get<platform::CFValue::Array>()) {
    const auto* window = entry.get<AXUIElement>();
    if (!window) continue;
    lines.push_back("window " + std::to_string(++number) + ": " + elementLabel(ax, *window));
    std::string children;
    for (const AXUIElement& child : ax::elements(ax, *window, "AXChildren")) {
      children += (children.empty() ? "" : ", ") + elementLabel(ax, child);
    }
    lines.push_back("  direct children: " + children);
    int counter = 0;
    walk(ax, *window, {}, 0, counter, lines);
  }
  return lines;
}

void MenuDiagnostics::read(Reading reading) {
  readings_.push_back(std::move(reading));
  if (readings_.size() == 1 && !turnPosted_) turn();
}

void MenuDiagnostics::postTurn() {
  turnPosted_ = true;
  inLaterTurn(loop_, [weak = lifeline_.weak()] {
    if (auto* self = Lifeline<MenuDiagnostics>::lock(weak)) self->turn();
  });
}

void MenuDiagnostics::turn() {
  turnPosted_ = false;
  if (readings_.empty()) return;
  ax_.begin(mainLoopTurnBudget);
  ax_.setRemembering(true);
  const std::vector<std::string> lines = readings_.front()(ax_);
  ax_.setRemembering(false);
  ax_.end();
  if (ax_.ranOut()) {
    postTurn();  // key events first; then again, from memory and further
    return;
  }
  ax_.forget();
  readings_.pop_front();
  for (const auto& line : lines)
    log_.log(line, true);
  if (!readings_.empty()) postTurn();
}

void MenuDiagnostics::write(
    const std::string& name, std::optional<pid_t> mail, std::string header,
    std::function<std::vector<std::string>(platform::Accessibility&, pid_t)> lines) {
  if (!mail) {
    // In its place among the readings, not before those still going on.
    read([line = name + ": Mail isn't running"](auto&) { return std::vector<std::string>{line}; });
    return;
  }
  read([pid = *mail, header = std::move(header), lines = std::move(lines)](auto& ax) {
    std::vector<std::string> all{header};
    for (auto& line : lines(ax, pid))
      all.push_back("  " + std::move(line));
    return all;
  });
}

void MenuDiagnostics::menuCheck(std::optional<pid_t> mail, const Keymap& keymap) {
  write(
      "menu check", mail,
      mail ? "menu check (Mail pid " + std::to_string(*mail) + "):" : std::string(),
      [keymap](platform::Accessibility& ax, pid_t pid) { return menuCheckLines(ax, pid, keymap); });
}

void MenuDiagnostics::menuStructure(std::optional<pid_t> mail) {
  write("menu structure", mail, "Mail menu structure:", menuStructureLines);
}

void MenuDiagnostics::windowStructure(std::optional<pid_t> mail) {
  write("window structure", mail,
        "Mail window structure (tables and outlines):", windowStructureLines);
}

}  // namespace quillo
