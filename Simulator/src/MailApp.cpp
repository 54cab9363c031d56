// The simulated Mail as the Mac sees it: starting up, the windows and focus
// it reports to accessibility, and where a key that reaches it goes.
#include "Simulator/MailApp.hpp"

#include <algorithm>

#include "MailWindow.hpp"
#include "Simulator/SimulatedMac.hpp"
#include "Simulator/USKeyboard.hpp"

namespace quillo::sim {

using platform::Event;
using platform::EventField;
namespace Flags = platform::EventFlags;
namespace Key = USKeyboard::KeyCode;

MailApp::MailApp(SimulatedMac& mac, pid_t pid, std::shared_ptr<MailStore> store,
                 MailVariant variant)
    : SimApp(mac, pid, SimulatedMac::mailBundleID, "Mail"),
      store_(std::move(store)),
      variant_(std::move(variant)) {
  latency = variant_.latency;
  buildMenus();
  openWindow(makeViewer());
  const auto& inbox = store_->mailboxes.at("Inbox");
  if (!inbox.empty()) selectedID_ = inbox.front().id;
  refreshTable();
  setMenusLag(variant_.lagMenus);
}

MailApp::~MailApp() = default;

std::shared_ptr<AXNode> MailApp::focusedElement() const {
  const auto window = keyWindow();
  if (window && variant_.focus == MailVariant::Focus::onWindow) return window->root;
  return window ? window->focus.lock() : nullptr;
}

std::shared_ptr<AXNode> MailApp::focusedWindow() const {
  const auto window = keyWindow();
  return window ? window->root : nullptr;
}

std::vector<std::shared_ptr<AXNode>> MailApp::windows() const {
  std::vector<std::shared_ptr<AXNode>> roots;
  for (const auto& window : windows_)
    roots.push_back(window->root);
  return roots;
}

void MailApp::keyDown(const Event& event) {
  const auto keyCode = event.integerValueField(EventField::keyboardEventKeycode);
  const auto window = keyWindow();
  // A sheet is modal: it takes Return and Esc, and nothing else gets through.
  if (window && window->sheet) {
    if (keyCode == Key::escape) dismissSheet(false);
    if (keyCode == Key::returnKey || keyCode == Key::keypadEnter) dismissSheet(true);
    return;
  }
  if (performKeyEquivalent(event)) return;
  if (window && window->popover) {
    if (keyCode == Key::escape) dismissPopover(false);
    if (keyCode == Key::returnKey) dismissPopover(true);
    return;
  }
  const auto focused = focusedElement();
  if (!window || !focused) return;
  if (focused->editable) {
    const bool shift = event.flags() & Flags::shift;
    if (keyCode == Key::tab && window->kind == WindowKind::compose) {
      const std::vector<std::shared_ptr<AXNode>> order{window->to, window->subject, window->body};
      const auto at = std::find(order.begin(), order.end(), focused) - order.begin();
      window->focus = order[static_cast<std::size_t>((at + (shift ? 2 : 1)) % 3)];
      return;
    }
    if (focused == window->searchField && (keyCode == Key::escape || keyCode == Key::tab)) {
      if (keyCode == Key::escape) focused->value = "";
      window->focus = window->table;
      return;
    }
    if (keyCode == Key::returnKey && focused == window->body) {
      *focused->value += "\n";
      return;
    }
    typeIntoFocusedElement(event);
    return;
  }
  if (focused == window->table) {
    if (keyCode == Key::down) moveSelection(1);
    if (keyCode == Key::up) moveSelection(-1);
    if (keyCode == Key::deleteKey && !(event.flags() & (Flags::command | Flags::control))) {
      deleteTarget();
    }
  }
}

}  // namespace quillo::sim
