#include "Preferences.hpp"

#include <nlohmann/json.hpp>

namespace quillo {

namespace {
// A mailbox's path in Mail's menu is short; anything longer was not
// written by Quillo.
constexpr std::size_t kMaximumTitles = 16;
constexpr std::size_t kMaximumTitleBytes = 255;
}  // namespace

std::vector<Mailbox> Preferences::recentMailboxes(std::size_t limit) const {
  std::vector<Mailbox> mailboxes;
  const auto stored = defaults_.string(Keys::recentMailboxes);
  if (!stored) return mailboxes;
  const auto json = nlohmann::json::parse(*stored, nullptr, false);
  if (!json.is_array()) return mailboxes;
  for (const auto& entry : json) {
    if (mailboxes.size() == limit) break;
    if (!entry.is_array() || entry.empty() || entry.size() > kMaximumTitles) continue;
    Mailbox mailbox;
    for (const auto& title : entry) {
      if (!title.is_string()) break;
      const auto& text = title.get_ref<const std::string&>();
      if (text.empty() || text.size() > kMaximumTitleBytes) break;
      mailbox.path.push_back(text);
    }
    if (mailbox.path.size() == entry.size()) mailboxes.push_back(std::move(mailbox));
  }
  return mailboxes;
}

void Preferences::setRecentMailboxes(const std::vector<Mailbox>& mailboxes) {
  nlohmann::json list = nlohmann::json::array();
  for (const Mailbox& mailbox : mailboxes)
    list.push_back(mailbox.path);
  // Mail's titles may hold any character; what cannot be written as UTF-8
  // is replaced rather than failing the write.
  defaults_.set(Keys::recentMailboxes,
                list.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

}  // namespace quillo
