#include "textview/wrap_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/textview/fixtures.h"

namespace pictara::textview {
namespace {

using testing_support::FixedWidth;
using testing_support::ModelOf;

std::vector<std::string> RowTexts(TWrapLayout& layout, const TTextModel& m) {
  std::vector<std::string> out;
  TRow row;
  for (size_t r = 0; layout.RowAt(r, row); ++r) {
    out.push_back(Utf16ToUtf8(m.Line(row.line).substr(row.start, row.end - row.start)));
  }
  return out;
}

TEST(WrapLayout, BreaksAfterBlanksOrInsideLongWords) {
  struct Row {
    const char* name;
    std::string text;
    int32_t width;
    std::vector<std::string> rows;
  };
  const Row rows[] = {
      {"no wrap: one row per line", "aaaa bbbb\ncc", 0, {"aaaa bbbb", "cc"}},
      {"after the last blank that fits", "aaa bbb ccc", 65, {"aaa ", "bbb ", "ccc"}},
      {"a blank at the edge hangs in the margin", "aaa bbb", 30, {"aaa ", "bbb"}},
      {"a word longer than the row is cut", "abcdefgh", 30, {"abc", "def", "gh"}},
      {"a character wider than the row still gets a row", "WW", 15, {"W", "W"}},
      {"empty lines are rows", "a\n\nb", 50, {"a", "", "b"}},
      {"a TAB goes to the next stop", "a\tb", 85, {"a\t", "b"}},
      {"a surrogate pair is never split", "a\xF0\x9F\x98\x80" "b", 25, {"a", "\xF0\x9F\x98\x80", "b"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TTextModel m = ModelOf(r.text);
    TCharWidths widths(FixedWidth);
    TWrapLayout layout(m, widths);
    layout.Reset(r.width);
    EXPECT_EQ(RowTexts(layout, m), r.rows);
    EXPECT_TRUE(layout.Complete());
    EXPECT_EQ(layout.RowCount(), r.rows.size());
  }
}

TEST(WrapLayout, LaysOutOnlyWhatIsAskedFor) {
  // One long line of 10 000 rows of 10 characters.
  std::string line;
  for (int i = 0; i < 10000; ++i) line += "abcdefghi ";
  TTextModel m = ModelOf(line + "\nlast");
  TCharWidths widths(FixedWidth);
  TWrapLayout layout(m, widths);
  layout.Reset(100);

  TRow row;
  ASSERT_TRUE(layout.RowAt(2, row));
  EXPECT_EQ(row.start, 20u);
  EXPECT_EQ(layout.KnownRows(), 3u);
  EXPECT_FALSE(layout.Complete());
  // The estimate counts the rest of the text at the average width measured so far.
  EXPECT_NEAR(static_cast<double>(layout.RowCount()), 10001.0, 3.0);

  EXPECT_EQ(layout.RowOf(0, 995), 99u);
  EXPECT_LT(layout.KnownRows(), 110u);

  EXPECT_FALSE(layout.Step(500));
  EXPECT_LT(layout.KnownRows(), 200u);
  while (!layout.Step(1 << 20)) {
  }
  EXPECT_EQ(layout.RowCount(), 10001u);
  EXPECT_EQ(layout.RowOf(1, 2), 10000u);
  EXPECT_FALSE(layout.RowAt(10001, row));
}

TEST(WrapLayout, RowOfPositionsAtBoundaries) {
  TTextModel m = ModelOf("aaa bbb\nccc");
  TCharWidths widths(FixedWidth);
  TWrapLayout layout(m, widths);
  layout.Reset(40);
  EXPECT_EQ(layout.RowOf(0, 0), 0u);
  EXPECT_EQ(layout.RowOf(0, 3), 0u);
  EXPECT_EQ(layout.RowOf(0, 4), 1u);  // a row boundary belongs to the later row
  EXPECT_EQ(layout.RowOf(0, 7), 1u);  // the end of the line to its last row
  EXPECT_EQ(layout.RowOf(1, 1), 2u);
}

TEST(WrapLayout, ColumnsAndPixels) {
  TTextModel m = ModelOf("aW\tb\xF0\x9F\x98\x80" "c");
  TCharWidths widths(FixedWidth);
  TWrapLayout layout(m, widths);
  layout.Reset(0);
  TRow row;
  ASSERT_TRUE(layout.RowAt(0, row));
  // a: 0..10, W: 10..30, TAB: 30..80, b: 80..90, pair: 90..110, c: 110..120
  const int32_t xs[] = {0, 10, 30, 80, 90, 110, 110, 120};
  for (uint32_t col = 0; col < 8; ++col) EXPECT_EQ(layout.ColumnX(row, col), xs[col]) << col;
  EXPECT_EQ(layout.ColumnAtX(row, -5), 0u);
  EXPECT_EQ(layout.ColumnAtX(row, 4), 0u);
  EXPECT_EQ(layout.ColumnAtX(row, 6), 1u);
  EXPECT_EQ(layout.ColumnAtX(row, 21), 2u);
  EXPECT_EQ(layout.ColumnAtX(row, 101), 6u);  // past the middle of the pair: after it
  EXPECT_EQ(layout.ColumnAtX(row, 99), 4u);
  EXPECT_EQ(layout.ColumnAtX(row, 500), 7u);
}

TEST(WrapLayout, MeasuresEachCharacterOnce) {
  int calls = 0;
  TCharWidths widths([&](char32_t c) {
    ++calls;
    return FixedWidth(c);
  });
  TTextModel m = ModelOf("abcabcabc abc");
  TWrapLayout layout(m, widths);
  layout.Reset(30);
  while (!layout.Step(100)) {
  }
  EXPECT_LE(calls, 5);  // a, b, c, blank, and x for the first estimate at most
}

}  // namespace
}  // namespace pictara::textview
