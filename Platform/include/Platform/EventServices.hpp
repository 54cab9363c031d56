// EventServices: Quartz Event Services — the keyboard event tap, reading and
// posting key events, and the Input Monitoring permission.
//
// Mirrors the C calls one to one (CGEventTapCreate, CGEventTapEnable,
// CFMachPortCreateRunLoopSource, CGEventSourceCreate, CGEventPostToPid, …)
// so a Mac adapter is a thin wrapper. Events cross the seam as the value
// type Event, converted from and to CGEventRef at the edge; ports, sources
// and event sources as small handles, which the create calls hand out as
// Owned references that release themselves. Main thread only.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "Platform/KeyCodes.hpp"

namespace quillo::platform {

enum class EventType : std::uint32_t {
  null = 0,
  leftMouseDown = 1,   // kCGEventLeftMouseDown
  rightMouseDown = 3,  // kCGEventRightMouseDown
  keyDown = 10,
  keyUp = 11,
  flagsChanged = 12,
  tapDisabledByTimeout = 0xFFFFFFFE,
  tapDisabledByUserInput = 0xFFFFFFFF,
};

/// Integer fields of an event, by their Quartz numbers.
enum class EventField : std::uint32_t {
  keyboardEventAutorepeat = 8,    // kCGKeyboardEventAutorepeat
  keyboardEventKeycode = 9,       // kCGKeyboardEventKeycode
  eventTargetUnixProcessID = 40,  // kCGEventTargetUnixProcessID
  eventSourceUnixProcessID = 41,  // kCGEventSourceUnixProcessID
  eventSourceUserData = 42,       // kCGEventSourceUserData
};

/// A key event: its type, flags, the characters it produced and the integer
/// fields Quillo reads or writes.
class Event {
 public:
  Event() = default;
  explicit Event(EventType type) : type_(type) {}

  EventType type() const noexcept { return type_; }
  void setType(EventType type) noexcept { type_ = type; }
  std::uint64_t flags() const noexcept { return flags_; }          // CGEventGetFlags
  void setFlags(std::uint64_t flags) noexcept { flags_ = flags; }  // CGEventSetFlags

  /// CGEventGetIntegerValueField; fields never set read 0.
  std::int64_t integerValueField(EventField field) const noexcept {
    const auto index = slot(field);
    return index < kSlots ? fields_[index] : 0;
  }
  /// CGEventSetIntegerValueField.
  void setIntegerValueField(EventField field, std::int64_t value) noexcept {
    const auto index = slot(field);
    if (index < kSlots) fields_[index] = value;
  }

  /// CGEventKeyboardGetUnicodeString: at most `maxLength` UTF-16 units.
  std::u16string keyboardUnicodeString(std::size_t maxLength) const {
    return characters_.substr(0, maxLength);
  }
  /// CGEventKeyboardSetUnicodeString.
  void setKeyboardUnicodeString(std::u16string characters) { characters_ = std::move(characters); }

 private:
  static constexpr std::size_t kSlots = 5;
  static constexpr std::size_t slot(EventField field) noexcept {
    switch (field) {
      case EventField::keyboardEventAutorepeat:
        return 0;
      case EventField::keyboardEventKeycode:
        return 1;
      case EventField::eventTargetUnixProcessID:
        return 2;
      case EventField::eventSourceUnixProcessID:
        return 3;
      case EventField::eventSourceUserData:
        return 4;
    }
    return kSlots;
  }

  EventType type_ = EventType::null;
  std::uint64_t flags_ = 0;
  std::int64_t fields_[kSlots] = {};
  std::u16string characters_;
};

/// CGEventMaskBit.
constexpr std::uint64_t eventMaskBit(EventType type) noexcept {
  return std::uint64_t{1} << static_cast<std::uint32_t>(type);
}

enum class EventTapLocation : std::uint32_t { hid = 0, session = 1, annotatedSession = 2 };
enum class EventTapPlacement : std::uint32_t { headInsert = 0, tailAppend = 1 };
enum class EventTapOptions : std::uint32_t { defaultTap = 0, listenOnly = 1 };
enum class EventSourceStateID : std::int32_t { privateState = -1, combinedSession = 0, hid = 1 };

/// CFMachPortRef of an event tap; CFRunLoopSourceRef; CGEventSourceRef:
/// what a back end hands out and takes back, borrowed by the calls below.
struct MachPort {
  std::uint64_t id = 0;
  bool operator==(const MachPort&) const = default;
};
struct RunLoopSource {
  std::uint64_t id = 0;
  bool operator==(const RunLoopSource&) const = default;
};
struct EventSource {
  std::uint64_t id = 0;
  bool operator==(const EventSource&) const = default;
};
/// CGEventTapProxy (opaque).
using EventTapProxy = void*;

/// CGEventTapCallBack: returns the event to pass it on, or null to drop it.
using EventTapCallBack = Event* (*)(EventTapProxy proxy, EventType type, Event* event,
                                    void* userInfo);

class EventServices;

/// The one reference to a port, a run-loop source or an event source that
/// a create call gives its caller (the Create rule), released (CFRelease) when
/// it goes. Move-only; it lends its handle to the calls that take one, and
/// must not outlive the services that made it.
template <class Handle>
class Owned {
 public:
  Owned(Owned&& other) noexcept
      : services_(std::exchange(other.services_, nullptr)), handle_(other.handle_) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      reset();
      services_ = std::exchange(other.services_, nullptr);
      handle_ = other.handle_;
    }
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() { reset(); }

