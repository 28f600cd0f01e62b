#include "source/xml_highlighter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/utf.h"

namespace pictara {
namespace {

struct Tok {
  TtkTokenKind kind;
  std::string text;
  bool operator==(const Tok&) const = default;
};

void PrintTo(const Tok& t, std::ostream* os) { *os << TokenKindName(t.kind) << " '" << t.text << "'"; }

struct Scanned {
  std::vector<std::vector<Tok>> lines;  // tokens of each line, the end-of-line tkNull left out
  std::vector<TRangeState> states;      // state after each line
};

// Scans the lines one after the other with the state carried over, checking the invariants the
// text view relies on: no empty token, tokens back to back from column 0, Run never past
// LineLength + 1.
Scanned Scan(const std::vector<std::string>& lines) {
  Scanned out;
  TXmlHighlighter h;
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::u16string line = Utf8ToUtf16(lines[n]);
    h.SetLine(line, static_cast<int>(n));
    std::vector<Tok> toks;
    int expectedPos = 0;
    for (; !h.GetEol(); h.Next()) {
      EXPECT_EQ(h.GetTokenPos(), expectedPos);
      EXPECT_GT(h.GetRun(), h.GetTokenPos()) << "empty token";
      EXPECT_LE(h.GetRun(), static_cast<int>(line.size()) + 1);
      expectedPos = h.GetRun();
      if (h.GetTokenKind() == tkNull && h.GetTokenPos() == static_cast<int>(line.size())) continue;
      toks.push_back({h.GetTokenKind(), Utf16ToUtf8(h.GetToken())});
    }
    EXPECT_EQ(h.GetRun(), static_cast<int>(line.size()) + 1);
    out.lines.push_back(std::move(toks));
    out.states.push_back(h.GetRange());
  }
  return out;
}

struct Case {
  const char* name;
  std::vector<std::string> lines;
  std::vector<std::vector<Tok>> tokens;
  std::vector<TRangeState> states;
};

const std::vector<Case> kCases = {
    {"namespace attributes with and without prefix",
     {R"(<svg xmlns="a" xmlns:x='b' width="1">)"},
     {{{tkSymbol, "<"}, {tkElement, "svg"}, {tkSpace, " "},
       {tknsAttribute, "xmlns"}, {tknsEqual, "=\""}, {tknsQuoteAttrValue, "a"}, {tkSymbol, "\""}, {tkSpace, " "},
       {tknsAttribute, "xmlns:x"}, {tknsEqual, "='"}, {tknsAposAttrValue, "b"}, {tkSymbol, "'"}, {tkSpace, " "},
       {tkAttribute, "width"}, {tkEqual, "=\""}, {tkQuoteAttrValue, "1"}, {tkSymbol, "\""}, {tkSymbol, ">"}}},
     {rsText}},
    {"a comment over three lines",
     {"<!-- one", "two", "three --> after"},
     {{{tkSymbol, "<!--"}, {tkComment, " one"}},
      {{tkComment, "two"}},
      {{tkComment, "three "}, {tkSymbol, "-->"}, {tkText, " after"}}},
     {rsComment, rsComment, rsText}},
    {"an entity reference inside a quoted value",
     {R"(<a t="x&amp;y">)"},
     {{{tkSymbol, "<"}, {tkElement, "a"}, {tkSpace, " "}, {tkAttribute, "t"}, {tkEqual, "=\""},
       {tkQuoteAttrValue, "x"}, {tkQuoteEntityRef, "&amp;"}, {tkQuoteAttrValue, "y"}, {tkSymbol, "\""},
       {tkSymbol, ">"}}},
     {rsText}},
    {"an entity reference inside a namespace value in apostrophes",
     {"<a xmlns='x&lt;y'/>"},
     {{{tkSymbol, "<"}, {tkElement, "a"}, {tkSpace, " "}, {tknsAttribute, "xmlns"}, {tknsEqual, "='"},
       {tknsAposAttrValue, "x"}, {tknsAposEntityRef, "&lt;"}, {tknsAposAttrValue, "y"}, {tkSymbol, "'"},
       {tkSymbol, "/"}, {tkSymbol, ">"}}},
     {rsText}},
    {"a DOCTYPE with an internal subset over several lines, then the attribute state",
     {"<!DOCTYPE svg [", "  <!ENTITY a \"b\">", "]> word"},
     {{{tkDocType, "<!DOCTYP"}, {tkDocType, "E svg ["}},
      {{tkDocType, "  <!ENTITY a \"b\">"}},
      {{tkDocType, "]>"}, {tkSpace, " "}, {tkAttribute, "word"}}},
     {rsDocTypeSquareBraces, rsDocTypeSquareBraces, rsEqual}},
    {"a DOCTYPE with its subset on one line",
     {"<!DOCTYPE svg [<!ENTITY a \"b\">]>"},
     {{{tkDocType, "<!DOCTYP"}, {tkDocType, "E svg [<!ENTITY a \"b\">]>"}}},
     {rsAttribute}},
    {"text, entity reference, text",
     {"one &amp; two"},
     {{{tkText, "one "}, {tkEntityRef, "&amp;"}, {tkText, " two"}}},
     {rsText}},
    {"two blanks then a TAB are two tokens, a TAB then two blanks one",
     {"<a  \tb='1'\t  c>"},
     {{{tkSymbol, "<"}, {tkElement, "a"}, {tkSpace, "  "}, {tkSpace, "\t"}, {tkAttribute, "b"},
       {tkEqual, "='"}, {tkAposAttrValue, "1"}, {tkSymbol, "'"}, {tkSpace, "\t  "}, {tkAttribute, "c"},
       {tkSymbol, ">"}}},
     {rsText}},
    {"Cyrillic names are one token; a Latin letter with a diacritic ends a name",
     {"<рисунок/>", "<caf\xC3\xA9>"},
     {{{tkSymbol, "<"}, {tkElement, "рисунок"}, {tkSymbol, "/"}, {tkSymbol, ">"}},
      {{tkSymbol, "<"}, {tkElement, "caf"}, {tkEqual, "\xC3\xA9>"}}},
     {rsText, rsEqual}},
    {"an empty line inside CDATA keeps the CDATA state",
     {"<![CDATA[x", "", "y]]>z"},
     {{{tkCDATA, "<![CDATA"}, {tkCDATA, "[x"}}, {}, {{tkCDATA, "y]]>"}, {tkText, "z"}}},
     {rsCDATA, rsCDATA, rsText}},
    {"a processing instruction over two lines",
     {"<?xml version=\"1.0\"", "encoding=\"utf-8\"?><a>"},
     {{{tkProcessingInstruction, "<?"}, {tkProcessingInstruction, "xml version=\"1.0\""}},
      {{tkProcessingInstruction, "encoding=\"utf-8\"?>"}, {tkSymbol, "<"}, {tkElement, "a"}, {tkSymbol, ">"}}},
     {rsProcessingInstruction, rsText}},
    {"a value continues on the next line",
     {"<a b=\"one", "two\" c='3'>"},
     {{{tkSymbol, "<"}, {tkElement, "a"}, {tkSpace, " "}, {tkAttribute, "b"}, {tkEqual, "=\""},
       {tkQuoteAttrValue, "one"}},
      {{tkQuoteAttrValue, "two"}, {tkSymbol, "\""}, {tkSpace, " "}, {tkAttribute, "c"}, {tkEqual, "='"},
       {tkAposAttrValue, "3"}, {tkSymbol, "'"}, {tkSymbol, ">"}}},
     {rsQuoteAttrValue, rsText}},
    {"an equals sign without a quote takes the rest of the line; a slash ends it",
     {"<a b= 1 c", "d=2/>"},
     {{{tkSymbol, "<"}, {tkElement, "a"}, {tkSpace, " "}, {tkAttribute, "b"}, {tkEqual, "= 1 c"}},
      {{tkSymbol, "d=2/"}, {tkSymbol, ">"}}},
     {rsEqual, rsText}},
    {"end tags, the <! symbol and a lone <",
     {"</svg><!x>", "<"},
     {{{tkSymbol, "</"}, {tkElement, "svg"}, {tkSymbol, ">"}, {tkSymbol, "<!"}, {tkElement, "x"}, {tkSymbol, ">"}},
      {{tkSymbol, "<"}}},
     {rsText, rsElement}},
    {"a CR inside a line is whitespace, CR LF one token",
     {std::string("a\rb\r\n")},
     {{{tkText, "a"}, {tkSpace, "\r"}, {tkText, "b"}, {tkSpace, "\r\n"}}},
     {rsText}},
    {"an embedded NUL is a null token and the scan goes on",
     {std::string("<a\0b>", 5)},
     {{{tkSymbol, "<"}, {tkElement, "a"}, {tkNull, std::string("\0", 1)}, {tkAttribute, "b"}, {tkSymbol, ">"}}},
     {rsText}},
};

TEST(XmlHighlighter, TokensOfEachCase) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Scanned s = Scan(c.lines);
    EXPECT_EQ(s.lines, c.tokens);
    EXPECT_EQ(s.states, c.states);
  }
}

