// The highlighter's state at the end of each line, computed lazily: asking for the tokens of a
// line highlights the lines before it that have not been highlighted yet (once), so only the text
// up to the last visible line is ever scanned. Changing the text or the highlighter invalidates
// the states from the first changed line on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "textview/highlighter.h"
#include "textview/text_model.h"

namespace pictara::textview {

struct TTokenSpan {
  uint32_t start = 0;  // columns, UTF-16 units
  uint32_t end = 0;
  const THighlighterAttribute* attribute = nullptr;  // null: plain text
};

class THighlightCache {
 public:
  explicit THighlightCache(const TTextModel& model) : model_(model) {}

  // Null removes highlighting (plain text). Every stored state goes.
  void SetHighlighter(TTextHighlighter* highlighter);
  TTextHighlighter* Highlighter() const { return highlighter_; }
  // The text changed from this line on (or was replaced: 0).
  void Invalidate(size_t fromLine);

  // The state the line starts in (the state after the line before it).
  uint8_t StartState(size_t line);
  // The line's tokens up to column `until` (the rest of the line is not scanned), in order and
  // without gaps, starting at column 0. Without a highlighter: one plain span. An empty line
  // gives no spans.
  void Tokens(size_t line, std::vector<TTokenSpan>& out, uint32_t until = UINT32_MAX);

  size_t ValidLines() const { return states_.size(); }

 private:
  // Scans the line from its start state; returns the state after it.
  uint8_t ScanLine(size_t line);

  const TTextModel& model_;
  TTextHighlighter* highlighter_ = nullptr;
  std::vector<uint8_t> states_;  // states_[i]: state after line i, for i < ValidLines()
};

}  // namespace pictara::textview
