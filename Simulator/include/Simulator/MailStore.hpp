// MailStore: the simulated Apple Mail's data — the mailboxes and the
// messages in them.
//
// Mailboxes (Inbox, Archive, Junk, Sent, Trash) hold messages with a sender,
// a subject, and read and flagged states. The store belongs to the simulated
// Mac, not to the Mail process, so the mailboxes survive a quit and relaunch.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quillo::sim {

struct MailMessage {
  std::uint64_t id = 0;
  std::string sender;
  std::string subject;
  bool read = false;
  bool flagged = false;
  bool operator==(const MailMessage&) const = default;
};

/// Mail's data: the mailboxes, in a fixed order, and the messages in them.
struct MailStore {
  static constexpr const char* mailboxNames[] = {"Inbox", "Archive", "Junk", "Sent", "Trash"};
  std::map<std::string, std::vector<MailMessage>> mailboxes;
  std::uint64_t nextMessageID = 1;

  MailStore();
  /// A realistic morning's inbox.
  static MailStore demo();
  void add(const std::string& mailbox, std::string sender, std::string subject, bool read = false);

  /// The messages of a mailbox; none for a mailbox that does not exist.
  const std::vector<MailMessage>& mailbox(const std::string& name) const;
  /// The message with this id, in whichever mailbox holds it (named in
  /// `mailboxName` when given); null when no mailbox does.
  const MailMessage* find(std::uint64_t id, std::string* mailboxName = nullptr) const;
  MailMessage* find(std::uint64_t id, std::string* mailboxName = nullptr);
};

}  // namespace quillo::sim
