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

/// The notice for `key`, which Mail uses for `mails` and the set for `ours`.
std::string clash(std::string_view key, std::string_view mails, std::string_view ours) {
  return std::string(key) + " is Mail's own shortcut for " + std::string(mails) +
         "; while this set is on, Quillo uses it for " + std::string(ours) + ".";
}

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
          {ActionID::archive, "cmd+r", clash("⌘R", "Reply", "Archive")},
          {ActionID::send, "cmd+c", clash("⌘C", "Copy", "Send")},
          {ActionID::reply, "shift+cmd+u", clash("⇧⌘U", "Mark read", "Reply")},
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
          {ActionID::archive, "cmd+r", clash("⌘R", "Reply", "Archive")},
          {ActionID::archive, "cmd+p", clash("⌘P", "Print…", "Archive")},
          {ActionID::reply, "cmd+r", std::nullopt},
          {ActionID::archive, "ctrl+e", std::nullopt},
      },
      menusOf("en"));
  expectNotices(
      {
          {ActionID::archive, "cmd+r", clash("⌘R", "Antworten", "Archive")},
          // Found by its key equivalent: the same item, so no clash.
          {ActionID::archive, "ctrl+cmd+a", std::nullopt},
          {ActionID::toggleFlag, "shift+cmd+l", std::nullopt},
          {ActionID::send, "cmd+p", clash("⌘P", "Drucken …", "Send")},
      },
      menusOf("de"));
}

}  // namespace
}  // namespace quillo
