#include "QuilloCore/MailboxFilter.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "Fixtures.hpp"

namespace quillo {
namespace {

/// "Work/Clients/Acme" → {"Work", "Clients", "Acme"}.
Mailbox mailbox(const std::string& slashed) {
  Mailbox result;
  std::stringstream parts(slashed);
  for (std::string title; std::getline(parts, title, '/');)
    result.path.push_back(title);
  return result;
}

/// The names of the matches, best first, joined with ", ".
std::string filtered(const std::vector<std::string>& paths, const std::string& query,
                     const std::vector<std::string>& recent = {}) {
  std::vector<Mailbox> mailboxes;
  for (const auto& path : paths)
    mailboxes.push_back(mailbox(path));
  std::vector<Mailbox> recentMailboxes;
  for (const auto& path : recent)
    recentMailboxes.push_back(mailbox(path));
  const MailboxIndex index(mailboxes);
  std::string out;
  for (const std::size_t i : index.filter(query, recentMailboxes)) {
    if (!out.empty()) out += ", ";
    out += displayPath(index.mailboxes()[i]);
  }
  return out;
}

TEST(MailboxFilter, RanksMatchesAndRecentChoicesAsTheFixtureTableSays) {
  const auto fixture = testing::loadFixture("mailbox_filter.json");
  for (const auto& group : fixture["groups"]) {
    SCOPED_TRACE(group["about"].get<std::string>());
    const auto boxes = group["mailboxes"].get<std::vector<std::string>>();
    for (const auto& c : group["cases"]) {
      const std::string query = c["query"];
      EXPECT_EQ(filtered(boxes, query, c.value("recent", std::vector<std::string>{})),
                c["expected"].get<std::string>())
          << "query \"" << query << "\"";
    }
  }
}

}  // namespace
}  // namespace quillo
