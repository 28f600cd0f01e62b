#include "textview/highlight_cache.h"

#include <algorithm>

namespace pictara::textview {

void THighlightCache::SetHighlighter(TTextHighlighter* highlighter) {
  highlighter_ = highlighter;
  Invalidate(0);
}

void THighlightCache::Invalidate(size_t fromLine) {
  if (fromLine < states_.size()) states_.resize(fromLine);
  if (fromLine == 0) {
    states_.shrink_to_fit();
    checkpoints_.clear();
  } else {
    std::erase_if(checkpoints_, [fromLine](const auto& entry) { return entry.first >= fromLine; });
  }
}

size_t THighlightCache::CheckpointCount(size_t line) const {
  const auto it = checkpoints_.find(line);
  return it == checkpoints_.end() ? 0 : it->second.size();
}

bool THighlightCache::Walk(size_t line, uint32_t from, uint32_t until, std::vector<TTokenSpan>* out) {
  TTextHighlighter& h = *highlighter_;
  const std::u16string_view text = model_.Line(line);
  const auto len = static_cast<uint32_t>(text.size());
  std::vector<TCheckpoint>* marks = len > kCheckpointSpan ? &checkpoints_[line] : nullptr;

  uint8_t before = StartState(line);
  uint32_t resume = 0;
  if (marks && !marks->empty()) {
    // The last checkpoint at or before `from`.
    const auto it = std::upper_bound(marks->begin(), marks->end(), from,
                                     [](uint32_t col, const TCheckpoint& c) { return col < c.col; });
    if (it != marks->begin()) {
      resume = std::prev(it)->col;
      before = std::prev(it)->state;
    }
  }
  h.SetRangeValue(before);
  h.SetLineAt(text, static_cast<int>(line), static_cast<int>(resume));
  uint32_t nextMark = marks && !marks->empty() ? marks->back().col + kCheckpointSpan : kCheckpointSpan;
  while (!h.GetEol()) {
    const auto pos = static_cast<uint32_t>(h.GetTokenPos());
    if (marks && pos >= nextMark && pos < len) {
      marks->push_back(TCheckpoint{pos, before});
      nextMark = pos + kCheckpointSpan;
    }
    if (pos >= until || pos >= len) break;
    const auto end = std::min<uint32_t>(static_cast<uint32_t>(h.GetRun()), len);
    if (out && end > from && end > pos) out->push_back(TTokenSpan{pos, end, h.GetTokenAttribute()});
    if (marks) before = h.GetRangeValue();
    h.Next();
  }
  if (!h.GetEol()) {
    // Stopped early; finish only when the end is right here (the null token at the line's end).
    if (static_cast<uint32_t>(h.GetTokenPos()) < len) return false;
    h.Next();
  }
  return true;
}

uint8_t THighlightCache::StartState(size_t line) {
  if (!highlighter_ || line == 0) {
    if (highlighter_) highlighter_->ResetRange();
    return highlighter_ ? highlighter_->GetRangeValue() : 0;
  }
  line = std::min(line, model_.LineCount());
  if (states_.capacity() < line) states_.reserve(std::max(line, std::min(model_.LineCount(), states_.size() * 2)));
  while (states_.size() < line) {
    const size_t n = states_.size();
    Walk(n, 0, UINT32_MAX, nullptr);
    states_.push_back(highlighter_->GetRangeValue());
  }
  return states_[line - 1];
}

void THighlightCache::Tokens(size_t line, std::vector<TTokenSpan>& out, uint32_t from, uint32_t until) {
  out.clear();
  const std::u16string_view text = model_.Line(line);
  if (text.empty()) return;
  if (!highlighter_) {
    out.push_back(TTokenSpan{0, static_cast<uint32_t>(text.size()), nullptr});
    return;
  }
  // A line scanned to its end gives its end state for free.
  if (Walk(line, from, until, &out) && states_.size() == line) states_.push_back(highlighter_->GetRangeValue());
}

}  // namespace pictara::textview
