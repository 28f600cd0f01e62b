#include "base/muldiv.h"

#include <gtest/gtest.h>

#include <climits>

namespace pictara {
namespace {

TEST(MulDiv, RoundsHalvesAwayFromZeroAndReportsOverflowAsMinusOne) {
  struct Case {
    int32_t a, b, c, expected;
  } const kCases[] = {
      {300, 100, 200, 150}, {1, 1, 2, 1},        {-1, 1, 2, -1},   {3, 1, 2, 2},
      {-3, 1, 2, -2},       {1, 1, -2, -1},      {-1, -1, 2, 1},   {2, 3, 4, 2},
      {7, 1, 3, 2},         {8, 1, 3, 3},        {-8, 1, 3, -3},   {0, 5, 7, 0},
      {5, 7, 0, -1},        {INT_MAX, 2, 1, -1}, {INT_MAX, 2, 2, INT_MAX},
      {INT_MAX, INT_MAX, INT_MAX, INT_MAX},      {16, 144, 96, 24}, {16, 120, 96, 20},
      {INT_MIN, 1, 1, -1},  // -2^31 itself counts as an overflow
      {INT_MIN, 1, -2, 1073741824},
      {5, 50, 100, 3},      {-5, 50, 100, -3},   {401, 25, 100, 100},  // percent sizes
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.a << " * " << c.b << " / " << c.c);
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected);
  }
}

}  // namespace
}  // namespace pictara
