#include <gtest/gtest.h>

#include <set>

#include "Files.hpp"
#include "PanelModel.hpp"
#include "QuilloFixture.hpp"

namespace quillo {
namespace {

using platform::Duration;

class PanelModelTest : public testing::QuilloTest {
 protected:
  void SetUp() override {
    mac.permissions.accessibility = true;
    session.start();
    loop.runUntilIdle();
  }
  const PanelModel::Shortcut& row(ActionID action) {
    model.update(app);
    return model.shortcuts.at(static_cast<std::size_t>(action));
  }
  std::filesystem::path keymapFile() const { return home.config() / "Quillo" / "keymap.json"; }

  platform::InstalledBundle bundle{QUILLO_RESOURCES};
  PanelModel model{bundle};
};

TEST_F(PanelModelTest, AClashNoticeNamesTheCommandAsTheRunningMailCallsIt) {
  sim::MailVariant german;
  german.language = "de";
  user.relaunchMail(german);
  loop.runUntilIdle();  // the check after Mail launched reads its menus
  ASSERT_FALSE(app.mailMenus().empty());
  app.editCustom([](CustomKeymap& definition) {
    definition.overrides[ActionID::archive] = {*KeyChord::fromKeymapString("cmd+r")};
  });
  app.selectSet(ShortcutSet::custom);
  model.editing = true;
  EXPECT_EQ(row(ActionID::archive).notice,
            "⌘R is Mail's own shortcut for Antworten; while this set is on, Quillo uses it "
            "for Archive.");
}

TEST_F(PanelModelTest, KeymapProblemsPutTheErrorFirst) {
  testing::writeText(keymapFile(), R"({"keys": {"q": "quit", "w": "wander"}})");
  loop.advance(Duration(0.5));
  model.update(app);
  EXPECT_EQ(model.keymapProblems.size(), 2u);
  EXPECT_FALSE(model.keymapHasError);
  testing::writeText(keymapFile(), R"({"keys": )");
  loop.advance(Duration(0.5));
  model.update(app);
  ASSERT_EQ(model.keymapProblems.size(), 3u);  // the last good file's two warnings stay
  EXPECT_EQ(model.keymapProblems.front(), *app.keymapStore().loadError());
  EXPECT_TRUE(model.keymapHasError);
}

TEST_F(PanelModelTest, ClearingOneActionCountsAsAChange) {
  model.update(app);
  EXPECT_FALSE(model.hasChanges);
  app.editCustom([](CustomKeymap& definition) { definition.clear(ActionID::archive); });
  model.update(app);
  EXPECT_TRUE(model.hasChanges);
}

TEST_F(PanelModelTest, LeavingTheCustomSetClosesTheEditorButKeepsTheViewState) {
  app.selectSet(ShortcutSet::custom);
  model.update(app);
  model.editing = true;
  model.recording = ActionID::reply;
  model.recordMessage = "That key can't be used as a shortcut.";
  model.showDebug = true;
  model.showingHelp = true;
  model.update(app);
  EXPECT_TRUE(model.editing);
  EXPECT_EQ(model.recording, ActionID::reply);
  app.selectSet(ShortcutSet::gmail);
  model.update(app);
  EXPECT_FALSE(model.editing);
  EXPECT_EQ(model.recording, std::nullopt);
  EXPECT_EQ(model.recordMessage, std::nullopt);
  EXPECT_TRUE(model.showDebug);
  EXPECT_TRUE(model.showingHelp);
}

TEST_F(PanelModelTest, MirrorsTheControllerAndTheLoginItem) {
  mac.loginItems().status_ = platform::LoginItemStatus::requiresApproval;
  app.setDebugLogging(true);
  app.selectSet(ShortcutSet::outlookWindows);
  model.update(app);
  EXPECT_EQ(model.set, ShortcutSet::outlookWindows);
  EXPECT_EQ(model.status, app.status());
  EXPECT_TRUE(model.enabled);
  EXPECT_EQ(model.sets.size(), 5u);
  EXPECT_FALSE(model.launchAtLogin);
  EXPECT_TRUE(model.loginNeedsApproval);
  EXPECT_TRUE(model.debugLogging);
  EXPECT_EQ(model.permissions, app.permissionState());
  EXPECT_FALSE(model.needsInputMonitoring);
  app.selectSet(ShortcutSet::off);
  model.update(app);
  EXPECT_FALSE(model.enabled);
}

TEST_F(PanelModelTest, AFailedTapWithoutInputMonitoringNeedsIt) {
  mac.permissions.tapNeedsInputMonitoring = true;
  mac.permissions.accessibility = false;
  loop.advance(Duration(2));  // the tap goes
  mac.permissions.accessibility = true;
  loop.advance(Duration(2));  // and cannot come back
  model.update(app);
  EXPECT_TRUE(model.needsInputMonitoring);
  // Granted, yet the system still refuses the tap: the permission is not
  // what is missing, and the panel must not send the user after it.
  mac.windowServer().refuseTaps = true;
  mac.permissions.inputMonitoring = true;
  loop.advance(Duration(2));
  model.update(app);
  ASSERT_EQ(app.tapFinding(), AppController::TapFinding::failed(true));
  EXPECT_FALSE(model.needsInputMonitoring);
  mac.windowServer().refuseTaps = false;
  loop.advance(Duration(2));
  model.update(app);
  EXPECT_FALSE(model.needsInputMonitoring);
}

TEST(ShortcutSetTable, APresetSetStartsTheEditorFromItsOwnKeysUnderItsOwnTitle) {
  std::set<std::string_view> titles;
  for (const ShortcutSetFacts& entry : shortcutSetTable) {
    titles.insert(title(entry.set));
    if (entry.preset) {
      EXPECT_EQ(&keymap(baseline(entry.set)), &keymap(*entry.preset)) << rawValue(entry.set);
      EXPECT_EQ(title(baseline(entry.set)), title(entry.set));
    } else {
      EXPECT_EQ(baseline(entry.set), CustomKeymap::Baseline::appleMail) << rawValue(entry.set);
    }
  }
  EXPECT_EQ(titles.size(), shortcutSetTable.size());
  EXPECT_FALSE(titles.contains(title(CustomKeymap::Baseline::appleMail)));
}

}  // namespace
}  // namespace quillo
