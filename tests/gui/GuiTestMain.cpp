// main() of every widget test program: one application object, offscreen.
#include <gtest/gtest.h>

#include "qt/Application.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  ::testing::InitGoogleTest(&argc, argv);
  mametan::TApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
