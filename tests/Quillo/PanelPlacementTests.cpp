#include <gtest/gtest.h>

#include "PanelPlacement.hpp"

namespace quillo {
namespace {

using platform::Rect;
using platform::Size;

TEST(PanelPlacement, TooSmallOrMissingSizesFallBackTo500By560) {
  const std::pair<std::optional<Size>, Size> cases[] = {
      {std::nullopt, {500, 560}},   {Size{80, 600}, {500, 560}},  {Size{600, 99.5}, {500, 560}},
      {Size{100, 100}, {100, 100}}, {Size{420, 640}, {420, 640}},
  };
  for (const auto& [fitting, expected] : cases) {
    EXPECT_EQ(PanelPlacement::size(fitting), expected)
        << (fitting ? std::to_string(fitting->width) + "x" + std::to_string(fitting->height)
                    : "none");
  }
}

TEST(PanelPlacement, UnderTheButtonAndInsideTheVisibleFrame) {
  // A 1440 x 900 screen whose visible frame stops under a 25-point menu bar.
  const Rect screen{0, 0, 1440, 875};
  const Size panel{500, 560};
  struct Case {
    const char* what;
    Size panel;
    Rect button, screen, expected;
  };
  const Rect narrow{0, 0, 400, 875};
  const Rect shortScreen{0, 0, 1280, 776};  // 1280 x 800 under a 24-point menu bar
  const Rect tray{0, 24, 1440, 876};        // the visible frame over a bottom tray
  const Case cases[] = {
      {"5 points under", panel, {700, 875, 30, 22}, screen, {700, 310, 500, 560}},
      {"right edge: 8 inside", panel, {1400, 875, 30, 22}, screen, {932, 310, 500, 560}},
      {"left edge: 8 inside", panel, {2, 875, 30, 22}, screen, {8, 310, 500, 560}},
      {"narrow: right edge wins", panel, {100, 875, 30, 22}, narrow, {-108, 310, 500, 560}},
      {"second screen", panel, {2000, 1075, 30, 22}, {1440, 0, 1920, 1075}, {2000, 510, 500, 560}},
      {"button above the frame", panel, {700, 890, 30, 10}, screen, {700, 315, 500, 560}},
      // 776 points visible, 8 kept free at the bottom, 5 under the button.
      {"tall: as tall as fits", {517, 914}, {1240, 777, 22, 22}, shortScreen, {755, 8, 517, 764}},
      {"exactly fits", {517, 764}, {1240, 777, 22, 22}, shortScreen, {755, 8, 517, 764}},
      {"low button: under, shorter", panel, {700, 500, 30, 22}, screen, {700, 8, 500, 487}},
      {"bottom tray: above, 5 clear", panel, {700, 0, 30, 24}, tray, {700, 29, 500, 560}},
      {"bottom tray, tall", {500, 1000}, {700, 0, 30, 24}, tray, {700, 29, 500, 863}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PanelPlacement::frame(c.panel, c.button, c.screen), c.expected) << c.what;
  }
}

TEST(PanelPlacement, APanelThatFitsTheScreensWidthNeverLeavesItsVisibleFrameNorCoversTheButton) {
  struct Screen {
    Rect visible;
    Rect menuBarButton;  // a status item at its top left
  };
  const Screen screens[] = {
      {{0, 0, 1440, 875}, {0, 876, 24, 22}},
      {{0, 0, 1280, 776}, {0, 777, 22, 22}},
      {{1440, 0, 1024, 600}, {1440, 601, 22, 22}},
  };
  const Size panels[] = {{440, 300}, {517, 600}, {517, 842}, {517, 914}, {520, 2000}};
  for (const auto& screen : screens) {
    for (const Size& panel : panels) {
      for (double along = 0; along <= 1; along += 0.125) {
        Rect button = screen.menuBarButton;
        button.x = screen.visible.minX() + along * (screen.visible.width - button.width);
        const Rect frame = PanelPlacement::frame(panel, button, screen.visible);
        const std::string what = std::to_string(panel.width) + "x" + std::to_string(panel.height) +
                                 " under a button at x " + std::to_string(button.x) +
                                 " on a screen " + std::to_string(screen.visible.height) + " high";
        EXPECT_GE(frame.minX(), screen.visible.minX() + 8) << what;
        EXPECT_LE(frame.maxX(), screen.visible.maxX() - 8) << what;
        EXPECT_GE(frame.minY(), screen.visible.minY() + 8) << what;
        EXPECT_LE(frame.maxY(), button.minY() - 5) << what;
        EXPECT_EQ(frame.width, panel.width) << what;
        EXPECT_EQ(frame.height,
                  std::min(panel.height, button.minY() - 5 - 8 - screen.visible.minY()))
            << what;
      }
    }
  }
}

}  // namespace
}  // namespace quillo
