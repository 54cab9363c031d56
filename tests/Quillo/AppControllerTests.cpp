#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "Files.hpp"
#include "QuilloCore/KeymapPreset.hpp"
#include "QuilloFixture.hpp"

namespace quillo {
namespace {

using platform::Duration;
using Status = AppController::Status;
using Keys = Preferences::Keys;

class AppControllerTest : public testing::QuilloTest {
 protected:
  std::filesystem::path keymapFile() const { return home.config() / "Quillo" / "keymap.json"; }
  std::filesystem::path customFile() const { return home.config() / "Quillo" / "custom.json"; }
  platform::UserDefaults& defaults() { return app.environment().defaults; }

  /// Starts with the bundled keymap.json less the lines of these keys;
  /// the number of keys loaded.
  std::size_t startWithDefaultFileWithout(const std::vector<std::string>& keys) {
    std::string file = testing::readText(std::filesystem::path(QUILLO_RESOURCES) / "keymap.json");
    for (const std::string& key : keys) {
      const std::string line = ",\n    \"" + key + "\": ";
      const auto at = file.find(line);
      EXPECT_NE(at, std::string::npos) << key;
      if (at == std::string::npos) continue;
      file.erase(at, file.find('"', file.find(':', at) + 3) + 1 - at);
    }
    testing::writeText(keymapFile(), file);
    start();
    return app.keymapStore().keymap().bindings.size();
  }
  void start() {
    session.start();
    loop.runUntilIdle();
  }
};

// MARK: - Choosing the set at start-up

TEST_F(AppControllerTest, TheFirstStartEverChoosesGmailAndWritesTheDefaults) {
  start();
  EXPECT_EQ(app.shortcutSet(), ShortcutSet::gmail);
  EXPECT_EQ(defaults().string(Keys::shortcutSet), "gmail");
  EXPECT_EQ(defaults().boolean(Keys::enabled), true);
  EXPECT_FALSE(std::filesystem::exists(customFile()));
  EXPECT_EQ(app.interceptor().keymap(), Keymap::default_());
}

TEST_F(AppControllerTest, AHandEditedKeymapIsImportedAsTheCustomSetOnce) {
  testing::writeText(keymapFile(),
                     R"({"keys": {"y": "archive", "ctrl+d": "delete"}, "composeKeys": {}})");
  start();
  EXPECT_EQ(app.shortcutSet(), ShortcutSet::custom);
  EXPECT_EQ(defaults().string(Keys::shortcutSet), "custom");
  ASSERT_TRUE(std::filesystem::exists(customFile()));
  const auto saved = nlohmann::json::parse(testing::readText(customFile()));
  EXPECT_EQ(saved, nlohmann::json::parse(R"({"baseline": "appleMail",
      "overrides": {"archive": ["y"], "delete": ["ctrl+d"]}})"));
  EXPECT_EQ(app.interceptor().keymap().action(KeyToken::character("y")), ActionID::archive);
  EXPECT_TRUE(app.interceptor().keymap().composeBindings.empty());
}

TEST_F(AppControllerTest, AHandEditedKeymapIsNotImportedWhenCustomJsonExists) {
  const std::string custom = R"({"baseline": "outlookMac", "overrides": {}})";
  testing::writeText(customFile(), custom);
  testing::writeText(keymapFile(), R"({"keys": {"y": "archive"}})");
  start();
  EXPECT_EQ(app.shortcutSet(), ShortcutSet::gmail);
  EXPECT_EQ(testing::readText(customFile()), custom);
}

TEST_F(AppControllerTest, AnInvalidHandEditedKeymapIsNotImported) {
  testing::writeText(keymapFile(), R"({"keys": {"y": "archive"},)");
  start();
  EXPECT_EQ(app.shortcutSet(), ShortcutSet::gmail);
  EXPECT_FALSE(std::filesystem::exists(customFile()));
  EXPECT_TRUE(app.keymapStore().loadError());
  // What keeps it from being imported: a file that does not load leaves the
  // built-in keys in place, so nothing hand-edited is seen.
  EXPECT_EQ(app.keymapStore().keymap(), Keymap::default_());
}

// The default files of the builds before the picker's V (17 keys) and
// before showShortcuts' ? (16 keys) were not edited by hand either.
TEST_F(AppControllerTest, TheDefaultFilesOfEarlierBuildsAreNotImported) {
  EXPECT_EQ(startWithDefaultFileWithout({"v"}), 17u);
  EXPECT_EQ(app.shortcutSet(), ShortcutSet::gmail);
  EXPECT_FALSE(std::filesystem::exists(customFile()));
}

TEST_F(AppControllerTest, TheDefaultFileOfABuildBeforeTheQuestionMarkIsNotImported) {
  EXPECT_EQ(startWithDefaultFileWithout({"v", "?"}), 16u);
  EXPECT_EQ(app.shortcutSet(), ShortcutSet::gmail);
  EXPECT_FALSE(std::filesystem::exists(customFile()));
}

TEST_F(AppControllerTest, NoStoredSetAndShortcutsOffMeansOff) {
  defaults().set(Keys::enabled, false);
  start();
  EXPECT_EQ(app.shortcutSet(), ShortcutSet::off);
  EXPECT_EQ(defaults().string(Keys::shortcutSet), "off");
  EXPECT_EQ(defaults().boolean(Keys::enabled), false);
  EXPECT_FALSE(app.interceptor().enabled());
}

TEST_F(AppControllerTest, AnUnknownStoredSetIsChosenAgainAndWrittenBack) {
  defaults().set(Keys::shortcutSet, "larkpost");
  start();
  EXPECT_EQ(app.shortcutSet(), ShortcutSet::gmail);
  EXPECT_EQ(defaults().string(Keys::shortcutSet), "gmail");
}

TEST_F(AppControllerTest, OutlookForMacTakesItsKeysButActionsAndFocusFromKeymapJson) {
  testing::writeText(keymapFile(), R"({
    "actions": {"archive": {"menu": [["Message", "Move to", "Archive"]]}},
    "focus": {"messageWindowMarkers": ["Mail.reader"]}})");
  defaults().set(Keys::shortcutSet, "outlookMac");
  start();
  const Keymap& active = app.interceptor().keymap();
  EXPECT_EQ(active.listChords, keymap(KeymapPreset::outlookMac).listChords);
  EXPECT_TRUE(active.bindings.empty());
  EXPECT_EQ(active.spec(ActionID::archive)->menu,
            (std::vector<MenuPath>{{"Message", "Move to", "Archive"}}));
  EXPECT_EQ(active.focus.messageWindowMarkers, std::vector<std::string>{"Mail.reader"});
  EXPECT_EQ(app.focusInspector().policy(), active.focus);
  // The hand-edited actions and focus alone are no reason to import anything.
  EXPECT_FALSE(std::filesystem::exists(customFile()));
}

TEST_F(AppControllerTest, SelectingSetsAndTheLastActiveSet) {
  start();
  app.selectSet(ShortcutSet::outlookWindows);
  EXPECT_EQ(defaults().string(Keys::lastActiveSet), "outlookWindows");
  EXPECT_EQ(defaults().string(Keys::shortcutSet), "outlookWindows");
  app.selectSet(ShortcutSet::off);
  EXPECT_EQ(defaults().string(Keys::lastActiveSet), "outlookWindows");
  EXPECT_EQ(defaults().string(Keys::shortcutSet), "off");
  EXPECT_EQ(app.prefs().lastActiveSet(), ShortcutSet::outlookWindows);
  app.selectSet(ShortcutSet::custom);
  EXPECT_EQ(app.interceptor().keymap().bindings, app.customStore().definition().keymap().bindings);
  EXPECT_TRUE(app.interceptor().enabled());
}

TEST_F(AppControllerTest, EveryKeymapApplicationEmptiesTheMenuCache) {
  mac.permissions.accessibility = true;
  user.openMail();
  start();
  user.press("e");
  ASSERT_FALSE(app.executor().resolved().empty());
  app.applyKeymap();
  EXPECT_TRUE(app.executor().resolved().empty());
  user.press("e");
  app.selectSet(ShortcutSet::gmail);  // the same set again
  EXPECT_TRUE(app.executor().resolved().empty());
  EXPECT_FALSE(app.focusInspector().hasCachedFocus());
}

// MARK: - A blind tap

class BlindTapTest : public AppControllerTest {
 protected:
  void SetUp() override {
    mac.permissions.accessibility = true;
    defaults().set(Keys::askedLaunchAtLogin, true);  // no question takes the front
    user.switchTo("com.apple.Terminal", "Terminal");
    terminal = mac.app(std::string("com.apple.Terminal"))->pid();
    user.openMail();
    start();
    ASSERT_EQ(app.status(), Status::active);
  }
  void secureInput(bool on) {
    if (on) {
      mac.windowServer().enableSecureEventInput(terminal);
    } else {
      mac.windowServer().disableSecureEventInput(terminal);
    }
  }
  void check() { loop.advance(Duration(AppController::permissionCheckInterval)); }

