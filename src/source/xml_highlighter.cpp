#include "source/xml_highlighter.h"

#include <algorithm>

namespace pictara {

namespace {

constexpr std::string_view kKindNames[kTokenKindCount] = {
    "tkAposAttrValue", "tkAposEntityRef",   "tkAttribute",       "tkCDATA",
    "tkComment",       "tkElement",         "tkEntityRef",       "tkEqual",
    "tkNull",          "tkProcessingInstruction", "tkQuoteAttrValue", "tkQuoteEntityRef",
    "tkSpace",         "tkSymbol",          "tkText",            "tknsAposAttrValue",
    "tknsAposEntityRef", "tknsAttribute",   "tknsEqual",         "tknsQuoteAttrValue",
    "tknsQuoteEntityRef", "tkDocType",
};

constexpr std::string_view kStateNames[kRangeStateCount] = {
    "rsAposAttrValue",   "rsAPosEntityRef",   "rsAttribute",        "rsCDATA",
    "rsComment",         "rsElement",         "rsEntityRef",        "rsEqual",
    "rsProcessingInstruction", "rsQuoteAttrValue", "rsQuoteEntityRef", "rsText",
    "rsnsAposAttrValue", "rsnsAPosEntityRef", "rsnsEqual",          "rsnsQuoteAttrValue",
    "rsnsQuoteEntityRef", "rsDocType",        "rsDocTypeSquareBraces",
};

// "-", ".", digits, ":", ASCII letters, "_", and everything above U+0410 (Cyrillic and beyond;
// a Latin letter with a diacritic is not a name character).
constexpr bool IsNameChar(char16_t c) {
  return c == u'-' || c == u'.' || (c >= u'0' && c <= u':') || (c >= u'A' && c <= u'Z') ||
         (c >= u'a' && c <= u'z') || c == u'_' || c > 0x0410;
}

constexpr bool IsBlank(char16_t c) { return c >= 1 && c <= 32; }

}  // namespace

std::string_view TokenKindName(TtkTokenKind kind) {
  return kind < kTokenKindCount ? kKindNames[kind] : std::string_view("?");
}

std::string_view RangeStateName(TRangeState state) {
  return state < kRangeStateCount ? kStateNames[state] : std::string_view("?");
}

TXmlHighlighter::TXmlHighlighter()
    : fElementAttri{"ElementName", "Element Name", 0x000080, kNoColor, fsBold},
      fTextAttri{"Text", "Text", 0x000000, kNoColor, fsBold},
      fSpaceAttri{"Whitespace", "Whitespace", kNoColor, kNoColor, 0},
      fEntityRefAttri{"EntityReference", "Entity Reference", 0xFF0000, kNoColor, fsBold},
      fProcessingInstructionAttri{"ProcessingInstruction", "Processing Instruction", 0xFF0000, kNoColor, 0},
      fCDATAAttri{"CDATA-Section", "CDATA Section", 0x008080, kNoColor, fsItalic},
      fCommentAttri{"Comment", "Comment", 0x808080, 0xC0C0C0, fsBold | fsItalic},
      fDocTypeAttri{"DOCTYPE-Section", "DOCTYPE Section", 0xFF0000, kNoColor, fsItalic},
      fAttributeAttri{"AttributeName", "Attribute Name", 0x000080, kNoColor, 0},
      fnsAttributeAttri{"NamespaceAttributeName", "Namespace Attribute Name", 0x0000FF, kNoColor, 0},
      fAttributeValueAttri{"AttributeValue", "Attribute Value", 0x800000, kNoColor, fsBold},
      fnsAttributeValueAttri{"NamespaceAttributeValue", "Namespace Attribute Value", 0x0000FF, kNoColor, fsBold},
      fSymbolAttri{"Symbol", "Symbol", 0xFF0000, kNoColor, 0} {}

std::array<THighlighterAttribute*, TXmlHighlighter::kAttributeCount> TXmlHighlighter::Attributes() {
  return {&fSymbolAttri,       &fProcessingInstructionAttri, &fDocTypeAttri,    &fCommentAttri,
          &fElementAttri,      &fAttributeAttri,             &fnsAttributeAttri, &fAttributeValueAttri,
          &fnsAttributeValueAttri, &fEntityRefAttri,         &fCDATAAttri,      &fSpaceAttri,
          &fTextAttri};
}

THighlighterAttribute* TXmlHighlighter::AttributeOfKind(TtkTokenKind kind) {
  switch (kind) {
    case tkAposAttrValue:
    case tkQuoteAttrValue:
      return &fAttributeValueAttri;
    case tkAposEntityRef:
    case tkEntityRef:
    case tkQuoteEntityRef:
    case tknsAposEntityRef:
    case tknsQuoteEntityRef:
      return &fEntityRefAttri;
    case tkAttribute:
      return &fAttributeAttri;
    case tkCDATA:
      return &fCDATAAttri;
    case tkComment:
      return &fCommentAttri;
    case tkElement:
      return &fElementAttri;
    case tkEqual:
    case tkSymbol:
    case tknsEqual:
      return &fSymbolAttri;
    case tkProcessingInstruction:
      return &fProcessingInstructionAttri;
    case tkSpace:
      return &fSpaceAttri;
    case tkText:
      return &fTextAttri;
    case tknsAposAttrValue:
    case tknsQuoteAttrValue:
      return &fnsAttributeValueAttri;
    case tknsAttribute:
      return &fnsAttributeAttri;
    case tkDocType:
      return &fDocTypeAttri;
    case tkNull:
      break;
  }
  return nullptr;
}

THighlighterAttribute* TXmlHighlighter::GetTokenAttribute() { return AttributeOfKind(kind_); }

THighlighterAttribute* TXmlHighlighter::GetDefaultAttribute(THighlighterRole role) {
  switch (role) {
    case hrComment:
      return &fCommentAttri;
    case hrIdentifier:
      return &fAttributeAttri;
    case hrKeyword:
      return &fElementAttri;
    case hrWhitespace:
      return &fSpaceAttri;
    case hrSymbol:
      return &fSymbolAttri;
    case hrString:
      break;
  }
  return nullptr;
}

void TXmlHighlighter::SetRange(TRangeState state) {
  state_ = state < kRangeStateCount ? state : rsText;
}

void TXmlHighlighter::SetLine(std::u16string_view line, int lineNumber) { SetLineAt(line, lineNumber, 0); }

// Every scanner decides from the state and the characters from Run on (the one look back, the
// "?" or "]" before ">", stays inside the line), so a scan resumed at a token's start with the
// state it had there goes on exactly as the scan from the line's start did.
void TXmlHighlighter::SetLineAt(std::u16string_view line, int /*lineNumber*/, int column) {
  line_ = line.data() ? line.data() : u"";
  len_ = line.size();
  run_ = column < 0 ? 0 : std::min<size_t>(static_cast<size_t>(column), len_);
  Next();
}

bool TXmlHighlighter::Follows(size_t i, std::u16string_view what) const {
  if (i > len_ || len_ - i < what.size()) return false;
  return std::u16string_view(line_ + i, what.size()) == what;
}

void TXmlHighlighter::Next() {
  // Past the terminating #0 there is nothing more: stay at the end.
  if (run_ > len_) {
    tokenPos_ = run_;
    kind_ = tkNull;
    return;
  }
  tokenPos_ = run_;
  // A scan that takes nothing has changed the state; scanning again in the new state takes at
  // least one character. The chain is at most three steps long; the bound only guards against a
  // state that would take nothing forever.
  for (int attempt = 0; attempt < 8; ++attempt) {
    Scan();
    if (run_ != tokenPos_) return;
  }
  kind_ = tkSymbol;
  ++run_;
}

void TXmlHighlighter::Scan() {
  switch (state_) {
    case rsCDATA:
      kind_ = tkCDATA;
      Instruction(u']');
      return;
    case rsComment:
      Comment();
      return;
    case rsProcessingInstruction:
      kind_ = tkProcessingInstruction;
      Instruction(u'?');
      return;
    case rsText:
      Text();
      return;
    case rsDocType:
    case rsDocTypeSquareBraces:
      DocType();
      return;
    default:
      Dispatch();
      return;
  }
}

void TXmlHighlighter::Dispatch() {
  const char16_t c = At(run_);
  if (c == 0) {
    kind_ = tkNull;
    ++run_;
    return;
  }
  if (c == u'\n') {
    kind_ = tkSpace;
    ++run_;
    return;
  }
  if (c == u'\r') {
    kind_ = tkSpace;
    ++run_;
    if (At(run_) == u'\n') ++run_;
    return;
  }
  if (IsBlank(c)) {
    kind_ = tkSpace;
    ++run_;
    while (run_ < len_) {
      const char16_t b = line_[run_];
      if (!IsBlank(b) || b == u'\t' || b == u'\n' || b == u'\r') break;
      ++run_;
    }
    return;
  }
  if (c == u'<') {
    TagOpener();
    return;
  }
  if (c == u'>') {
    kind_ = tkSymbol;
    state_ = rsText;
    ++run_;
    return;
  }
  switch (state_) {
    case rsAposAttrValue:
    case rsnsAposAttrValue:
      QuoteValue(u'\'');
      return;
    case rsQuoteAttrValue:
    case rsnsQuoteAttrValue:
      QuoteValue(u'"');
      return;
    case rsAPosEntityRef:
    case rsnsAPosEntityRef:
    case rsQuoteEntityRef:
    case rsnsQuoteEntityRef:
    case rsEntityRef:
      EntityRef();
      return;
    case rsAttribute:
      AttributeName();
      return;
    case rsElement:
      ElementName();
      return;
    case rsEqual:
    case rsnsEqual:
      Equals();
      return;
    default:
      return;  // nothing taken
  }
}

void TXmlHighlighter::TagOpener() {
  ++run_;
  if (At(run_) == u'/') ++run_;
  const char16_t c = At(run_);
  if (c == u'!') {
    if (Follows(run_ + 1, u"--")) {
      kind_ = tkSymbol;
      state_ = rsComment;
      run_ += 3;
    } else if (Follows(run_ + 1, u"DOCTYPE")) {
      kind_ = tkDocType;
      state_ = rsDocType;
      run_ += 7;
    } else if (Follows(run_ + 1, u"[CDATA[")) {
      kind_ = tkCDATA;
      state_ = rsCDATA;
      run_ += 7;
    } else {
      kind_ = tkSymbol;
      state_ = rsElement;
      run_ += 1;
    }
  } else if (c == u'?') {
    kind_ = tkProcessingInstruction;
    state_ = rsProcessingInstruction;
    run_ += 1;
  } else {
    kind_ = tkSymbol;
    state_ = rsElement;
  }
}

void TXmlHighlighter::ElementName() {
  if (At(run_) == u'/') ++run_;
  while (run_ < len_ && IsNameChar(line_[run_])) ++run_;
  kind_ = tkElement;
  state_ = rsAttribute;
}

void TXmlHighlighter::AttributeName() {
  const char16_t c = At(run_);
  if (c == u'"' || c == u'\'') {
    kind_ = tkSymbol;
    ++run_;
    return;
  }
  while (run_ < len_ && IsNameChar(line_[run_])) ++run_;
  if (GetToken().find(u"xmlns") != std::u16string_view::npos) {
    kind_ = tknsAttribute;
    state_ = rsnsEqual;
  } else {
    kind_ = tkAttribute;
    state_ = rsEqual;
  }
}

void TXmlHighlighter::Equals() {
  const bool ns = state_ == rsnsEqual;
  kind_ = ns ? tknsEqual : tkEqual;
  while (!IsLineEnd(run_)) {
    const char16_t c = line_[run_++];
    if (c == u'/') {
      kind_ = tkSymbol;
      state_ = rsElement;
      return;
    }
    if (c == u'"') {
      state_ = ns ? rsnsQuoteAttrValue : rsQuoteAttrValue;
      return;
    }
    if (c == u'\'') {
      state_ = ns ? rsnsAposAttrValue : rsAposAttrValue;
      return;
    }
  }
}

void TXmlHighlighter::QuoteValue(char16_t quote) {
  const bool apos = quote == u'\'';
  const bool ns = state_ == rsnsQuoteAttrValue || state_ == rsnsAposAttrValue;
  kind_ = apos ? (ns ? tknsAposAttrValue : tkAposAttrValue) : (ns ? tknsQuoteAttrValue : tkQuoteAttrValue);
  while (!IsLineEnd(run_)) {
    const char16_t c = line_[run_];
    if (c == u'&') {
      state_ = apos ? (ns ? rsnsAPosEntityRef : rsAPosEntityRef) : (ns ? rsnsQuoteEntityRef : rsQuoteEntityRef);
      return;
    }
    if (c == quote) {
      state_ = rsAttribute;
      return;
    }
    ++run_;
  }
}

void TXmlHighlighter::EntityRef() {
  while (run_ < len_ && line_[run_] > 0x20 && line_[run_] != u';') ++run_;
  if (At(run_) == u';') ++run_;
  switch (state_) {
    case rsQuoteEntityRef:
      kind_ = tkQuoteEntityRef;
      state_ = rsQuoteAttrValue;
      break;
    case rsnsQuoteEntityRef:
      kind_ = tknsQuoteEntityRef;
      state_ = rsnsQuoteAttrValue;
      break;
    case rsAPosEntityRef:
      kind_ = tkAposEntityRef;
      state_ = rsAposAttrValue;
      break;
    case rsnsAPosEntityRef:
      kind_ = tknsAposEntityRef;
      state_ = rsnsAposAttrValue;
      break;
    default:
      kind_ = tkEntityRef;
      state_ = rsText;
      break;
  }
}

void TXmlHighlighter::Text() {
  const char16_t c = At(run_);
  if (c < 0x20 || c == u'<') {
    Dispatch();
    return;
  }
  kind_ = tkText;
  while (run_ < len_) {
    const char16_t t = line_[run_];
    if (t < 0x20 || t == u'<') return;
    if (t == u'&') {
      state_ = rsEntityRef;
      return;
    }
    ++run_;
  }
}

void TXmlHighlighter::Comment() {
  if (Follows(run_, u"-->")) {
    kind_ = tkSymbol;
    state_ = rsText;
    run_ += 3;
    return;
  }
  kind_ = tkComment;
  if (IsLineEnd(run_)) {
    Dispatch();
    return;
  }
  while (!IsLineEnd(run_) && !(line_[run_] == u'-' && Follows(run_, u"-->"))) ++run_;
}

// Processing instructions end at "?>", CDATA sections at "]>"; the kind is set by the caller.
void TXmlHighlighter::Instruction(char16_t before) {
  if (IsLineEnd(run_)) {
    Dispatch();
    return;
  }
  while (!IsLineEnd(run_)) {
    const char16_t c = line_[run_++];
    if (c == u'>' && run_ >= 2 && line_[run_ - 2] == before) {
      state_ = rsText;
      return;
    }
  }
}

void TXmlHighlighter::DocType() {
  kind_ = tkDocType;
  if (IsLineEnd(run_)) {
    Dispatch();
    return;
  }
  while (!IsLineEnd(run_)) {
    const char16_t c = line_[run_++];
    if (state_ == rsDocTypeSquareBraces) {
      if (c == u']') state_ = rsDocType;
      continue;
    }
    if (c == u'>') {
      state_ = rsAttribute;
      return;
    }
    if (c == u'[') {
      // The internal subset: up to and including "]", or on to the next line.
      for (;;) {
        if (run_ >= len_ || line_[run_] == u'\n' || line_[run_] == u'\r' || line_[run_] == 0) {
          state_ = rsDocTypeSquareBraces;
          return;
        }
        if (line_[run_++] == u']') break;
      }
    }
  }
}

}  // namespace pictara
