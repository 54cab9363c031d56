#include <QLabel>
#include <QPointer>
#include <functional>

#include "OnOffSwitch.hpp"
#include "PanelFixture.hpp"

namespace quillo::gui::testing {
namespace {

using A = PanelRequests;
using Request = PanelRequest;

TEST_F(PanelTest, EachControlMakesExactlyItsRequest) {
  struct Case {
    const char* name;  // the control's accessible name
    std::function<void(PanelModel&)> setUp;
    Request expected;
  };
  const auto editing = [](PanelModel& m) {
    m.set = ShortcutSet::custom;
    m.editing = true;
    m.hasChanges = true;
  };
  const auto nothing = [](PanelModel&) {};
  const Case cases[] = {
      {"Outlook for Mac", nothing, A::SelectSet{ShortcutSet::outlookMac}},
      {"Off", nothing, A::SelectSet{ShortcutSet::off}},
      {"Shortcuts enabled", nothing, A::SetEnabled{false}},
      {"Shortcuts disabled", [](PanelModel& m) { m.enabled = false; }, A::SetEnabled{true}},
      {"Open at login", nothing, A::SetLaunchAtLogin{true}},
      {"Accessibility", nothing, A::FixAccessibility{}},
      {"Login Items Settings\u2026", nothing, A::OpenLoginItems{}},
      {"Accessibility Settings\u2026", nothing, A::FixAccessibility{}},
      {"Edit Shortcuts\u2026", nothing, A::EditShortcuts{}},
      {"Done", editing, A::EditShortcuts{}},
      {"Click, then press the shortcut you want for Archive", editing,
       A::Record{ActionID::archive}},
      {"Click, then press the shortcut you want for Copy", editing, A::Record{ActionID::copy}},
      {"Use the Mac's own shortcut for Archive", editing, A::ClearKey{ActionID::archive}},
      {"Reset changes", editing, A::ResetChanges{}},
      {"Explain the icons", nothing, A::ToggleHelp{}},
      {"OK", [](PanelModel& m) { m.showingHelp = true; }, A::ToggleHelp{}},
      {"Open Settings", [](PanelModel& m) { m.needsInputMonitoring = true; },
       A::FixInputMonitoring{}},
      {"Reset", [](PanelModel& m) { m.keymapProblems = {"w: unknown action"}; },
       A::ResetShortcuts{}},
      {"Debug logging", [](PanelModel& m) { m.showDebug = true; }, A::SetDebugLogging{true}},
      {"Check Menu Actions", [](PanelModel& m) { m.showDebug = true; },
       A::Debug{A::DebugCommand::menus}},
      {"Show Debug Log", [](PanelModel& m) { m.showDebug = true; },
       A::Debug{A::DebugCommand::showLog}},
      {"Support", nothing, A::Support{}},
      {"Quit", nothing, A::Quit{}},
  };
  const PanelModel initial = model;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    model = initial;
    c.setUp(model);
    show();
    requests.clear();
    click(theOne(widget, QString::fromUtf8(c.name)));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests.front(), c.expected);
  }
}

TEST_F(PanelTest, ASwitchOnlyAsksAndShowsWhatTheContentSays) {
  show();
  auto* enabled = theOne<OnOffSwitch>(widget, "Shortcuts enabled");
  click(enabled);
  EXPECT_TRUE(enabled->isOn());
  EXPECT_TRUE(enabled->isChecked());
  model.enabled = false;
  show();
  // The same switch, now off, under its new title.
  EXPECT_EQ(theOne<OnOffSwitch>(widget, "Shortcuts disabled"), enabled);
  EXPECT_FALSE(enabled->isOn());
}

TEST_F(PanelTest, TheListHasTwoColumnsOfElevenRowsWithTheirLabels) {
  show();
  auto* left = theOne(widget, "leftColumn", true);
  auto* right = theOne(widget, "rightColumn", true);
  ASSERT_TRUE(left && right);
  EXPECT_EQ(visibleNamed(*left, "shortcutRow", true).size(), 11u);
  EXPECT_EQ(visibleNamed(*right, "shortcutRow", true).size(), 11u);
  EXPECT_EQ(visibleNamed(*left, "Archive: E, Quillo, works in the message list, in an open message")
                .size(),
            1u);
  EXPECT_EQ(visibleNamed(*right, "Send: \u2318\u21A9, Quillo, works while writing").size(), 1u);
  // The right column starts right of the left one, 18 points on.
  EXPECT_EQ(right->mapTo(&widget, QPoint()).x(),
            left->mapTo(&widget, QPoint()).x() + left->width() + 18);
}