  pid_t terminal = 0;
};

TEST_F(BlindTapTest, SecureKeyboardEntryShowsInTheStatusWhileItMatters) {
  secureInput(true);
  EXPECT_EQ(app.status(), Status::active);  // not known before the next look
  check();
  EXPECT_TRUE(app.keysHidden());
  EXPECT_EQ(app.status(), Status::keysHidden);
  user.switchTo(sim::SimulatedMac::safariBundleID, "Safari");
  EXPECT_EQ(app.status(), Status::waitingForMail);
  app.selectSet(ShortcutSet::off);
  user.openMail();
  EXPECT_EQ(app.status(), Status::paused);
  app.selectSet(ShortcutSet::gmail);
  EXPECT_EQ(app.status(), Status::keysHidden);
  mac.quit(terminal);
  check();
  EXPECT_FALSE(app.keysHidden());
  EXPECT_EQ(app.status(), Status::active);
  EXPECT_EQ(session.statusText().shown(),
            (std::vector<std::string>{"active", "keysHidden", "waitingForMail", "paused",
                                      "keysHidden", "active"}));
}

TEST_F(BlindTapTest, MailComingForwardLooksAtOnce) {
  user.switchTo(sim::SimulatedMac::safariBundleID, "Safari");
  secureInput(true);
  user.openMail();
  EXPECT_EQ(app.status(), Status::keysHidden);
}

TEST_F(BlindTapTest, AKeyWhoseKeyUpWasHiddenIsForgotten) {
  constexpr std::uint16_t e = 14;
  auto& server = mac.windowServer();
  // e goes down (swallowed: it archives), and secure keyboard entry comes
  // on before it comes up: its key-up reaches Mail unseen.
  server.pressKey(e, 0);
  loop.schedule(Duration(0.04), [&] { secureInput(true); });
  loop.advance(Duration(0.2));
  ASSERT_FALSE(server.log[server.log.size() - 2].deliveredTo.has_value());
  ASSERT_TRUE(server.log.back().deliveredTo.has_value());
  check();
  secureInput(false);
  check();
  ASSERT_EQ(app.status(), Status::active);
  // Typed into the search field, e passes both ways.
  user.click(sim::MailApp::Place::searchField);
  user.press("e");
  EXPECT_EQ(server.log[server.log.size() - 2].deliveredTo, user.mail().pid());
  EXPECT_EQ(server.log.back().deliveredTo, user.mail().pid());
}

TEST_F(BlindTapTest, ADeadTapPortIsReplacedAtTheNextCheckAndCounted) {
  mac.windowServer().invalidateTapPorts();
  check();
  EXPECT_EQ(app.tap().renewals(), 1);
  EXPECT_EQ(mac.windowServer().enabledTapCount(), 1u);
  secureInput(true);
  app.runDiagnosis();
  const auto lines = logLines();
  EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                         [](const std::string& line) {
                           return line.ends_with(", secure keyboard entry=true, tap renewals=1");
                         }),
            lines.end());
}

