#include "Platform/macos/MacAccessibility.hpp"

#include <ApplicationServices/ApplicationServices.h>

#include <unordered_map>

#include "CFRef.hpp"
#include "Platform/Text.hpp"

namespace quillo::platform::macos {

namespace {

using ElementRef = CFRef<AXUIElementRef>;

/// One user-interface element as far as CFEqual goes: every reference to it
/// shares this, and it lives as long as any of them.
struct Identity {
  std::uint64_t number = 0;
  ElementRef sample;  // one of its references, to compare new ones with
};

/// What an AXUIElement value keeps alive: its own reference and its identity.
struct Held {
  ElementRef reference;
  std::shared_ptr<Identity> identity;
};

CFRef<CFStringRef> makeString(std::string_view text) {
  return CFRef<CFStringRef>::adopt(
      CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(text.data()),
                              static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8, false));
}

std::string utf8(CFStringRef string) {
  std::u16string characters(static_cast<std::size_t>(CFStringGetLength(string)), u'\0');
  CFStringGetCharacters(string, CFRangeMake(0, static_cast<CFIndex>(characters.size())),
                        reinterpret_cast<UniChar*>(characters.data()));
  return text::utf8(characters);
}

AXUIElementRef referenceOf(const AXUIElement& element) {
  const auto* held = static_cast<const Held*>(element.reference.get());
  return held ? held->reference.get() : nullptr;
}

AXError passed(::AXError error) {
  return static_cast<AXError>(error);  // every code unchanged, known or not
}

}  // namespace

struct MacAccessibility::Identities {
  std::unordered_multimap<CFHashCode, std::weak_ptr<Identity>> byHash;
  std::uint64_t nextNumber = 1;
  std::uint64_t nextInstance = 1;
  std::size_t addedSinceSweep = 0;

  /// The value standing for a reference we now own.
  AXUIElement wrap(ElementRef reference) {
    AXUIElement value;
    if (!reference) return value;
    std::shared_ptr<Identity> identity = find(reference.get());
    if (!identity) {
      identity = std::make_shared<Identity>();
      identity->number = nextNumber++;
      identity->sample = reference;
      byHash.emplace(CFHash(reference.get()), identity);
      if (++addedSinceSweep > byHash.size() / 2 + 64) sweep();
    }
    pid_t pid = 0;
    if (AXUIElementGetPid(reference.get(), &pid) != kAXErrorSuccess) pid = 0;  // system-wide
    value.pid = pid;
    value.element = identity->number;
    value.instance = nextInstance++;
    value.reference = std::make_shared<const Held>(Held{std::move(reference), std::move(identity)});
    return value;
  }

  std::shared_ptr<Identity> find(AXUIElementRef reference) {
    auto [first, last] = byHash.equal_range(CFHash(reference));
    for (auto entry = first; entry != last; ++entry) {
      auto identity = entry->second.lock();
      if (identity && CFEqual(identity->sample.get(), reference)) return identity;
    }
    return nullptr;
  }

  /// Forgets elements no value refers to any more.
  void sweep() {
    std::erase_if(byHash, [](const auto& entry) { return entry.second.expired(); });
    addedSinceSweep = 0;
  }

  /// The one conversion of a CF value into the seam's value. `cf` is
  /// borrowed; elements in it get references of their own.
  CFValue fromCF(CFTypeRef cf) {
    if (!cf) return {};
    const CFTypeID type = CFGetTypeID(cf);
    if (type == CFStringGetTypeID()) return utf8(static_cast<CFStringRef>(cf));
    if (type == CFBooleanGetTypeID()) return CFBooleanGetValue(static_cast<CFBooleanRef>(cf)) != 0;
    if (type == CFNumberGetTypeID()) {
      const auto number = static_cast<CFNumberRef>(cf);
      if (CFNumberIsFloatType(number)) {
        double real = 0;
        CFNumberGetValue(number, kCFNumberDoubleType, &real);
        return real;
      }
      std::int64_t integer = 0;
      CFNumberGetValue(number, kCFNumberSInt64Type, &integer);
      return integer;
    }
    if (type == AXUIElementGetTypeID())
      return wrap(ElementRef::retain(static_cast<AXUIElementRef>(cf)));
    if (type == CFArrayGetTypeID()) {
      const auto array = static_cast<CFArrayRef>(cf);
      CFValue::Array entries;
      const CFIndex count = CFArrayGetCount(array);
      for (CFIndex i = 0; i < count; ++i)
        entries.push_back(fromCF(CFArrayGetValueAtIndex(array, i)));
      return entries;
    }
    if (type == AXValueGetTypeID()) {
      const auto value = static_cast<AXValueRef>(cf);
      ::AXError error = kAXErrorSuccess;
      if (AXValueGetType(value) == kAXValueTypeAXError &&
          AXValueGetValue(value, kAXValueTypeAXError, &error)) {
        return AXValueError{passed(error)};
      }
    }
    return {};  // a type Quillo never reads
  }
};

