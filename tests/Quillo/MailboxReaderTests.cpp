#include "MailboxReader.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QuilloCore/MenuResolver.hpp"
#include "SimulatedMacFixture.hpp"
#include "StepLoop.hpp"

namespace quillo {
namespace {

using Purpose = MailboxPicker::Purpose;
using State = MailboxPicker::ListState;

const std::vector<MenuPath> kMoveTo{{"Message", "Move To"}};
const std::vector<MenuPath> kCopyTo{{"Message", "Copy To"}};

class MailboxReaderTest : public testing::SimulatedMacTest {
 protected:
  void SetUp() override {
    mac.permissions.accessibility = true;
    mac.accessibility().setMessagingTimeout(mac.accessibility().createSystemWide(), 0.25f);
  }
  /// Reads to the end, one turn at a time; the requests of each turn.
  std::vector<std::size_t> read(Purpose purpose, const std::vector<MenuPath>& paths,
                                MailboxReader::Limits limits = {}) {
    MailboxReader reader(mac.accessibility(), steps, limits);
    listing.reset();
    int calls = 0;
    reader.read(mail->pid(), purpose, paths, [&](MailboxReader::Listing read) {
      listing = std::move(read);
      ++calls;
    });
    auto& ax = mac.accessibility();
    ax.resetRoundTrips();
    std::vector<std::size_t> perTurn;
    while (steps.runOne()) {
      perTurn.push_back(ax.totalRoundTrips());
      ax.resetRoundTrips();
    }
    EXPECT_EQ(calls, 1);
    return perTurn;
  }
  /// "Inbox, Work › Clients › Acme, …".
  std::string mailboxes() const {
    std::string text;
    for (const auto& mailbox : listing->mailboxes)
      text += (text.empty() ? "" : ", ") + displayPath(mailbox);
    return text;
  }

  testing::StepLoop steps{loop};
  sim::MailApp* mail = &user.openMail();
  std::optional<MailboxReader::Listing> listing;
};

TEST_F(MailboxReaderTest, ListsTheMailboxesOfTheMenuThePathNamesWithTheirAccounts) {
  read(Purpose::move, kMoveTo);
  ASSERT_TRUE(listing);
  EXPECT_EQ(listing->state, State::read);
  EXPECT_EQ(MenuResolver::pathText(listing->menu), "Message \u203a Move To");
  EXPECT_EQ(mailboxes(),
            "Inbox, Archive, Trash, Receipts, Travel, Work \u203a Inbox, Work \u203a Clients "
            "\u203a Acme, Work \u203a Clients \u203a Globex, Work \u203a Projects");
  EXPECT_EQ(listing->items.size(), listing->mailboxes.size());
  read(Purpose::copy, kCopyTo);
  EXPECT_EQ(MenuResolver::pathText(listing->menu), "Message \u203a Copy To");
}

TEST_F(MailboxReaderTest, InAnotherLanguageTheTwoMenusAreFoundByTheirShape) {
  mail = &user.relaunchMail({.language = "de"});
  read(Purpose::move, kMoveTo);
  EXPECT_EQ(listing->state, State::read);
  EXPECT_EQ(MenuResolver::pathText(listing->menu), "E-Mail \u203a Bewegen nach");
  EXPECT_EQ(listing->mailboxes.front(), Mailbox{{"Eingang"}});
  EXPECT_EQ(listing->mailboxes.size(), 9u);
  read(Purpose::copy, kCopyTo);
  EXPECT_EQ(MenuResolver::pathText(listing->menu), "E-Mail \u203a Kopieren nach");
  EXPECT_EQ(listing->mailboxes.size(), 9u);
}

TEST_F(MailboxReaderTest, AMailWithoutTheMenuOrUnreadableSaysSo) {
  mail = &user.relaunchMail({.missingItems = {{"Message", "Move To"}}});
  read(Purpose::move, kMoveTo);
  EXPECT_EQ(listing->state, State::noMenu);  // Copy To alone has no twin
  read(Purpose::copy, kCopyTo);
  EXPECT_EQ(listing->state, State::read);  // its own path still finds it
  mac.permissions.accessibility = false;
  read(Purpose::copy, kCopyTo);
  EXPECT_EQ(listing->state, State::unreadable);
  EXPECT_TRUE(listing->mailboxes.empty());
}

TEST_F(MailboxReaderTest, ItIsBoundedInDepthAndInRequests) {
  read(Purpose::move, kMoveTo, {.depth = 1});
  EXPECT_EQ(mailboxes(),
            "Inbox, Archive, Trash, Receipts, Travel, Work \u203a Inbox, Work \u203a "
            "Projects");  // Clients holds mailboxes one level too deep
  read(Purpose::move, kMoveTo, {.requests = 10});
  EXPECT_EQ(listing->state, State::unreadable);
  EXPECT_GT(listing->requests, 10u);
}

TEST_F(MailboxReaderTest, ASlowMailIsReadInShortTurnsAndNothingBeforeTheLoopRuns) {
  mail = &user.relaunchMail({.latency = 0.01});
  {
    MailboxReader reader(mac.accessibility(), steps, {});
    mac.accessibility().resetRoundTrips();
    bool called = false;
    reader.read(mail->pid(), Purpose::move, kMoveTo,
                [&](MailboxReader::Listing) { called = true; });
    EXPECT_EQ(mac.accessibility().totalRoundTrips(), 0u);  // posted, not run
    reader.cancel();
    while (steps.runOne()) {
    }
    EXPECT_FALSE(called);  // a cancelled reading never answers
    EXPECT_EQ(mac.accessibility().totalRoundTrips(), 0u);
  }
  const auto perTurn = read(Purpose::move, kMoveTo);
  EXPECT_EQ(listing->state, State::read);
  EXPECT_GT(perTurn.size(), 3u);
  for (const std::size_t requests : perTurn) {
    // 100 ms a turn at 10 ms a request, and the one that crosses it.
    EXPECT_LE(requests, 11u);
  }
}

}  // namespace
}  // namespace quillo
