#include <gtest/gtest.h>

#include <QApplication>

// Tests run with an application object, so that code which lets the event loop run can do so and
// widgets can be built. Without a platform named, windows go off screen: listing the tests at
// build time must not need a display.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
