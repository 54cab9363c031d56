#include "Platform/macos/MacKeyboardLayouts.hpp"

#include <Carbon/Carbon.h>

#include <vector>

#include "CFRef.hpp"

namespace quillo::platform::macos {

namespace {

/// The 'uchr' data of one input source, which it keeps alive.
class InputSourceLayout final : public UnicodeKeyLayout {
 public:
  InputSourceLayout(CFRef<TISInputSourceRef> source, const UCKeyboardLayout* layout)
      : source_(std::move(source)), layout_(layout) {}

  std::int32_t translate(std::uint16_t keyCode, std::uint16_t keyAction,
                         std::uint32_t modifierKeyState, std::uint32_t keyboardType,
                         std::uint32_t options, std::uint32_t& deadKeyState, std::size_t maxLength,
                         std::u16string& characters) const override {
    std::vector<UniChar> buffer(maxLength);
    UniCharCount length = 0;
    const OSStatus status =
        UCKeyTranslate(layout_, keyCode, keyAction, modifierKeyState, keyboardType, options,
                       &deadKeyState, maxLength, &length, buffer.data());
    characters.assign(reinterpret_cast<const char16_t*>(buffer.data()), length);
    return status;
  }

 private:
  CFRef<TISInputSourceRef> source_;
  const UCKeyboardLayout* layout_;  // owned by source_
};

}  // namespace

std::shared_ptr<const UnicodeKeyLayout> MacKeyboardLayouts::currentKeyboardLayout() const {
  auto source = CFRef<TISInputSourceRef>::adopt(TISCopyCurrentKeyboardLayoutInputSource());
  if (!source) return nullptr;
  // Borrowed from the source (the Get rule), so the source stays with it.
  const auto data = static_cast<CFDataRef>(
      TISGetInputSourceProperty(source.get(), kTISPropertyUnicodeKeyLayoutData));
  if (!data) return nullptr;
  const auto* layout = reinterpret_cast<const UCKeyboardLayout*>(CFDataGetBytePtr(data));
  return std::make_shared<InputSourceLayout>(std::move(source), layout);
}

std::uint32_t MacKeyboardLayouts::keyboardType() const {
  return LMGetKbdType();
}

}  // namespace quillo::platform::macos
