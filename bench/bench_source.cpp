// The source window's core on a generated 20 MB drawing and on a 20 MB drawing of one single line:
// highlighter throughput, loading the text view's model (time and memory), Format, the wrap
// layout, and the paint plan of the last page (highlighting everything above it first).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "drawing.h"
#include "source/source_text.h"
#include "source/xml_highlighter.h"
#include "textview/highlight_cache.h"
#include "textview/paint_plan.h"
#include "textview/text_model.h"
#include "textview/wrap_layout.h"

namespace {

using namespace pictara;
using namespace pictara::textview;

const std::string& Drawing() {
  static const std::string text = pictara::bench::MakeDrawing(20 << 20);
  return text;
}

// The same drawing with every line break replaced by a blank.
const std::string& SingleLine() {
  static const std::string text = [] {
    std::string s = Drawing();
    for (char& c : s) {
      if (c == '\n') c = ' ';
    }
    return s;
  }();
  return text;
}

const TTextModel& Model(const std::string& text) {
  static TTextModel many, one;
  TTextModel& m = &text == &Drawing() ? many : one;
  if (m.LineCount() == 0) m.LoadUtf8(text);
  return m;
}

// Average-width text in a proportional font: what a measuring function with a width cache gives.
int32_t Width(char32_t c) { return c == U' ' ? 4 : c < 0x80 ? 6 + static_cast<int32_t>(c % 5) : 8; }

void BM_HighlightAllLines(benchmark::State& state) {
  const TTextModel& m = Model(Drawing());
  TXmlHighlighter h;
  size_t tokens = 0;
  for (auto _ : state) {
    h.ResetRange();
    for (size_t i = 0; i < m.LineCount(); ++i) {
      for (h.SetLine(m.Line(i), static_cast<int>(i)); !h.GetEol(); h.Next()) ++tokens;
    }
    benchmark::DoNotOptimize(h.GetRange());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Drawing().size()));
  state.counters["tokens"] = static_cast<double>(tokens) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_HighlightAllLines)->Unit(benchmark::kMillisecond);

// Through the text view's cache (the path of "scroll to the end"): every line's end state.
void BM_HighlightCacheToEnd(benchmark::State& state) {
  const TTextModel& m = Model(Drawing());
  TXmlHighlighter h;
  for (auto _ : state) {
    THighlightCache cache(m);
    cache.SetHighlighter(&h);
    benchmark::DoNotOptimize(cache.StartState(m.LineCount() - 1));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Drawing().size()));
}
BENCHMARK(BM_HighlightCacheToEnd)->Unit(benchmark::kMillisecond);

void BM_LoadModel(benchmark::State& state) {
  const std::string& text = state.range(0) ? SingleLine() : Drawing();
  TTextModel m;
  for (auto _ : state) benchmark::DoNotOptimize(m.LoadUtf8(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  const double goal = 2.0 * static_cast<double>(text.size()) + 16.0 * static_cast<double>(m.LineCount());
  state.counters["lines"] = static_cast<double>(m.LineCount());
  state.counters["memory_MB"] = static_cast<double>(m.MemoryBytes()) / 1048576.0;
  state.counters["memory_of_goal"] = static_cast<double>(m.MemoryBytes()) / goal;
}
BENCHMARK(BM_LoadModel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Format(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    TTextModel m;
    m.LoadUtf8(Drawing());
    state.ResumeTiming();
    FormatSourceText(m);
    benchmark::DoNotOptimize(m.LineCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Drawing().size()));
}
BENCHMARK(BM_Format)->Unit(benchmark::kMillisecond)->Iterations(3);

// Word wrap of the single 20 MB line at 800 pixels: the first page (laid out lazily) and the
// whole line.
void BM_WrapFirstPage(benchmark::State& state) {
  const TTextModel& m = Model(SingleLine());
  TCharWidths widths(Width);
  TWrapLayout layout(m, widths);
  TRow row;
  for (auto _ : state) {
    layout.Reset(800);
    benchmark::DoNotOptimize(layout.RowAt(60, row));
    benchmark::DoNotOptimize(layout.RowCount());
  }
}
BENCHMARK(BM_WrapFirstPage)->Unit(benchmark::kMicrosecond);

void BM_WrapWholeLine(benchmark::State& state) {
  const std::string& text = state.range(0) ? SingleLine() : Drawing();
  const TTextModel& m = Model(text);
  TCharWidths widths(Width);
  TWrapLayout layout(m, widths);
  for (auto _ : state) {
    layout.Reset(800);
    while (!layout.Step(1 << 20)) {
    }
    benchmark::DoNotOptimize(layout.RowCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["rows"] = static_cast<double>(layout.RowCount());
}
BENCHMARK(BM_WrapWholeLine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The last page after a jump to the end, from a fresh cache: every line above is highlighted
// once, then 60 rows are planned. Arg 1: the page again with the cache warm (scrolling there).
void BM_PaintLastPage(benchmark::State& state) {
  const TTextModel& m = Model(Drawing());
  TCharWidths widths(Width);
  TWrapLayout layout(m, widths);
  layout.Reset(0);
  TXmlHighlighter h;
  TViewGeometry view;
  view.rowHeight = 16;
  view.clientWidth = 1200;
  view.clientHeight = 960;
  view.gutterWidth = GutterWidth(m.LineCount(), 8);
  view.topRow = m.LineCount() - 60;
  THighlightCache warm(m);
  warm.SetHighlighter(&h);
  for (auto _ : state) {
    if (state.range(0)) {
      benchmark::DoNotOptimize(PlanPaint(layout, warm, {}, view, 0, view.clientHeight));
    } else {
      THighlightCache cache(m);
      cache.SetHighlighter(&h);
      benchmark::DoNotOptimize(PlanPaint(layout, cache, {}, view, 0, view.clientHeight));
    }
  }
}
BENCHMARK(BM_PaintLastPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The single line, wrapped, scrolled to its end: the layout complete, then one page planned. The
// line is highlighted from its start up to the page each time (the state is kept per line only).
void BM_PaintLastPageSingleLine(benchmark::State& state) {
  const TTextModel& m = Model(SingleLine());
  TCharWidths widths(Width);
  TWrapLayout layout(m, widths);
  layout.Reset(800);
  while (!layout.Step(1 << 24)) {
  }
  TXmlHighlighter h;
  THighlightCache cache(m);
  cache.SetHighlighter(&h);
  TViewGeometry view;
  view.rowHeight = 16;
  view.clientWidth = 800 + 40;
  view.clientHeight = 960;
  view.gutterWidth = 38;
  view.topRow = layout.RowCount() - 60;
  for (auto _ : state) benchmark::DoNotOptimize(PlanPaint(layout, cache, {}, view, 0, view.clientHeight));
}
BENCHMARK(BM_PaintLastPageSingleLine)->Unit(benchmark::kMillisecond);

}  // namespace
