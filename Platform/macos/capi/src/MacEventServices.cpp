#include "Platform/macos/MacEventServices.hpp"

#include <ApplicationServices/ApplicationServices.h>
#include <Carbon/Carbon.h>

#include <map>
#include <set>
#include <vector>

#include "CFRef.hpp"

namespace quillo::platform::macos {

namespace {

// MARK: Converters between Quartz numbers and the seam's values

std::optional<EventType> eventType(CGEventType type) {
  // By number: the system has many more event types than the seam.
  switch (static_cast<std::uint32_t>(type)) {
    case kCGEventNull:
      return EventType::null;
    case kCGEventLeftMouseDown:
      return EventType::leftMouseDown;
    case kCGEventRightMouseDown:
      return EventType::rightMouseDown;
    case kCGEventKeyDown:
      return EventType::keyDown;
    case kCGEventKeyUp:
      return EventType::keyUp;
    case kCGEventFlagsChanged:
      return EventType::flagsChanged;
    case kCGEventTapDisabledByTimeout:
      return EventType::tapDisabledByTimeout;
    case kCGEventTapDisabledByUserInput:
      return EventType::tapDisabledByUserInput;
  }
  return std::nullopt;  // other events: not the seam's business
}

CGEventField field(EventField field) {
  switch (field) {
    case EventField::keyboardEventAutorepeat:
      return kCGKeyboardEventAutorepeat;
    case EventField::keyboardEventKeycode:
      return kCGKeyboardEventKeycode;
    case EventField::eventTargetUnixProcessID:
      return kCGEventTargetUnixProcessID;
    case EventField::eventSourceUnixProcessID:
      return kCGEventSourceUnixProcessID;
    case EventField::eventSourceUserData:
      return kCGEventSourceUserData;
  }
  return kCGEventSourceUserData;
}

constexpr EventField kFields[] = {
    EventField::keyboardEventAutorepeat, EventField::keyboardEventKeycode,
    EventField::eventTargetUnixProcessID, EventField::eventSourceUnixProcessID,
    EventField::eventSourceUserData};

// The characters a key event can carry: a Mac's events hold at most a few.
constexpr UniCharCount kMaxCharacters = 32;

CGEventTapLocation location(EventTapLocation location) {
  switch (location) {
    case EventTapLocation::hid:
      return kCGHIDEventTap;
    case EventTapLocation::session:
      return kCGSessionEventTap;
    case EventTapLocation::annotatedSession:
      return kCGAnnotatedSessionEventTap;
  }
  return kCGSessionEventTap;
}

CGEventTapPlacement placement(EventTapPlacement placement) {
  switch (placement) {
    case EventTapPlacement::headInsert:
      return kCGHeadInsertEventTap;
    case EventTapPlacement::tailAppend:
      return kCGTailAppendEventTap;
  }
  return kCGHeadInsertEventTap;
}

CGEventTapOptions options(EventTapOptions options) {
  switch (options) {
    case EventTapOptions::defaultTap:
      return kCGEventTapOptionDefault;
    case EventTapOptions::listenOnly:
      return kCGEventTapOptionListenOnly;
  }
  return kCGEventTapOptionListenOnly;
}

CGEventSourceStateID stateID(EventSourceStateID state) {
  switch (state) {
    case EventSourceStateID::privateState:
      return kCGEventSourceStatePrivate;
    case EventSourceStateID::combinedSession:
      return kCGEventSourceStateCombinedSessionState;
    case EventSourceStateID::hid:
      return kCGEventSourceStateHIDSystemState;
  }
  return kCGEventSourceStatePrivate;
}

std::u16string characters(CGEventRef event) {
  UniChar buffer[kMaxCharacters];
  UniCharCount length = 0;
  CGEventKeyboardGetUnicodeString(event, kMaxCharacters, &length, buffer);
  return std::u16string(reinterpret_cast<const char16_t*>(buffer), length);
}

/// The one conversion of a CGEventRef into the seam's value. A tap-disabled
/// notice may come without an event.
Event fromCG(EventType type, CGEventRef event) {
  Event converted(type);
  if (!event) return converted;
  converted.setFlags(CGEventGetFlags(event));
  for (const EventField each : kFields)
    converted.setIntegerValueField(each, CGEventGetIntegerValueField(event, field(each)));
  converted.setKeyboardUnicodeString(characters(event));
  return converted;
}

/// Writes what the seam's handler changed back into the CGEventRef.
void writeBack(const Event& changed, const Event& original, CGEventRef event) {
  if (changed.flags() != original.flags()) CGEventSetFlags(event, changed.flags());
  for (const EventField each : kFields) {
    const std::int64_t value = changed.integerValueField(each);
    if (value != original.integerValueField(each))
      CGEventSetIntegerValueField(event, field(each), value);
  }
  const std::u16string text = changed.keyboardUnicodeString(kMaxCharacters);
  if (text != original.keyboardUnicodeString(kMaxCharacters)) {
    CGEventKeyboardSetUnicodeString(event, text.size(),
                                    reinterpret_cast<const UniChar*>(text.data()));
  }
}

/// A tap's callback as the seam gave it; the tap's user info points here.
struct TapContext {
  EventTapCallBack callback = nullptr;
  void* userInfo = nullptr;
  CFRef<CFMachPortRef> port;
};

/// Runs on the main run loop for every event the tap sees; the event
/// belongs to the system. Converts once, asks the seam's callback, and
/// answers the same event (with whatever the callback changed) or NULL.
CGEventRef tapCallBack(CGEventTapProxy proxy, CGEventType type, CGEventRef event, void* userInfo) {
  auto* context = static_cast<TapContext*>(userInfo);
  const auto seamType = eventType(type);
  if (!context || !seamType) return event;
  const Event original = fromCG(*seamType, event);
  Event converted = original;
  const Event* answer = context->callback(proxy, *seamType, &converted, context->userInfo);
  if (!answer) return nullptr;
  if (event) writeBack(*answer, original, event);
  return event;
}

}  // namespace

struct MacEventServices::State {
  std::uint64_t nextHandle = 1;
  std::map<std::uint64_t, std::unique_ptr<TapContext>> taps;
  /// Contexts of ports released while still valid: the port lives on in its
  /// source as long as that is in the run loop, and the system may call back
  /// with the context until then. Kept until this object goes (a few words
  /// each; Quillo itself always invalidates before it releases).
  std::vector<std::unique_ptr<TapContext>> retired;
  std::map<std::uint64_t, CFRef<CFRunLoopSourceRef>> sources;
  /// Sources in the run loop, by handle; those released while still there
  /// are kept, so that they leave it before the contexts they call go.
  std::set<std::uint64_t> added;
  std::vector<CFRef<CFRunLoopSourceRef>> retiredSources;
  std::map<std::uint64_t, CFRef<CGEventSourceRef>> eventSources;

