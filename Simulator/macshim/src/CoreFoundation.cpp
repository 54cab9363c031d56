// The MacShim's CoreFoundation: the object table with real retain counts,
// strings, arrays, booleans, numbers, data, dictionaries, and the main run
// loop with its sources.
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "Platform/Text.hpp"
#include "Simulator/SimulatedMac.hpp"
#include "Types.hpp"

namespace quillo::macshim {

namespace {

/// Every object alive, constants included. Never destroyed: constants live
/// as long as the process, and the table must outlive them.
std::unordered_set<const Object*>& table() {
  static auto* objects = new std::unordered_set<const Object*>();
  return *objects;
}

std::size_t& mortalCount() {
  static std::size_t count = 0;
  return count;
}

}  // namespace

Object::Object(CFTypeID type, bool immortal) : type_(type), immortal_(immortal) {
  table().insert(this);
  if (!immortal_) ++mortalCount();
}

Object::~Object() {
  table().erase(this);
  if (!immortal_) --mortalCount();
}

void fail(const char* call, const char* problem) {
  std::fprintf(stderr, "macshim: %s: %s\n", call, problem);
  std::fflush(stderr);
  std::abort();
}

Object& live(CFTypeRef reference, const char* call, CFTypeID type) {
  if (reference == nullptr) fail(call, "NULL reference");
  const auto* object = static_cast<const Object*>(reference);
  if (!table().contains(object)) {
    fail(call, "not a live object (released once too often, or never created)");
  }
  if (type != 0 && object->type() != type) fail(call, "object of another type");
  return const_cast<Object&>(*object);
}

std::size_t liveObjectCount() {
  return mortalCount();
}

const std::u16string& characters(CFStringRef string, const char* call) {
  return live<__CFString>(string, call, stringType).characters;
}

CFStringRef makeString(std::u16string text) {
  return handOut<CFStringRef>(new __CFString(std::move(text)));
}

__CFRunLoop& mainRunLoop() {
  static auto* loop = new __CFRunLoop();
  return *loop;
}

}  // namespace quillo::macshim

using namespace quillo;
using macshim::live;

// MARK: - Any object

CFTypeRef CFRetain(CFTypeRef cf) {
  auto& object = live(cf, "CFRetain");
  if (!object.immortal()) ++object.retainCount;
  return cf;
}

void CFRelease(CFTypeRef cf) {
  auto& object = live(cf, "CFRelease");
  if (object.immortal()) return;
  if (--object.retainCount == 0) delete &object;
}

CFIndex CFGetRetainCount(CFTypeRef cf) {
  return live(cf, "CFGetRetainCount").retainCount;
}

CFTypeID CFGetTypeID(CFTypeRef cf) {
  return live(cf, "CFGetTypeID").type();
}

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2) {
  const auto& one = live(cf1, "CFEqual");
  const auto& other = live(cf2, "CFEqual");
  return one.type() == other.type() && one.equals(other);
}

CFHashCode CFHash(CFTypeRef cf) {
  return live(cf, "CFHash").hash();
}

// MARK: - Strings

bool __CFString::equals(const Object& other) const {
  return characters == static_cast<const __CFString&>(other).characters;
}

CFTypeID CFStringGetTypeID(void) {
  return macshim::stringType;
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* chars, CFIndex numChars) {
  if (numChars < 0 || (numChars > 0 && !chars)) return nullptr;
  return macshim::makeString(
      std::u16string(reinterpret_cast<const char16_t*>(chars), static_cast<std::size_t>(numChars)));
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean) {
  if (encoding != kCFStringEncodingUTF8 || numBytes < 0 || (numBytes > 0 && !bytes)) return nullptr;
  const std::string text(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(numBytes));
  return macshim::makeString(platform::text::utf16(text));
}

CFIndex CFStringGetLength(CFStringRef theString) {
  return static_cast<CFIndex>(macshim::characters(theString, "CFStringGetLength").size());
}

void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar* buffer) {
  const auto& text = macshim::characters(theString, "CFStringGetCharacters");
  if (range.location < 0 || range.length < 0 ||
      static_cast<std::size_t>(range.location + range.length) > text.size()) {
    macshim::fail("CFStringGetCharacters", "range outside the string");
  }
  std::memcpy(buffer, text.data() + range.location,
              static_cast<std::size_t>(range.length) * sizeof(UniChar));
}

// MARK: - Arrays

namespace {

const void* retainCallBack(CFAllocatorRef, const void* value) {
  return CFRetain(value);
}
void releaseCallBack(CFAllocatorRef, const void* value) {
  CFRelease(value);
}
Boolean equalCallBack(const void* one, const void* other) {
  return CFEqual(one, other);
}
CFHashCode hashCallBack(const void* value) {
  return CFHash(value);
}

}  // namespace

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, retainCallBack, releaseCallBack, nullptr,
                                                equalCallBack};