TEST_F(PanelTest, AClashNoticeStandsUnderItsRowInOrangeWhileEditing) {
  const std::string text =
      "\u2318R is Mail's own shortcut for Reply; while this set is on, Quillo uses it for Archive.";
  model.shortcuts.front().notice = text;
  show();
  EXPECT_TRUE(visibleNamed(widget, "notice", true).empty());  // only the editor shows notices
  model.editing = true;
  show();
  auto* notice = theOne<QLabel>(widget, "notice", true);
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(notice->text().toStdString(), text);
  auto* left = theOne(widget, "leftColumn", true);
  ASSERT_NE(left, nullptr);
  const auto rows = visibleNamed(*left, "shortcutRow", true);
  ASSERT_FALSE(rows.empty());
  // Right under the first row, inside its column, and in the warning colour.
  EXPECT_GT(notice->mapTo(&widget, QPoint()).y(), rows.front()->mapTo(&widget, QPoint()).y());
  EXPECT_LT(notice->mapTo(&widget, QPoint()).y(), rows[1]->mapTo(&widget, QPoint()).y());
  EXPECT_LE(notice->width(), left->width());
  EXPECT_GT(pixelsNear(picture(), placeOf(notice), light.orange, 40), 20);
}

TEST_F(PanelTest, OnlyThreeKeymapProblemsAreListed) {
  model.keymapProblems = {"one", "two", "three", "four", "five"};
  show();
  ASSERT_EQ(visibleNamed(widget, "warnings", true).size(), 1u);
  const auto lines = visibleNamed<QLabel>(widget, "keymapProblem", true);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0]->text(), "one");
  EXPECT_EQ(lines[2]->text(), "three");
  std::vector<QString> titles;
  for (auto* label : widget.findChildren<QLabel*>()) {
    if (label->isVisibleTo(&widget)) titles.push_back(label->text());
  }
  EXPECT_NE(std::find(titles.begin(), titles.end(), "Your shortcuts file has warnings"),
            titles.end());
  model.keymapProblems.clear();
  show();
  EXPECT_TRUE(visibleNamed(widget, "warnings", true).empty());
}

TEST_F(PanelTest, TheDebugSectionIsThereOnlyWhenTheContentHasIt) {
  show();
  EXPECT_TRUE(visibleNamed(widget, "debug", true).empty());
  EXPECT_TRUE(visibleNamed(widget, "Debug logging").empty());
  model.showDebug = true;
  show();
  EXPECT_EQ(visibleNamed(widget, "debug", true).size(), 1u);
  EXPECT_EQ(visibleNamed(widget, "Log Focused Element in 3 s").size(), 1u);
  model.showDebug = false;
  show();
  EXPECT_TRUE(visibleNamed(widget, "Debug logging").empty());
}

TEST_F(PanelTest, TheFittingSizeHoldsEverythingShown) {
  EXPECT_FALSE(widget.fittingSize());
  show();
  const auto plain = *widget.fittingSize();
  EXPECT_GE(plain.width, 440);
  // Everything shown lies inside the panel, the footer at its bottom.
  for (auto* child : widget.findChildren<QWidget*>()) {
    if (!child->isVisibleTo(&widget)) continue;
    EXPECT_TRUE(widget.rect().contains(placeOf(child)))
        << child->metaObject()->className() << " " << child->accessibleName().toStdString();
  }
  auto* quit = theOne(widget, "Quit");
  EXPECT_GE(placeOf(quit).bottom(), widget.height() - 25);
  // More content asks for more room; the help card never overflows.
  model.showDebug = true;
  show();
  EXPECT_GT(widget.fittingSize()->height, plain.height);
  model.showDebug = false;
  model.showingHelp = true;
  show();
  auto* card = theOne(widget, "helpCard", true);
  EXPECT_TRUE(widget.rect().contains(placeOf(card)));
  EXPECT_TRUE(placeOf(card).contains(placeOf(theOne(widget, "OK"))));
}

TEST_F(PanelTest, TheHelpCardCoversThePanelAndItsLayerOrKeysCloseIt) {
  model.showingHelp = true;
  show();
  auto* overlay = theOne(widget, "helpOverlay", true);
  ASSERT_NE(overlay, nullptr);
  EXPECT_EQ(overlay->geometry(), widget.rect());
  // A click on the dark layer, outside the card, asks to close it.
  QTest::mouseClick(overlay, Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests.back(), Request(A::ToggleHelp{}));
  // A click on the card itself asks nothing.
  QTest::mouseClick(theOne(widget, "helpCard", true), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(requests.size(), 1u);
  QTest::keyClick(&widget, Qt::Key_Return);
  EXPECT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests.back(), Request(A::ToggleHelp{}));
}

