#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temp_env.h"

int main(int argc, char** argv) {
  framora::test::EnterTempEnvironment();
  ::testing::InitGoogleMock(&argc, argv);
  const int rc = RUN_ALL_TESTS();
  framora::test::LeaveTempEnvironment();
  return rc;
}