  const Handle& get() const noexcept { return handle_; }
  operator const Handle&() const noexcept { return handle_; }  // NOLINT: lent, like a CF ref
  bool operator==(const Handle& handle) const noexcept { return handle_ == handle; }

 private:
  friend class EventServices;
  Owned(EventServices& services, Handle handle) : services_(&services), handle_(handle) {}
  void reset() noexcept;

  EventServices* services_;  // none once moved from
  Handle handle_;
};

class EventServices {
 public:
  virtual ~EventServices() = default;

  /// CGEventTapCreate: none when the process may not observe the keyboard.
  std::optional<Owned<MachPort>> tapCreate(EventTapLocation location, EventTapPlacement placement,
                                           EventTapOptions options, std::uint64_t eventsOfInterest,
                                           EventTapCallBack callback, void* userInfo) {
    return owned(createTap(location, placement, options, eventsOfInterest, callback, userInfo));
  }
  /// CGEventTapEnable.
  virtual void tapEnable(MachPort tap, bool enable) = 0;
  /// CGEventTapIsEnabled.
  virtual bool tapIsEnabled(MachPort tap) const = 0;
  /// CFMachPortCreateRunLoopSource(kCFAllocatorDefault, tap, 0).
  Owned<RunLoopSource> machPortCreateRunLoopSource(MachPort tap) {
    return {*this, createRunLoopSource(tap)};
  }
  /// CFRunLoopAddSource / CFRunLoopRemoveSource on the main run loop, common modes.
  virtual void runLoopAddSource(RunLoopSource source) = 0;
  virtual void runLoopRemoveSource(RunLoopSource source) = 0;
  /// CFMachPortInvalidate; the tap never delivers again.
  virtual void machPortInvalidate(MachPort tap) = 0;
  /// CFMachPortIsValid: false once the port was invalidated, by us or by the
  /// system (a tap whose port dies never delivers again, whatever its state).
  virtual bool machPortIsValid(MachPort tap) const = 0;

  /// CGEventSourceCreate.
  std::optional<Owned<EventSource>> eventSourceCreate(EventSourceStateID state) {
    return owned(createEventSource(state));
  }
  /// CGEventSourceSetUserData: events created from the source carry it.
  virtual void eventSourceSetUserData(EventSource source, std::int64_t userData) = 0;
  /// CGEventCreateKeyboardEvent.
  virtual std::optional<Event> createKeyboardEvent(std::optional<EventSource> source,
                                                   std::uint16_t keyCode, bool keyDown) = 0;
  /// CGEventPostToPid.
  virtual void postToPid(pid_t pid, const Event& event) = 0;

  /// CGPreflightListenEventAccess: never prompts.
  virtual bool preflightListenEventAccess() = 0;
  /// CGRequestListenEventAccess: may show the system's dialog.
  virtual bool requestListenEventAccess() = 0;

  /// IsSecureEventInputEnabled: true while some application has secure
  /// keyboard entry on (a password field, a terminal's secure keyboard
  /// entry); event taps then receive no key events at all.
  virtual bool isSecureEventInputEnabled() const = 0;

 protected:
  // What a back end implements: the create calls, whose result the caller
  // owns, and the release of each (CFRelease). Only Owned releases.
  virtual std::optional<MachPort> createTap(EventTapLocation location, EventTapPlacement placement,
                                            EventTapOptions options, std::uint64_t eventsOfInterest,
                                            EventTapCallBack callback, void* userInfo) = 0;
  virtual RunLoopSource createRunLoopSource(MachPort tap) = 0;
  virtual std::optional<EventSource> createEventSource(EventSourceStateID state) = 0;
  virtual void release(MachPort tap) = 0;
  virtual void release(RunLoopSource source) = 0;
  virtual void release(EventSource source) = 0;

 private:
  template <class Handle>
  friend class Owned;
  template <class Handle>
  std::optional<Owned<Handle>> owned(std::optional<Handle> handle) {
    if (!handle) return std::nullopt;
    return Owned<Handle>(*this, *handle);
  }
};

template <class Handle>
void Owned<Handle>::reset() noexcept {
  if (services_) std::exchange(services_, nullptr)->release(handle_);
}

}  // namespace quillo::platform
