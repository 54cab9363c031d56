#include "Gui/Symbols.hpp"

#include <gtest/gtest.h>

#include <QImage>

#include "StatusMenuContent.hpp"

namespace quillo::gui {
namespace {

TEST(Symbols, EverySymbolIsDrawnInItsColour) {
  for (int i = 0; i <= static_cast<int>(Symbol::clock); ++i) {
    SCOPED_TRACE(i);
    QImage image(26, 26, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawSymbol(painter, static_cast<Symbol>(i), QRectF(0, 0, 26, 26), QColor(255, 0, 0));
    painter.end();
    int red = 0;
    for (int y = 0; y < 26; ++y) {
      for (int x = 0; x < 26; ++x) {
        const QColor pixel = image.pixelColor(x, y);
        red += pixel.alpha() == 255 && pixel.red() == 255 && pixel.green() == 0 ? 1 : 0;
      }
    }
    EXPECT_GT(red, 10);
  }
}

TEST(Symbols, EveryNameTheAppHandsOutIsDrawn) {
  for (const StatusImage image : {StatusImage::warning, StatusImage::checkmark})
    EXPECT_TRUE(symbolNamed(symbolName(image))) << symbolName(image);
  EXPECT_FALSE(symbolNamed(symbolName(StatusImage::appIcon)));
  EXPECT_FALSE(symbolNamed("star.fill"));
}

}  // namespace
}  // namespace quillo::gui
