#include <gtest/gtest.h>
TEST(Smoke, Builds) { EXPECT_EQ(2 + 2, 4); }
