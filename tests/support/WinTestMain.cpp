// Entry point of the Windows test programs: prepares the application context
// as start-up does (instance, paths, desktop), then runs the tests.
#include <gtest/gtest.h>

#include "tests/support/AppContextSetup.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  PrepareAppContext();
  return RUN_ALL_TESTS();
}
