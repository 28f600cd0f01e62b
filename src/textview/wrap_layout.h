// Rows of the text view: without word wrap one row per line; with word wrap each line broken
// into rows no wider than the wrap width, preferably after a blank.
//
// The wrapped layout is built lazily from the top: asking for a row, or for the row of a
// position, lays out just enough lines (or just enough of one long line) to answer, so the first
// page of a 20 MB single-line file costs only its own rows. Step() extends the layout by a
// bounded amount of text, for idle-time work; until the layout is complete the total row count
// is an estimate (rows known so far plus the remaining text at the average character width),
// which a scroll bar can use and which becomes exact when the last line has been laid out.
//
// Widths come from an injected measuring function (the window's font), cached per character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "textview/text_model.h"

namespace pictara::textview {

// Advance width in pixels of one character (a code point; never TAB, CR or LF).
using TCharWidthFn = std::function<int32_t(char32_t)>;

// Cached character widths. TAB advances to the next multiple of tabColumns blanks, counted
// from the start of the row.
class TCharWidths {
 public:
  explicit TCharWidths(TCharWidthFn measure, int tabColumns = 8);
  int32_t Width(char32_t c) {
    if (c < kCached) {
      int32_t& w = cache_[c];
      if (w < 0) w = Measure(c);
      return w;
    }
    return Measure(c);
  }
  int32_t TabWidth() { return tabColumns_ * Width(U' '); }
  // Width of the unit at index i of the row's text, with x the pixel offset reached before it.
  // A surrogate pair is measured at its first unit; its second unit takes no width.
  int32_t Advance(std::u16string_view line, size_t i, int32_t x);

 private:
  static constexpr char32_t kCached = 0x10000;
  int32_t Measure(char32_t c);
  TCharWidthFn measure_;
  int tabColumns_;
  std::vector<int32_t> cache_;
};

struct TRow {
  uint32_t line = 0;
  uint32_t start = 0;  // first column (UTF-16 units)
  uint32_t end = 0;    // one past the last column
};

class TWrapLayout {
 public:
  TWrapLayout(const TTextModel& model, TCharWidths& widths) : model_(model), widths_(widths) {}

  // Starts over: after loading text, a font change or a new client width. wrapWidth <= 0: no
  // word wrap.
  void Reset(int32_t wrapWidth);
  bool Wrapping() const { return wrapWidth_ > 0; }
  int32_t WrapWidth() const { return wrapWidth_; }

  bool Complete() const { return !Wrapping() || nextLine_ >= model_.LineCount(); }
  // Exact without word wrap and once Complete(); an estimate before.
  size_t RowCount() const;
  // Lays out at most about `units` more characters; true when the layout is complete.
  bool Step(size_t units);

  // Row `index`; false past the last row (after laying out everything before it).
  bool RowAt(size_t index, TRow& row);
  // The row holding column `col` of `line` (a column at a row boundary belongs to the later
  // row; the end of the line to its last row).
  size_t RowOf(uint32_t line, uint32_t col);

  // Pixel offset of a column from the start of its row, and the column nearest to an offset.
  int32_t ColumnX(const TRow& row, uint32_t col);
  uint32_t ColumnAtX(const TRow& row, int32_t x);

  size_t KnownRows() const { return rows_.size(); }
  const TTextModel& Model() const { return model_; }
  TCharWidths& Widths() { return widths_; }

 private:
  // Lays out the next row at the frontier.
  void NextRow();
  uint32_t RowEnd(std::u16string_view line, uint32_t start);

  const TTextModel& model_;
  TCharWidths& widths_;
  int32_t wrapWidth_ = 0;
  std::vector<TRow> rows_;  // wrapped rows laid out so far, in order
  size_t nextLine_ = 0;     // frontier: the next row starts at (nextLine_, nextCol_)
  uint32_t nextCol_ = 0;
  int64_t knownPixels_ = 0;  // measured width of the text laid out so far
  size_t knownUnits_ = 0;
};

}  // namespace pictara::textview