__CFArray::__CFArray(std::vector<const void*> entries, const CFArrayCallBacks* given)
    : Object(macshim::arrayType), values(std::move(entries)) {
  // NULL call-backs: the array holds its entries without retaining them.
  if (given) callBacks = *given;
  if (callBacks.retain) {
    for (const void* value : values)
      callBacks.retain(kCFAllocatorDefault, value);
  }
}

__CFArray::~__CFArray() {
  if (!callBacks.release) return;
  for (const void* value : values)
    callBacks.release(kCFAllocatorDefault, value);
}

CFTypeID CFArrayGetTypeID(void) {
  return macshim::arrayType;
}

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks) {
  if (numValues < 0 || (numValues > 0 && !values)) return nullptr;
  return macshim::handOut<CFArrayRef>(
      new __CFArray(std::vector<const void*>(values, values + numValues), callBacks));
}

CFIndex CFArrayGetCount(CFArrayRef theArray) {
  return static_cast<CFIndex>(
      live<__CFArray>(theArray, "CFArrayGetCount", macshim::arrayType).values.size());
}

const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx) {
  const auto& array = live<__CFArray>(theArray, "CFArrayGetValueAtIndex", macshim::arrayType);
  if (idx < 0 || static_cast<std::size_t>(idx) >= array.values.size())
    macshim::fail("CFArrayGetValueAtIndex", "index outside the array");
  return array.values[static_cast<std::size_t>(idx)];
}

// MARK: - Booleans

const CFBooleanRef kCFBooleanTrue = new __CFBoolean(true);
const CFBooleanRef kCFBooleanFalse = new __CFBoolean(false);

CFTypeID CFBooleanGetTypeID(void) {
  return macshim::booleanType;
}

Boolean CFBooleanGetValue(CFBooleanRef boolean) {
  return live<__CFBoolean>(boolean, "CFBooleanGetValue", macshim::booleanType).value;
}

// MARK: - Numbers

bool __CFNumber::equals(const Object& other) const {
  const auto& number = static_cast<const __CFNumber&>(other);
  const double mine = isFloat ? real : static_cast<double>(integer);
  const double theirs = number.isFloat ? number.real : static_cast<double>(number.integer);
  return mine == theirs;
}

CFHashCode __CFNumber::hash() const {
  return std::hash<double>{}(isFloat ? real : static_cast<double>(integer));
}

CFTypeID CFNumberGetTypeID(void) {
  return macshim::numberType;
}

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType theType, const void* valuePtr) {
  if (!valuePtr) return nullptr;
  switch (theType) {
    case kCFNumberSInt32Type: {
      std::int32_t value;
      std::memcpy(&value, valuePtr, sizeof value);
      return macshim::handOut<CFNumberRef>(new __CFNumber(std::int64_t{value}));
    }
    case kCFNumberSInt64Type: {
      std::int64_t value;
      std::memcpy(&value, valuePtr, sizeof value);
      return macshim::handOut<CFNumberRef>(new __CFNumber(value));
    }
    case kCFNumberDoubleType: {
      double value;
      std::memcpy(&value, valuePtr, sizeof value);
      return macshim::handOut<CFNumberRef>(new __CFNumber(value));
    }
  }
  return nullptr;  // a type the shim does not model
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr) {
  const auto& n = live<__CFNumber>(number, "CFNumberGetValue", macshim::numberType);
  // As on a Mac: the value is converted, and the answer says whether it
  // was exact.
  switch (theType) {
    case kCFNumberSInt32Type: {
      const auto value =
          static_cast<std::int32_t>(n.isFloat ? static_cast<std::int64_t>(n.real) : n.integer);
      std::memcpy(valuePtr, &value, sizeof value);
      return !n.isFloat && value == n.integer;
    }
    case kCFNumberSInt64Type: {
      const std::int64_t value = n.isFloat ? static_cast<std::int64_t>(n.real) : n.integer;
      std::memcpy(valuePtr, &value, sizeof value);
      return !n.isFloat || static_cast<double>(value) == n.real;
    }
    case kCFNumberDoubleType: {
      const double value = n.isFloat ? n.real : static_cast<double>(n.integer);
      std::memcpy(valuePtr, &value, sizeof value);
      return n.isFloat || static_cast<std::int64_t>(value) == n.integer;
    }
  }
  return false;
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
  return live<__CFNumber>(number, "CFNumberIsFloatType", macshim::numberType).isFloat;
}

// MARK: - Data

CFTypeID CFDataGetTypeID(void) {
  return macshim::dataType;
}

CFIndex CFDataGetLength(CFDataRef theData) {
  live(theData, "CFDataGetLength", macshim::dataType);
  return sizeof(UCKeyboardLayout);
}

