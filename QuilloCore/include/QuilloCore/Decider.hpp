// Decider: the one pure function that turns a key press into a Decision.
//
// It knows nothing of events or accessibility. It is given the key as typed,
// the held modifiers, the auto-repeat flag, the frontmost application's bundle
// identifier, a way to learn where Mail's focus is, the active keymap and the
// user's on/off switch. The focus function is costly (it asks Mail over
// Accessibility), so it is called only after a binding was found, at most
// once per call, and never after the call returns. No other side effects;
// reentrant; never throws. It knows single keys and chords only: two-key
// sequences are KeySequenceState's, which hands every key that is not part
// of one to this function.
#pragma once

#include <optional>
#include <string_view>

#include "QuilloCore/Decision.hpp"
#include "QuilloCore/Export.hpp"
#include "QuilloCore/FocusContext.hpp"
#include "QuilloCore/FunctionRef.hpp"
#include "QuilloCore/KeyModifiers.hpp"
#include "QuilloCore/KeyToken.hpp"
#include "QuilloCore/Keymap.hpp"

namespace quillo::Decider {

/// Apple Mail's bundle identifier.
inline constexpr std::string_view mailBundleID = "com.apple.mail";

QUILLO_CORE_EXPORT Decision decide(const std::optional<KeyToken>& key, KeyModifiers modifiers,
                                   bool isAutoRepeat,
                                   std::optional<std::string_view> frontmostBundleID,
                                   FunctionRef<FocusContext()> focus, const Keymap& keymap,
                                   bool enabled);

}  // namespace quillo::Decider
