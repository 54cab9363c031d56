#include <gtest/gtest.h>

#include "MailMenuSnapshot.hpp"
#include "QuilloCore/Keymap.hpp"
#include "ShortcutClash.hpp"
#include "SimulatedMacFixture.hpp"

namespace quillo {
namespace {

struct Case {
  ActionID action;
  const char* chord;
  std::optional<std::string> notice;
};

void expectNotices(const std::vector<Case>& cases, const std::vector<MailMenuItem>& menus) {
  for (const Case& c : cases) {
    EXPECT_EQ(
        clashNotice(c.action, *KeyChord::fromKeymapString(c.chord), Keymap::default_(), menus),
        c.notice)
        << rawValue(c.action) << " " << c.chord;
  }
}

TEST(ShortcutClash, FromMailsOwnShortcutsWhenItsMenusAreUnknown) {
  expectNotices(
      {
          {ActionID::archive, "cmd+r",
           "⌘R is Mail's own shortcut for Reply; while this set is on, Quillo uses it for "
           "Archive."},
          {ActionID::send, "cmd+c",
           "⌘C is Mail's own shortcut for Copy; while this set is on, Quillo uses it for Send."},
          {ActionID::reply, "shift+cmd+u",
           "⇧⌘U is Mail's own shortcut for Mark read; while this set is on, Quillo uses it for "
           "Reply."},
          {ActionID::archive, "ctrl+cmd+a", std::nullopt},  // Mail's own for the same command
          {ActionID::markUnread, "shift+cmd+u", std::nullopt},
          {ActionID::archive, "ctrl+e", std::nullopt},  // Mail has no such key
          {ActionID::archive, "cmd+p", std::nullopt},   // not among the actions' shortcuts
      },
      {});
}

class ShortcutClashInMailTest : public testing::SimulatedMacTest {
 protected:
  std::vector<MailMenuItem> menusOf(const std::string& language) {
    mac.permissions.accessibility = true;
    sim::MailVariant variant;
    variant.language = language;
    auto& mail = user.relaunchMail(variant);
    MailMenuReader reader(mac.accessibility(), mail.pid(), MailMenuReader::Limits{});
    reader.readAll();
    EXPECT_TRUE(reader.complete());
    return reader.menus();
  }
};

TEST_F(ShortcutClashInMailTest, FromTheRunningMailsMenusInItsLanguage) {
  expectNotices(
      {
          {ActionID::archive, "cmd+r",
           "⌘R is Mail's own shortcut for Reply; while this set is on, Quillo uses it for "
           "Archive."},
          {ActionID::archive, "cmd+p",
           "⌘P is Mail's own shortcut for Print…; while this set is on, Quillo uses it for "
           "Archive."},
          {ActionID::reply, "cmd+r", std::nullopt},
          {ActionID::archive, "ctrl+e", std::nullopt},
      },
      menusOf("en"));
  expectNotices(
      {
          {ActionID::archive, "cmd+r",
           "⌘R is Mail's own shortcut for Antworten; while this set is on, Quillo uses it for "
           "Archive."},
          // Found by its key equivalent: the same item, so no clash.
          {ActionID::archive, "ctrl+cmd+a", std::nullopt},
          {ActionID::toggleFlag, "shift+cmd+l", std::nullopt},
          {ActionID::send, "cmd+p",
           "⌘P is Mail's own shortcut for Drucken …; while this set is on, Quillo uses it for "
           "Send."},
      },
      menusOf("de"));
}

}  // namespace
}  // namespace quillo
