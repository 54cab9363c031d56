// The MacShim's Text Input Sources, UCKeyTranslate, LMGetKbdType and secure
// event input, over the simulated Mac's keyboard.
#include <algorithm>

#include "Simulator/SimulatedMac.hpp"
#include "Types.hpp"

using namespace quillo;
using macshim::live;

const CFStringRef kTISPropertyUnicodeKeyLayoutData =
    new __CFString(u"TISPropertyUnicodeKeyLayoutData", true);

__TISInputSource::~__TISInputSource() {
  if (layoutData) CFRelease(layoutData);
}

TISInputSourceRef TISCopyCurrentKeyboardLayoutInputSource(void) {
  auto layout = macshim::mac("TISCopyCurrentKeyboardLayoutInputSource")
                    .windowServer()
                    .currentKeyboardLayout();
  // A layout without 'uchr' data (some input methods) still is a source.
  CFDataRef data = layout ? new __CFData(std::move(layout)) : nullptr;
  return new __TISInputSource(data);
}

void* TISGetInputSourceProperty(TISInputSourceRef inputSource, CFStringRef propertyKey) {
  auto& source =
      live<__TISInputSource>(inputSource, "TISGetInputSourceProperty", macshim::inputSourceType);
  live(propertyKey, "TISGetInputSourceProperty", macshim::stringType);
  if (!CFEqual(propertyKey, kTISPropertyUnicodeKeyLayoutData)) return nullptr;
  return const_cast<__CFData*>(source.layoutData);
}

OSStatus UCKeyTranslate(const UCKeyboardLayout* keyLayoutPtr, UInt16 virtualKeyCode,
                        UInt16 keyAction, UInt32 modifierKeyState, UInt32 keyboardType,
                        OptionBits keyTranslateOptions, UInt32* deadKeyState,
                        UniCharCount maxStringLength, UniCharCount* actualStringLength,
                        UniChar unicodeString[]) {
  if (!keyLayoutPtr || keyLayoutPtr->marker != UCKeyboardLayout::kMarker || !deadKeyState ||
      !actualStringLength || (maxStringLength > 0 && !unicodeString)) {
    return paramErr;
  }
  std::u16string characters;
  const OSStatus status = keyLayoutPtr->layout->translate(
      virtualKeyCode, keyAction, modifierKeyState, keyboardType, keyTranslateOptions, *deadKeyState,
      maxStringLength, characters);
  const std::size_t count = std::min<std::size_t>(characters.size(), maxStringLength);
  std::copy_n(characters.begin(), count, unicodeString);
  *actualStringLength = count;
  return status;
}

UInt8 LMGetKbdType(void) {
  return static_cast<UInt8>(macshim::mac("LMGetKbdType").windowServer().keyboardType());
}

Boolean IsSecureEventInputEnabled(void) {
  return macshim::mac("IsSecureEventInputEnabled").windowServer().isSecureEventInputEnabled();
}
