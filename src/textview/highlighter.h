// What the text view needs of a syntax highlighter: display classes, and a tokenizer it feeds one
// line at a time with the state carried over from the previous line.
#pragma once

#include <cstdint>
#include <string_view>

namespace pictara {

using TColor = uint32_t;  // 0x00BBGGRR

// "No colour of its own": the text view's default applies.
inline constexpr TColor kNoColor = 0x1FFFFFFF;

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;  // TFontStyle bits

struct THighlighterAttribute {
  std::string_view Name;         // internal name, e.g. "ElementName"
  std::string_view DisplayName;  // e.g. "Element Name"
  TColor Foreground = kNoColor;
  TColor Background = kNoColor;
  TFontStyles Style = 0;
};

// Generic roles a text view asks default classes for.
enum THighlighterRole : uint8_t { hrComment, hrIdentifier, hrKeyword, hrString, hrWhitespace, hrSymbol };

// Per line: SetRangeValue(state after the previous line, or after ResetRange for the first);
// SetLine(line, n); while (!GetEol()) { token [GetTokenPos, GetRun) with GetTokenAttribute; Next(); }
// then GetRangeValue() is the state after this line. Columns are UTF-16 indexes into the line.
//
// SetLineAt resumes a line at a column where a token started, with the state the scan had there:
// the tokens from that column on are those a scan from the line's start gives. The text view
// uses it to paint the end of a very long line without scanning all of it again.
class TTextHighlighter {
 public:
  virtual ~TTextHighlighter() = default;
  virtual void SetLine(std::u16string_view line, int lineNumber) = 0;
  virtual void SetLineAt(std::u16string_view line, int lineNumber, int column) = 0;
  virtual void Next() = 0;
  virtual bool GetEol() const = 0;
  virtual int GetTokenPos() const = 0;
  virtual int GetRun() const = 0;  // end of the current token
  virtual THighlighterAttribute* GetTokenAttribute() = 0;  // null: the view's plain text
  virtual uint8_t GetRangeValue() const = 0;
  virtual void SetRangeValue(uint8_t state) = 0;
  virtual void ResetRange() = 0;
  virtual THighlighterAttribute* GetDefaultAttribute(THighlighterRole role) = 0;
};

}  // namespace pictara
