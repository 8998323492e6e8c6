// Strings as callers see them: text of numbers, sharing, Split and Replace pieces.
#include <gtest/gtest.h>

#include "runtime/array.h"
#include "runtime/string.h"

TEST(StringText, NumbersFollowTheRuntimeFormats) {
  EXPECT_EQ(String(0), String("0"));
  EXPECT_EQ(String(-5), String("-5"));
  EXPECT_EQ(String(2.0f), String("2.0"));
  EXPECT_EQ(String(0.1f), String("0.10000000149011612"));
  EXPECT_EQ(String(1.0e16f), String("10000000272564224.0"));
}