// The text view resumes long lines at a token's start with the state before it: from there on the
// tokens must be those of the scan from the line's start.
TEST(XmlHighlighter, ResumingAtATokenStartGivesTheSameTokens) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TXmlHighlighter full, resumed;
    for (size_t n = 0; n < c.lines.size(); ++n) {
      const std::u16string line = Utf8ToUtf16(c.lines[n]);
      const TRangeState start = full.GetRange();
      std::vector<std::pair<int, TRangeState>> starts;  // token start, state before it
      std::vector<std::pair<int, TtkTokenKind>> tokens;
      TRangeState before = start;
      for (full.SetLine(line, 0); !full.GetEol(); full.Next()) {
        starts.push_back({full.GetTokenPos(), before});
        tokens.push_back({full.GetTokenPos(), full.GetTokenKind()});
        before = full.GetRange();
      }
      for (size_t k = 0; k < starts.size(); ++k) {
        resumed.SetRange(starts[k].second);
        size_t i = k;
        for (resumed.SetLineAt(line, 0, starts[k].first); !resumed.GetEol(); resumed.Next(), ++i) {
          ASSERT_LT(i, tokens.size());
          EXPECT_EQ(resumed.GetTokenPos(), tokens[i].first);
          EXPECT_EQ(resumed.GetTokenKind(), tokens[i].second);
        }
        EXPECT_EQ(i, tokens.size());
        EXPECT_EQ(resumed.GetRange(), full.GetRange());
      }
    }
  }
}

