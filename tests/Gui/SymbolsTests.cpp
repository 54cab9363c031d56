#include "Gui/Symbols.hpp"

#include <gtest/gtest.h>

#include <QImage>

namespace quillo::gui {
namespace {

TEST(Symbols, EveryNameTheInterfaceUsesIsDrawnInItsColour) {
  const char* names[] = {"exclamationmark.triangle",
                         "exclamationmark.triangle.fill",
                         "checkmark.circle",
                         "checkmark",
                         "list.bullet",
                         "envelope.open",
                         "pencil",
                         "questionmark.circle",
                         "xmark.circle.fill",
                         "chevron.down",
                         "circle",
                         "circle.fill",
                         "largecircle.fill.circle"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    const auto symbol = symbolNamed(name);
    ASSERT_TRUE(symbol);
    QImage image(26, 26, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawSymbol(painter, *symbol, QRectF(0, 0, 26, 26), QColor(255, 0, 0));
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
  EXPECT_FALSE(symbolNamed("star.fill"));
  EXPECT_FALSE(symbolNamed(""));
}

}  // namespace
}  // namespace quillo::gui