TEST_F(BlindTapTest, ATapRenewalTheSystemRefusesShowsInTheStatusAtOnce) {
  // Three time-outs within a minute call for a new tap, which the system
  // refuses: the status says so now, not at the next permission check.
  mac.windowServer().refuseTaps = true;
  for (int i = 0; i < 3; ++i) {
    mac.windowServer().disableTapsByTimeout();
    loop.runUntilIdle();
  }
  ASSERT_FALSE(app.tap().isInstalled());
  EXPECT_EQ(app.status(), Status::needsInputMonitoring);
  EXPECT_EQ(session.statusText().shown().back(), "needsInputMonitoring");
}

TEST_F(AppControllerTest, TheUserInterfaceIsRefreshedAtEveryCheckAndShowsTheStatus) {
  start();
  auto& ui = session.statusText();
  const int before = ui.refreshes();
  loop.advance(Duration(2));
  EXPECT_GE(ui.refreshes(), before + 1);
  mac.permissions.accessibility = true;
  user.openMail();
  loop.advance(Duration(2));
  EXPECT_EQ(ui.shown(), (std::vector<std::string>{"needsAccessibility", "active"}));
}

TEST_F(AppControllerTest, EachChangeRefreshesTheUserInterfaceOnce) {
  mac.permissions.accessibility = true;
  user.openMail();
  start();
  auto& ui = session.statusText();
  const auto refreshesOf = [&](const std::function<void()>& change) {
    const int before = ui.refreshes();
    change();
    return ui.refreshes() - before;
  };
  EXPECT_EQ(refreshesOf([&] { app.selectSet(ShortcutSet::outlookMac); }), 1);
  EXPECT_EQ(refreshesOf([&] { app.selectSet(ShortcutSet::off); }), 1);
  EXPECT_EQ(refreshesOf([&] { app.applyKeymap(); }), 1);
  EXPECT_EQ(refreshesOf([&] { user.switchTo(sim::SimulatedMac::safariBundleID, "Safari"); }), 1);
  EXPECT_EQ(refreshesOf([&] { app.checkPermissions(false); }), 1);
  mac.permissions.accessibility = false;
  EXPECT_EQ(refreshesOf([&] { app.checkPermissions(false); }), 1);  // a change, still once
}

