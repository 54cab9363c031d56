// ActionID: the commands Quillo can carry out for Mail.
//
// Twenty-two cases in a fixed declaration order (the order of allCases and
// of every per-action listing). The raw value is the case name and is also
// the JSON form; `delete_` is spelled with an underscore only because
// `delete` is a C++ keyword (its raw value is "delete"). Nineteen are Mail's
// own commands, done through its menus. Three are done by Quillo:
// `showShortcuts` opens Quillo's panel with its list of shortcuts (Mail has
// no menu item for it); `moveToMailbox` and `copyToMailbox` open Quillo's
// mailbox picker, which lists the items of Mail's "Move to" (or "Copy to")
// menu and presses the one the user picks. Their ActionSpec's menu paths
// lead to that menu, not to an item to press.
//
// A keymap may define actions of its own by name ("actions" in keymap.json).
// They have no case: they take the values from firstUserActionValue on, in
// the order the keymap holds them, and their names and places live in that
// keymap (Keymap::userActions). rawValue() of one is empty, and the free
// functions below answer for built-in actions only; ask the keymap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "QuilloCore/Export.hpp"
#include "QuilloCore/RawValueEnum.hpp"

namespace quillo {

enum class ActionID : std::uint8_t {
  archive,
  delete_,
  nextMessage,
  previousMessage,
  reply,
  replyAll,
  forward,
  newMessage,
  toggleFlag,
  markJunk,
  markRead,
  markUnread,
  undo,
  focusSearch,
  openMessage,
  send,
  copy,
  paste,
  cut,
  showShortcuts,
  moveToMailbox,
  copyToMailbox,
};

template <>
struct EnumRawValues<ActionID> {
  static constexpr std::array<std::string_view, 22> values{
      "archive",       "delete",       "nextMessage", "previousMessage",
      "reply",         "replyAll",     "forward",     "newMessage",
      "toggleFlag",    "markJunk",     "markRead",    "markUnread",
      "undo",          "focusSearch",  "openMessage", "send",
      "copy",          "paste",        "cut",         "showShortcuts",
      "moveToMailbox", "copyToMailbox"};
};

/// The first value a keymap's own action takes.
inline constexpr std::uint8_t firstUserActionValue = 128;
/// How many actions of its own a keymap may define.
inline constexpr std::size_t maxUserActions = 64;

constexpr bool isUserAction(ActionID action) noexcept {
  return static_cast<std::uint8_t>(action) >= firstUserActionValue;
}

/// The ID of a keymap's `index`th own action (index < maxUserActions).
constexpr ActionID userActionID(std::size_t index) noexcept {
  return static_cast<ActionID>(firstUserActionValue + index);
}

constexpr std::size_t userActionIndex(ActionID action) noexcept {
  return static_cast<std::size_t>(static_cast<std::uint8_t>(action) - firstUserActionValue);
}

/// Whether a key pressed while an opened message's own window has the focus
/// may trigger the action.
constexpr bool worksInMessageWindow(ActionID action) noexcept {
  switch (action) {
    case ActionID::nextMessage:
    case ActionID::previousMessage:
    case ActionID::focusSearch:
    case ActionID::openMessage:
    case ActionID::send:
    case ActionID::copy:
    case ActionID::paste:
    case ActionID::cut:
      return false;
    case ActionID::archive:
    case ActionID::delete_:
    case ActionID::reply:
    case ActionID::replyAll:
    case ActionID::forward:
    case ActionID::newMessage:
    case ActionID::toggleFlag:
    case ActionID::markJunk:
    case ActionID::markRead:
    case ActionID::markUnread:
    case ActionID::undo:
    case ActionID::showShortcuts:
    case ActionID::moveToMailbox:
    case ActionID::copyToMailbox:
      return true;
  }
  return true;
}

/// Whether Quillo carries the action out itself rather than in Mail: such
/// an action is handed to the app instead of pressing a menu item.
constexpr bool isDoneByQuillo(ActionID action) noexcept {
  switch (action) {
    case ActionID::showShortcuts:
    case ActionID::moveToMailbox:
    case ActionID::copyToMailbox:
      return true;
    case ActionID::archive:
    case ActionID::delete_:
    case ActionID::nextMessage:
    case ActionID::previousMessage:
    case ActionID::reply:
    case ActionID::replyAll:
    case ActionID::forward:
    case ActionID::newMessage:
    case ActionID::toggleFlag:
    case ActionID::markJunk:
    case ActionID::markRead:
    case ActionID::markUnread:
    case ActionID::undo:
    case ActionID::focusSearch:
    case ActionID::openMessage:
    case ActionID::send:
    case ActionID::copy:
    case ActionID::paste:
    case ActionID::cut:
      return false;
  }
  return false;
}

/// Whether holding the key down performs the action again on every repeat.
constexpr bool isRepeatable(ActionID action) noexcept {
  return action == ActionID::nextMessage || action == ActionID::previousMessage;
}

}  // namespace quillo
