// The MacShim's Quartz Event Services and CFMachPort, over the simulated
// Mac's window server: event taps whose callbacks get CGEventRefs, key
// events, event sources, posting, and the Input Monitoring permission.
#include "Simulator/SimulatedMac.hpp"
#include "Types.hpp"

using namespace quillo;
using macshim::live;

namespace {

sim::WindowServer& windowServer(const char* call) {
  return macshim::mac(call).windowServer();
}

__CGEvent& event(CGEventRef reference, const char* call) {
  return live<__CGEvent>(reference, call, macshim::eventType);
}

/// The window server's tap callback: hands the tap's own callback the event
/// as a CGEventRef the system owns, and takes back what it answers.
platform::Event* deliverToTap(platform::EventTapProxy, platform::EventType type,
                              platform::Event* delivered, void* userInfo) {
  const auto& port = live<__CFMachPort>(userInfo, "CGEventTapCallBack", macshim::machPortType);
  auto* given = new __CGEvent(*delivered);
  const CGEventRef answer =
      port.callback(nullptr, static_cast<CGEventType>(type), given, port.userInfo);
  platform::Event* passed = nullptr;
  if (answer) {
    *delivered = event(answer, "CGEventTapCallBack (its answer)").event;
    passed = delivered;
    // A new event answered is the system's now, like the one it gave.
    if (answer != given) CFRelease(answer);
  }
  CFRelease(given);
  return passed;
}

}  // namespace

// MARK: - Mach ports of taps

__CFMachPort::~__CFMachPort() {
  // The tap goes with the last reference to its port.
  if (auto* mac = macshim::macOf(generation)) {
    mac->windowServer().machPortInvalidate(port);
    mac->windowServer().release(port);
  }
}

__CFRunLoopSource::__CFRunLoopSource(platform::RunLoopSource s, CFMachPortRef p)
    : Object(macshim::runLoopSourceType),
      source(s),
      port(p),
      generation(macshim::currentGeneration()) {
  CFRetain(port);
}

__CFRunLoopSource::~__CFRunLoopSource() {
  if (auto* mac = macshim::macOf(generation)) mac->windowServer().release(source);
  CFRelease(port);
}

CFTypeID CFMachPortGetTypeID(void) {
  return macshim::machPortType;
}

CFRunLoopSourceRef CFMachPortCreateRunLoopSource(CFAllocatorRef, CFMachPortRef port, CFIndex) {
  auto& tap = live<__CFMachPort>(port, "CFMachPortCreateRunLoopSource", macshim::machPortType);
  const auto source = windowServer("CFMachPortCreateRunLoopSource").createRunLoopSource(tap.port);
  return new __CFRunLoopSource(source, port);
}

void CFMachPortInvalidate(CFMachPortRef port) {
  auto& tap = live<__CFMachPort>(port, "CFMachPortInvalidate", macshim::machPortType);
  if (auto* mac = macshim::macOf(tap.generation)) mac->windowServer().machPortInvalidate(tap.port);
}

Boolean CFMachPortIsValid(CFMachPortRef port) {
  auto& tap = live<__CFMachPort>(port, "CFMachPortIsValid", macshim::machPortType);
  auto* mac = macshim::macOf(tap.generation);
  return mac && mac->windowServer().machPortIsValid(tap.port);
}

// MARK: - Taps

CFMachPortRef CGEventTapCreate(CGEventTapLocation tap, CGEventTapPlacement place,
                               CGEventTapOptions options, CGEventMask eventsOfInterest,
                               CGEventTapCallBack callback, void* userInfo) {
  auto& server = windowServer("CGEventTapCreate");
  if (!callback) return nullptr;
  // The port exists first: the window server calls back with it.
  auto* port = new __CFMachPort(platform::MachPort{}, callback, userInfo);
  const auto created = server.createTap(
      static_cast<platform::EventTapLocation>(tap), static_cast<platform::EventTapPlacement>(place),
      static_cast<platform::EventTapOptions>(options), eventsOfInterest, &deliverToTap, port);
  if (!created) {
    port->generation = 0;  // no tap to let go of
    delete port;
    return nullptr;
  }
  port->port = *created;
  return port;
}

