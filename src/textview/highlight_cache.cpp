#include "textview/highlight_cache.h"

#include <algorithm>

namespace pictara::textview {

void THighlightCache::SetHighlighter(TTextHighlighter* highlighter) {
  highlighter_ = highlighter;
  Invalidate(0);
}

void THighlightCache::Invalidate(size_t fromLine) {
  if (fromLine < states_.size()) states_.resize(fromLine);
  if (fromLine == 0) states_.shrink_to_fit();
}

uint8_t THighlightCache::ScanLine(size_t line) {
  TTextHighlighter& h = *highlighter_;
  if (line == 0) {
    h.ResetRange();
  } else {
    h.SetRangeValue(states_[line - 1]);
  }
  h.SetLine(model_.Line(line), static_cast<int>(line));
  while (!h.GetEol()) h.Next();
  return h.GetRangeValue();
}

uint8_t THighlightCache::StartState(size_t line) {
  if (!highlighter_ || line == 0) {
    if (highlighter_) highlighter_->ResetRange();
    return highlighter_ ? highlighter_->GetRangeValue() : 0;
  }
  line = std::min(line, model_.LineCount());
  if (states_.capacity() < line) states_.reserve(std::max(line, std::min(model_.LineCount(), states_.size() * 2)));
  while (states_.size() < line) states_.push_back(ScanLine(states_.size()));
  return states_[line - 1];
}

void THighlightCache::Tokens(size_t line, std::vector<TTokenSpan>& out, uint32_t until) {
  out.clear();
  const std::u16string_view text = model_.Line(line);
  if (text.empty()) return;
  if (!highlighter_) {
    out.push_back(TTokenSpan{0, static_cast<uint32_t>(text.size()), nullptr});
    return;
  }
  const uint8_t start = StartState(line);
  TTextHighlighter& h = *highlighter_;
  h.SetRangeValue(start);
  h.SetLine(text, static_cast<int>(line));
  const auto len = static_cast<uint32_t>(text.size());
  while (!h.GetEol()) {
    const auto from = static_cast<uint32_t>(h.GetTokenPos());
    const auto to = std::min<uint32_t>(static_cast<uint32_t>(h.GetRun()), len);
    if (from >= until || from >= len) break;
    if (to > from) out.push_back(TTokenSpan{from, to, h.GetTokenAttribute()});
    h.Next();
  }
  // A line scanned to its end gives its end state for free.
  if (h.GetEol() && states_.size() == line) states_.push_back(h.GetRangeValue());
}

}  // namespace pictara::textview
