#include "Simulator/MailStore.hpp"

#include <utility>

namespace quillo::sim {

MailStore::MailStore() {
  for (const char* name : mailboxNames)
    mailboxes[name];
}

void MailStore::add(const std::string& mailbox, std::string sender, std::string subject,
                    bool read) {
  mailboxes[mailbox].push_back(
      MailMessage{nextMessageID++, std::move(sender), std::move(subject), read, false});
}

MailStore MailStore::demo() {
  MailStore store;
  store.add("Inbox", "Priya Raman", "Quarterly planning: agenda for Thursday");
  store.add("Inbox", "GitHub", "[quillo] Pull request #42 merged");
  store.add("Inbox", "Tom Becker", "Lunch on Friday?", true);
  store.add("Inbox", "Lena Fischer", "Invoice 2026-117 for November");
  store.add("Inbox", "Apple", "Your receipt from Apple", true);
  store.add("Inbox", "Marco Rossi", "Re: Flight details for the Berlin trip");
  store.add("Inbox", "Inbox Weekly", "This week: 10 tips for inbox zero");
  store.add("Inbox", "Sam Okafor", "Photos from the weekend", true);
  store.add("Archive", "Priya Raman", "Offsite venue confirmed", true);
  store.add("Archive", "Tom Becker", "Slides from Monday", true);
  store.add("Junk", "Prize Department", "You have won a prize!!!");
  store.add("Sent", "Me", "Re: Lunch on Friday?", true);
  return store;
}

const std::vector<MailMessage>& MailStore::mailbox(const std::string& name) const {
  static const std::vector<MailMessage> none;
  const auto found = mailboxes.find(name);
  return found == mailboxes.end() ? none : found->second;
}

const MailMessage* MailStore::find(std::uint64_t id, std::string* mailboxName) const {
  for (const auto& [name, messages] : mailboxes) {
    for (const auto& message : messages) {
      if (message.id != id) continue;
      if (mailboxName) *mailboxName = name;
      return &message;
    }
  }
  return nullptr;
}

MailMessage* MailStore::find(std::uint64_t id, std::string* mailboxName) {
  // The same search; only the caller may change what it finds.
  return const_cast<MailMessage*>(std::as_const(*this).find(id, mailboxName));
}

}  // namespace quillo::sim