void CGEventTapEnable(CFMachPortRef tap, bool enable) {
  auto& port = live<__CFMachPort>(tap, "CGEventTapEnable", macshim::machPortType);
  if (auto* mac = macshim::macOf(port.generation)) mac->windowServer().tapEnable(port.port, enable);
}

bool CGEventTapIsEnabled(CFMachPortRef tap) {
  auto& port = live<__CFMachPort>(tap, "CGEventTapIsEnabled", macshim::machPortType);
  auto* mac = macshim::macOf(port.generation);
  return mac && mac->windowServer().tapIsEnabled(port.port);
}

// MARK: - Events

CFTypeID CGEventGetTypeID(void) {
  return macshim::eventType;
}

CGEventType CGEventGetType(CGEventRef reference) {
  return static_cast<CGEventType>(event(reference, "CGEventGetType").event.type());
}

int64_t CGEventGetIntegerValueField(CGEventRef reference, CGEventField field) {
  return event(reference, "CGEventGetIntegerValueField")
      .event.integerValueField(static_cast<platform::EventField>(field));
}

void CGEventSetIntegerValueField(CGEventRef reference, CGEventField field, int64_t value) {
  event(reference, "CGEventSetIntegerValueField")
      .event.setIntegerValueField(static_cast<platform::EventField>(field), value);
}

CGEventFlags CGEventGetFlags(CGEventRef reference) {
  return event(reference, "CGEventGetFlags").event.flags();
}

void CGEventSetFlags(CGEventRef reference, CGEventFlags flags) {
  event(reference, "CGEventSetFlags").event.setFlags(flags);
}

void CGEventKeyboardGetUnicodeString(CGEventRef reference, UniCharCount maxStringLength,
                                     UniCharCount* actualStringLength, UniChar* unicodeString) {
  const std::u16string characters = event(reference, "CGEventKeyboardGetUnicodeString")
                                        .event.keyboardUnicodeString(maxStringLength);
  if (unicodeString) std::copy(characters.begin(), characters.end(), unicodeString);
  if (actualStringLength) *actualStringLength = characters.size();
}

void CGEventKeyboardSetUnicodeString(CGEventRef reference, UniCharCount stringLength,
                                     const UniChar* unicodeString) {
  auto& target = event(reference, "CGEventKeyboardSetUnicodeString");
  target.event.setKeyboardUnicodeString(
      stringLength && unicodeString
          ? std::u16string(reinterpret_cast<const char16_t*>(unicodeString), stringLength)
          : std::u16string());
}

// MARK: - Event sources and posting

__CGEventSource::~__CGEventSource() {
  if (auto* mac = macshim::macOf(generation)) mac->windowServer().release(source);
}

CGEventSourceRef CGEventSourceCreate(CGEventSourceStateID stateID) {
  const auto source = windowServer("CGEventSourceCreate")
                          .createEventSource(static_cast<platform::EventSourceStateID>(stateID));
  if (!source) return nullptr;
  return new __CGEventSource(*source);
}

void CGEventSourceSetUserData(CGEventSourceRef source, int64_t userData) {
  auto& found = live<__CGEventSource>(source, "CGEventSourceSetUserData", macshim::eventSourceType);
  if (auto* mac = macshim::macOf(found.generation))
    mac->windowServer().eventSourceSetUserData(found.source, userData);
}

CGEventRef CGEventCreateKeyboardEvent(CGEventSourceRef source, CGKeyCode virtualKey, bool keyDown) {
  std::optional<platform::EventSource> from;
  if (source) {
    from = live<__CGEventSource>(source, "CGEventCreateKeyboardEvent", macshim::eventSourceType)
               .source;
  }
  const auto created =
      windowServer("CGEventCreateKeyboardEvent").createKeyboardEvent(from, virtualKey, keyDown);
  if (!created) return nullptr;
  return new __CGEvent(*created);
}

void CGEventPostToPid(pid_t pid, CGEventRef reference) {
  windowServer("CGEventPostToPid").postToPid(pid, event(reference, "CGEventPostToPid").event);
}

bool CGPreflightListenEventAccess(void) {
  return windowServer("CGPreflightListenEventAccess").preflightListenEventAccess();
}

bool CGRequestListenEventAccess(void) {
  return windowServer("CGRequestListenEventAccess").requestListenEventAccess();
}
