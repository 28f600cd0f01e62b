#include "textview/paint_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/textview/fixtures.h"

namespace pictara::textview {
namespace {

using testing_support::FixedWidth;
using testing_support::ModelOf;
using testing_support::TBraceHighlighter;

std::string Lines(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "line " + std::to_string(i) + "\n";
  return s;
}

TEST(HighlightCache, StatesAreComputedLazilyAndCarried) {
  const TTextModel m = ModelOf("a {b\nc\nd} e\n{\nf");
  TBraceHighlighter h;
  THighlightCache cache(m);
  std::vector<TTokenSpan> spans;
  cache.Tokens(0, spans);
  ASSERT_EQ(spans.size(), 1u) << "no highlighter: one plain span";
  EXPECT_EQ(spans[0].attribute, nullptr);
  cache.SetHighlighter(&h);

  cache.Tokens(1, spans);  // needs the state after line 0 only
  EXPECT_EQ(cache.ValidLines(), 2u);
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(spans[0].attribute, &h.inner);

  cache.Tokens(2, spans);
  ASSERT_EQ(spans.size(), 4u);  // "d", "}", " ", "e"
  EXPECT_EQ(spans[0].attribute, &h.inner);
  EXPECT_EQ(spans[2].attribute, nullptr);
  EXPECT_EQ(spans[3].attribute, &h.word);
  EXPECT_EQ(spans[3].start, 3u);
  EXPECT_EQ(spans[3].end, 4u);

  const int before = h.linesScanned;
  cache.Tokens(2, spans);
  EXPECT_EQ(h.linesScanned, before + 1) << "earlier lines are not scanned again";
  EXPECT_EQ(cache.StartState(4), 1);

  cache.Invalidate(1);
  EXPECT_EQ(cache.ValidLines(), 1u);
  cache.SetHighlighter(nullptr);
  EXPECT_EQ(cache.ValidLines(), 0u);
}

TEST(HighlightCache, StopsScanningAtTheRequestedColumn) {
  const TTextModel m = ModelOf("aa bb cc dd");
  TBraceHighlighter h;
  THighlightCache cache(m);
  cache.SetHighlighter(&h);
  std::vector<TTokenSpan> spans;
  cache.Tokens(0, spans, 0, 4);
  EXPECT_EQ(spans.size(), 3u);  // "aa", " ", "bb"
  EXPECT_EQ(cache.ValidLines(), 0u) << "a line not scanned to its end leaves no state";
}

TEST(HighlightCache, ALongLineResumesAtCheckpoints) {
  std::string text;
  while (text.size() < 5 * THighlightCache::kCheckpointSpan) text += "ab {cd {ef} } gh ";
  const TTextModel m = ModelOf(text);
  TBraceHighlighter h;
  THighlightCache full(m);
  full.SetHighlighter(&h);
  std::vector<TTokenSpan> all;
  full.Tokens(0, all);
  EXPECT_GE(full.CheckpointCount(0), 4u);
  EXPECT_EQ(full.ValidLines(), 1u);

  const uint32_t from = static_cast<uint32_t>(text.size()) - 300, until = from + 100;
  std::vector<TTokenSpan> want;
  for (const TTokenSpan& s : all) {
    if (s.end > from && s.start < until) want.push_back(s);
  }
  std::vector<TTokenSpan> part;
  full.Tokens(0, part, from, until);
  ASSERT_EQ(part.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(part[i].start, want[i].start);
    EXPECT_EQ(part[i].end, want[i].end);
    EXPECT_EQ(part[i].attribute, want[i].attribute);
  }
  full.Invalidate(0);
  EXPECT_EQ(full.CheckpointCount(0), 0u);
}

TEST(PaintPlan, OnlyRowsIntersectingThePaintRectangle) {
  const TTextModel m = ModelOf(Lines(100));
  TCharWidths widths(FixedWidth);
  TWrapLayout layout(m, widths);
  layout.Reset(0);
  THighlightCache cache(m);
  TViewGeometry view;
  view.rowHeight = 10;
  view.topRow = 50;
  view.clientWidth = 200;
  view.clientHeight = 100;
  view.gutterWidth = 30;
  view.textMargin = 2;

  const TPaintPlan plan = PlanPaint(layout, cache, {}, view, 25, 45);
  ASSERT_EQ(plan.rows.size(), 3u);  // rows at 20, 30, 40
  EXPECT_EQ(plan.rows[0].line, 52u);
  EXPECT_EQ(plan.rows[0].top, 20);
  EXPECT_EQ(plan.rows[2].line, 54u);
  EXPECT_TRUE(plan.rows[0].firstOfLine);
  ASSERT_EQ(plan.rows[0].runs.size(), 1u);
  EXPECT_EQ(plan.rows[0].runs[0].x, 32);
  EXPECT_EQ(plan.rows[0].textEndX, 32 + 70);
  EXPECT_EQ(plan.blankTop, 50);

  // Near the end: the rows run out and the rest is blank.
  view.topRow = 98;
  const TPaintPlan end = PlanPaint(layout, cache, {}, view, 0, 100);
  ASSERT_EQ(end.rows.size(), 2u);
  EXPECT_EQ(end.blankTop, 20);
}

// A text laid out without word wrap, the brace highlighter attached.
struct Highlighted {
  explicit Highlighted(const std::string& text) : m(ModelOf(text)), layout(m, widths), cache(m) {
    layout.Reset(0);
    cache.SetHighlighter(&h);
  }
  TTextModel m;
  TCharWidths widths{FixedWidth};
  TWrapLayout layout;
  TBraceHighlighter h;
  THighlightCache cache;
};

TEST(PaintPlan, RunsSplitByClassAndSelection) {
  Highlighted t("ab {cd} ef\nxy");
  const TTextModel& m = t.m;
  TWrapLayout& layout = t.layout;
  THighlightCache& cache = t.cache;
  const TBraceHighlighter& h = t.h;
  TViewGeometry view;
  view.rowHeight = 10;
  view.clientWidth = 500;
  view.clientHeight = 50;
  view.textMargin = 0;
  TSelection sel = Click({}, m, {0, 1}, false);
  sel = Click(sel, m, {0, 5}, true);

  const TPaintPlan plan = PlanPaint(layout, cache, sel, view, 0, 10);
  ASSERT_EQ(plan.rows.size(), 1u);
  struct R {
    uint32_t start, end;
    int32_t x;
    const THighlighterAttribute* attr;
    bool selected;
  };
  const std::vector<R> want = {
      {0, 1, 0, &h.word, false}, {1, 2, 10, &h.word, true}, {2, 3, 20, nullptr, true},
      {3, 4, 30, &h.inner, true}, {4, 5, 40, &h.inner, true}, {5, 6, 50, &h.inner, false},
      {6, 7, 60, &h.word, false}, {7, 8, 70, nullptr, false}, {8, 10, 80, &h.word, false},
  };
  const auto& runs = plan.rows[0].runs;
  ASSERT_EQ(runs.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(runs[i].start, want[i].start);
    EXPECT_EQ(runs[i].end, want[i].end);
    EXPECT_EQ(runs[i].x, want[i].x);
    EXPECT_EQ(runs[i].attribute, want[i].attr);
    EXPECT_EQ(runs[i].selected, want[i].selected);
  }
  EXPECT_FALSE(plan.rows[0].breakSelected);
  sel = Click(sel, m, {1, 1}, true);
  EXPECT_TRUE(PlanPaint(layout, cache, sel, view, 0, 10).rows[0].breakSelected);
}

TEST(PaintPlan, ALongLineWithoutWrapCostsOnlyWhatIsVisible) {
  Highlighted t(std::string(2'000'000, 'a'));
  TWrapLayout& layout = t.layout;
  THighlightCache& cache = t.cache;
  TViewGeometry view;
  view.rowHeight = 10;
  view.clientWidth = 300;
  view.clientHeight = 10;
  view.scrollX = 1000;
  const TPaintPlan plan = PlanPaint(layout, cache, {}, view, 0, 10);
  ASSERT_EQ(plan.rows.size(), 1u);
  ASSERT_FALSE(plan.rows[0].runs.empty());
  EXPECT_LE(plan.rows[0].runs.back().end, 140u);
  EXPECT_GT(plan.rows[0].textEndX, view.clientWidth);
}

TEST(PaintPlan, HitTestAndGutter) {
  const TTextModel m = ModelOf(Lines(20));
  TCharWidths widths(FixedWidth);
  TWrapLayout layout(m, widths);
  layout.Reset(0);
  TViewGeometry view;
  view.rowHeight = 10;
  view.gutterWidth = 40;
  view.textMargin = 0;
  view.topRow = 5;
  view.clientWidth = 300;
  view.clientHeight = 100;
  EXPECT_EQ(HitTest(layout, view, 40 + 14, 23), (TTextPos{7, 1}));
  EXPECT_EQ(HitTest(layout, view, 5, 23), (TTextPos{7, 0}));     // in the gutter
  EXPECT_EQ(HitTest(layout, view, 999, 0), (TTextPos{5, 6}));    // right of the text
  EXPECT_EQ(HitTest(layout, view, 50, -3), (TTextPos{4, 1}));    // above: the row before
  EXPECT_EQ(HitTest(layout, view, 50, 5000), (TTextPos{19, 7})); // below the text: its end
  EXPECT_EQ(PageRows(view), 10);
  EXPECT_EQ(GutterWidth(5, 8), 32);
  EXPECT_EQ(GutterWidth(12345, 8), 56);
}

TEST(PaintPlan, ScrollToShowMovesOnlyAsFarAsNeeded) {
  // 20 lines "line N" (6 or 7 columns of 10 pixels), one of 100 columns; 10 rows a page.
  const TTextModel m = ModelOf(Lines(20) + std::string(100, 'x'));
  TCharWidths widths(FixedWidth);
  TWrapLayout layout(m, widths);
  layout.Reset(0);
  TViewGeometry view;
  view.rowHeight = 10;
  view.textMargin = 0;
  view.topRow = 5;
  view.clientWidth = 200;
  view.clientHeight = 100;
  struct Case {
    TTextPos pos;
    TScrollPos want;
  } const kCases[] = {
      {{7, 2}, {5, 0}},      // visible: nothing moves
      {{2, 0}, {2, 0}},      // above: its row becomes the top
      {{17, 0}, {8, 0}},     // below: its row becomes the last
      {{20, 100}, {11, 840}}, // far right: the column with 40 pixels of room at the right
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(ScrollToShow(layout, view, c.pos), c.want) << c.pos.line << ":" << c.pos.col;
  }
  view.scrollX = 500;
  EXPECT_EQ(ScrollToShow(layout, view, {20, 10}).scrollX, 60) << "back left, 40 pixels of room";
  // With word wrap there is no horizontal scrolling; wrapped rows count.
  layout.Reset(100);
  view.scrollX = 30;
  EXPECT_EQ(ScrollToShow(layout, view, {20, 95}), (TScrollPos{20, 0}));
}

}  // namespace
}  // namespace pictara::textview
