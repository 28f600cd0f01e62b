#include "viewer/error_report.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace pictara {
namespace {

TEST(ErrorReport, AssertionShowsItsTextBeforeTheParenthesisOrErrorForASourceName) {
  struct Case {
    const char* message;
    bool assertion;
    const char* expected;
  } const kCases[] = {
      {"Picture missing (fm_svg.cpp, line 12)", true, "Picture missing "},
      {"no location at all", true, ""},
      {" (fm_svg.cpp, line 12)", true, " "},
      {"src\\viewer\\FM_SVG.CPP(12): bad state", true, "Error"},
      {"a (b) (c)", true, "a "},
      {"Cannot open (file.cpp, line 3)", false, "Cannot open (file.cpp, line 3)"},
      {"", false, ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(ErrorReportMessage(c.message, c.assertion), c.expected);
  }
}

TEST(ErrorReport, TextIsClassNameCarriageReturnMessage) {
  EXPECT_EQ(ErrorReportText("EConvertError", "bad value", false), "EConvertError\rbad value");
  EXPECT_EQ(ErrorReportText(std::out_of_range("index 5")), "std::out_of_range\rindex 5");
  EXPECT_EQ(ErrorReportText(EAssertionFailed("no location")), "EAssertionFailed\r");
}

TEST(ErrorReport, AssertMacroRaisesWithTheSourceLocation) {
  try {
    PICTARA_ASSERT(1 + 1 == 3, "Sum wrong");
    FAIL() << "no exception";
  } catch (const EAssertionFailed& e) {
    std::string text = e.what();
    EXPECT_EQ(text.rfind("Sum wrong (error_report_test.cpp, line ", 0), 0u) << text;
    EXPECT_EQ(ErrorReportText(e), "EAssertionFailed\rSum wrong ");
  }
  EXPECT_NO_THROW(PICTARA_ASSERT(true, "fine"));
}

}  // namespace
}  // namespace pictara
