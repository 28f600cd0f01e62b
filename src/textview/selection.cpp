#include "textview/selection.h"

#include <algorithm>

namespace pictara::textview {

namespace {

constexpr bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

TTextPos EndOfText(const TTextModel& model) {
  if (model.LineCount() == 0) return {};
  const auto last = static_cast<uint32_t>(model.LineCount() - 1);
  return {last, model.LineLength(last)};
}

TSelection Moved(const TSelection& sel, TTextPos caret, bool shift, int32_t preferredX = -1) {
  TSelection out;
  out.caret = caret;
  out.anchor = shift ? sel.anchor : caret;
  out.preferredX = preferredX;
  return out;
}

}  // namespace

TTextPos ClampPos(const TTextModel& model, TTextPos pos) {
  if (model.LineCount() == 0) return {};
  if (pos.line >= model.LineCount()) return EndOfText(model);
  const std::u16string_view line = model.Line(pos.line);
  pos.col = std::min<uint32_t>(pos.col, static_cast<uint32_t>(line.size()));
  if (pos.col > 0 && pos.col < line.size() && IsLow(line[pos.col]) && IsHigh(line[pos.col - 1])) --pos.col;
  return pos;
}

TSelection Click(const TSelection& sel, const TTextModel& model, TTextPos pos, bool shift) {
  return Moved(sel, ClampPos(model, pos), shift);
}

TSelection DragTo(const TSelection& sel, const TTextModel& model, TTextPos pos) {
  return Moved(sel, ClampPos(model, pos), true);
}

TSelection SelectAll(const TTextModel& model) {
  TSelection out;
  out.anchor = {};
  out.caret = EndOfText(model);
  return out;
}

TSelection MoveCaret(const TSelection& sel, const TTextModel& model, TWrapLayout& layout, TMoveKey key, bool shift,
                     int pageRows) {
  if (model.LineCount() == 0) return TSelection{};
  const TTextPos caret = ClampPos(model, sel.caret);
  const std::u16string_view line = model.Line(caret.line);
  switch (key) {
    case TMoveKey::Left: {
      TTextPos p = caret;
      if (p.col > 0) {
        --p.col;
        if (p.col > 0 && IsLow(line[p.col]) && IsHigh(line[p.col - 1])) --p.col;
      } else if (p.line > 0) {
        --p.line;
        p.col = model.LineLength(p.line);
      }
      return Moved(sel, p, shift);
    }
    case TMoveKey::Right: {
      TTextPos p = caret;
      if (p.col < line.size()) {
        ++p.col;
        if (p.col < line.size() && IsLow(line[p.col]) && IsHigh(line[p.col - 1])) ++p.col;
      } else if (p.line + 1 < model.LineCount()) {
        ++p.line;
        p.col = 0;
      }
      return Moved(sel, p, shift);
    }
    case TMoveKey::Home:
      return Moved(sel, {caret.line, 0}, shift);
    case TMoveKey::End:
      return Moved(sel, {caret.line, static_cast<uint32_t>(line.size())}, shift);
    case TMoveKey::DocStart:
      return Moved(sel, {}, shift);
    case TMoveKey::DocEnd:
      return Moved(sel, EndOfText(model), shift);
    case TMoveKey::Up:
    case TMoveKey::Down:
    case TMoveKey::PageUp:
    case TMoveKey::PageDown: {
      const size_t rowIndex = layout.RowOf(caret.line, caret.col);
      TRow row;
      if (!layout.RowAt(rowIndex, row)) return Moved(sel, caret, shift);
      const int32_t x = sel.preferredX >= 0 ? sel.preferredX : layout.ColumnX(row, caret.col);
      const int64_t step = key == TMoveKey::Up || key == TMoveKey::Down ? 1 : std::max(1, pageRows);
      const bool down = key == TMoveKey::Down || key == TMoveKey::PageDown;
      int64_t target = static_cast<int64_t>(rowIndex) + (down ? step : -step);
      if (target < 0) return Moved(sel, {}, shift, x);
      TRow to;
      if (!layout.RowAt(static_cast<size_t>(target), to)) return Moved(sel, EndOfText(model), shift, x);
      return Moved(sel, ClampPos(model, {to.line, layout.ColumnAtX(to, x)}), shift, x);
    }
  }
  return sel;
}

std::u16string SelectedText(const TTextModel& model, const TSelection& sel) {
  const TTextPos a = ClampPos(model, sel.Start());
  const TTextPos b = ClampPos(model, sel.End());
  std::u16string out;
  if (model.LineCount() == 0 || a == b) return out;
  for (uint32_t l = a.line; l <= b.line; ++l) {
    const std::u16string_view line = model.Line(l);
    const uint32_t from = l == a.line ? a.col : 0;
    const uint32_t to = l == b.line ? b.col : static_cast<uint32_t>(line.size());
    out.append(line.substr(from, to - from));
    if (l != b.line) out.append(u"\r\n");
  }
  return out;
}

TColumnRange SelectedColumns(const TTextModel& model, const TSelection& sel, uint32_t line) {
  const TTextPos a = ClampPos(model, sel.Start());
  const TTextPos b = ClampPos(model, sel.End());
  if (a == b || line < a.line || line > b.line) return {};
  const uint32_t len = model.LineLength(line);
  const uint32_t from = line == a.line ? a.col : 0;
  const uint32_t to = line == b.line ? b.col : len + 1;
  return {from, to};
}

}  // namespace pictara::textview
