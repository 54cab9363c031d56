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
    Rect button;
    Rect screen;
    Rect expected;
  };
  const Case cases[] = {
      {"under the button, 5 points down", {700, 875, 30, 22}, screen, {700, 310, 500, 560}},
      {"near the right edge: 8 points inside", {1400, 875, 30, 22}, screen, {932, 310, 500, 560}},
      {"near the left edge: 8 points inside", {2, 875, 30, 22}, screen, {8, 310, 500, 560}},
      {"a low screen: 8 points above the bottom", {700, 500, 30, 22}, screen, {700, 8, 500, 560}},
      {"a narrow screen: the right edge wins",
       {100, 875, 30, 22},
       {0, 0, 400, 875},
       {-108, 310, 500, 560}},
      {"a second screen to the right",
       {2000, 1075, 30, 22},
       {1440, 0, 1920, 1075},
       {2000, 510, 500, 560}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PanelPlacement::frame(panel, c.button, c.screen), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace quillo
