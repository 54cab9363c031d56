// The MacShim's own semantics, those the macOS adapters rely on: ownership
// and retain counts, CFEqual of element references, UTF-16 strings, arrays
// holding their entries, run loops holding their sources, and event taps as
// the system gives them.
#include <ApplicationServices/ApplicationServices.h>

#include <string>

#include "MacShimFixture.hpp"

namespace quillo {
namespace {

using testing::MacShimTest;

CFStringRef makeString(const std::string& utf8) {
  return CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(utf8.data()),
                                 static_cast<CFIndex>(utf8.size()), kCFStringEncodingUTF8, false);
}

TEST_F(MacShimTest, CreateGivesOneReferenceAndTheLastReleaseFreesTheObject) {
  CFStringRef text = makeString("Archive");
  EXPECT_EQ(CFGetRetainCount(text), 1);
  EXPECT_EQ(macshim::liveObjectCount(), liveBefore + 1);
  CFRetain(text);
  EXPECT_EQ(CFGetRetainCount(text), 2);
  CFRelease(text);
  EXPECT_EQ(CFGetRetainCount(text), 1);
  CFRelease(text);
  EXPECT_EQ(macshim::liveObjectCount(), liveBefore);
}

TEST_F(MacShimTest, ConstantsIgnoreRetainAndRelease) {
  CFRelease(kCFBooleanTrue);
  CFRelease(kCFRunLoopCommonModes);
  EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
  EXPECT_EQ(CFGetTypeID(kCFRunLoopCommonModes), CFStringGetTypeID());
}

using MacShimDeathTest = MacShimTest;

TEST_F(MacShimDeathTest, AnOverReleaseStopsTheProgramWithAMessage) {
  EXPECT_DEATH(
      {
        CFStringRef text = makeString("once");
        CFRelease(text);
        CFRelease(text);
      },
      "macshim: CFRelease: not a live object");
}

TEST_F(MacShimDeathTest, AnObjectOfAnotherTypeIsRefused) {
  CFStringRef text = makeString("not an array");
  EXPECT_DEATH(CFArrayGetCount(reinterpret_cast<CFArrayRef>(text)),
               "macshim: CFArrayGetCount: object of another type");
  CFRelease(text);
}

TEST_F(MacShimTest, StringsAreTheirUTF16Units) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"", u""},
      {"Mail", u"Mail"},
      {"\xF0\x9F\x93\xA7", u"\U0001F4E7"},
      {"\xF0\x9F\x93\xA7 Inbox", u"\U0001F4E7 Inbox"},
      {"e\xCC\x81", u"e\u0301"},
      {"\xC3\x9C", u"\u00DC"},
  };
  for (const auto& [utf8, units] : cases) {
    CFStringRef text = makeString(utf8);
    EXPECT_EQ(CFStringGetLength(text), static_cast<CFIndex>(units.size())) << utf8;
    std::u16string copied(units.size(), u'?');
    CFStringGetCharacters(text, CFRangeMake(0, static_cast<CFIndex>(copied.size())),
                          reinterpret_cast<UniChar*>(copied.data()));
    EXPECT_EQ(copied, units) << utf8;
    CFRelease(text);
  }
}

TEST_F(MacShimTest, ArraysRetainTheirEntriesOnlyWithTheTypeCallBacks) {
  CFStringRef entry = makeString("AXRole");
  const void* values[] = {entry};
  CFArrayRef plain = CFArrayCreate(kCFAllocatorDefault, values, 1, nullptr);
  EXPECT_EQ(CFGetRetainCount(entry), 1);
  CFRelease(plain);
  EXPECT_EQ(CFGetRetainCount(entry), 1);
  CFArrayRef array = CFArrayCreate(kCFAllocatorDefault, values, 1, &kCFTypeArrayCallBacks);
  EXPECT_EQ(CFGetRetainCount(entry), 2);
  CFRelease(entry);  // the array keeps it alive
  EXPECT_EQ(CFStringGetLength(static_cast<CFStringRef>(CFArrayGetValueAtIndex(array, 0))), 6);
  CFRelease(array);
  EXPECT_EQ(macshim::liveObjectCount(), liveBefore);
}

