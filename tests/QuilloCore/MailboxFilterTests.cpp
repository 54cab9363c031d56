#include "QuilloCore/MailboxFilter.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

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

TEST(MailboxFilter, RanksStartOfNameThenStartOfWordThenAnywhereThenLettersThenPath) {
  // Mail's order puts each weaker match first, so that only the ranking
  // can put it after.
  const std::vector<std::string> boxes{"Home/Precedence", "Home/Old Receipts", "Home/Receipts",
                                       "Work/Recipes",    "Rec/Inbox",         "Home/Archive"};
  struct Case {
    const char* query;
    const char* expected;
  };
  const Case cases[]{
      {"rec",
       "Home › Receipts, Work › Recipes, Home › Old Receipts, Home › Precedence, "
       "Rec › Inbox"},
      {"rcpt", "Home › Old Receipts, Home › Receipts"},
      {"eipt", "Home › Old Receipts, Home › Receipts"},
      {"wrec", "Work › Recipes"},
      {"zzz", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(filtered(boxes, c.query), c.expected) << c.query;
}

TEST(MailboxFilter, CaseAccentsAndBlanksInTheQueryDoNotCount) {
  const std::vector<std::string> boxes{"Konto/Eingänge", "Konto/Entwürfe", "Work/Clients/Acme"};
  EXPECT_EQ(filtered(boxes, "EINGANGE"), "Konto › Eingänge");
  EXPECT_EQ(filtered(boxes, "entwu"), "Konto › Entwürfe");
  EXPECT_EQ(filtered(boxes, "Éing"), "Konto › Eingänge");
  EXPECT_EQ(filtered(boxes, "work acme"), "Work › Clients › Acme");
}

TEST(MailboxFilter, RecentChoicesComeFirstWithinARankAndAllOfThemWithoutAQuery) {
  const std::vector<std::string> boxes{"Home/Receipts", "Work/Reports", "Home/Travel"};
  EXPECT_EQ(filtered(boxes, "", {"Home/Travel"}), "Home › Travel, Home › Receipts, Work › Reports");
  EXPECT_EQ(filtered(boxes, "re", {"Work/Reports", "Home/Receipts"}),
            "Work › Reports, Home › Receipts, Home › Travel");
  // Recency never lifts a weaker match over a better one.
  EXPECT_EQ(filtered(boxes, "rep", {"Home/Receipts"}), "Work › Reports, Home › Receipts");
  EXPECT_EQ(filtered(boxes, "rp", {"Home/Receipts"}), "Home › Receipts, Work › Reports");
  // A remembered mailbox that Mail no longer has changes nothing.
  EXPECT_EQ(filtered(boxes, "", {"Gone/Away"}), "Home › Receipts, Work › Reports, Home › Travel");
}

}  // namespace
}  // namespace quillo