TEST(XmlHighlighter, ClassesOfKindsAndDefaults) {
  TXmlHighlighter h;
  EXPECT_EQ(h.AttributeOfKind(tkNull), nullptr);
  EXPECT_EQ(h.AttributeOfKind(tkEqual), &h.fSymbolAttri);
  EXPECT_EQ(h.AttributeOfKind(tknsEqual), &h.fSymbolAttri);
  EXPECT_EQ(h.AttributeOfKind(tknsQuoteEntityRef), &h.fEntityRefAttri);
  EXPECT_EQ(h.AttributeOfKind(tknsAposAttrValue), &h.fnsAttributeValueAttri);
  EXPECT_EQ(h.AttributeOfKind(tkDocType), &h.fDocTypeAttri);
  EXPECT_EQ(h.GetDefaultAttribute(hrComment), &h.fCommentAttri);
  EXPECT_EQ(h.GetDefaultAttribute(hrIdentifier), &h.fAttributeAttri);
  EXPECT_EQ(h.GetDefaultAttribute(hrKeyword), &h.fElementAttri);
  EXPECT_EQ(h.GetDefaultAttribute(hrString), nullptr);

  const auto list = h.Attributes();
  const std::vector<std::string_view> names = {
      "Symbol", "ProcessingInstruction", "DOCTYPE-Section", "Comment", "ElementName", "AttributeName",
      "NamespaceAttributeName", "AttributeValue", "NamespaceAttributeValue", "EntityReference", "CDATA-Section",
      "Whitespace", "Text"};
  ASSERT_EQ(list.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(list[i]->Name, names[i]);
  EXPECT_EQ(h.fCommentAttri.Foreground, 0x808080u);
  EXPECT_EQ(h.fCommentAttri.Background, 0xC0C0C0u);
  EXPECT_EQ(h.fCommentAttri.Style, fsBold | fsItalic);
  EXPECT_EQ(h.fElementAttri.Foreground, 0x000080u);
  EXPECT_EQ(h.fSpaceAttri.Foreground, kNoColor);
  EXPECT_EQ(h.fCDATAAttri.DisplayName, "CDATA Section");
}

TEST(XmlHighlighter, FixedNumbersAndRangeHandling) {
  EXPECT_EQ(tkNull, 8);
  EXPECT_EQ(tkDocType, 21);
  EXPECT_EQ(rsText, 11);
  EXPECT_EQ(rsDocTypeSquareBraces, 18);
  TXmlHighlighter h;
  EXPECT_EQ(h.GetRange(), rsText);
  h.SetRange(rsComment);
  EXPECT_EQ(h.GetRangeValue(), rsComment);
  h.SetRangeValue(200);  // a damaged stored state
  EXPECT_EQ(h.GetRange(), rsText);
  h.SetRange(rsCDATA);
  h.ResetRange();
  EXPECT_EQ(h.GetRange(), rsText);

  // An empty line is just its terminating null token; asking for more stays at the end.
  h.SetLine(u"", 0);
  EXPECT_EQ(h.GetTokenKind(), tkNull);
  EXPECT_TRUE(h.GetEol());
  h.Next();
  EXPECT_TRUE(h.GetEol());
  EXPECT_EQ(h.GetRun(), 1);
  EXPECT_TRUE(h.GetToken().empty());
}

TEST(XmlHighlighter, ColumnsAreUtf16Units) {
  // U+1F600 takes two units; the element name after it starts at column 4.
  const Scanned s = Scan({"\xF0\x9F\x98\x80<a>"});
  ASSERT_EQ(s.lines[0].size(), 4u);
  TXmlHighlighter h;
  const std::u16string line = Utf8ToUtf16("\xF0\x9F\x98\x80<a>");
  h.SetLine(line, 0);
  h.Next();
  EXPECT_EQ(h.GetTokenPos(), 2);  // "<"
  h.Next();
  EXPECT_EQ(h.GetTokenPos(), 3);
  EXPECT_EQ(h.GetTokenKind(), tkElement);
}

}  // namespace
}  // namespace pictara
