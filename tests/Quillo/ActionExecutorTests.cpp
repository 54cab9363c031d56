#include <gtest/gtest.h>

#include "MailMenu.hpp"
#include "QuilloCore/Keymap.hpp"
#include "SimulatedMacFixture.hpp"
#include "TreeApp.hpp"

namespace quillo {
namespace {

using NamedKey = KeyToken::NamedKey;
using platform::EventType;

class ActionExecutorTest : public testing::SimulatedMacTest {
 protected:
  void SetUp() override {
    mac.permissions.accessibility = true;
    mail = &user.openMail();
  }

  ActionOutcome perform(ActionID action, const ActionSpec& spec) {
    const ActionOutcome outcome = executor.perform(action, spec, mail ? mail->pid() : pid);
    loop.runUntilIdle();
    return outcome;
  }

  /// Key events Quillo posted, as "keyCode flags up/down".
  std::vector<std::string> posted() {
    std::vector<std::string> events;
    for (const auto& event : mac.windowServer().log) {
      if (!event.posted) continue;
      EXPECT_EQ(event.userData, ownEventMarker);
      EXPECT_EQ(event.targetPID, mail ? mail->pid() : pid);
      char flags[16];
      std::snprintf(flags, sizeof flags, "%#llx", static_cast<unsigned long long>(event.flags));
      events.push_back(std::to_string(event.keyCode) + " " + flags + " " +
                       (event.type == EventType::keyDown ? "down" : "up"));
    }
    return events;
  }

