#include "Simulator/WindowServer.hpp"

#include <algorithm>
#include <utility>

#include "Platform/Text.hpp"
#include "Simulator/SimulatedMac.hpp"
#include "Simulator/USKeyboard.hpp"

namespace quillo::sim {

using namespace platform;

struct WindowServer::Tap {
  std::uint64_t id = 0;
  EventTapOptions options = EventTapOptions::defaultTap;
  std::uint64_t mask = 0;
  EventTapCallBack callback = nullptr;
  void* userInfo = nullptr;
  bool enabled = true;  // a new tap is enabled
  bool inRunLoop = false;
  /// When the tap was last switched on. An event that arrived before went
  /// past it while it was off, however late its turn on the main loop comes.
  WallClock::time_point enabledSince;
};

namespace {

/// The US layout's 'uchr' data, as UCKeyTranslate reads it.
class USLayout final : public UnicodeKeyLayout {
 public:
  std::int32_t translate(std::uint16_t keyCode, std::uint16_t keyAction,
                         std::uint32_t modifierKeyState, std::uint32_t, std::uint32_t options,
                         std::uint32_t& deadKeyState, std::size_t maxLength,
                         std::u16string& characters) const override {
    constexpr std::int32_t paramErr = -50;
    if (keyAction != keyActionDown || maxLength == 0) return paramErr;
    const bool shift = modifierKeyState & KeyTranslateModifiers::shift;
    const bool option = modifierKeyState & KeyTranslateModifiers::option;
    const bool control = modifierKeyState & KeyTranslateModifiers::control;
    characters.clear();
    // Keys without a printing character translate to control characters.
    constexpr std::pair<std::uint16_t, char16_t> kControlKeys[] = {
        {USKeyboard::KeyCode::returnKey, u'\r'}, {USKeyboard::KeyCode::keypadEnter, 0x03},
        {USKeyboard::KeyCode::tab, u'\t'},       {USKeyboard::KeyCode::deleteKey, 0x08},
        {USKeyboard::KeyCode::escape, 0x1B},     {USKeyboard::KeyCode::left, 0x1C},
        {USKeyboard::KeyCode::right, 0x1D},      {USKeyboard::KeyCode::up, 0x1E},
        {USKeyboard::KeyCode::down, 0x1F},
    };
    for (const auto& [code, character] : kControlKeys) {
      if (code == keyCode) {
        characters.assign(1, character);
        return 0;
      }
    }
    auto typed = USKeyboard::layoutCharacter(keyCode, shift, option);
    if (!typed) {
      // Function keys translate to the function-key control character.
      if (!USKeyboard::eventCharacters(keyCode, 0).empty()) {
        characters.assign(1, char16_t{0x10});
        return 0;
      }
      return paramErr;
    }
    if (typed->empty() && !(options & keyTranslateNoDeadKeysMask)) {
      deadKeyState = 1;  // a dead key waits for the next key
      return 0;
    }
    if (control) {
      characters = USKeyboard::eventCharacters(keyCode, EventFlags::control);
    } else {
      characters = typed->empty() ? std::u16string(u"\u00B4") : *typed;
    }
    characters.resize(std::min(characters.size(), maxLength));
    return 0;
  }
};

std::string describeCharacters(const Event& event) {
  return platform::text::utf8(event.keyboardUnicodeString(8));
}

}  // namespace

WindowServer::WindowServer(SimulatedMac& mac) : mac_(mac) {}

WindowServer::~WindowServer() = default;

// MARK: - Taps

std::optional<MachPort> WindowServer::createTap(EventTapLocation, EventTapPlacement placement,
                                                EventTapOptions options,
                                                std::uint64_t eventsOfInterest,
                                                EventTapCallBack callback, void* userInfo) {
  auto tap = std::make_shared<Tap>();
  tap->id = nextHandle_++;
  tap->options = options;
  tap->mask = eventsOfInterest;
  tap->callback = callback;
  tap->userInfo = userInfo;
  tap->enabledSince = mac_.loop().now();
  if (!callback || refuseTaps || !tapMayListen(*tap)) return std::nullopt;
  if (placement == EventTapPlacement::headInsert) {
    taps_.insert(taps_.begin(), tap);
  } else {
    taps_.push_back(tap);
  }
  return MachPort{tap->id};
}

bool WindowServer::tapMayListen(const Tap& tap) const {
  const Permissions& granted = mac_.permissions;
  if (tap.options == EventTapOptions::listenOnly) return granted.inputMonitoring;
  return !granted.tapsRefused && granted.accessibility &&
         (!granted.tapNeedsInputMonitoring || granted.inputMonitoring);
}

WindowServer::Tap* WindowServer::tap(std::uint64_t id) const {
  for (const auto& tap : taps_) {
    if (tap->id == id) return tap.get();
  }
  return nullptr;
}

void WindowServer::tapEnable(MachPort port, bool enable) {
  Tap* found = tap(port.id);
  if (!found) return;
  if (enable && !found->enabled) found->enabledSince = mac_.loop().now();
  found->enabled = enable;
}

bool WindowServer::tapIsEnabled(MachPort port) const {
  const Tap* found = tap(port.id);
  return found && found->enabled;
}

RunLoopSource WindowServer::createRunLoopSource(MachPort tap) {
  const std::uint64_t id = nextHandle_++;
  sources_[id] = tap.id;
  return RunLoopSource{id};
}

void WindowServer::runLoopAddSource(RunLoopSource source) {
  const auto found = sources_.find(source.id);
  if (found == sources_.end()) return;
  if (Tap* attached = tap(found->second)) attached->inRunLoop = true;
}

void WindowServer::runLoopRemoveSource(RunLoopSource source) {
  const auto found = sources_.find(source.id);
  if (found == sources_.end()) return;
  if (Tap* attached = tap(found->second)) attached->inRunLoop = false;
}

void WindowServer::machPortInvalidate(MachPort port) {
  std::erase_if(taps_, [&](const auto& tap) { return tap->id == port.id; });
}

bool WindowServer::machPortIsValid(MachPort port) const {
  return tap(port.id) != nullptr;
}

void WindowServer::release(MachPort) {}

void WindowServer::release(RunLoopSource source) {
  sources_.erase(source.id);
}

std::size_t WindowServer::tapCount() const {
  return taps_.size();
}

std::size_t WindowServer::enabledTapCount() const {
  return static_cast<std::size_t>(
      std::count_if(taps_.begin(), taps_.end(), [](const auto& tap) { return tap->enabled; }));
}

// MARK: - Event sources and posting

std::optional<EventSource> WindowServer::createEventSource(EventSourceStateID) {
  if (eventCreationFails) return std::nullopt;
  const std::uint64_t id = nextHandle_++;
  eventSources_[id] = 0;
  return EventSource{id};
}

void WindowServer::eventSourceSetUserData(EventSource source, std::int64_t userData) {
  if (eventSources_.contains(source.id)) eventSources_[source.id] = userData;
}

void WindowServer::release(EventSource source) {
  eventSources_.erase(source.id);
}

std::optional<Event> WindowServer::createKeyboardEvent(std::optional<EventSource> source,
                                                       std::uint16_t keyCode, bool keyDown) {
  if (eventCreationFails) return std::nullopt;
  Event event(keyDown ? EventType::keyDown : EventType::keyUp);
  event.setIntegerValueField(EventField::keyboardEventKeycode, keyCode);
  event.setKeyboardUnicodeString(USKeyboard::eventCharacters(keyCode, 0));
  if (source) {
    const auto found = eventSources_.find(source->id);
    if (found != eventSources_.end()) {
      event.setIntegerValueField(EventField::eventSourceUserData, found->second);
    }
  }
  return event;
}

void WindowServer::postToPid(pid_t pid, const Event& event) {
  Event posted = event;
  posted.setIntegerValueField(EventField::eventTargetUnixProcessID, pid);
  mac_.loop().post([this, posted, arrived = mac_.loop().now()] { deliver(posted, true, arrived); });
}

bool WindowServer::preflightListenEventAccess() {
  return mac_.permissions.inputMonitoring;
}

bool WindowServer::requestListenEventAccess() {
  mac_.permissions.prompts.push_back("Input Monitoring");
  return mac_.permissions.inputMonitoring;
}

// MARK: - Keyboard

std::shared_ptr<const UnicodeKeyLayout> WindowServer::currentKeyboardLayout() const {
  static const auto layout = std::make_shared<const USLayout>();
  return layoutDataAvailable ? layout : nullptr;
}

Duration WindowServer::pressKey(std::uint16_t keyCode, std::uint64_t modifierFlags, int repeats,
                                Duration after) {
  const std::uint64_t flags = modifierFlags | USKeyboard::keyFlags(keyCode);
  // Each event happens at its own time, whatever the main loop is doing
  // then: a key typed while the application is busy waits for it, and that
  // wait counts toward the tap's time-out.
  const auto at = [&](Duration when, EventType type, bool autorepeat) {
    Event event(type);
    event.setFlags(flags);
    event.setIntegerValueField(EventField::keyboardEventKeycode, keyCode);
    event.setIntegerValueField(EventField::keyboardEventAutorepeat, autorepeat ? 1 : 0);
    event.setKeyboardUnicodeString(USKeyboard::eventCharacters(keyCode, flags));
    const auto arrives = mac_.loop().now() + std::chrono::duration_cast<WallClock::duration>(when);
    mac_.loop().schedule(when, [this, event, arrives] { deliver(event, false, arrives); });
  };
  at(after, EventType::keyDown, false);
  Duration released = after + keyPressTime;
  for (int i = 0; i < repeats; ++i) {
    const Duration repeat = after + keyRepeatDelay + i * keyRepeatInterval;
    at(repeat, EventType::keyDown, true);
    released = repeat + keyRepeatInterval / 2;
  }
  at(released, EventType::keyUp, false);
  return released;
}

const WindowServer::LoggedEvent* WindowServer::loggedEvent(std::uint64_t number) const {
  const std::uint64_t firstKept = eventsLogged_ - log.size();
  if (number < firstKept || number >= eventsLogged_) return nullptr;
  return &log[static_cast<std::size_t>(number - firstKept)];
}

void WindowServer::record(const LoggedEvent& entry) {
  ++eventsLogged_;
  log.push_back(entry);
  while (log.size() > keptEvents)
    log.pop_front();
}

void WindowServer::deliver(Event event, bool posted, WallClock::time_point arrived) {
  const EventType type = event.type();
  LoggedEvent entry{
      type,
      static_cast<std::uint16_t>(event.integerValueField(EventField::keyboardEventKeycode)),
      describeCharacters(event),
      event.flags(),
      event.integerValueField(EventField::eventSourceUserData),
      static_cast<pid_t>(event.integerValueField(EventField::eventTargetUnixProcessID)),
      event.integerValueField(EventField::keyboardEventAutorepeat) != 0,
      posted,
      std::nullopt,
      /*droppedByTap=*/false,
      Duration(0)};
  // How long the event has waited for its turn on the main loop: the taps'
  // callbacks run there, so a busy main thread keeps the event waiting.
  const Duration waited = mac_.loop().now() - arrived;
  // The session taps, in order; each may drop the event. Under secure
  // keyboard entry the system shows them nothing at all.
  const auto taps = isSecureEventInputEnabled() ? decltype(taps_){} : taps_;
  for (const auto& tap : taps) {
    const bool stillThere = std::find(taps_.begin(), taps_.end(), tap) != taps_.end();
    if (!stillThere || !tap->enabled || !tap->inRunLoop || !(tap->mask & eventMaskBit(type)) ||
        arrived < tap->enabledSince) {
      continue;
    }
    if (!tapMayListen(*tap)) {
      if (tap->options == EventTapOptions::listenOnly || !revokedTapsHoldEvents) continue;
      // An active tap whose process lost Accessibility is still handed the
      // event but cannot pass it on: the event is lost, and the system
      // disables the tap once it has waited the time-out for it.
      Event passed = event;
      tap->callback(nullptr, type, &passed, tap->userInfo);
      tap->enabled = false;
      tellDisabled(tap, EventType::tapDisabledByTimeout);
      entry.droppedByTap = true;
      entry.held = mac_.loop().now() - arrived;
      record(entry);
      return;
    }
    if (waited.count() > tapTimeout) {
      // The system stopped waiting for the busy tap long ago: it disabled
      // the tap and let the event through without asking it.
      tap->enabled = false;
      tellDisabled(tap, EventType::tapDisabledByTimeout);
      continue;
    }
    const auto started = mac_.loop().now();
    Event passed = event;
    Event* result = tap->callback(nullptr, type, &passed, tap->userInfo);
    const Duration took = mac_.loop().now() - started;
    if ((waited + took).count() > tapTimeout && tap->enabled) {
      // Too slow: the system gives up on the tap and lets the event through.
      tap->enabled = false;
      tellDisabled(tap, EventType::tapDisabledByTimeout);
      continue;
    }
    if (result == nullptr) {
      entry.droppedByTap = true;
      entry.held = mac_.loop().now() - arrived;
      record(entry);
      return;
    }
    event = *result;
  }
  const pid_t target = posted ? entry.targetPID : mac_.workspace().keyboardFocusPID().value_or(0);
  if (SimApp* app = mac_.app(target)) {
    entry.deliveredTo = target;
    entry.held = mac_.loop().now() - arrived;
    record(entry);
    // The process's own dispatch (its local monitors) sees the key first
    // and may keep it from its window.
    if (const auto receiver = keyReceivers_.find(target); receiver != keyReceivers_.end()) {
      const KeyReceiver receive = receiver->second;  // it may remove itself
      if (!receive(event)) return;
    }
    if (type == EventType::keyDown) app->keyDown(event);
    if (type == EventType::keyUp) app->keyUp(event);
    return;
  }
  entry.held = mac_.loop().now() - arrived;
  record(entry);
}

void WindowServer::setKeyReceiver(pid_t pid, KeyReceiver receiver) {
  if (receiver) {
    keyReceivers_[pid] = std::move(receiver);
  } else {
    keyReceivers_.erase(pid);
  }
}

std::uint64_t WindowServer::addMouseDownWatcher(MouseDownWatcher watcher) {
  const std::uint64_t id = nextWatcher_++;
  mouseWatchers_[id] = std::make_shared<MouseDownWatcher>(std::move(watcher));
  return id;
}

void WindowServer::removeMouseDownWatcher(std::uint64_t id) {
  mouseWatchers_.erase(id);
}

void WindowServer::mouseDown(pid_t target) {
  // The session taps that ask for mouse-downs see the click first; here
  // they only watch it (it reaches its window whatever they answer).
  const auto taps = taps_;
  for (const auto& tap : taps) {
    const bool stillThere = std::find(taps_.begin(), taps_.end(), tap) != taps_.end();
    if (!stillThere || !tap->enabled || !tap->inRunLoop ||
        !(tap->mask & eventMaskBit(EventType::leftMouseDown)) || !tapMayListen(*tap)) {
      continue;
    }
    Event click(EventType::leftMouseDown);
    tap->callback(nullptr, EventType::leftMouseDown, &click, tap->userInfo);
  }
  // The clicked window takes the keyboard from another process's panel.
  const auto panel = mac_.workspace().keyboardFocusPID();
  if (panel && *panel != target && mac_.workspace().frontmostPID() != panel)
    mac_.workspace().closePanel();
  // Watchers may come and go while they hear the click.
  std::vector<std::pair<std::uint64_t, std::shared_ptr<MouseDownWatcher>>> watchers(
      mouseWatchers_.begin(), mouseWatchers_.end());
  for (const auto& [id, watcher] : watchers) {
    if (mouseWatchers_.contains(id)) (*watcher)(target);
  }
}

void WindowServer::notifyDisabled(EventType reason) {
  for (const auto& tap : taps_) {
    if (!tap->enabled) continue;
    tap->enabled = false;
    tellDisabled(tap, reason);
  }
}

void WindowServer::tellDisabled(const std::shared_ptr<Tap>& tap, EventType reason) {
  // Told on the tap's run loop, later — and only while the tap still exists.
  mac_.loop().post([this, weak = std::weak_ptr<Tap>(tap), reason] {
    const auto alive = weak.lock();
    if (!alive || std::find(taps_.begin(), taps_.end(), alive) == taps_.end()) return;
    Event null(reason);
    alive->callback(nullptr, reason, &null, alive->userInfo);
  });
}

void WindowServer::disableTapsByTimeout() {
  notifyDisabled(EventType::tapDisabledByTimeout);
}

void WindowServer::disableTapsByUserInput() {
  notifyDisabled(EventType::tapDisabledByUserInput);
}

void WindowServer::invalidateTapPorts() {
  taps_.clear();
}

// MARK: - Secure keyboard entry

void WindowServer::enableSecureEventInput(pid_t pid) {
  ++secureInputHolds_[pid];
}

void WindowServer::disableSecureEventInput(pid_t pid) {
  const auto found = secureInputHolds_.find(pid);
  if (found == secureInputHolds_.end()) return;
  if (--found->second == 0) secureInputHolds_.erase(found);
}

void WindowServer::processEnded(pid_t pid) {
  secureInputHolds_.erase(pid);
}

std::vector<pid_t> WindowServer::secureEventInputHolders() const {
  std::vector<pid_t> holders;
  for (const auto& [pid, count] : secureInputHolds_)
    holders.push_back(pid);
  return holders;
}

}  // namespace quillo::sim
