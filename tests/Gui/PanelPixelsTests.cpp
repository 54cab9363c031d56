// What the panel looks like where the colour carries the meaning: sampled
// pixels of its picture, never whole images.

#include "Keycap.hpp"
#include "OnOffSwitch.hpp"
#include "PanelFixture.hpp"
#include "PlaceIcons.hpp"

namespace quillo::gui::testing {
namespace {

using Place = CheatSheet::Place;

/// Where a row's part lies, found by the row's label.
QWidget* rowNamed(QWidget& panel, const char* label) {
  return theOne(panel, QString::fromUtf8(label));
}

TEST_F(PanelTest, QuillosKeysAreFilledAndTheMacsOwnOutlined) {
  show();
  const QImage image = picture();
  auto* archive =
      rowNamed(widget, "Archive: E, Quillo, works in the message list, in an open message");
  auto* copy = rowNamed(widget,
                        "Copy: \u2318C, macOS, works in the message list, in an open message, "
                        "while writing");
  ASSERT_TRUE(archive && copy);
  auto* filled = archive->findChild<Keycap*>();
  auto* outlined = copy->findChild<Keycap*>();
  ASSERT_TRUE(filled && outlined);
  // Just inside the left edge, clear of the text: the key's ground.
  const QPoint inside(3, filled->height() / 2);
  EXPECT_TRUE(near(image.pixelColor(filled->mapTo(&widget, inside)), light.accent));
  EXPECT_TRUE(near(image.pixelColor(outlined->mapTo(&widget, inside)), light.background));
}

TEST_F(PanelTest, PlacesWhereAShortcutWorksAreGreenTheOthersGrey) {
  show();
  const QImage image = picture();
  // Next message works in the message list only.
  auto* row = rowNamed(widget, "Next message: J, Quillo, works in the message list");
  ASSERT_NE(row, nullptr);
  auto* icons = row->findChild<PlaceIcons*>();
  ASSERT_NE(icons, nullptr);
  const auto rectOf = [&](Place place) {
    return QRect(icons->mapTo(&widget, PlaceIcons::iconRect(place).topLeft()),
                 PlaceIcons::iconRect(place).size());
  };
  EXPECT_GT(pixelsNear(image, rectOf(Place::messageList), light.green), 5);
  for (const Place place : {Place::openMessage, Place::writing}) {
    EXPECT_EQ(pixelsNear(image, rectOf(place), light.green, 60), 0);
    // Drawn all the same, in a grey darker than the ground.
    EXPECT_GT(pixelsNear(image, rectOf(place), QColor(0xB4, 0xB4, 0xB5), 30), 3);
  }
}

TEST_F(PanelTest, ASwitchIsGreenWhenOnAndGreyWhenOff) {
  model.launchAtLogin = false;
  show();
  const QImage image = picture();
  auto* on = theOne<OnOffSwitch>(widget, "Shortcuts enabled");
  auto* off = theOne<OnOffSwitch>(widget, "Open at login");
  ASSERT_TRUE(on && off);
  const int middle = OnOffSwitch::trackHeight / 2;
  // On: the track shows green left of the knob, which sits at the right.
  EXPECT_TRUE(near(image.pixelColor(on->mapTo(&widget, QPoint(5, middle))), light.green));
  EXPECT_TRUE(near(image.pixelColor(on->mapTo(&widget, QPoint(26, middle))), light.knob));
  // Off: the knob at the left, the grey track to its right.
  EXPECT_TRUE(near(image.pixelColor(off->mapTo(&widget, QPoint(8, middle))), light.knob));
  const QColor track = image.pixelColor(off->mapTo(&widget, QPoint(28, middle)));
  EXPECT_FALSE(near(track, light.green, 60));
  EXPECT_TRUE(near(track, QColor(0xB4, 0xB4, 0xB5), 20));
}

TEST_F(PanelTest, TheLegendsQuilloKeyRestsInGreyWhileShortcutsAreOff) {
  show();
  auto* legend = visibleNamed<Keycap>(widget, "legend", true).at(0);
  const QPoint inside(3, legend->height() / 2);
  EXPECT_TRUE(near(picture().pixelColor(legend->mapTo(&widget, inside)), light.accent));
  model.enabled = false;
  show();
  legend = visibleNamed<Keycap>(widget, "legend", true).at(0);
  const QColor resting = picture().pixelColor(legend->mapTo(&widget, inside));
  EXPECT_FALSE(near(resting, light.accent, 40));
  // Grey scale, but for the tint of the ground showing through.
  EXPECT_LE(std::abs(resting.red() - resting.blue()), 3);
}

TEST_F(PanelTest, TheDarkAppearanceDrawsOnADarkGroundWithRoundCorners) {
  widget.setAppearance(Appearance::dark);
  show();
  const QImage image = picture();
  const Palette dark = Palette::of(Appearance::dark);
  EXPECT_TRUE(near(image.pixelColor(widget.width() / 2, widget.height() - 3), dark.background));
  // The corner itself is outside the rounded shape.
  EXPECT_FALSE(near(image.pixelColor(1, 1), dark.background, 8));
  widget.setAppearance(std::nullopt);
  QPalette desktop = widget.palette();
  desktop.setColor(QPalette::Window, Qt::black);
  widget.setPalette(desktop);
  EXPECT_EQ(widget.appearance(), Appearance::dark);
}

}  // namespace
}  // namespace quillo::gui::testing