TEST_F(AppControllerTest, OnOffIsOneFactInThePreferenceTheInterceptorAndTheTap) {
  mac.permissions.accessibility = true;
  user.openMail();
  start();
  const auto state = [&] {
    return std::string(defaults().boolean(Keys::enabled).value_or(true) ? "on" : "off") + " " +
           (app.interceptor().enabled() ? "on" : "off") + " " +
           (mac.windowServer().enabledTapCount() == 1 ? "listening" : "deaf");
  };
  EXPECT_EQ(state(), "on on listening");
  app.selectSet(ShortcutSet::off);
  EXPECT_EQ(state(), "off off deaf");
  user.switchTo(sim::SimulatedMac::safariBundleID, "Safari");
  user.openMail();  // Mail in front again: shortcuts stay off
  EXPECT_EQ(state(), "off off deaf");
  app.selectSet(ShortcutSet::gmail);
  user.switchTo(sim::SimulatedMac::safariBundleID, "Safari");
  EXPECT_EQ(state(), "on on deaf");
  user.openMail();
  EXPECT_EQ(state(), "on on listening");
}

TEST_F(AppControllerTest, DebugLoggingToggleIsStoredAndAlwaysSaysSo) {
  start();
  app.setDebugLogging(true);
  app.setDebugLogging(false);
  EXPECT_EQ(defaults().boolean(Keys::debugLogging), false);
  EXPECT_EQ(logLines(), (std::vector<std::string>{"debug logging on", "debug logging off"}));
}

TEST(TapFindingText, Forms) {
  EXPECT_EQ(AppController::TapFinding::installed(true).description(),
            "installed(inputMonitoringGranted: true)");
  EXPECT_EQ(AppController::TapFinding::failed(false).description(),
            "failed(inputMonitoringGranted: false)");
  EXPECT_EQ(AppController::TapFinding::notAttempted().description(), "notAttempted");
  EXPECT_NE(AppController::TapFinding::failed(false), AppController::TapFinding::failed(true));
}

}  // namespace
}  // namespace quillo