MacAccessibility::MacAccessibility() : identities_(std::make_shared<Identities>()) {}

MacAccessibility::~MacAccessibility() = default;

bool MacAccessibility::isProcessTrusted() const {
  return AXIsProcessTrusted();
}

bool MacAccessibility::isProcessTrustedWithOptions(bool prompt) {
  const void* keys[] = {kAXTrustedCheckOptionPrompt};
  const void* values[] = {prompt ? kCFBooleanTrue : kCFBooleanFalse};
  const auto options = CFRef<CFDictionaryRef>::adopt(
      CFDictionaryCreate(kCFAllocatorDefault, keys, values, 1, &kCFTypeDictionaryKeyCallBacks,
                         &kCFTypeDictionaryValueCallBacks));
  return AXIsProcessTrustedWithOptions(options.get());
}

AXUIElement MacAccessibility::createSystemWide() {
  return identities_->wrap(ElementRef::adopt(AXUIElementCreateSystemWide()));
}

AXUIElement MacAccessibility::createApplication(pid_t pid) {
  return identities_->wrap(ElementRef::adopt(AXUIElementCreateApplication(pid)));
}

AXError MacAccessibility::setMessagingTimeout(const AXUIElement& element, float seconds) {
  AXUIElementRef reference = referenceOf(element);
  if (!reference) return AXError::illegalArgument;
  return passed(AXUIElementSetMessagingTimeout(reference, seconds));
}

AXError MacAccessibility::copyAttributeValue(const AXUIElement& element, std::string_view attribute,
                                             CFValue& value) {
  AXUIElementRef reference = referenceOf(element);
  if (!reference) return AXError::illegalArgument;
  const auto name = makeString(attribute);
  CFTypeRef copied = nullptr;
  const ::AXError error = AXUIElementCopyAttributeValue(reference, name.get(), &copied);
  const auto owned = CFRef<CFTypeRef>::adopt(copied);  // the Copy rule
  if (error == kAXErrorSuccess) value = identities_->fromCF(owned.get());
  return passed(error);
}

AXError MacAccessibility::copyMultipleAttributeValues(const AXUIElement& element,
                                                      const std::vector<std::string>& attributes,
                                                      std::uint32_t options, CFValue& values) {
  AXUIElementRef reference = referenceOf(element);
  if (!reference) return AXError::illegalArgument;
  std::vector<CFRef<CFStringRef>> names;
  std::vector<const void*> entries;
  for (const auto& attribute : attributes) {
    names.push_back(makeString(attribute));
    entries.push_back(names.back().get());
  }
  const auto wanted = CFRef<CFArrayRef>::adopt(CFArrayCreate(kCFAllocatorDefault, entries.data(),
                                                             static_cast<CFIndex>(entries.size()),
                                                             &kCFTypeArrayCallBacks));
  CFArrayRef copied = nullptr;
  const ::AXError error =
      AXUIElementCopyMultipleAttributeValues(reference, wanted.get(), options, &copied);
  const auto owned = CFRef<CFArrayRef>::adopt(copied);
  if (error == kAXErrorSuccess) values = identities_->fromCF(owned.get());
  return passed(error);
}

AXError MacAccessibility::getPid(const AXUIElement& element, pid_t& pid) const {
  AXUIElementRef reference = referenceOf(element);
  if (!reference) return AXError::illegalArgument;
  return passed(AXUIElementGetPid(reference, &pid));
}

AXError MacAccessibility::performAction(const AXUIElement& element, std::string_view action) {
  AXUIElementRef reference = referenceOf(element);
  if (!reference) return AXError::illegalArgument;
  return passed(AXUIElementPerformAction(reference, makeString(action).get()));
}

}  // namespace quillo::platform::macos
