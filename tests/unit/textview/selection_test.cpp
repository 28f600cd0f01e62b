#include "textview/selection.h"

#include <gtest/gtest.h>

#include "unit/textview/fixtures.h"

namespace pictara::textview {
namespace {

using testing_support::FixedWidth;
using testing_support::ModelOf;

TTextPos P(uint32_t line, uint32_t col) { return {line, col}; }

TEST(Selection, ClickShiftClickAndDrag) {
  const TTextModel m = ModelOf("hello\nworld\n");
  TSelection s = Click({}, m, P(0, 2), false);
  EXPECT_TRUE(s.Empty());
  EXPECT_EQ(s.caret, P(0, 2));
  s = Click(s, m, P(1, 3), true);
  EXPECT_EQ(s.anchor, P(0, 2));
  EXPECT_EQ(s.caret, P(1, 3));
  EXPECT_EQ(SelectedText(m, s), u"llo\r\nwor");
  s = DragTo(s, m, P(0, 0));  // dragging back above the anchor
  EXPECT_EQ(s.Start(), P(0, 0));
  EXPECT_EQ(s.End(), P(0, 2));
  EXPECT_EQ(SelectedText(m, s), u"he");
  s = Click(s, m, P(7, 99), false);  // beyond the text: its end
  EXPECT_EQ(s.caret, P(1, 5));
  EXPECT_TRUE(s.Empty());
  EXPECT_EQ(SelectedText(m, s), u"");
}

TEST(Selection, SelectAll) {
  const TTextModel m = ModelOf("ab\ncd");
  const TSelection s = SelectAll(m);
  EXPECT_EQ(s.anchor, P(0, 0));
  EXPECT_EQ(s.caret, P(1, 2));
  EXPECT_EQ(SelectedText(m, s), u"ab\r\ncd");
  const TTextModel empty = ModelOf("");
  EXPECT_TRUE(SelectAll(empty).Empty());
}

TEST(Selection, KeysMoveAndExtend) {
  const TTextModel m = ModelOf("abc\n\xF0\x9F\x98\x80x\nlonger line\nz");
  TCharWidths widths(FixedWidth);
  TWrapLayout layout(m, widths);
  layout.Reset(0);
  struct Step {
    TMoveKey key;
    bool shift;
    TTextPos anchor, caret;
  };
  // One walk through the keys, each step from the result of the one before.
  const Step steps[] = {
      {TMoveKey::Right, false, P(0, 1), P(0, 1)},
      {TMoveKey::End, true, P(0, 1), P(0, 3)},
      {TMoveKey::Right, true, P(0, 1), P(1, 0)},    // over the line end
      {TMoveKey::Right, true, P(0, 1), P(1, 2)},    // over a surrogate pair
      {TMoveKey::Left, false, P(1, 0), P(1, 0)},    // collapses, and not into the pair
      {TMoveKey::Left, false, P(0, 3), P(0, 3)},
      {TMoveKey::Down, false, P(1, 3), P(1, 3)},    // x 30: the pair is 0..20, "x" 20..30
      {TMoveKey::Down, true, P(1, 3), P(2, 3)},
      {TMoveKey::Home, true, P(1, 3), P(2, 0)},
      {TMoveKey::PageDown, true, P(1, 3), P(3, 1)},  // past the last row: end of text
      {TMoveKey::PageDown, true, P(1, 3), P(3, 1)},
      {TMoveKey::PageUp, false, P(0, 0), P(0, 0)},
      {TMoveKey::Up, true, P(0, 0), P(0, 0)},
      {TMoveKey::DocEnd, true, P(0, 0), P(3, 1)},
      {TMoveKey::DocStart, false, P(0, 0), P(0, 0)},
  };
  TSelection s = Click({}, m, P(0, 0), false);
  int i = 0;
  for (const Step& st : steps) {
    SCOPED_TRACE(i++);
    s = MoveCaret(s, m, layout, st.key, st.shift, 5);
    EXPECT_EQ(s.anchor, st.anchor);
    EXPECT_EQ(s.caret, st.caret);
  }
}

TEST(Selection, UpAndDownKeepTheColumnAcrossShortLines) {
  const TTextModel m = ModelOf("abcdef\nab\nabcdef");
  TCharWidths widths(FixedWidth);
  TWrapLayout layout(m, widths);
  layout.Reset(0);
  TSelection s = Click({}, m, P(0, 5), false);
  s = MoveCaret(s, m, layout, TMoveKey::Down, false, 1);
  EXPECT_EQ(s.caret, P(1, 2));
  s = MoveCaret(s, m, layout, TMoveKey::Down, false, 1);
  EXPECT_EQ(s.caret, P(2, 5));
}

TEST(Selection, DownMovesByWrappedRows) {
  const TTextModel m = ModelOf("aaaa bbbb cccc");
  TCharWidths widths(FixedWidth);
  TWrapLayout layout(m, widths);
  layout.Reset(50);  // rows "aaaa ", "bbbb ", "cccc"
  TSelection s = Click({}, m, P(0, 1), false);
  s = MoveCaret(s, m, layout, TMoveKey::Down, true, 1);
  EXPECT_EQ(s.caret, P(0, 6));
  s = MoveCaret(s, m, layout, TMoveKey::Down, true, 1);
  EXPECT_EQ(s.caret, P(0, 11));
  EXPECT_EQ(SelectedText(m, s), u"aaa bbbb c");
}

TEST(Selection, SelectedColumnsOfALine) {
  const TTextModel m = ModelOf("abc\ndef\nghi");
  TSelection s = Click({}, m, P(0, 1), false);
  s = Click(s, m, P(2, 2), true);
  EXPECT_EQ(SelectedColumns(m, s, 0).from, 1u);
  EXPECT_EQ(SelectedColumns(m, s, 0).to, 4u);  // the line break too
  EXPECT_EQ(SelectedColumns(m, s, 1).from, 0u);
  EXPECT_EQ(SelectedColumns(m, s, 1).to, 4u);
  EXPECT_EQ(SelectedColumns(m, s, 2).to, 2u);
  const TColumnRange none = SelectedColumns(m, Click(s, m, P(1, 1), false), 1);
  EXPECT_EQ(none.from, none.to);
}

}  // namespace
}  // namespace pictara::textview
