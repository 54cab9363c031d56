#include <gtest/gtest.h>

#include "PanelContent.hpp"
#include "Platform/linux/LinuxServices.hpp"
#include "QuilloCore/KeymapPreset.hpp"

namespace quillo {
namespace {

using Status = AppStatus;
using Place = CheatSheet::Place;

class PanelContentTest : public ::testing::Test {
 protected:
  PanelContentTest() {
    const auto all = allCases<ShortcutSet>();
    model.sets.assign(all.begin(), all.end());
    model.shortcuts = PanelModel::shortcutRows(&gmail);
  }
  const PanelContent::ShortcutRow& row(const PanelContent& content, ActionID action) {
    for (const auto* column : {&content.leftColumn, &content.rightColumn}) {
      for (const auto& row : *column) {
        if (row.action == action) return row;
      }
    }
    throw std::out_of_range("no row");
  }

  platform::InstalledBundle bundle{QUILLO_RESOURCES};
  PanelModel model{bundle};
  Keymap gmail = keymap(KeymapPreset::gmail);
};

TEST_F(PanelContentTest, TheFirstSwitchSaysWhetherShortcutsAreOnAndWhy) {
  struct Case {
    bool enabled;
    Status status;
    const char* title;
    std::optional<std::string> note;
  };
  const Case cases[] = {
      {false, Status::active, "Shortcuts disabled", std::nullopt},
      {true, Status::paused, "Shortcuts enabled", "Off \u2014 using Mail's own shortcuts"},
      {true, Status::needsAccessibility, "Shortcuts enabled", "Needs Accessibility permission"},
      {true, Status::needsInputMonitoring, "Shortcuts enabled",
       "Needs Input Monitoring permission"},
      {true, Status::waitingForMail, "Shortcuts enabled", "Ready when Apple Mail window is active"},
      {true, Status::keysHidden, "Shortcuts enabled",
       "Keys hidden by secure keyboard entry in another app"},
      {false, Status::keysHidden, "Shortcuts disabled", std::nullopt},
      {true, Status::active, "Shortcuts enabled", "Active in Mail"},
  };
  for (const auto& c : cases) {
    model.enabled = c.enabled;
    model.status = c.status;
    const auto first = panelContent(model).switches.at(0);
    EXPECT_EQ(first.title, c.title);
    EXPECT_EQ(first.note, c.note) << c.title;
    EXPECT_EQ(first.flip, PanelRequest(PanelRequests::SetEnabled{!c.enabled}));
  }
}

TEST_F(PanelContentTest, MissingAccessibilityExplainsItselfAndApprovalIsAWarning) {
  EXPECT_FALSE(panelContent(model).accessibilityHelp);
  model.permissions.accessibility = false;
  model.loginNeedsApproval = true;
  const auto content = panelContent(model);
  ASSERT_TRUE(content.accessibilityHelp);
  EXPECT_TRUE(content.accessibilityHelp->starts_with("Quillo needs Accessibility to work."));
  EXPECT_FALSE(content.switches.at(2).on);
  EXPECT_EQ(content.switches.at(2).flip, PanelRequest(PanelRequests::FixAccessibility{}));
  ASSERT_TRUE(content.loginApproval);
  EXPECT_EQ(content.loginApproval->title, "Approve Quillo in Login Items");
  EXPECT_EQ(content.loginApproval->button.request, PanelRequest(PanelRequests::OpenLoginItems{}));
}

TEST_F(PanelContentTest, SetRowsMarkTheActiveSet) {
  model.set = ShortcutSet::outlookMac;
  const auto sets = panelContent(model).sets;
  ASSERT_EQ(sets.size(), 5u);
  EXPECT_EQ(sets[1].title, "Outlook for Mac");
  EXPECT_EQ(sets[1].description, "\u2303E archive, \u2318J forward, \u2318T mark read");
  for (const auto& row : sets)
    EXPECT_EQ(row.selected, row.set == ShortcutSet::outlookMac) << row.title;
}

TEST_F(PanelContentTest, KeymapProblemsShowAtMostThreeLines) {
  EXPECT_FALSE(panelContent(model).hasWarnings());
  model.keymapProblems = {"one", "two", "three", "four", "five"};
  auto content = panelContent(model);
  ASSERT_TRUE(content.keymapWarning);
  EXPECT_EQ(content.keymapWarning->title, "Your shortcuts file has warnings");
  EXPECT_EQ(content.keymapProblemLines, (std::vector<std::string>{"one", "two", "three"}));
  model.keymapHasError = true;
  model.needsInputMonitoring = true;
  content = panelContent(model);
  EXPECT_EQ(content.keymapWarning->title, "Your shortcuts file has an error");
  ASSERT_TRUE(content.inputMonitoring);
  EXPECT_EQ(content.inputMonitoring->title, "Input Monitoring permission is needed");
}

TEST_F(PanelContentTest, NineteenRowsMakeColumnsOfTenAndNine) {
  const auto content = panelContent(model);
  EXPECT_EQ(content.leftColumn.size(), 10u);
  EXPECT_EQ(content.rightColumn.size(), 9u);
  EXPECT_EQ(content.leftColumn.front().action, ActionID::archive);
  EXPECT_EQ(content.rightColumn.front().action, ActionID::markRead);
  model.shortcuts.resize(3);
  EXPECT_EQ(panelContent(model).leftColumn.size(), 2u);
}

TEST_F(PanelContentTest, KeycapsAreFilledForQuillosKeysAndOutlinedForMailsOwn) {
  model.shortcuts = PanelModel::shortcutRows(nullptr);
  auto archive = row(panelContent(model), ActionID::archive);
  EXPECT_EQ(archive.keys, (std::vector<PanelContent::Keycap>{{"\u2303\u2318A", true, false, {}}}));
  model.shortcuts = PanelModel::shortcutRows(&gmail);
  archive = row(panelContent(model), ActionID::archive);
  EXPECT_EQ(archive.keys, (std::vector<PanelContent::Keycap>{{"E", false, false, {}}}));
  EXPECT_FALSE(archive.recordButton);
}

TEST_F(PanelContentTest, AccessibilityLabelsNameKeysSourceAndPlaces) {
  PanelModel::Shortcut shortcut{"archive",
                                ActionID::archive,
                                {"E", "\u2303E"},
                                {{"G", "X"}},
                                "Archive",
                                true,
                                {Place::messageList, Place::openMessage},
                                std::nullopt};
  EXPECT_EQ(accessibilityLabel(shortcut),
            "Archive: E or \u2303E or G then X, Quillo, works in the message list, in an open "
            "message");
  shortcut.fromQuillo = false;
  shortcut.places = {Place::writing};
  shortcut.sequences.clear();
  EXPECT_EQ(accessibilityLabel(shortcut), "Archive: E or \u2303E, macOS, works while writing");
}

TEST_F(PanelContentTest, TheEditorRecordsClearsAndResets) {
  model.set = ShortcutSet::custom;
  model.editing = true;
  auto content = panelContent(model);
  ASSERT_TRUE(content.editor);
  EXPECT_EQ(content.editButton.title, "Done");
  EXPECT_EQ(content.editor->baselineTitle, "macOS");
  EXPECT_EQ(content.editor->baselineAccessibilityLabel, "Start from macOS");
  EXPECT_EQ(content.editor->message, "Click a key, then press the shortcut you want. Esc cancels.");
  EXPECT_FALSE(content.editor->messageIsWarning);
  EXPECT_FALSE(content.editor->resetChanges);  // no override yet

  const auto archive = row(content, ActionID::archive);  // Quillo's E
  ASSERT_TRUE(archive.recordButton);
  EXPECT_EQ(archive.recordButton->request, PanelRequest(PanelRequests::Record{ActionID::archive}));
  EXPECT_EQ(archive.recordButton->toolTip, "Click, then press the shortcut you want for Archive");
  ASSERT_TRUE(archive.clearButton);
  EXPECT_EQ(archive.clearButton->toolTip, "Use the Mac's own shortcut for Archive");
  const auto unbound = std::find_if(model.shortcuts.begin(), model.shortcuts.end(),
                                    [](const auto& s) { return !s.fromQuillo; });
  ASSERT_NE(unbound, model.shortcuts.end());
  const auto mailsOwn = row(content, unbound->action);
  EXPECT_FALSE(mailsOwn.clearButton);
  EXPECT_TRUE(mailsOwn.keys.at(0).outlined);

  model.recording = ActionID::archive;
  model.recordMessage = "That key can't be used as a shortcut.";
  model.hasChanges = true;
  content = panelContent(model);
  EXPECT_TRUE(row(content, ActionID::archive).recording);
  EXPECT_FALSE(row(content, ActionID::archive).clearButton);
  EXPECT_FALSE(row(content, ActionID::reply).recording);
  EXPECT_EQ(content.editor->message, "That key can't be used as a shortcut.");
  EXPECT_TRUE(content.editor->messageIsWarning);
  ASSERT_TRUE(content.editor->resetChanges);
  EXPECT_EQ(content.editor->resetChanges->title, "Reset changes");
}

TEST_F(PanelContentTest, TheBaselineChooserChecksTheCurrentAndHighlightsTheHovered) {
  model.editing = true;
  model.baseline = CustomKeymap::Baseline::gmail;
  EXPECT_TRUE(panelContent(model).editor->choices.empty());
  const auto choices =
      panelContent(model, {true, CustomKeymap::Baseline::outlookWindows}).editor->choices;
  ASSERT_EQ(choices.size(), 4u);
  EXPECT_EQ(choices[0].title, "macOS");
  EXPECT_EQ(choices[3].title, "Outlook for Windows");
  for (const auto& choice : choices) {
    EXPECT_EQ(choice.checked, choice.baseline == CustomKeymap::Baseline::gmail) << choice.title;
    EXPECT_EQ(choice.highlighted, choice.baseline == CustomKeymap::Baseline::outlookWindows)
        << choice.title;
  }
}

TEST_F(PanelContentTest, DebugSectionFooterAndHelp) {
  auto content = panelContent(model);
  EXPECT_FALSE(content.debug);
  EXPECT_FALSE(content.help);
  EXPECT_EQ(content.versionText, "v" + bundle.shortVersion());
  model.showDebug = true;
  model.showingHelp = true;
  model.enabled = false;
  content = panelContent(model);
  ASSERT_TRUE(content.debug);
  ASSERT_EQ(content.debug->commands.size(), 5u);
  EXPECT_EQ(content.debug->commands[0].title, "Log Focused Element in 3 s");
  EXPECT_EQ(content.debug->commands[4].request,
            PanelRequest(PanelRequests::Debug{PanelRequests::DebugCommand::showLog}));
  EXPECT_EQ(content.debug->logging.flip, PanelRequest(PanelRequests::SetDebugLogging{true}));
  EXPECT_TRUE(content.legendQuilloDimmed);
  ASSERT_TRUE(content.help);
  ASSERT_EQ(content.help->places.size(), 3u);
  EXPECT_EQ(content.help->places[1].name, "Open message");
  EXPECT_EQ(content.help->ok.request, PanelRequest(PanelRequests::ToggleHelp{}));
}

}  // namespace
}  // namespace quillo
