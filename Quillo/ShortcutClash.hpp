// ShortcutClash: whether a key recorded for an action is one of Mail's own
// key equivalents for another command, and the notice that says so.
//
// Recording such a key is allowed (the user may want ⌘R to archive), but
// the user should know what Mail's key did before: "⌘R is Mail's own
// shortcut for Reply; while this set is on, Quillo uses it for Archive."
// What Mail's keys do comes from the running Mail's menus as last read (in
// Mail's language, with the user's App Shortcuts), or, when they have not
// been read, from the built-in table of Mail's own shortcuts. Pure.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "MailMenuSnapshot.hpp"
#include "QuilloCore/ActionID.hpp"
#include "QuilloCore/KeyChord.hpp"
#include "QuilloCore/Keymap.hpp"

namespace quillo {

/// The notice for `chord` recorded for `action`, or none when Mail has no
/// key equivalent `chord` or it is the one for the same command. `menus`:
/// the running Mail's menus as read, empty when unknown; `keymap` tells how
/// the action finds its item in them.
std::optional<std::string> clashNotice(ActionID action, const KeyChord& chord, const Keymap& keymap,
                                       const std::vector<MailMenuItem>& menus);

}  // namespace quillo
