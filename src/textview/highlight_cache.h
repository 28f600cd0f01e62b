// The highlighter's state at the end of each line, computed lazily: asking for the tokens of a
// line highlights the lines before it that have not been highlighted yet (once), so only the text
// up to the last visible line is ever scanned. Changing the text or the highlighter invalidates
// the states from the first changed line on.
//
// A very long line (a drawing saved on one line) also keeps, every few thousand columns, where a
// token started and the state there, so that painting its end resumes near the visible columns
// instead of scanning the whole line on every paint.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
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
  // The line's tokens that end after column `from` and start before `until`, in order and without
  // gaps (the first may start before `from`). Without a highlighter: one plain span of the whole
  // line. An empty line gives no spans.
  void Tokens(size_t line, std::vector<TTokenSpan>& out, uint32_t from = 0, uint32_t until = UINT32_MAX);

  size_t ValidLines() const { return states_.size(); }
  size_t CheckpointCount(size_t line) const;

  static constexpr uint32_t kCheckpointSpan = 8192;

 private:
  struct TCheckpoint {
    uint32_t col;   // a token starts here
    uint8_t state;  // the state before that token
  };
  // Scans [from, until) of the line (from its nearest checkpoint), adding spans to *out when
  // given; true when the scan reached the line's end (the highlighter then holds its end state).
  bool Walk(size_t line, uint32_t from, uint32_t until, std::vector<TTokenSpan>* out);

  const TTextModel& model_;
  TTextHighlighter* highlighter_ = nullptr;
  std::vector<uint8_t> states_;  // states_[i]: state after line i, for i < ValidLines()
  std::unordered_map<size_t, std::vector<TCheckpoint>> checkpoints_;  // lines over kCheckpointSpan
};

}  // namespace pictara::textview
