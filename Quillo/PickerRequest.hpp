// PickerRequest: every request the mailbox picker's controls can make, as a
// value. Whatever draws the picker (the Qt widgets, the console) hands it to
// the picker's controller, which carries it out, so no rule of the picker is
// decided where it is drawn. A row names its mailbox by path, not by its
// place in the list: the list may be read anew between a drawing and a
// click. Plain values, compared by value.
#pragma once

#include <variant>

#include "QuilloCore/MailboxFilter.hpp"

namespace quillo {

struct PickerRequests {
  /// Files the selected messages in the mailbox and closes the picker.
  struct Choose {
    Mailbox mailbox;
    bool operator==(const Choose&) const = default;
  };
  /// Moves the list by whole rows (the mouse wheel); negative goes up.
  struct Scroll {
    int rows;
    bool operator==(const Scroll&) const = default;
  };
};

using PickerRequest = std::variant<PickerRequests::Choose, PickerRequests::Scroll>;

}  // namespace quillo
