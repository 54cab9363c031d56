// ActionID: the Mail commands Quillo can carry out.
//
// Nineteen cases in a fixed declaration order (the order of allCases and of
// every per-action listing). The raw value is the case name and is also the
// JSON form; `delete_` is spelled with an underscore only because `delete` is
// a C++ keyword (its raw value is "delete").
#pragma once

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
};

template <>
struct EnumRawValues<ActionID> {
  static constexpr std::array<std::string_view, 19> values{
      "archive",    "delete",      "nextMessage", "previousMessage",
      "reply",      "replyAll",    "forward",     "newMessage",
      "toggleFlag", "markJunk",    "markRead",    "markUnread",
      "undo",       "focusSearch", "openMessage", "send",
      "copy",       "paste",       "cut"};
};

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
      return true;
  }
  return true;
}

/// Whether holding the key down performs the action again on every repeat.
constexpr bool isRepeatable(ActionID action) noexcept {
  return action == ActionID::nextMessage || action == ActionID::previousMessage;
}

}  // namespace quillo