const UInt8* CFDataGetBytePtr(CFDataRef theData) {
  auto& data = live<__CFData>(theData, "CFDataGetBytePtr", macshim::dataType);
  return reinterpret_cast<const UInt8*>(&data.bytes);
}

// MARK: - Dictionaries

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {
    0, retainCallBack, releaseCallBack, nullptr, equalCallBack, hashCallBack};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {
    0, retainCallBack, releaseCallBack, nullptr, equalCallBack};

__CFDictionary::~__CFDictionary() {
  for (const auto& [key, value] : entries) {
    if (keyCallBacks.release) keyCallBacks.release(kCFAllocatorDefault, key);
    if (valueCallBacks.release) valueCallBacks.release(kCFAllocatorDefault, value);
  }
}

CFTypeID CFDictionaryGetTypeID(void) {
  return macshim::dictionaryType;
}

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef, const void** keys, const void** values,
                                   CFIndex numValues, const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks) {
  if (numValues < 0 || (numValues > 0 && (!keys || !values))) return nullptr;
  auto* dictionary = new __CFDictionary();
  if (keyCallBacks) dictionary->keyCallBacks = *keyCallBacks;
  if (valueCallBacks) dictionary->valueCallBacks = *valueCallBacks;
  for (CFIndex i = 0; i < numValues; ++i) {
    if (dictionary->keyCallBacks.retain) dictionary->keyCallBacks.retain(nullptr, keys[i]);
    if (dictionary->valueCallBacks.retain) dictionary->valueCallBacks.retain(nullptr, values[i]);
    dictionary->entries.emplace_back(keys[i], values[i]);
  }
  return macshim::handOut<CFDictionaryRef>(dictionary);
}

const void* CFDictionaryGetValue(CFDictionaryRef theDict, const void* key) {
  const auto& dictionary =
      live<__CFDictionary>(theDict, "CFDictionaryGetValue", macshim::dictionaryType);
  for (const auto& [candidate, value] : dictionary.entries) {
    const bool same = dictionary.keyCallBacks.equal ? dictionary.keyCallBacks.equal(candidate, key)
                                                    : candidate == key;
    if (same) return value;
  }
  return nullptr;
}

// MARK: - Run loops

const CFRunLoopMode kCFRunLoopDefaultMode = new __CFString(u"kCFRunLoopDefaultMode", true);
const CFStringRef kCFRunLoopCommonModes = new __CFString(u"kCFRunLoopCommonModes", true);

CFRunLoopRef CFRunLoopGetMain(void) {
  return &macshim::mainRunLoop();
}

void __CFRunLoop::clear() {
  // Released outside the list: a source's release may reach the Mac.
  const auto held = std::move(sources);
  sources.clear();
  for (const auto& [source, mode] : held)
    CFRelease(source);
}

void CFRunLoopAddSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode) {
  auto& loop = live<__CFRunLoop>(rl, "CFRunLoopAddSource", macshim::runLoopType);
  auto& added = live<__CFRunLoopSource>(source, "CFRunLoopAddSource", macshim::runLoopSourceType);
  live(mode, "CFRunLoopAddSource", macshim::stringType);
  if (CFRunLoopContainsSource(rl, source, mode)) return;
  // The run loop holds what is added to it.
  CFRetain(source);
  loop.sources.emplace_back(source, mode);
  if (auto* mac = macshim::macOf(added.generation))
    mac->windowServer().runLoopAddSource(added.source);
}

void CFRunLoopRemoveSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode) {
  auto& loop = live<__CFRunLoop>(rl, "CFRunLoopRemoveSource", macshim::runLoopType);
  auto& removed =
      live<__CFRunLoopSource>(source, "CFRunLoopRemoveSource", macshim::runLoopSourceType);
  const auto found = std::find_if(loop.sources.begin(), loop.sources.end(), [&](const auto& entry) {
    return entry.first == source && CFEqual(entry.second, mode);
  });
  if (found == loop.sources.end()) return;
  loop.sources.erase(found);
  const bool stillAdded = std::any_of(loop.sources.begin(), loop.sources.end(),
                                      [&](const auto& entry) { return entry.first == source; });
  if (!stillAdded) {
    if (auto* mac = macshim::macOf(removed.generation))
      mac->windowServer().runLoopRemoveSource(removed.source);
  }
  CFRelease(source);
}

Boolean CFRunLoopContainsSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode) {
  const auto& loop = live<__CFRunLoop>(rl, "CFRunLoopContainsSource", macshim::runLoopType);
  return std::any_of(loop.sources.begin(), loop.sources.end(), [&](const auto& entry) {
    return entry.first == source && CFEqual(entry.second, mode);
  });
}
