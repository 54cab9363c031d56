// MacAccessibility: the Accessibility seam over the AX C API.
//
// Every AXUIElementRef the system hands over becomes an AXUIElement value
// that keeps the reference alive (in its `reference`) until the last copy
// goes, so nothing here grows with the number of elements read. Elements
// that are CFEqual get the same `element` number (interned by CFHash, then
// CFEqual), so the seam's equality is CFEqual; each reference keeps its own
// `instance`, and with it its own messaging time-out. AXError codes pass
// through unchanged; CF values become the seam's values in one converter.
// Values must come from this object (or another MacAccessibility): an
// element made up elsewhere is refused with kAXErrorIllegalArgument.
// Main thread only; every call is synchronous, bounded by the time-outs.
#pragma once

#include <memory>

#include "Platform/Accessibility.hpp"

namespace quillo::platform::macos {

class MacAccessibility final : public Accessibility {
 public:
  MacAccessibility();
  ~MacAccessibility() override;
  MacAccessibility(const MacAccessibility&) = delete;
  MacAccessibility& operator=(const MacAccessibility&) = delete;

  bool isProcessTrusted() const override;
  bool isProcessTrustedWithOptions(bool prompt) override;
  AXUIElement createSystemWide() override;
  AXUIElement createApplication(pid_t pid) override;
  AXError setMessagingTimeout(const AXUIElement& element, float seconds) override;
  AXError copyAttributeValue(const AXUIElement& element, std::string_view attribute,
                             CFValue& value) override;
  AXError copyMultipleAttributeValues(const AXUIElement& element,
                                      const std::vector<std::string>& attributes,
                                      std::uint32_t options, CFValue& values) override;
  AXError getPid(const AXUIElement& element, pid_t& pid) const override;
  AXError performAction(const AXUIElement& element, std::string_view action) override;

 private:
  struct Identities;
  std::shared_ptr<Identities> identities_;
};

}  // namespace quillo::platform::macos
