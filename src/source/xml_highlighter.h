// XML highlighter of the source window: a line-by-line tokenizer.
//
// The text view hands it one line at a time (UTF-16 units) together with the scanner state left
// at the end of the previous line, and asks for tokens one after the other. Constructs that span
// lines (comments, CDATA, processing instructions, DOCTYPE with an internal subset, attribute
// values) continue on the next line through that state. Columns are UTF-16 indexes into the line.
//
// It never fails and never reads past the line: index LineLength reads as a terminating #0, which
// is reported as a tkNull token; after it GetEol is true (Run = LineLength + 1).
//
// Usage per line:  SetRange(stateOfPreviousLine); SetLine(line, n);
//                  while (!GetEol()) { use GetToken/GetTokenPos/GetTokenAttribute; Next(); }
//                  stateOfThisLine = GetRange();
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "textview/highlighter.h"

namespace pictara {

// The numeric values are fixed: they are stored per line and shown by the tokens tool.
enum TtkTokenKind : uint8_t {
  tkAposAttrValue,
  tkAposEntityRef,
  tkAttribute,
  tkCDATA,
  tkComment,
  tkElement,
  tkEntityRef,
  tkEqual,
  tkNull,
  tkProcessingInstruction,
  tkQuoteAttrValue,
  tkQuoteEntityRef,
  tkSpace,
  tkSymbol,
  tkText,
  tknsAposAttrValue,
  tknsAposEntityRef,
  tknsAttribute,
  tknsEqual,
  tknsQuoteAttrValue,
  tknsQuoteEntityRef,
  tkDocType,
};
inline constexpr int kTokenKindCount = tkDocType + 1;

enum TRangeState : uint8_t {
  rsAposAttrValue,
  rsAPosEntityRef,
  rsAttribute,
  rsCDATA,
  rsComment,
  rsElement,
  rsEntityRef,
  rsEqual,
  rsProcessingInstruction,
  rsQuoteAttrValue,
  rsQuoteEntityRef,
  rsText,
  rsnsAposAttrValue,
  rsnsAPosEntityRef,
  rsnsEqual,
  rsnsQuoteAttrValue,
  rsnsQuoteEntityRef,
  rsDocType,
  rsDocTypeSquareBraces,
};
inline constexpr int kRangeStateCount = rsDocTypeSquareBraces + 1;

std::string_view TokenKindName(TtkTokenKind kind);  // "tkElement", ...
std::string_view RangeStateName(TRangeState state);  // "rsText", ...

class TXmlHighlighter final : public TTextHighlighter {
 public:
  TXmlHighlighter();
  TXmlHighlighter(const TXmlHighlighter&) = delete;
  TXmlHighlighter& operator=(const TXmlHighlighter&) = delete;

  // The display classes, with the highlighter's own defaults; the source window changes several.
  THighlighterAttribute fElementAttri, fTextAttri, fSpaceAttri, fEntityRefAttri, fProcessingInstructionAttri,
      fCDATAAttri, fCommentAttri, fDocTypeAttri, fAttributeAttri, fnsAttributeAttri, fAttributeValueAttri,
      fnsAttributeValueAttri, fSymbolAttri;

  // The classes in the order they are listed to the text view.
  static constexpr int kAttributeCount = 13;
  std::array<THighlighterAttribute*, kAttributeCount> Attributes();

  // The line must stay alive (and unchanged) while its tokens are read.
  void SetLine(std::u16string_view line, int lineNumber) override;
  void SetLineAt(std::u16string_view line, int lineNumber, int column) override;
  void Next() override;
  bool GetEol() const override { return run_ > len_; }
  // The token's text; the terminating #0 is not part of the line, so the tkNull token at the end
  // is empty.
  std::u16string_view GetToken() const {
    const size_t from = tokenPos_ < len_ ? tokenPos_ : len_;
    const size_t to = run_ < len_ ? run_ : len_;
    return std::u16string_view(line_ + from, to - from);
  }
  int GetTokenPos() const override { return static_cast<int>(tokenPos_); }
  int GetRun() const override { return static_cast<int>(run_); }
  TtkTokenKind GetTokenKind() const { return kind_; }
  // The class of the current token; null for tkNull.
  THighlighterAttribute* GetTokenAttribute() override;
  THighlighterAttribute* AttributeOfKind(TtkTokenKind kind);

  TRangeState GetRange() const { return state_; }
  void SetRange(TRangeState state);  // a value out of range counts as rsText
  void ResetRange() override { state_ = rsText; }
  uint8_t GetRangeValue() const override { return state_; }
  void SetRangeValue(uint8_t state) override { SetRange(static_cast<TRangeState>(state)); }

  // Null for the string role.
  THighlighterAttribute* GetDefaultAttribute(THighlighterRole role) override;

 private:
  char16_t At(size_t i) const { return i < len_ ? line_[i] : u'\0'; }
  bool IsLineEnd(size_t i) const { return i >= len_ || line_[i] == u'\n' || line_[i] == u'\r'; }
  bool Follows(size_t i, std::u16string_view what) const;
  void Scan();
  void Dispatch();
  void TagOpener();
  void ElementName();
  void AttributeName();
  void Equals();
  void QuoteValue(char16_t quote);
  void EntityRef();
  void Text();
  void Comment();
  void Instruction(char16_t before);
  void DocType();

  const char16_t* line_ = u"";
  size_t len_ = 0;
  size_t run_ = 0;
  size_t tokenPos_ = 0;
  TtkTokenKind kind_ = tkNull;
  TRangeState state_ = rsText;
};

}  // namespace pictara