TEST_F(PanelTest, TheBaselineChooserIsTheViewsOwnAndHighlightsTheEntryUnderThePointer) {
  model.set = ShortcutSet::custom;
  model.editing = true;
  model.baseline = CustomKeymap::Baseline::gmail;
  show();
  click(theOne(widget, "Start from Gmail"));
  EXPECT_TRUE(requests.empty());
  EXPECT_TRUE(widget.viewState().choosingBaseline);
  // Each hover draws the panel anew: the entries are found again each time.
  const auto entries = [&] {
    return visibleNamed<QAbstractButton>(widget, "baselineChoice", true);
  };
  ASSERT_EQ(entries().size(), 4u);
  EXPECT_EQ(entries()[1]->accessibleName(), "Gmail");
  EXPECT_TRUE(entries()[1]->isChecked());
  EXPECT_FALSE(entries()[0]->isChecked());
  std::vector<QPoint> centres;
  for (auto* entry : entries())
    centres.push_back(placeOf(entry).center());
  // Down the list, back up, and a jump: the entry highlighted is the one
  // the pointer is over.
  for (const std::size_t at : {0u, 1u, 2u, 3u, 2u, 1u, 0u, 3u, 1u}) {
    QTest::mouseMove(&widget, centres[at]);
    QApplication::processEvents();
    const auto now = entries();
    ASSERT_EQ(now.size(), 4u);
    std::vector<std::string> highlighted;
    for (auto* entry : now) {
      if (pixelsNear(picture(), placeOf(entry), light.accent) > 20)
        highlighted.push_back(entry->accessibleName().toStdString());
    }
    EXPECT_EQ(highlighted, std::vector<std::string>{now[at]->accessibleName().toStdString()})
        << "pointer over entry " << at;
  }
  // Off the list, none is; choosing an entry asks for it and closes the list.
  QTest::mouseMove(&widget, QPoint(5, 5));
  QApplication::processEvents();
  EXPECT_EQ(widget.viewState().hoveredBaseline, std::nullopt);
  QTest::mouseMove(&widget, centres[3]);
  click(entries().at(3));
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests.front(), Request(A::SetBaseline{CustomKeymap::Baseline::outlookWindows}));
  EXPECT_FALSE(widget.viewState().choosingBaseline);
}

TEST_F(PanelTest, EscWhileARowRecordsAsksToStopRecording) {
  model.set = ShortcutSet::custom;
  model.editing = true;
  show();
  QTest::keyClick(&widget, Qt::Key_Escape);
  EXPECT_TRUE(requests.empty());  // nothing records: Esc is the controller's
  model.recording = ActionID::reply;
  show();
  EXPECT_EQ(visibleNamed(widget, "Press keys\u2026").size(), 1u);
  QTest::keyClick(&widget, Qt::Key_Escape);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests.front(), Request(A::Record{std::nullopt}));
}

TEST_F(PanelTest, AccessibleNamesComeFromTheContent) {
  model.set = ShortcutSet::custom;
  model.editing = true;
  show();
  auto* help = theOne<QAbstractButton>(widget, "Explain the icons");
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->toolTip(), "What the icons beside each shortcut mean");
  auto* set = theOne<QAbstractButton>(widget, "Custom");
  ASSERT_NE(set, nullptr);
  EXPECT_TRUE(set->isChecked());  // the selected trait
  EXPECT_FALSE(theOne<QAbstractButton>(widget, "Gmail")->isChecked());
  // Mail's own keys have no clear button.
  EXPECT_TRUE(visibleNamed(widget, "Use the Mac's own shortcut for Copy").empty());
}

TEST_F(PanelTest, AControlOfReplacedContentAsksNothing) {
  show();
  QPointer<QAbstractButton> old = theOne<QAbstractButton>(widget, "Quit");
  ASSERT_TRUE(old);
  model.enabled = false;
  show();
  // The old tree waits for the event loop to go; its clicks are stale.
  ASSERT_TRUE(old);
  old->click();
  EXPECT_TRUE(requests.empty());
  theOne<QAbstractButton>(widget, "Quit")->click();
  EXPECT_EQ(requests.size(), 1u);
}

TEST_F(PanelTest, ASwitchSlidesToItsNewValue) {
  model.launchAtLogin = false;
  show();
  auto* login = theOne<OnOffSwitch>(widget, "Open at login");
  const auto knobAtLeft = [&] {
    return near(picture().pixelColor(login->mapTo(&widget, QPoint(8, 10))), light.knob);
  };
  EXPECT_TRUE(knobAtLeft());
  model.launchAtLogin = true;
  show();
  EXPECT_TRUE(login->isOn());
  EXPECT_TRUE(knobAtLeft());  // the slide starts where the knob was
  QTest::qWait(OnOffSwitch::slideMilliseconds + 100);
  EXPECT_FALSE(knobAtLeft());
  EXPECT_TRUE(near(picture().pixelColor(login->mapTo(&widget, QPoint(5, 10))), light.green));
}

}  // namespace
}  // namespace quillo::gui::testing
