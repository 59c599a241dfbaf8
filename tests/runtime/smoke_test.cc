#include <gtest/gtest.h>

// Proves that the test build, the sanitizers and Xvfb are wired up.
TEST(Smoke, BuildRuns) { EXPECT_EQ(1 + 1, 2); }
