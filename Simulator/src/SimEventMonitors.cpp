#include "Simulator/SimEventMonitors.hpp"

#include <utility>
#include <vector>

#include "Platform/KeyCodes.hpp"
#include "Platform/Text.hpp"
#include "Simulator/USKeyboard.hpp"

namespace quillo::sim {

namespace {

using platform::MonitoredEvent;

class Token final : public platform::EventMonitorToken {
 public:
  explicit Token(std::function<void()> remove) : remove_(std::move(remove)) {}
  ~Token() override { remove_(); }

 private:
  std::function<void()> remove_;
};

/// The flags NSEvent reports: the device-independent modifier bits only.
std::uint64_t deviceIndependent(std::uint64_t flags) {
  namespace Flags = platform::EventFlags;
  return flags & (Flags::alphaShift | Flags::shift | Flags::control | Flags::alternate |
                  Flags::command | Flags::numericPad | Flags::help | Flags::secondaryFn);
}

}  // namespace

SimEventMonitors::SimEventMonitors(SimulatedMac& mac, pid_t pid) : mac_(mac), pid_(pid) {
  mac_.windowServer().setKeyReceiver(pid_, [this](const platform::Event& event) {
    if (event.type() != platform::EventType::keyDown) return true;
    MonitoredEvent seen;
    seen.type = MonitoredEvent::Type::keyDown;
    seen.keyCode = static_cast<std::uint16_t>(
        event.integerValueField(platform::EventField::keyboardEventKeycode));
    seen.modifierFlags = deviceIndependent(event.flags());
    seen.characters = platform::text::utf8(event.keyboardUnicodeString(4));
    // As if no modifier but shift were held, as charactersIgnoringModifiers.
    seen.charactersIgnoringModifiers = platform::text::utf8(
        USKeyboard::eventCharacters(seen.keyCode, event.flags() & platform::EventFlags::shift));
    seen.window = platform::EventWindow::panel;
    return throughLocal(seen);
  });
  mouseWatcher_ = mac_.windowServer().addMouseDownWatcher([this](pid_t target) {
    if (target == pid_) return;
    MonitoredEvent click;
    click.type = MonitoredEvent::Type::leftMouseDown;
    click.modifierFlags = modifierFlags;
    const auto globals = monitors_->global;
    for (const auto& [id, handler] : globals) {
      if (monitors_->global.contains(id)) (*handler)(click);
    }
  });
}

SimEventMonitors::~SimEventMonitors() {
  mac_.windowServer().removeMouseDownWatcher(mouseWatcher_);
  mac_.windowServer().setKeyReceiver(pid_, nullptr);
}

std::unique_ptr<platform::EventMonitorToken> SimEventMonitors::addGlobalMouseDownMonitor(
    std::function<void(const MonitoredEvent&)> handler) {
  const std::uint64_t id = monitors_->next++;
  monitors_->global[id] = std::make_shared<Global>(std::move(handler));
  return std::make_unique<Token>([weak = std::weak_ptr(monitors_), id] {
    if (auto monitors = weak.lock()) monitors->global.erase(id);
  });
}

std::unique_ptr<platform::EventMonitorToken> SimEventMonitors::addLocalMonitor(
    std::function<bool(const MonitoredEvent&)> handler) {
  const std::uint64_t id = monitors_->next++;
  monitors_->local[id] = std::make_shared<Local>(std::move(handler));
  return std::make_unique<Token>([weak = std::weak_ptr(monitors_), id] {
    if (auto monitors = weak.lock()) monitors->local.erase(id);
  });
}

bool SimEventMonitors::mouseDownInOwnWindow(platform::EventWindow window,
                                            std::optional<std::uint64_t> flags) {
  MonitoredEvent click;
  click.type = MonitoredEvent::Type::leftMouseDown;
  click.modifierFlags = flags.value_or(modifierFlags);
  click.window = window;
  return throughLocal(click);
}

bool SimEventMonitors::throughLocal(const MonitoredEvent& event) {
  // Newest first, as AppKit calls them; a swallowed event goes no further.
  const auto locals = monitors_->local;
  for (auto it = locals.rbegin(); it != locals.rend(); ++it) {
    if (!monitors_->local.contains(it->first)) continue;
    if (!(*it->second)(event)) return false;
  }
  return true;
}

}  // namespace quillo::sim
