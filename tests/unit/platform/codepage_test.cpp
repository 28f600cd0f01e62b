#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace pictara {
namespace {

TEST(CodePageToUtf8, ConvertsTheCodePagesDrawingsAreWrittenIn) {
  struct Case {
    uint32_t codePage;
    std::string bytes;
    std::string utf8;
  } const kCases[] = {
      {1252, "caf\xE9 \x80", "caf\xC3\xA9 \xE2\x82\xAC"},  // e-acute, euro sign
      {28591, "\xE9", "\xC3\xA9"},
      {28605, "\xA4", "\xE2\x82\xAC"},                      // ISO-8859-15 has the euro at A4
      {1251, "\xC0", "\xD0\x90"},                           // Cyrillic A
      {1250, "\x8A", "\xC5\xA0"},                           // S with caron
      {20866, "\xE1", "\xD0\x90"},                          // KOI8-R Cyrillic A
      {932, "\x82\xA0", "\xE3\x81\x82"},                     // Hiragana A (two bytes)
      {65001, "\xC3\xA9", "\xC3\xA9"},
      {1200, std::string("A\0", 2), "A"},
      {1252, "", ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.codePage);
    const auto got = CodePageToUtf8(c.codePage, c.bytes);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, c.utf8);
  }
}

TEST(CodePageToUtf8, UnknownCodePageGivesNothing) {
  EXPECT_FALSE(CodePageToUtf8(12345, "abc").has_value());
  EXPECT_FALSE(CodePageToUtf8(0xFFFFFFFFu, "abc").has_value());
}

TEST(CodePageToUtf8, BrokenBytesBecomeReplacementsNotFailures) {
  // A lone lead byte of a two-byte code page, and bytes UTF-8 cannot hold.
  const auto lead = CodePageToUtf8(932, "\x82");
  ASSERT_TRUE(lead.has_value());
  EXPECT_FALSE(lead->empty());
  const auto bad = CodePageToUtf8(65001, "a\xFF" "b");
  ASSERT_TRUE(bad.has_value());
  EXPECT_EQ(*bad, "a\xEF\xBF\xBD" "b");
}

TEST(Utf8ToCodePage, WritesWhatTheCodePageHoldsAndFlagsTheRest) {
  bool defaulted = true;
  const auto latin = Utf8ToCodePage(1252, "caf\xC3\xA9 \xE2\x82\xAC", &defaulted);
  ASSERT_TRUE(latin.has_value());
  EXPECT_EQ(*latin, "caf\xE9 \x80");
  EXPECT_FALSE(defaulted);

  const auto lossy = Utf8ToCodePage(1252, "a\xD0\x94" "b", &defaulted);  // Cyrillic De
  ASSERT_TRUE(lossy.has_value());
  EXPECT_EQ(*lossy, "a?b");
  EXPECT_TRUE(defaulted);

  EXPECT_FALSE(Utf8ToCodePage(12345, "abc", nullptr).has_value());
}

TEST(CompareTextIgnoreCase, IgnoresCaseBeyondAscii) {
  EXPECT_EQ(CompareTextIgnoreCase("Drawing.SVG", "drawing.svg"), 0);
  EXPECT_EQ(CompareTextIgnoreCase("\xC3\x84pfel.svg", "\xC3\xA4PFEL.SVG"), 0);  // A/a umlaut
  EXPECT_EQ(CompareTextIgnoreCase("\xD0\x94OM", "\xD0\xB4om"), 0);               // Cyrillic De
  EXPECT_EQ(CompareTextIgnoreCase("", ""), 0);
  EXPECT_LT(CompareTextIgnoreCase("a.svg", "B.svg"), 0);
  EXPECT_GT(CompareTextIgnoreCase("b", "A"), 0);
  EXPECT_NE(CompareTextIgnoreCase("a", "ab"), 0);
}

TEST(IsMultiByteCodePage, TellsTwoByteAndStatefulCodePagesApart) {
  for (uint32_t cp : {932u, 936u, 949u, 950u, 54936u, 50220u, 65001u}) {
    SCOPED_TRACE(cp);
    EXPECT_TRUE(IsMultiByteCodePage(cp));
  }
  for (uint32_t cp : {1252u, 1251u, 28591u, 20866u, 437u}) {
    SCOPED_TRACE(cp);
    EXPECT_FALSE(IsMultiByteCodePage(cp));
  }
}

TEST(SystemAnsiCodePage, IsAKnownCodePage) {
  EXPECT_TRUE(CodePageToUtf8(SystemAnsiCodePage(), "x").has_value());
}

}  // namespace
}  // namespace pictara
