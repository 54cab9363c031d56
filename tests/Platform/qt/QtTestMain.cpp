// The Qt platform tests' main: a QApplication on the offscreen platform (no
// display needed) with a fixed font, made before any test and kept for all.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <cstdlib>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // A display of the test runner's choosing (Xvfb for the tray) wins.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  QApplication::setFont(QFont("DejaVu Sans", 10));
  return RUN_ALL_TESTS();
}
