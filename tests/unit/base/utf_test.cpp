#include "base/utf.h"

#include <gtest/gtest.h>

namespace pictara {
namespace {

TEST(Utf, RoundTripsAllPlanes) {
  const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a é € 😀 z
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide, u"a\u00E9\u20AC\U0001F600z");
  EXPECT_EQ(Utf16ToUtf8(wide), text);
  EXPECT_EQ(Utf16Length(text), wide.size());
}

TEST(Utf, InvalidInputBecomesReplacementCharacter) {
  struct Case {
    const char* name;
    std::string in;
    std::u16string out;
  };
  const Case kCases[] = {
      {"empty", "", u""},
      {"lone continuation", "\x80x", u"\uFFFDx"},
      {"truncated sequence", "\xE2\x82", u"\uFFFD"},
      {"overlong slash", "\xC0\xAF", u"\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD"},
      {"broken then ascii", "\xE2(", u"\uFFFD("},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf8ToUtf16(c.in), c.out);
  }
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(Utf16ToUtf8(u"\xDC00"), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace pictara
