// The MacShim's Accessibility API over the simulated Mac's accessibility
// server. Every element it answers is a new AXUIElementRef (so each has its
// own messaging time-out, as on a Mac); two of them for one user-interface
// element are CFEqual with the same CFHash. Values come back as the CF types
// a Mac answers with, owned by the caller.
#include "Platform/Text.hpp"
#include "Simulator/SimulatedMac.hpp"
#include "Types.hpp"

using namespace quillo;
using macshim::live;

namespace {

sim::AccessibilityServer& server(const char* call) {
  return macshim::mac(call).accessibility();
}

const platform::AXUIElement& element(AXUIElementRef reference, const char* call) {
  return live<__AXUIElement>(reference, call, macshim::axElementType).element;
}

std::string utf8(CFStringRef string, const char* call) {
  return platform::text::utf8(macshim::characters(string, call));
}

/// The CF object for a value the accessibility server answered; the
/// caller's reference. NULL for no value.
CFTypeRef makeValue(const platform::CFValue& value) {
  struct Maker {
    CFTypeRef operator()(std::monostate) const { return nullptr; }
    CFTypeRef operator()(bool b) const { return b ? kCFBooleanTrue : kCFBooleanFalse; }
    CFTypeRef operator()(std::int64_t i) const {
      return CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt64Type, &i);
    }
    CFTypeRef operator()(double d) const {
      return CFNumberCreate(kCFAllocatorDefault, kCFNumberDoubleType, &d);
    }
    CFTypeRef operator()(const std::string& s) const {
      return macshim::makeString(platform::text::utf16(s));
    }
    CFTypeRef operator()(const platform::AXUIElement& e) const { return new __AXUIElement(e); }
    CFTypeRef operator()(const platform::CFValue::Array& array) const {
      std::vector<const void*> entries;
      for (const auto& entry : array)
        entries.push_back(makeValue(entry));
      // The array retains its entries; our own references go.
      CFArrayRef made = CFArrayCreate(kCFAllocatorDefault, entries.data(),
                                      static_cast<CFIndex>(entries.size()), &kCFTypeArrayCallBacks);
      for (const void* entry : entries)
        if (entry) CFRelease(entry);
      return made;
    }
    CFTypeRef operator()(const platform::AXValueError& e) const {
      return new __AXValue(static_cast<AXError>(e.error));
    }
  };
  return std::visit(Maker{}, value.value);
}

AXError answer(platform::AXError error) {
  return static_cast<AXError>(error);
}

}  // namespace

bool __AXUIElement::equals(const Object& other) const {
  return element == static_cast<const __AXUIElement&>(other).element;
}

CFHashCode __AXUIElement::hash() const {
  return static_cast<CFHashCode>(element.element) * 31 + static_cast<CFHashCode>(element.pid);
}

const CFStringRef kAXTrustedCheckOptionPrompt = new __CFString(u"AXTrustedCheckOptionPrompt", true);

Boolean AXIsProcessTrusted(void) {
  return server("AXIsProcessTrusted").isProcessTrusted();
}

Boolean AXIsProcessTrustedWithOptions(CFDictionaryRef options) {
  bool prompt = false;
  if (options) {
    const void* value = CFDictionaryGetValue(options, kAXTrustedCheckOptionPrompt);
    prompt = value && CFGetTypeID(value) == CFBooleanGetTypeID() &&
             CFBooleanGetValue(static_cast<CFBooleanRef>(value));
  }
  return server("AXIsProcessTrustedWithOptions").isProcessTrustedWithOptions(prompt);
}

CFTypeID AXUIElementGetTypeID(void) {
  return macshim::axElementType;
}

AXUIElementRef AXUIElementCreateSystemWide(void) {
  return new __AXUIElement(server("AXUIElementCreateSystemWide").createSystemWide());
}

AXUIElementRef AXUIElementCreateApplication(pid_t pid) {
  return new __AXUIElement(server("AXUIElementCreateApplication").createApplication(pid));
}

AXError AXUIElementSetMessagingTimeout(AXUIElementRef reference, float timeoutInSeconds) {
  const auto& target = element(reference, "AXUIElementSetMessagingTimeout");
  return answer(
      server("AXUIElementSetMessagingTimeout").setMessagingTimeout(target, timeoutInSeconds));
}

AXError AXUIElementCopyAttributeValue(AXUIElementRef reference, CFStringRef attribute,
                                      CFTypeRef* value) {
  constexpr const char* call = "AXUIElementCopyAttributeValue";
  const auto& target = element(reference, call);
  const std::string name = utf8(attribute, call);
  if (!value) return kAXErrorIllegalArgument;
  platform::CFValue read;
  const platform::AXError error = server(call).copyAttributeValue(target, name, read);
  if (error != platform::AXError::success) return answer(error);
  *value = makeValue(read);
  return *value ? kAXErrorSuccess : kAXErrorNoValue;
}

AXError AXUIElementCopyMultipleAttributeValues(AXUIElementRef reference, CFArrayRef attributes,
                                               AXCopyMultipleAttributeOptions options,
                                               CFArrayRef* values) {
  constexpr const char* call = "AXUIElementCopyMultipleAttributeValues";
  const auto& target = element(reference, call);
  const auto& names = live<__CFArray>(attributes, call, macshim::arrayType);
  if (!values) return kAXErrorIllegalArgument;
  std::vector<std::string> wanted;
  for (const void* name : names.values)
    wanted.push_back(utf8(static_cast<CFStringRef>(name), call));
  platform::CFValue read;
  const platform::AXError error =
      server(call).copyMultipleAttributeValues(target, wanted, options, read);
  if (error != platform::AXError::success) return answer(error);
  *values = static_cast<CFArrayRef>(makeValue(read));
  return kAXErrorSuccess;
}

AXError AXUIElementPerformAction(AXUIElementRef reference, CFStringRef action) {
  constexpr const char* call = "AXUIElementPerformAction";
  const auto& target = element(reference, call);
  return answer(server(call).performAction(target, utf8(action, call)));
}

AXError AXUIElementGetPid(AXUIElementRef reference, pid_t* pid) {
  const auto& target = element(reference, "AXUIElementGetPid");
  if (!pid) return kAXErrorIllegalArgument;
  return answer(server("AXUIElementGetPid").getPid(target, *pid));
}

CFTypeID AXValueGetTypeID(void) {
  return macshim::axValueType;
}

AXValueType AXValueGetType(AXValueRef value) {
  live(value, "AXValueGetType", macshim::axValueType);
  return kAXValueTypeAXError;  // the only kind the simulated Mac answers with
}

Boolean AXValueGetValue(AXValueRef value, AXValueType theType, void* valuePtr) {
  const auto& held = live<__AXValue>(value, "AXValueGetValue", macshim::axValueType);
  if (theType != kAXValueTypeAXError || !valuePtr) return false;
  *static_cast<AXError*>(valuePtr) = held.error;
  return true;
}
