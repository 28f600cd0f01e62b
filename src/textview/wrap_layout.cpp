#include "textview/wrap_layout.h"

#include <algorithm>

namespace pictara::textview {

namespace {

constexpr bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

TCharWidths::TCharWidths(TCharWidthFn measure, int tabColumns)
    : measure_(std::move(measure)), tabColumns_(std::max(1, tabColumns)), cache_(kCached, -1) {}

int32_t TCharWidths::Measure(char32_t c) {
  const int32_t w = measure_ ? measure_(c) : 0;
  return std::max<int32_t>(0, w);
}

int32_t TCharWidths::Advance(std::u16string_view line, size_t i, int32_t x) {
  const char16_t c = line[i];
  if (c == u'\t') {
    const int32_t tab = TabWidth();
    return tab > 0 ? tab - x % tab : 0;
  }
  if (IsHigh(c) && i + 1 < line.size() && IsLow(line[i + 1])) {
    return Width(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (line[i + 1] - 0xDC00));
  }
  if (IsLow(c) && i > 0 && IsHigh(line[i - 1])) return 0;
  return Width(c);
}

void TWrapLayout::Reset(int32_t wrapWidth) {
  wrapWidth_ = std::max<int32_t>(0, wrapWidth);
  rows_.clear();
  rows_.shrink_to_fit();
  nextLine_ = 0;
  nextCol_ = 0;
  knownPixels_ = 0;
  knownUnits_ = 0;
}

size_t TWrapLayout::RowCount() const {
  if (!Wrapping()) return model_.LineCount();
  if (Complete()) return rows_.size();
  const size_t remainingLines = model_.LineCount() - nextLine_;
  const size_t remainingUnits = model_.TotalUnits() - model_.UnitsBefore(nextLine_) - nextCol_;
  const double average = knownUnits_ > 0 ? static_cast<double>(knownPixels_) / static_cast<double>(knownUnits_)
                                         : static_cast<double>(widths_.Width(U'x'));
  const auto byWidth = static_cast<size_t>(static_cast<double>(remainingUnits) * average / wrapWidth_);
  return rows_.size() + std::max(remainingLines, byWidth);
}

uint32_t TWrapLayout::RowEnd(std::u16string_view line, uint32_t start) {
  int32_t x = 0;
  uint32_t lastBreak = 0;  // just after the last blank of the row, 0 for none
  const auto len = static_cast<uint32_t>(line.size());
  for (uint32_t i = start; i < len; ++i) {
    const char16_t c = line[i];
    const int32_t w = widths_.Advance(line, i, x);
    const bool secondHalf = IsLow(c) && i > 0 && IsHigh(line[i - 1]);
    if (i > start && !secondHalf && x + w > wrapWidth_) {
      knownPixels_ += x;
      if (c == u' ' || c == u'\t') return i + 1;  // a blank may hang into the margin
      return lastBreak > start ? lastBreak : i;
    }
    x += w;
    if (c == u' ' || c == u'\t') lastBreak = i + 1;
  }
  knownPixels_ += x;
  return len;
}

void TWrapLayout::NextRow() {
  const std::u16string_view line = model_.Line(nextLine_);
  const uint32_t end = RowEnd(line, nextCol_);
  rows_.push_back(TRow{static_cast<uint32_t>(nextLine_), nextCol_, end});
  knownUnits_ += end - nextCol_;
  if (end >= line.size()) {
    ++nextLine_;
    nextCol_ = 0;
  } else {
    nextCol_ = end;
  }
}

bool TWrapLayout::Step(size_t units) {
  size_t done = 0;
  while (!Complete() && done < units) {
    const size_t before = rows_.size();
    NextRow();
    done += rows_[before].end - rows_[before].start + 1;
  }
  return Complete();
}

bool TWrapLayout::RowAt(size_t index, TRow& row) {
  if (!Wrapping()) {
    if (index >= model_.LineCount()) return false;
    row = TRow{static_cast<uint32_t>(index), 0, model_.LineLength(index)};
    return true;
  }
  while (rows_.size() <= index && !Complete()) NextRow();
  if (index >= rows_.size()) return false;
  row = rows_[index];
  return true;
}

size_t TWrapLayout::RowOf(uint32_t line, uint32_t col) {
  if (!Wrapping()) return line;
  while (!Complete() && (nextLine_ < line || (nextLine_ == line && nextCol_ <= col))) NextRow();
  if (rows_.empty()) return 0;
  // The last row starting at or before (line, col).
  const auto after = std::upper_bound(rows_.begin(), rows_.end(), std::pair(line, col),
                                      [](const std::pair<uint32_t, uint32_t>& key, const TRow& r) {
                                        return key.first < r.line || (key.first == r.line && key.second < r.start);
                                      });
  return after == rows_.begin() ? 0 : static_cast<size_t>(after - rows_.begin()) - 1;
}

int32_t TWrapLayout::ColumnX(const TRow& row, uint32_t col) {
  const std::u16string_view line = model_.Line(row.line);
  col = std::min<uint32_t>(col, row.end);
  int32_t x = 0;
  for (uint32_t i = row.start; i < col; ++i) x += widths_.Advance(line, i, x);
  return x;
}

uint32_t TWrapLayout::ColumnAtX(const TRow& row, int32_t x) {
  const std::u16string_view line = model_.Line(row.line);
  int32_t at = 0;
  for (uint32_t i = row.start; i < row.end; ++i) {
    const int32_t w = widths_.Advance(line, i, at);
    if (w > 0 && x < at + (w + 1) / 2) return i;
    at += w;
  }
  return row.end;
}

}  // namespace pictara::textview
