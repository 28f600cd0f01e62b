// Selection of the read-only text view as pure functions: the anchor stays where the selection
// started, the caret (hidden) moves with clicks, drags and keys. Positions are (line, column) in
// UTF-16 units; a column never splits a surrogate pair.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

#include "textview/text_model.h"
#include "textview/wrap_layout.h"

namespace pictara::textview {

struct TTextPos {
  uint32_t line = 0;
  uint32_t col = 0;
  auto operator<=>(const TTextPos&) const = default;
};

struct TSelection {
  TTextPos anchor;
  TTextPos caret;
  // Pixel offset Up/Down/PgUp/PgDn aim for, kept across vertical moves; -1: take the caret's.
  int32_t preferredX = -1;

  bool Empty() const { return anchor == caret; }
  TTextPos Start() const { return anchor < caret ? anchor : caret; }
  TTextPos End() const { return anchor < caret ? caret : anchor; }
  bool operator==(const TSelection&) const = default;
};

enum class TMoveKey : uint8_t { Left, Right, Up, Down, Home, End, PageUp, PageDown, DocStart, DocEnd };

// A position clamped into the text (the last line's end at most; (0, 0) for an empty text).
TTextPos ClampPos(const TTextModel& model, TTextPos pos);

// A click: the caret goes to pos; without Shift the anchor too (the selection collapses).
TSelection Click(const TSelection& sel, const TTextModel& model, TTextPos pos, bool shift);
// Dragging with the button down: the caret follows, the anchor stays.
TSelection DragTo(const TSelection& sel, const TTextModel& model, TTextPos pos);
// Ctrl+A: from the start of the text to the end of the last line.
TSelection SelectAll(const TTextModel& model);
// A cursor key; with Shift the selection extends, without it the selection collapses at the new
// caret. Left/Right step over line ends; Up/Down move by row (wrapped rows too), PageUp/PageDown
// by pageRows rows; Home/End go to the start/end of the line; DocStart/DocEnd (Ctrl+Home/End) to
// the ends of the text.
TSelection MoveCaret(const TSelection& sel, const TTextModel& model, TWrapLayout& layout, TMoveKey key, bool shift,
                     int pageRows);

// The selected text for the clipboard, lines joined by CR LF.
std::u16string SelectedText(const TTextModel& model, const TSelection& sel);

// The selected columns [from, to) of a line; from == to when none. A selection that goes on past
// the line's end reports to = line length + 1 (the line break is selected).
struct TColumnRange {
  uint32_t from = 0;
  uint32_t to = 0;
};
TColumnRange SelectedColumns(const TTextModel& model, const TSelection& sel, uint32_t line);

}  // namespace pictara::textview
