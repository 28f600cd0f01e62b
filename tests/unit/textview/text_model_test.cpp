#include "textview/text_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/utf.h"

namespace pictara::textview {
namespace {

std::vector<std::string> Lines(const TTextModel& m) {
  std::vector<std::string> out;
  for (size_t i = 0; i < m.LineCount(); ++i) out.push_back(Utf16ToUtf8(m.Line(i)));
  return out;
}

TEST(TextModel, LinesAndLineBreaks) {
  struct Row {
    std::string text;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\nb", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"\n", {""}},
      {"\n\n", {"", ""}},
      {"a\n\r\nb", {"a", "", "b"}},
      {"a\r\r\n", {"a", ""}},
      {std::string("a\0b", 3), {std::string("a\0b", 3)}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::PrintToString(r.text));
    TTextModel m;
    ASSERT_TRUE(m.LoadUtf8(r.text));
    EXPECT_EQ(Lines(m), r.lines);
  }
}

TEST(TextModel, Utf8LoadingRejectsInvalidBytes) {
  const std::string bad[] = {
      "\xFF\xFE<\0a\0", "caf\xE9", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82",
      "ok\x80",
  };
  for (const std::string& b : bad) {
    SCOPED_TRACE(testing::PrintToString(b));
    TTextModel m;
    EXPECT_FALSE(m.LoadUtf8(b));
    EXPECT_EQ(m.LineCount(), 0u);
  }
  TTextModel m;
  ASSERT_TRUE(m.LoadUtf8("\xEF\xBB\xBF\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF\xED\x9F\xBF"));
  EXPECT_EQ(m.Line(0), std::u16string(u"\U0001F600\U0010FFFF\uD7FF"));
}

TEST(TextModel, DetectionByByteOrderMark) {
  TTextModel m;
  m.LoadDetect(std::string("\xFE\xFF\0a\0\n\xD8\x3D\xDE\x00", 10), 1252);
  EXPECT_EQ(m.Encoding(), TTextEncoding::UTF16BE);
  EXPECT_EQ(Lines(m), (std::vector<std::string>{"a", "\xF0\x9F\x98\x80"}));

  m.LoadDetect(std::string("\xFF\xFE" "a\0b", 5), 1252);  // odd last byte
  EXPECT_EQ(m.Encoding(), TTextEncoding::UTF16LE);
  EXPECT_EQ(m.Line(0), u"a\uFFFD");

  m.LoadDetect("\xEF\xBB\xBFx\xFFy", 1252);  // UTF-8 mark, a bad byte: replaced, not refused
  EXPECT_EQ(m.Encoding(), TTextEncoding::UTF8);
  EXPECT_EQ(m.Line(0), u"x\uFFFDy");

  m.LoadDetect("caf\xE9", 1252);
  EXPECT_EQ(m.Encoding(), TTextEncoding::Ansi);
  EXPECT_EQ(m.CodePage(), 1252u);
  EXPECT_EQ(m.Line(0), u"caf\u00E9");

  m.LoadDetect("\xC0\xE1", 1251);
  EXPECT_EQ(m.Line(0), u"\u0410\u0431");
}

TEST(TextModel, SavesInTheLoadedEncodingWithItsMark) {
  struct Row {
    const char* name;
    std::string in;
    bool utf8First;  // loaded as UTF-8, else by detection (ANSI 1252)
    std::string out;
  };
  const Row rows[] = {
      {"UTF-8 gets its mark", "a\nb", true, "\xEF\xBB\xBF" "a\nb"},
      {"UTF-8 mark kept, CR LF and final break kept", "\xEF\xBB\xBF\xD0\x9A\r\n\r\n", true,
       "\xEF\xBB\xBF\xD0\x9A\r\n\r\n"},
      {"mixed breaks become the first one", "a\rb\nc", true, "\xEF\xBB\xBF" "a\rb\rc"},
      {"UTF-16 LE", std::string("\xFF\xFE" "a\0\n\0\x3D\xD8\x00\xDE", 10), false,
       std::string("\xFF\xFE" "a\0\n\0\x3D\xD8\x00\xDE", 10)},
      {"UTF-16 BE", std::string("\xFE\xFF\0a\0\r\0\n", 8), false, std::string("\xFE\xFF\0a\0\r\0\n", 8)},
      {"ANSI has no mark", "caf\xE9\r\n", false, "caf\xE9\r\n"},
      {"empty UTF-8 text", "", true, "\xEF\xBB\xBF"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TTextModel m;
    if (r.utf8First) {
      ASSERT_TRUE(m.LoadUtf8(r.in));
    } else {
      m.LoadDetect(r.in, 1252);
    }
    EXPECT_EQ(m.Save(), r.out);
  }
}

TEST(TextModel, MemoryStaysWithinTwiceTheTextPlusALittleALine) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "<rect x=\"" + std::to_string(i) + "\" width=\"10\"/>\n";
  TTextModel m;
  ASSERT_TRUE(m.LoadUtf8(text));
  EXPECT_EQ(m.LineCount(), 20000u);
  EXPECT_LT(m.MemoryBytes(), 2 * text.size() + 16 * m.LineCount());
  EXPECT_EQ(m.LongestLine(), Utf16Length("<rect x=\"19999\" width=\"10\"/>"));
  m.Clear();
  EXPECT_LT(m.MemoryBytes(), 256u);
}

}  // namespace
}  // namespace pictara::textview
