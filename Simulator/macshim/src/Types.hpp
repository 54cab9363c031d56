// Types: the objects behind the MacShim's CF references. Each holds the
// plain value the simulated Mac deals in, and lets go of what it stands for
// on the Mac when its last reference is released. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Context.hpp"
#include "MacShim/CoreGraphics.h"
#include "MacShim/HIServices.h"
#include "MacShim/TextInputSources.h"
#include "Object.hpp"
#include "Platform/Accessibility.hpp"
#include "Platform/EventServices.hpp"
#include "Platform/KeyboardLayout.hpp"

struct __CFString final : quillo::macshim::Object {
  explicit __CFString(std::u16string text, bool immortal = false)
      : Object(quillo::macshim::stringType, immortal), characters(std::move(text)) {}
  bool equals(const Object& other) const override;
  CFHashCode hash() const override { return std::hash<std::u16string>{}(characters); }
  std::u16string characters;
};

struct __CFArray final : quillo::macshim::Object {
  __CFArray(std::vector<const void*> entries, const CFArrayCallBacks* callBacks);
  ~__CFArray() override;
  std::vector<const void*> values;
  CFArrayCallBacks callBacks{};
};

struct __CFBoolean final : quillo::macshim::Object {
  explicit __CFBoolean(bool b) : Object(quillo::macshim::booleanType, true), value(b) {}
  bool value;
};

struct __CFNumber final : quillo::macshim::Object {
  explicit __CFNumber(std::int64_t i)
      : Object(quillo::macshim::numberType), integer(i), isFloat(false) {}
  explicit __CFNumber(double d) : Object(quillo::macshim::numberType), real(d), isFloat(true) {}
  bool equals(const Object& other) const override;
  CFHashCode hash() const override;
  std::int64_t integer = 0;
  double real = 0;
  bool isFloat;
};

/// The bytes of a keyboard layout's 'uchr' data as the shim stores them:
/// a marker, and the simulated Mac's layout that UCKeyTranslate asks.
struct UCKeyboardLayout {
  static constexpr std::uint32_t kMarker = 0x75636872;  // 'uchr'
  std::uint32_t marker = kMarker;
  const quillo::platform::UnicodeKeyLayout* layout = nullptr;
};

struct __CFData final : quillo::macshim::Object {
  explicit __CFData(std::shared_ptr<const quillo::platform::UnicodeKeyLayout> keyLayout)
      : Object(quillo::macshim::dataType), held(std::move(keyLayout)) {
    bytes.layout = held.get();
  }
  std::shared_ptr<const quillo::platform::UnicodeKeyLayout> held;
  UCKeyboardLayout bytes;
};

struct __CFDictionary final : quillo::macshim::Object {
  __CFDictionary() : Object(quillo::macshim::dictionaryType) {}
  ~__CFDictionary() override;
  std::vector<std::pair<const void*, const void*>> entries;
  CFDictionaryKeyCallBacks keyCallBacks{};
  CFDictionaryValueCallBacks valueCallBacks{};
};

struct __CFMachPort final : quillo::macshim::Object {
  __CFMachPort(quillo::platform::MachPort p, CGEventTapCallBack call, void* info)
      : Object(quillo::macshim::machPortType),
        port(p),
        generation(quillo::macshim::currentGeneration()),
        callback(call),
        userInfo(info) {}
  ~__CFMachPort() override;
  quillo::platform::MachPort port;
  std::uint64_t generation;
  CGEventTapCallBack callback;
  void* userInfo;
};

struct __CFRunLoopSource final : quillo::macshim::Object {
  __CFRunLoopSource(quillo::platform::RunLoopSource s, CFMachPortRef p);
  ~__CFRunLoopSource() override;
  quillo::platform::RunLoopSource source;
  CFMachPortRef port;  // retained: a source keeps its port
  std::uint64_t generation;
};

/// The main run loop: the sources added to it, each retained, with the mode
/// it was added in.
struct __CFRunLoop final : quillo::macshim::Object {
  __CFRunLoop() : Object(quillo::macshim::runLoopType, true) {}
  std::vector<std::pair<CFRunLoopSourceRef, CFStringRef>> sources;
  /// Lets go of every source (detaching from a Mac).
  void clear();
};

struct __CGEvent final : quillo::macshim::Object {
  explicit __CGEvent(quillo::platform::Event e)
      : Object(quillo::macshim::eventType), event(std::move(e)) {}
  quillo::platform::Event event;
};

struct __CGEventSource final : quillo::macshim::Object {
  explicit __CGEventSource(quillo::platform::EventSource s)
      : Object(quillo::macshim::eventSourceType),
        source(s),
        generation(quillo::macshim::currentGeneration()) {}
  ~__CGEventSource() override;
  quillo::platform::EventSource source;
  std::uint64_t generation;
};

struct __AXUIElement final : quillo::macshim::Object {
  explicit __AXUIElement(quillo::platform::AXUIElement e)
      : Object(quillo::macshim::axElementType), element(e) {}
  bool equals(const Object& other) const override;
  CFHashCode hash() const override;
  quillo::platform::AXUIElement element;
};

struct __AXValue final : quillo::macshim::Object {
  explicit __AXValue(AXError e) : Object(quillo::macshim::axValueType), error(e) {}
  AXError error;
};

struct __TISInputSource final : quillo::macshim::Object {
  explicit __TISInputSource(CFDataRef data)
      : Object(quillo::macshim::inputSourceType), layoutData(data) {}
  ~__TISInputSource() override;
  CFDataRef layoutData;  // owned; null when the layout has no 'uchr' data
};

namespace quillo::macshim {

/// A new object handed to the caller (the Create rule): its one reference.
template <class Ref, class T>
Ref handOut(T* object) {
  return static_cast<Ref>(object);
}

/// The main run loop object.
__CFRunLoop& mainRunLoop();

/// UTF-16 of a string reference; aborts if it is not a live string.
const std::u16string& characters(CFStringRef string, const char* call);
/// A new string (the caller's reference).
CFStringRef makeString(std::u16string text);

}  // namespace quillo::macshim
