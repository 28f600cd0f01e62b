// What the text view paints for a paint rectangle: only the rows that intersect it, each cut into
// runs of one display class and one selection state with their x positions, so the window code
// only sets colours and draws text. Also the reverse: which text position a mouse point hits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "textview/highlight_cache.h"
#include "textview/selection.h"
#include "textview/wrap_layout.h"

namespace pictara::textview {

struct TViewGeometry {
  int32_t rowHeight = 16;     // pixels, the font's line height
  int32_t gutterWidth = 0;    // the line-number gutter at the left; 0: none
  int32_t textMargin = 2;     // blank pixels between gutter and text
  size_t topRow = 0;          // the row shown at y = 0
  int32_t scrollX = 0;        // pixels scrolled to the right (no word wrap)
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  int32_t TextLeft() const { return gutterWidth + textMargin; }
};

struct TPaintRun {
  uint32_t start = 0;  // columns of the line, [start, end)
  uint32_t end = 0;
  int32_t x = 0;       // client x of the run's first character
  const THighlighterAttribute* attribute = nullptr;  // null: plain text
  bool selected = false;
};

struct TPaintRow {
  int32_t top = 0;  // client y
  size_t row = 0;
  uint32_t line = 0;
  uint32_t start = 0;  // columns of the line shown in the row
  uint32_t end = 0;
  bool firstOfLine = false;   // the gutter shows the line number (line + 1) only here
  int32_t textEndX = 0;       // client x after the row's last character
  bool breakSelected = false; // the selection goes on past the line's end: mark after the text
  std::vector<TPaintRun> runs;  // only the runs that can be visible horizontally
};

struct TPaintPlan {
  std::vector<TPaintRow> rows;
  int32_t blankTop = 0;  // from here down to the paint rectangle's bottom there is no text
};

// Rows intersecting [paintTop, paintBottom) in client pixels.
TPaintPlan PlanPaint(TWrapLayout& layout, THighlightCache& highlight, const TSelection& sel,
                     const TViewGeometry& view, int32_t paintTop, int32_t paintBottom);

// Width of the gutter for a text of lineCount lines: room for the longest number (at least two
// digits) and a little padding.
int32_t GutterWidth(size_t lineCount, int32_t digitWidth);

// The text position under a client point (above/below the text: first/last row; left of the text:
// column 0 of the row).
TTextPos HitTest(TWrapLayout& layout, const TViewGeometry& view, int32_t x, int32_t y);

// Rows that fit in the client area (at least 1), for PageUp/PageDown and scrolling.
int PageRows(const TViewGeometry& view);

// The scroll position after the caret moved to pos: the least scrolling that shows its row
// (topRow) and, without word wrap, its column with a little room on either side (scrollX).
struct TScrollPos {
  size_t topRow = 0;
  int32_t scrollX = 0;
  bool operator==(const TScrollPos&) const = default;
};
TScrollPos ScrollToShow(TWrapLayout& layout, const TViewGeometry& view, TTextPos pos);

}  // namespace pictara::textview
