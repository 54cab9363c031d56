// MacKeyboardLayouts: the keyboard-layout seam over Text Input Sources —
// the current layout's 'uchr' data (kTISPropertyUnicodeKeyLayoutData),
// UCKeyTranslate and LMGetKbdType.
//
// A layout handed out keeps its input source alive (the 'uchr' bytes belong
// to it), so it stays valid after the user switches layouts; ask again for
// the new one. Each call asks the system afresh. Main thread only.
#pragma once

#include "Platform/KeyboardLayout.hpp"

namespace quillo::platform::macos {

class MacKeyboardLayouts final : public KeyboardLayouts {
 public:
  std::shared_ptr<const UnicodeKeyLayout> currentKeyboardLayout() const override;
  std::uint32_t keyboardType() const override;
};

}  // namespace quillo::platform::macos