  CFMachPortRef port(MachPort tap) const {
    const auto found = taps.find(tap.id);
    return found == taps.end() ? nullptr : found->second->port.get();
  }
  CFRunLoopSourceRef source(RunLoopSource source) const {
    const auto found = sources.find(source.id);
    return found == sources.end() ? nullptr : found->second.get();
  }
  CGEventSourceRef eventSource(EventSource source) const {
    const auto found = eventSources.find(source.id);
    return found == eventSources.end() ? nullptr : found->second.get();
  }
};

MacEventServices::MacEventServices() : state_(std::make_unique<State>()) {}

MacEventServices::~MacEventServices() {
  // Sources first: a source in the run loop keeps its tap delivering to
  // contexts about to go.
  for (const auto& [id, source] : state_->sources)
    CFRunLoopRemoveSource(CFRunLoopGetMain(), source.get(), kCFRunLoopCommonModes);
  for (const auto& source : state_->retiredSources)
    CFRunLoopRemoveSource(CFRunLoopGetMain(), source.get(), kCFRunLoopCommonModes);
  for (const auto& [id, tap] : state_->taps)
    CFMachPortInvalidate(tap->port.get());
}

std::optional<MachPort> MacEventServices::createTap(EventTapLocation where, EventTapPlacement place,
                                                    EventTapOptions how,
                                                    std::uint64_t eventsOfInterest,
                                                    EventTapCallBack callback, void* userInfo) {
  if (!callback) return std::nullopt;
  auto context = std::make_unique<TapContext>();
  context->callback = callback;
  context->userInfo = userInfo;
  CFMachPortRef port = CGEventTapCreate(location(where), placement(place), options(how),
                                        eventsOfInterest, &tapCallBack, context.get());
  if (!port) return std::nullopt;
  context->port = CFRef<CFMachPortRef>::adopt(port);
  const std::uint64_t id = state_->nextHandle++;
  state_->taps[id] = std::move(context);
  return MachPort{id};
}

void MacEventServices::tapEnable(MachPort tap, bool enable) {
  if (CFMachPortRef port = state_->port(tap)) CGEventTapEnable(port, enable);
}

bool MacEventServices::tapIsEnabled(MachPort tap) const {
  CFMachPortRef port = state_->port(tap);
  return port && CGEventTapIsEnabled(port);
}

RunLoopSource MacEventServices::createRunLoopSource(MachPort tap) {
  CFMachPortRef port = state_->port(tap);
  if (!port) return RunLoopSource{};
  auto source =
      CFRef<CFRunLoopSourceRef>::adopt(CFMachPortCreateRunLoopSource(kCFAllocatorDefault, port, 0));
  if (!source) return RunLoopSource{};
  const std::uint64_t id = state_->nextHandle++;
  state_->sources[id] = std::move(source);
  return RunLoopSource{id};
}

void MacEventServices::runLoopAddSource(RunLoopSource source) {
  if (CFRunLoopSourceRef found = state_->source(source)) {
    CFRunLoopAddSource(CFRunLoopGetMain(), found, kCFRunLoopCommonModes);
    state_->added.insert(source.id);
  }
}

void MacEventServices::runLoopRemoveSource(RunLoopSource source) {
  if (CFRunLoopSourceRef found = state_->source(source)) {
    CFRunLoopRemoveSource(CFRunLoopGetMain(), found, kCFRunLoopCommonModes);
    state_->added.erase(source.id);
  }
}

void MacEventServices::machPortInvalidate(MachPort tap) {
  if (CFMachPortRef port = state_->port(tap)) CFMachPortInvalidate(port);
}

bool MacEventServices::machPortIsValid(MachPort tap) const {
  CFMachPortRef port = state_->port(tap);
  return port && CFMachPortIsValid(port);
}

void MacEventServices::release(MachPort tap) {
  const auto found = state_->taps.find(tap.id);
  if (found == state_->taps.end()) return;
  auto context = std::move(found->second);
  state_->taps.erase(found);
  if (CFMachPortIsValid(context->port.get())) {
    context->port = {};  // the source's reference is the port's last
    state_->retired.push_back(std::move(context));
  }
}

void MacEventServices::release(RunLoopSource source) {
  const auto found = state_->sources.find(source.id);
  if (found == state_->sources.end()) return;
  if (state_->added.erase(source.id) != 0)
    state_->retiredSources.push_back(std::move(found->second));
  state_->sources.erase(found);
}

std::optional<EventSource> MacEventServices::createEventSource(EventSourceStateID state) {
  auto source = CFRef<CGEventSourceRef>::adopt(CGEventSourceCreate(stateID(state)));
  if (!source) return std::nullopt;
  const std::uint64_t id = state_->nextHandle++;
  state_->eventSources[id] = std::move(source);
  return EventSource{id};
}

void MacEventServices::eventSourceSetUserData(EventSource source, std::int64_t userData) {
  if (CGEventSourceRef found = state_->eventSource(source))
    CGEventSourceSetUserData(found, userData);
}

void MacEventServices::release(EventSource source) {
  state_->eventSources.erase(source.id);
}

std::optional<Event> MacEventServices::createKeyboardEvent(std::optional<EventSource> source,
                                                           std::uint16_t keyCode, bool keyDown) {
  CGEventSourceRef from = source ? state_->eventSource(*source) : nullptr;
  const auto event = CFRef<CGEventRef>::adopt(CGEventCreateKeyboardEvent(from, keyCode, keyDown));
  if (!event) return std::nullopt;
  return fromCG(keyDown ? EventType::keyDown : EventType::keyUp, event.get());
}

void MacEventServices::postToPid(pid_t pid, const Event& event) {
  bool keyDown = false;
  switch (event.type()) {
    case EventType::keyDown:
      keyDown = true;
      break;
    case EventType::keyUp:
      break;
    case EventType::null:
    case EventType::leftMouseDown:
    case EventType::rightMouseDown:
    case EventType::flagsChanged:
    case EventType::tapDisabledByTimeout:
    case EventType::tapDisabledByUserInput:
      return;  // only key events are ever posted
  }
  // The value becomes a CGEventRef again: a fresh key event with what the
  // value says (its source's user data included), minus what the system
  // itself fills in (target and source process).
  const auto keyCode =
      static_cast<CGKeyCode>(event.integerValueField(EventField::keyboardEventKeycode));
  const auto posted =
      CFRef<CGEventRef>::adopt(CGEventCreateKeyboardEvent(nullptr, keyCode, keyDown));
  if (!posted) return;
  const Event fresh = fromCG(event.type(), posted.get());
  Event wanted = event;
  wanted.setIntegerValueField(EventField::eventTargetUnixProcessID,
                              fresh.integerValueField(EventField::eventTargetUnixProcessID));
  wanted.setIntegerValueField(EventField::eventSourceUnixProcessID,
                              fresh.integerValueField(EventField::eventSourceUnixProcessID));
  writeBack(wanted, fresh, posted.get());
  CGEventPostToPid(pid, posted.get());
}

bool MacEventServices::preflightListenEventAccess() {
  return CGPreflightListenEventAccess();
}

bool MacEventServices::requestListenEventAccess() {
  return CGRequestListenEventAccess();
}

bool MacEventServices::isSecureEventInputEnabled() const {
  return IsSecureEventInputEnabled();
}

}  // namespace quillo::platform::macos
