// The widget tests run in one QApplication, offscreen, with DejaVu Sans as
// the application font so that sizes and pixels are the same everywhere.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans")));
  return RUN_ALL_TESTS();
}
