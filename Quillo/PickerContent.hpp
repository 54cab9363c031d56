// PickerContent: what the mailbox picker shows, as plain data: a title, the
// search field with what was typed, at most MailboxPicker::visibleRows
// rows of mailboxes (the selected one marked), a note in place of the rows
// when there is nothing to list, and a line at the bottom. The Qt widgets
// draw it and the console prints it; pixels are the drawing's business.
// The picker's height does not follow the number of rows: it is drawn for
// visibleRows whatever the filter leaves, so it never jumps while the user
// types.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "PickerRequest.hpp"

namespace quillo {

struct PickerContent {
  struct Row {
    /// The mailbox's own name ("Acme").
    std::string name;
    /// The titles above it, account first ("Work › Clients"); empty for a
    /// mailbox at the top of the menu.
    std::string place;
    /// Chosen recently: listed first, with a clock.
    bool recent = false;
    bool selected = false;
    /// What a click on the row asks for.
    PickerRequest choose;
    std::string accessibilityLabel;
    bool operator==(const Row&) const = default;
  };

  /// "Move to…" or "Copy to…".
  std::string title;
  /// What the user typed; the placeholder shows while it is empty.
  std::string query;
  std::string placeholder;
  std::vector<Row> rows;
  /// In place of the rows: the list is being read, cannot be read, or
  /// nothing matches.
  std::optional<std::string> note;
  /// "3 of 120 mailboxes · ↩ moves · esc closes".
  std::string footer;
  bool operator==(const PickerContent&) const = default;
};

}  // namespace quillo
