#include "textview/paint_plan.h"

#include <algorithm>

namespace pictara::textview {

TPaintPlan PlanPaint(TWrapLayout& layout, THighlightCache& highlight, const TSelection& sel,
                     const TViewGeometry& view, int32_t paintTop, int32_t paintBottom) {
  TPaintPlan plan;
  const int32_t rowHeight = std::max(1, view.rowHeight);
  paintTop = std::max(0, paintTop);
  plan.blankTop = paintTop;
  if (paintBottom <= paintTop) return plan;
  const TTextModel& model = layout.Model();
  TCharWidths& widths = layout.Widths();
  const int32_t left = view.TextLeft() - view.scrollX;
  const int32_t visibleRight = view.clientWidth;
  std::vector<TTokenSpan> spans;

  const size_t first = view.topRow + static_cast<size_t>(paintTop / rowHeight);
  for (size_t r = first;; ++r) {
    const int64_t top = static_cast<int64_t>(r - view.topRow) * rowHeight;
    if (top >= paintBottom) break;
    TRow row;
    if (!layout.RowAt(r, row)) break;
    TPaintRow out;
    out.top = static_cast<int32_t>(top);
    out.row = r;
    out.line = row.line;
    out.start = row.start;
    out.end = row.end;
    out.firstOfLine = row.start == 0;
    const TColumnRange selCols = SelectedColumns(model, sel, row.line);
    out.breakSelected = row.end == model.LineLength(row.line) && selCols.to > row.end && selCols.from <= row.end;

    const std::u16string_view line = model.Line(row.line);
    // Columns right of the client area are neither measured nor scanned (a long line without word
    // wrap costs only what is visible).
    uint32_t visibleEnd = row.start;
    for (int32_t vx = 0; visibleEnd < row.end && left + vx <= visibleRight; ++visibleEnd) {
      vx += widths.Advance(line, visibleEnd, vx);
    }
    if (visibleEnd < row.end && line[visibleEnd] >= 0xDC00 && line[visibleEnd] <= 0xDFFF) ++visibleEnd;
    highlight.Tokens(row.line, spans, row.start, visibleEnd);
    int32_t x = 0;  // from the row's start
    uint32_t col = row.start;
    for (const TTokenSpan& span : spans) {
      if (span.end <= row.start) continue;
      if (span.start >= row.end || left + x > visibleRight) break;
      uint32_t a = std::max(span.start, row.start);
      const uint32_t b = std::min(span.end, visibleEnd);
      while (a < b && left + x <= visibleRight) {
        // Cut at the selection's ends.
        const bool inSel = a >= selCols.from && a < selCols.to;
        uint32_t cut = b;
        if (inSel && selCols.to < cut) cut = selCols.to;
        if (!inSel && selCols.from > a && selCols.from < cut) cut = selCols.from;
        const int32_t runX = x;
        for (; col < cut; ++col) x += widths.Advance(line, col, x);
        if (left + x >= 0) out.runs.push_back(TPaintRun{a, cut, left + runX, span.attribute, inSel});
        a = cut;
      }
    }
    out.textEndX = col >= row.end ? left + x : visibleRight + 1;
    plan.rows.push_back(std::move(out));
    plan.blankTop = static_cast<int32_t>(std::min<int64_t>(top + rowHeight, INT32_MAX));
  }
  return plan;
}

int32_t GutterWidth(size_t lineCount, int32_t digitWidth) {
  int digits = 1;
  for (size_t n = lineCount; n >= 10; n /= 10) ++digits;
  digits = std::max(digits, 2);
  return digits * digitWidth + 2 * digitWidth;
}

TTextPos HitTest(TWrapLayout& layout, const TViewGeometry& view, int32_t x, int32_t y) {
  const TTextModel& model = layout.Model();
  if (model.LineCount() == 0) return {};
  const int32_t rowHeight = std::max(1, view.rowHeight);
  const int64_t rel = y < 0 ? -1 : y / rowHeight;
  if (rel < 0 && view.topRow == 0) return {};
  size_t r = rel < 0 ? view.topRow - 1 : view.topRow + static_cast<size_t>(rel);
  TRow row;
  if (!layout.RowAt(r, row)) {
    const auto last = static_cast<uint32_t>(model.LineCount() - 1);
    return {last, model.LineLength(last)};
  }
  const int32_t tx = x - view.TextLeft() + view.scrollX;
  return ClampPos(model, {row.line, tx <= 0 ? row.start : layout.ColumnAtX(row, tx)});
}

int PageRows(const TViewGeometry& view) { return std::max(1, view.clientHeight / std::max(1, view.rowHeight)); }

TScrollPos ScrollToShow(TWrapLayout& layout, const TViewGeometry& view, TTextPos pos) {
  TScrollPos out{view.topRow, view.scrollX};
  if (layout.Model().LineCount() == 0) return {};
  pos = ClampPos(layout.Model(), pos);
  const size_t row = layout.RowOf(pos.line, pos.col);
  const auto page = static_cast<size_t>(PageRows(view));
  if (row < out.topRow) out.topRow = row;
  else if (row >= out.topRow + page) out.topRow = row - page + 1;
  if (layout.Wrapping()) {
    out.scrollX = 0;
    return out;
  }
  TRow r;
  if (!layout.RowAt(row, r)) return out;
  const int32_t x = layout.ColumnX(r, pos.col);
  const int32_t textWidth = std::max(1, view.clientWidth - view.TextLeft());
  const int32_t room = std::min(textWidth / 4, 4 * std::max(1, layout.Widths().Width(U' ')));
  if (x < out.scrollX + room) out.scrollX = std::max(0, x - room);
  else if (x > out.scrollX + textWidth - room) out.scrollX = x - textWidth + room;
  return out;
}

}  // namespace pictara::textview
