#include <gtest/gtest.h>

#include <QCoreApplication>

// Tests run with an application object, so that code which lets the event loop run can do so.
int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
