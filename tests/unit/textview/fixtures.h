// Shared set-up of the text view tests: a text model, fixed character widths and a tiny
// highlighter whose tokens and carried state are easy to predict.
#pragma once

#include <string>

#include "base/utf.h"
#include "textview/highlighter.h"
#include "textview/text_model.h"
#include "textview/wrap_layout.h"

namespace pictara::textview::testing_support {

// Every character 10 pixels wide, "W" and characters beyond the BMP 20; TAB stops every 80.
inline int32_t FixedWidth(char32_t c) { return c == U'W' || c > 0xFFFF ? 20 : 10; }

inline TTextModel ModelOf(const std::string& utf8) {
  TTextModel m;
  m.LoadUtf8(utf8);
  return m;
}

// Words and blanks as tokens; the state is the number of "{" minus "}" seen so far (so it
// carries from line to line), and words inside braces get the "inner" class. Counts its scans.
class TBraceHighlighter : public TTextHighlighter {
 public:
  THighlighterAttribute word{"Word", "Word", 0x0000FF, kNoColor, 0};
  THighlighterAttribute inner{"Inner", "Inner", 0x00FF00, kNoColor, fsBold};
  int linesScanned = 0;

  void SetLine(std::u16string_view line, int n) override { SetLineAt(line, n, 0); }
  void SetLineAt(std::u16string_view line, int, int column) override {
    line_ = line;
    run_ = static_cast<size_t>(column);
    ++linesScanned;
    Next();
  }
  void Next() override {
    pos_ = run_;
    if (run_ >= line_.size()) {
      ++run_;
      return;
    }
    const char16_t c = line_[run_];
    if (c == u'{' || c == u'}') {
      depth_ += c == u'{' ? 1 : -1;
      ++run_;
      return;
    }
    const bool blank = c == u' ';
    while (run_ < line_.size() && (line_[run_] == u' ') == blank && line_[run_] != u'{' && line_[run_] != u'}') ++run_;
  }
  bool GetEol() const override { return run_ > line_.size(); }
  int GetTokenPos() const override { return static_cast<int>(pos_); }
  int GetRun() const override { return static_cast<int>(run_); }
  THighlighterAttribute* GetTokenAttribute() override {
    if (pos_ >= line_.size() || line_[pos_] == u' ') return nullptr;
    return depth_ > 0 ? &inner : &word;
  }
  uint8_t GetRangeValue() const override { return depth_; }
  void SetRangeValue(uint8_t state) override { depth_ = state; }
  void ResetRange() override { depth_ = 0; }
  THighlighterAttribute* GetDefaultAttribute(THighlighterRole) override { return nullptr; }

 private:
  std::u16string_view line_;
  size_t run_ = 0;
  size_t pos_ = 0;
  uint8_t depth_ = 0;
};

}  // namespace pictara::textview::testing_support