TEST_F(MacShimTest, NumbersSayWhetherAConversionWasExact) {
  const std::int64_t big = std::int64_t{1} << 40;
  const double half = 2.5;
  CFNumberRef integer = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt64Type, &big);
  CFNumberRef real = CFNumberCreate(kCFAllocatorDefault, kCFNumberDoubleType, &half);
  std::int64_t asInteger = 0;
  std::int32_t asSmall = 0;
  double asReal = 0;
  EXPECT_FALSE(CFNumberIsFloatType(integer));
  EXPECT_TRUE(CFNumberGetValue(integer, kCFNumberSInt64Type, &asInteger));
  EXPECT_EQ(asInteger, big);
  EXPECT_FALSE(CFNumberGetValue(integer, kCFNumberSInt32Type, &asSmall));  // too big
  EXPECT_TRUE(CFNumberIsFloatType(real));
  EXPECT_FALSE(CFNumberGetValue(real, kCFNumberSInt64Type, &asInteger));  // 2.5 is not 2
  EXPECT_EQ(asInteger, 2);
  EXPECT_TRUE(CFNumberGetValue(real, kCFNumberDoubleType, &asReal));
  EXPECT_EQ(asReal, 2.5);
  CFRelease(integer);
  CFRelease(real);
}

TEST_F(MacShimTest, TwoReferencesToOneElementAreEqualButNotTheSameObject) {
  AXUIElementRef one = AXUIElementCreateApplication(mail->pid());
  AXUIElementRef two = AXUIElementCreateApplication(mail->pid());
  AXUIElementRef systemWide = AXUIElementCreateSystemWide();
  EXPECT_NE(one, two);
  EXPECT_TRUE(CFEqual(one, two));
  EXPECT_EQ(CFHash(one), CFHash(two));
  EXPECT_FALSE(CFEqual(one, systemWide));
  CFStringRef focused = makeString("AXFocusedUIElement");
  CFTypeRef first = nullptr;
  CFTypeRef second = nullptr;
  ASSERT_EQ(AXUIElementCopyAttributeValue(one, focused, &first), kAXErrorSuccess);
  ASSERT_EQ(AXUIElementCopyAttributeValue(two, focused, &second), kAXErrorSuccess);
  EXPECT_NE(first, second);
  EXPECT_TRUE(CFEqual(first, second));
  EXPECT_EQ(CFGetTypeID(first), AXUIElementGetTypeID());
  for (CFTypeRef owned :
       {first, second, static_cast<CFTypeRef>(focused), static_cast<CFTypeRef>(one),
        static_cast<CFTypeRef>(two), static_cast<CFTypeRef>(systemWide)})
    CFRelease(owned);
}

TEST_F(MacShimTest, AttributeArraysAreCopiedToTheCallerWithTheirElements) {
  AXUIElementRef application = AXUIElementCreateApplication(mail->pid());
  CFStringRef windows = makeString("AXWindows");
  CFTypeRef value = nullptr;
  ASSERT_EQ(AXUIElementCopyAttributeValue(application, windows, &value), kAXErrorSuccess);
  ASSERT_EQ(CFGetTypeID(value), CFArrayGetTypeID());
  const auto array = static_cast<CFArrayRef>(value);
  ASSERT_GE(CFArrayGetCount(array), 1);
  EXPECT_EQ(CFGetRetainCount(array), 1);
  EXPECT_EQ(CFGetRetainCount(CFArrayGetValueAtIndex(array, 0)), 1);  // the array's alone
  CFRelease(value);
  CFRelease(windows);
  CFRelease(application);
}

/// Records what a tap's callback was handed, and drops the keys asked for.
struct TapRecord {
  std::vector<CGEventType> types;
  std::vector<std::int64_t> keyCodes;
  bool drop = false;
  bool releaseTheEvent = false;

  static CGEventRef callback(CGEventTapProxy, CGEventType type, CGEventRef event, void* info) {
    auto* self = static_cast<TapRecord*>(info);
    self->types.push_back(type);
    if (type == kCGEventKeyDown || type == kCGEventKeyUp)
      self->keyCodes.push_back(CGEventGetIntegerValueField(event, kCGKeyboardEventKeycode));
    if (self->releaseTheEvent) CFRelease(event);  // not ours to release
    return self->drop ? nullptr : event;
  }
};

