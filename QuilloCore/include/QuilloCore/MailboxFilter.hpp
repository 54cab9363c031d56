// MailboxFilter: finding a mailbox by typing a few of its letters, for the
// "Move to…" picker. Pure; no platform service.
//
// A mailbox is the path of titles that leads to it in Mail's "Move to" menu,
// the account first ("Work", "Clients", "Acme"). A query matches a mailbox
// when its letters occur in that order in the mailbox's name (its last
// title), or else in its whole path: "rcpt" finds "Receipts", "wacme" finds
// "Work › Clients › Acme". Letter case, accents and the query's blanks do not
// count. Matches are ranked, best first:
//   1. the name starts with the query ("rec" → "Receipts");
//   2. a word of the name starts with it ("rec" → "Old Receipts");
//   3. the name holds it anywhere ("eipt" → "Receipts");
//   4. the name holds its letters in order ("rcpt" → "Receipts");
//   5. the whole path holds its letters in order ("work" → "Work › Inbox").
// Within a rank, mailboxes chosen recently come first (most recent first),
// then Mail's own menu order. An empty query lists every mailbox, the recent
// ones first.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "QuilloCore/Export.hpp"

namespace quillo {

struct Mailbox {
  /// The titles from the account down to the mailbox; never empty.
  std::vector<std::string> path;
  bool operator==(const Mailbox&) const = default;
};

/// "Work › Clients › Acme".
QUILLO_CORE_EXPORT std::string displayPath(const Mailbox& mailbox);

/// The mailboxes prepared for filtering as the user types: made once per
/// list (each name is folded then), so that a keystroke only compares.
/// Filtering costs time proportional to the total length of the paths.
class QUILLO_CORE_EXPORT MailboxIndex {
 public:
  explicit MailboxIndex(std::vector<Mailbox> mailboxes);

  const std::vector<Mailbox>& mailboxes() const { return mailboxes_; }

  /// The positions in mailboxes() of those matching `query`, best first.
  /// `recent` lists recently chosen mailboxes, most recent first; one that
  /// is not in the list is ignored.
  std::vector<std::size_t> filter(std::string_view query,
                                  std::span<const Mailbox> recent = {}) const;

 private:
  struct Prepared {
    std::u32string name;  // the last title, folded
    std::u32string path;  // every title, folded, without separators
  };
  std::vector<Mailbox> mailboxes_;
  std::vector<Prepared> prepared_;
};

}  // namespace quillo
