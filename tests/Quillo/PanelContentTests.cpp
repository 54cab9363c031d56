#include <gtest/gtest.h>

#include "PanelContent.hpp"
#include "Platform/linux/LinuxServices.hpp"
#include "QuilloCore/KeymapPreset.hpp"

namespace quillo {
namespace {

using Status = AppStatus;

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

TEST_F(PanelContentTest, MissingPermissionsExplainThemselvesAndApprovalIsAWarning) {
  EXPECT_FALSE(panelContent(model).accessibilityHelp);
  model.permissions.accessibility = false;
  model.loginNeedsApproval = true;
  model.needsInputMonitoring = true;
  const auto content = panelContent(model);
  ASSERT_TRUE(content.inputMonitoring);
  EXPECT_EQ(content.inputMonitoring->title, "Input Monitoring permission is needed");
  ASSERT_TRUE(content.accessibilityHelp);
  EXPECT_TRUE(content.accessibilityHelp->starts_with("Quillo needs Accessibility to work."));
  EXPECT_FALSE(content.switches.at(2).on);
  EXPECT_EQ(content.switches.at(2).flip, PanelRequest(PanelRequests::FixAccessibility{}));
  ASSERT_TRUE(content.loginApproval);
  EXPECT_EQ(content.loginApproval->title, "Approve Quillo in Login Items");
  EXPECT_EQ(content.loginApproval->button.request, PanelRequest(PanelRequests::OpenLoginItems{}));
}

TEST_F(PanelContentTest, TheEditorRecordsClearsAndResets) {
  model.set = ShortcutSet::custom;
  model.editing = true;
  auto content = panelContent(model);
  ASSERT_TRUE(content.editor);
  EXPECT_EQ(content.editor->baselineTitle, "macOS");
  EXPECT_EQ(content.editor->baselineAccessibilityLabel, "Start from macOS");
  EXPECT_FALSE(content.editor->messageIsWarning);
  const auto archive = row(content, ActionID::archive);  // Quillo's E
  ASSERT_TRUE(archive.recordButton && archive.clearButton);
  EXPECT_EQ(archive.recordButton->request, PanelRequest(PanelRequests::Record{ActionID::archive}));
  EXPECT_EQ(archive.recordButton->toolTip, "Click, then press the shortcut you want for Archive");

  model.recording = ActionID::archive;
  model.recordMessage = "That key can't be used as a shortcut.";
  content = panelContent(model);
  EXPECT_TRUE(row(content, ActionID::archive).recording);
  EXPECT_FALSE(row(content, ActionID::archive).clearButton);
  EXPECT_FALSE(row(content, ActionID::reply).recording);
  EXPECT_TRUE(content.editor->messageIsWarning);
}

TEST_F(PanelContentTest, TheColumnsSplitTheRowsEvenlyTheFirstTakingAnOddOne) {
  const auto rows = model.shortcuts;
  const std::pair<std::size_t, std::size_t> cases[] = {
      {0, 0}, {1, 1}, {2, 1}, {19, 10}, {20, 10}};  // rows, then rows in the first column
  for (const auto& [count, left] : cases) {
    model.shortcuts.assign(rows.begin(), rows.begin() + static_cast<long>(count));
    const auto content = panelContent(model);
    EXPECT_EQ(content.leftColumn.size(), left) << count;
    EXPECT_EQ(content.rightColumn.size(), count - left) << count;
  }
}

TEST_F(PanelContentTest, ARowWithoutAnyKeyShowsADashThatRecords) {
  model.shortcuts = PanelModel::shortcutRows(nullptr);  // off: Mail's own keys
  model.editing = true;
  const auto shortcuts = row(panelContent(model), ActionID::showShortcuts);
  EXPECT_EQ(shortcuts.keys, (std::vector<PanelContent::Keycap>{{"\u2014", true, false, {}}}));
  EXPECT_EQ(shortcuts.accessibilityLabel, "Show shortcuts: no key");
  EXPECT_TRUE(shortcuts.places.isEmpty());
  ASSERT_TRUE(shortcuts.recordButton);
  EXPECT_FALSE(shortcuts.clearButton);
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

TEST_F(PanelContentTest, TheDebugSectionAndTheHelpCard) {
  auto content = panelContent(model);
  EXPECT_FALSE(content.debug);
  EXPECT_FALSE(content.help);
  model.showDebug = true;
  model.showingHelp = true;
  content = panelContent(model);
  ASSERT_TRUE(content.debug);
  ASSERT_EQ(content.debug->commands.size(), 5u);
  EXPECT_EQ(content.debug->commands[0].title, "Log Focused Element in 3 s");
  EXPECT_EQ(content.debug->commands[4].request,
            PanelRequest(PanelRequests::Debug{PanelRequests::DebugCommand::showLog}));
  EXPECT_EQ(content.debug->logging.flip, PanelRequest(PanelRequests::SetDebugLogging{true}));
  ASSERT_TRUE(content.help);
  ASSERT_EQ(content.help->places.size(), 3u);
  EXPECT_EQ(content.help->places[1].name, "Open message");
  EXPECT_EQ(content.help->ok.request, PanelRequest(PanelRequests::ToggleHelp{}));
}

}  // namespace
}  // namespace quillo