CFMachPortRef createTap(TapRecord& record) {
  return CGEventTapCreate(kCGSessionEventTap, kCGHeadInsertEventTap, kCGEventTapOptionDefault,
                          CGEventMaskBit(kCGEventKeyDown) | CGEventMaskBit(kCGEventKeyUp),
                          &TapRecord::callback, &record);
}

TEST_F(MacShimTest, ATapHearsKeysOnlyOnceItsSourceIsInTheRunLoop) {
  TapRecord record;
  CFMachPortRef tap = createTap(record);
  ASSERT_NE(tap, nullptr);
  CFRunLoopSourceRef source = CFMachPortCreateRunLoopSource(kCFAllocatorDefault, tap, 0);
  user.press("e");
  EXPECT_TRUE(record.types.empty());
  CFRunLoopAddSource(CFRunLoopGetMain(), source, kCFRunLoopCommonModes);
  EXPECT_TRUE(CFRunLoopContainsSource(CFRunLoopGetMain(), source, kCFRunLoopCommonModes));
  user.press("e");
  EXPECT_EQ(record.types, (std::vector<CGEventType>{kCGEventKeyDown, kCGEventKeyUp}));
  EXPECT_EQ(record.keyCodes, (std::vector<std::int64_t>{14, 14}));
  CFRunLoopRemoveSource(CFRunLoopGetMain(), source, kCFRunLoopCommonModes);
  CFMachPortInvalidate(tap);
  EXPECT_FALSE(CFMachPortIsValid(tap));
  CFRelease(source);
  CFRelease(tap);
}

TEST_F(MacShimTest, TheRunLoopHoldsTheSourcesAddedToIt) {
  TapRecord record;
  CFMachPortRef tap = createTap(record);
  CFRunLoopSourceRef source = CFMachPortCreateRunLoopSource(kCFAllocatorDefault, tap, 0);
  EXPECT_EQ(CFGetRetainCount(tap), 2);  // the source keeps its port
  CFRunLoopAddSource(CFRunLoopGetMain(), source, kCFRunLoopCommonModes);
  EXPECT_EQ(CFGetRetainCount(source), 2);
  CFRelease(source);
  CFRelease(tap);
  user.press("e");  // both alive still, held by the run loop
  EXPECT_EQ(record.types.size(), 2u);
  CFRunLoopRemoveSource(CFRunLoopGetMain(), source, kCFRunLoopCommonModes);
  EXPECT_EQ(macshim::liveObjectCount(), liveBefore);
  EXPECT_EQ(mac.windowServer().tapCount(), 0u);  // the tap went with its last reference
}

TEST_F(MacShimDeathTest, ACallbackThatReleasesTheEventItWasGivenIsCaught) {
  EXPECT_DEATH(
      {
        TapRecord record;
        record.releaseTheEvent = true;
        CFMachPortRef tap = createTap(record);
        CFRunLoopSourceRef source = CFMachPortCreateRunLoopSource(kCFAllocatorDefault, tap, 0);
        CFRunLoopAddSource(CFRunLoopGetMain(), source, kCFRunLoopCommonModes);
        user.press("e");
      },
      "macshim: CGEventTapCallBack \\(its answer\\): not a live object");
}

TEST_F(MacShimTest, DetachingLetsGoOfTheSourcesTheRunLoopStillHolds) {
  TapRecord record;
  CFMachPortRef tap = createTap(record);
  CFRunLoopSourceRef source = CFMachPortCreateRunLoopSource(kCFAllocatorDefault, tap, 0);
  CFRunLoopAddSource(CFRunLoopGetMain(), source, kCFRunLoopCommonModes);
  CFRelease(source);
  CFRelease(tap);
  shim.reset();
  EXPECT_EQ(macshim::liveObjectCount(), liveBefore);
  EXPECT_EQ(mac.windowServer().tapCount(), 0u);
  shim.emplace(mac);
}

}  // namespace
}  // namespace quillo