  ActionExecutor executor{mac.accessibility(), mac.windowServer(), loop};
  sim::MailApp* mail = nullptr;
  pid_t pid = 0;
};

TEST_F(ActionExecutorTest, EventsThatCannotBeCreatedFail) {
  // The other outcomes' texts stand in the key path's golden transcripts.
  mac.windowServer().eventCreationFails = true;
  const ActionOutcome outcome = perform(ActionID::nextMessage, {.key = NamedKey::down});
  EXPECT_EQ(outcome.description(), "failed: couldn't create the down key event");
  EXPECT_TRUE(posted().empty());
}

TEST_F(ActionExecutorTest, AFallbackKeyOnlySpecPostsArrowsWithFunctionFlagsAndLeavesTheCacheAlone) {
  mac.accessibility().resetRoundTrips();
  const std::string second = mail->mailbox("Inbox")[1].subject;
  EXPECT_EQ(perform(ActionID::nextMessage, {.key = NamedKey::down}),
            ActionOutcome(ActionOutcome::Posted{NamedKey::down}));
  EXPECT_EQ(mac.accessibility().totalRoundTrips(), 0u);
  EXPECT_TRUE(executor.resolved().empty());
  EXPECT_EQ(mail->selectedMessage()->subject, second);
  perform(ActionID::openMessage, {.key = NamedKey::return_});
  perform(ActionID::delete_, {.key = NamedKey::delete_});
  EXPECT_EQ(posted(), (std::vector<std::string>{"125 0xa00000 down", "125 0xa00000 up", "36 0 down",
                                                "36 0 up", "51 0 down", "51 0 up"}));
}

TEST_F(ActionExecutorTest, NoPathsAndNoKeyIsUnavailable) {
  EXPECT_EQ(perform(ActionID::send, {}), ActionOutcome(ActionOutcome::Unavailable{}));
}

TEST_F(ActionExecutorTest, AnActionDoneByQuilloGoesToTheAppAndMailIsNeitherAskedNorPressed) {
  // Even a spec with a path of Mail's that exists is not followed.
  const ActionSpec archive{.menu = {{"Message", "Archive"}}};
  const auto inbox = mail->mailbox("Inbox").size();
  EXPECT_EQ(perform(ActionID::showShortcuts, archive).description(),
            "failed: nothing in Quillo carries it out");
  std::vector<ActionID> handed;
  executor.setOnDoneByQuillo([&handed](ActionID action) {
    handed.push_back(action);
    return std::string("opened the panel");
  });
  mac.accessibility().resetRoundTrips();
  EXPECT_EQ(perform(ActionID::showShortcuts, archive).description(), "opened the panel");
  EXPECT_EQ(handed, std::vector<ActionID>{ActionID::showShortcuts});
  EXPECT_EQ(mac.accessibility().totalRoundTrips(), 0u);
  EXPECT_EQ(mail->mailbox("Inbox").size(), inbox);
  EXPECT_TRUE(posted().empty());
  EXPECT_TRUE(executor.resolved().empty());
}

TEST_F(ActionExecutorTest, AnywherePathsFindItemsInAnyMenu) {
  mail->newMessage();
  const ActionSpec anywhere{.menu = {{"**", "Send"}}};
  EXPECT_EQ(perform(ActionID::send, anywhere),
            ActionOutcome(ActionOutcome::Pressed{{"**", "Send"}}));
  EXPECT_EQ(mail->windowList().size(), 1u);
}

// A relaunched Mail searched again: keypath/mail-relaunched.scenario.
TEST_F(ActionExecutorTest, TheCachedItemServesOnlyTheMailProcessItWasFoundIn) {
  const ActionSpec& archive = *Keymap::default_().spec(ActionID::archive);
  perform(ActionID::archive, archive);
  ASSERT_EQ(executor.resolved().at(ActionID::archive).pid, mail->pid());
  sim::MailApp& second = mac.launchMail();  // the first one's item stays valid
  mac.activate(second.pid());
  loop.runUntilIdle();
  EXPECT_EQ(executor.perform(ActionID::archive, archive, second.pid()),
            ActionOutcome(ActionOutcome::Pressed{{"Message", "Archive"}}));
  EXPECT_EQ(executor.resolved().at(ActionID::archive).pid, second.pid());
}

TEST_F(ActionExecutorTest, AnActionWithOnlyAKeyLeavesTheCacheAlone) {
  const ActionSpec& archive = *Keymap::default_().spec(ActionID::archive);
  perform(ActionID::archive, archive);
  ASSERT_TRUE(executor.resolved().contains(ActionID::archive));
  const ActionSpec keyOnly{.key = NamedKey::down};
  EXPECT_EQ(perform(ActionID::archive, keyOnly),
            ActionOutcome(ActionOutcome::Posted{NamedKey::down}));
  EXPECT_TRUE(executor.resolved().contains(ActionID::archive));
}

TEST_F(ActionExecutorTest, AnItemThatIsGoneLeavesTheCacheAndTheFallbackKeyIsPosted) {
  const ActionSpec spec{.menu = {{"Message", "Archive"}}, .key = NamedKey::down};
  perform(ActionID::archive, spec);
  ASSERT_TRUE(executor.resolved().contains(ActionID::archive));
  mail = &user.relaunchMail({.missingItems = {{"Message", "Archive"}}});
  EXPECT_EQ(perform(ActionID::archive, spec), ActionOutcome(ActionOutcome::Posted{NamedKey::down}));
  EXPECT_FALSE(executor.resolved().contains(ActionID::archive));
}

TEST_F(ActionExecutorTest, ADisabledItemIsNotPressedAndNothingIsPostedInstead) {
  mail->showMailbox("Trash");  // nothing selected
  const ActionSpec spec{.menu = {{"Message", "Archive"}}, .key = NamedKey::down};
  const auto pressesBefore = mail->menuPresses.size();
  EXPECT_EQ(perform(ActionID::archive, spec),
            ActionOutcome(ActionOutcome::Disabled{{"Message", "Archive"}}));
  EXPECT_EQ(mail->menuPresses.size(), pressesBefore);
  EXPECT_TRUE(posted().empty());
}

TEST_F(ActionExecutorTest, TheAppleMenuIsNeverSearched) {
  // markRead: no key equivalent of its own to find another item by.
  EXPECT_EQ(perform(ActionID::markRead, {.menu = {{"Apple", "About This Mac"}}}),
            ActionOutcome(ActionOutcome::Unavailable{}));
  EXPECT_EQ(menuBarItems(mac.accessibility(), mail->pid()).front().title(), "Mail");
}

TEST_F(ActionExecutorTest, WithoutAccessibilityTheMenuCannotBeReadAndOnlyKeysWork) {
  mac.permissions.accessibility = false;
  EXPECT_TRUE(menuBarItems(mac.accessibility(), mail->pid()).empty());
  EXPECT_EQ(perform(ActionID::archive, *Keymap::default_().spec(ActionID::archive)),
            ActionOutcome(ActionOutcome::Unavailable{}));
  EXPECT_EQ(perform(ActionID::nextMessage, *Keymap::default_().spec(ActionID::nextMessage)),
            ActionOutcome(ActionOutcome::Posted{NamedKey::down}));
}

class HandBuiltMenuTest : public ActionExecutorTest {
 protected:
  void SetUp() override {
    mac.permissions.accessibility = true;
    tree = &mac.launch<testing::TreeApp>();
    pid = tree->pid();
    mail = nullptr;
  }
  testing::TreeApp* tree = nullptr;
};

TEST_F(HandBuiltMenuTest, ARetitledItemIsSearchedForAgain) {
  int pressedOld = 0, pressedNew = 0;
  tree->menus({{"Message",
                {{.title = "Archive", .action = [&] { ++pressedOld; }},
                 {.title = "Archive Now", .action = [&] { ++pressedNew; }}}}});
  const ActionSpec spec{.menu = {{"Message", "Archive*"}}};
  perform(ActionID::archive, spec);
  EXPECT_EQ(pressedOld, 1);
  // The cached item now says something else: the menus are searched again.
  tree->menuItem({"Message", "Archive"})->setTitle("Unarchive");
  perform(ActionID::archive, spec);
  EXPECT_EQ(pressedNew, 1);
  EXPECT_EQ(executor.resolved().at(ActionID::archive).node.title(), "Archive Now");
}

TEST_F(HandBuiltMenuTest, APressMailCannotCompleteIsReportedUnconfirmed) {
  int reads = 0;
  tree->menus({{"Message", {{.title = "Archive", .enabled = [&] { return ++reads == 1; }}}}});
  EXPECT_EQ(perform(ActionID::archive, {.menu = {{"Message", "Archive"}}}),
            ActionOutcome(ActionOutcome::Unconfirmed{{"Message", "Archive"},
                                                     platform::AXError::cannotComplete}));
  EXPECT_TRUE(executor.resolved().contains(ActionID::archive));  // kept, revalidated next time
}

}  // namespace
}  // namespace quillo
