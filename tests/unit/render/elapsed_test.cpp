#include "render/elapsed.h"

#include <gtest/gtest.h>

namespace pictara {
namespace {

TEST(FormatElapsed, PatternsAndRounding) {
  struct Case {
    double seconds;
    bool msIfUnderSecond, alwaysMs, withHours;
    const char* expected;
  };
  constexpr Case kCases[] = {
      {0.5, true, false, false, "00:00.500"},
      {2.345, true, true, false, "00:02.345"},   // the status line's call
      {2.345, true, false, false, "00:02"},      // a second or more: no milliseconds
      {61.25, false, false, false, "01:01"},
      {3725, false, false, true, "01:02:05"},
      {3725, false, false, false, "02:05"},      // whole hours dropped without the hour field
      {2.005, false, true, false, "00:02.5"},    // milliseconds without leading zeros
      {0.9996, false, true, false, "00:01.0"},   // rounded to the nearest millisecond
      {90061.5, false, true, true, "01:01:01.500"},  // a day and more wraps around
      {86399.9999, false, false, true, "00:00:00"},  // rounding up to a whole day wraps too
      {0, true, false, false, "00:00.0"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.seconds << " " << c.msIfUnderSecond << c.alwaysMs
                                    << c.withHours);
    EXPECT_EQ(FormatElapsed(c.seconds, c.msIfUnderSecond, c.alwaysMs, c.withHours), c.expected);
  }
}

}  // namespace
}  // namespace pictara
