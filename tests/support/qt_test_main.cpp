#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "support/temp_env.h"

int main(int argc, char** argv) {
  framora::test::EnterTempEnvironment();
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int rc = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    rc = RUN_ALL_TESTS();
  }
  framora::test::LeaveTempEnvironment();
  return rc;
}
