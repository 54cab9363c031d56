// ManyMailboxes: the mailboxes the picker's benchmarks filter, as people
// name them.
#pragma once

#include <string>
#include <vector>

#include "QuilloCore/MailboxFilter.hpp"

namespace quillo {

/// 2,000 mailboxes in 4 accounts, named as people name them (some with
/// accents), two and three levels deep.
inline std::vector<Mailbox> manyMailboxes() {
  const char* accounts[] = {"iCloud", "Work", "Gmail", "Büro"};
  const char* folders[] = {"Clients",     "Projects", "Receipts", "Travel", "Archive 2019",
                           "Newsletters", "Family",   "Réunions", "Taxes",  "Old Stuff"};
  std::vector<Mailbox> mailboxes;
  for (int i = 0; mailboxes.size() < 2000; ++i) {
    Mailbox mailbox{{accounts[i % 4], folders[(i / 4) % 10]}};
    if (i % 3 != 0) mailbox.path.push_back("Folder " + std::to_string(i));
    mailboxes.push_back(std::move(mailbox));
  }
  return mailboxes;
}

}  // namespace quillo
