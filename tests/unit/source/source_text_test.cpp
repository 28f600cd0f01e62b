#include "source/source_text.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "base/utf.h"
#include "source/document_report.h"
#include "source/xml_highlighter.h"
#include "textview/highlight_cache.h"

namespace pictara {
namespace {

using textview::TTextEncoding;
using textview::TTextModel;

TEST(SourceText, TwoStepLoading) {
  struct Row {
    const char* name;
    std::string bytes;
    TTextEncoding encoding;
    std::string firstLine;  // UTF-8
  };
  const Row rows[] = {
      {"UTF-8 without BOM", "<svg>\xD0\x9A</svg>\n", TTextEncoding::UTF8, "<svg>\xD0\x9A</svg>"},
      {"UTF-8 with BOM", "\xEF\xBB\xBF<svg/>", TTextEncoding::UTF8, "<svg/>"},
      {"ISO-8859-1 without BOM goes through the second loading", "<svg title=\"caf\xE9\"/>", TTextEncoding::Ansi,
       "<svg title=\"caf\xC3\xA9\"/>"},
      {"UTF-16 LE with BOM", std::string("\xFF\xFE<\0a\0\xE9\0>\0", 10), TTextEncoding::UTF16LE, "<a\xC3\xA9>"},
      {"UTF-16 BE with BOM", std::string("\xFE\xFF\0<\0a\0>", 8), TTextEncoding::UTF16BE, "<a>"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TTextModel m;
    LoadSourceText(m, r.bytes);
    EXPECT_EQ(m.Encoding(), r.encoding);
    ASSERT_GE(m.LineCount(), 1u);
    EXPECT_EQ(Utf16ToUtf8(m.Line(0)), r.firstLine);
  }
}

TEST(SourceText, WindowColoursAndCaptions) {
  TXmlHighlighter h;
  SetSourceWindowColours(h);
  struct Row {
    const THighlighterAttribute& attr;
    TColor fore, back;
    TFontStyles style;
  };
  const Row rows[] = {
      {h.fCommentAttri, 0x008000, kNoColor, fsBold | fsItalic},
      {h.fAttributeValueAttri, 0xFF0080, kNoColor, fsBold},
      {h.fnsAttributeValueAttri, 0xFF0080, kNoColor, fsBold},
      {h.fAttributeAttri, 0x0000FF, kNoColor, 0},
      {h.fCDATAAttri, 0x00A5FF, kNoColor, 0},
      {h.fDocTypeAttri, 0x000000, kNoColor, 0},
      {h.fElementAttri, 0xFF0000, kNoColor, 0},
      {h.fSymbolAttri, 0xFF0000, kNoColor, 0},  // unchanged default
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.attr.Name);
    EXPECT_EQ(r.attr.Foreground, r.fore);
    EXPECT_EQ(r.attr.Background, r.back);
    EXPECT_EQ(r.attr.Style, r.style);
  }
  EXPECT_EQ(LinesCaption(3), "Lines: 3");
  EXPECT_EQ(SourceCaption("C:\\a b.svg"), "Source of C:\\a b.svg");
}

TEST(SourceText, FormatReindentsAndReloadsAsUtf8) {
  TTextModel m;
  LoadSourceText(m, std::string("\xFF\xFE<\0s\0v\0g\0>\0<\0g\0/\0>\0<\0/\0s\0v\0g\0>\0", 30));
  ASSERT_EQ(m.LineCount(), 1u);
  FormatSourceText(m);
  EXPECT_EQ(m.Encoding(), TTextEncoding::UTF8);
  // The writer adds the declaration of the new encoding.
  ASSERT_EQ(m.LineCount(), 4u);
  EXPECT_EQ(Utf16ToUtf8(m.Line(0)).substr(0, 5), "<?xml");
  EXPECT_EQ(Utf16ToUtf8(m.Line(2)), "\t<g/>");
}

TEST(SourceText, FormatOfUndeclaredEightBitTextLeavesTheViewEmpty) {
  TTextModel m;
  LoadSourceText(m, "<svg>caf\xE9</svg>");
  ASSERT_EQ(m.Encoding(), TTextEncoding::Ansi);
  EXPECT_THROW(FormatSourceText(m), std::runtime_error);
  EXPECT_EQ(m.LineCount(), 0u);
}

TEST(SourceText, FormatOfMalformedXmlKeepsWhatTheReaderBuilt) {
  TTextModel m;
  LoadSourceText(m, "<svg><g></svg> <<<");
  EXPECT_NO_THROW(FormatSourceText(m));
}

}  // namespace
}  // namespace pictara

namespace pictara {
namespace {

// Hostile texts go through everything the source window does with a text: loading, highlighting
// every line through the view's cache, the report and Format. Nothing may crash or hang.
TEST(SourceText, HostileTextsGoThroughEveryStep) {
  std::string nested;
  for (int i = 0; i < 100000; ++i) nested += "<g>";
  std::string longLine = "<svg>";
  while (longLine.size() < (1u << 20)) longLine += "<rect x=\"1\" y=\"2\"/><!-- c --> t &amp; ";
  const std::string texts[] = {
      "<svg>" + nested,
      longLine,
      std::string(100000, '\0'),
      std::string("\x1F\x8B\x08\x00\x00\x00\x00\x00", 8),
      std::string("\xFF\xFE\x00\xD8<\0", 6),  // a lone surrogate in UTF-16
  };
  for (const std::string& t : texts) {
    SCOPED_TRACE(t.size());
    textview::TTextModel m;
    LoadSourceText(m, t);
    TXmlHighlighter h;
    textview::THighlightCache cache(m);
    cache.SetHighlighter(&h);
    std::vector<textview::TTokenSpan> spans;
    if (m.LineCount() > 0) {
      cache.Tokens(m.LineCount() - 1, spans);
      EXPECT_FALSE(spans.empty());
    }
    BuildDocumentReport(m.Save());
    try {
      FormatSourceText(m);
    } catch (const std::runtime_error&) {
      EXPECT_EQ(m.LineCount(), 0u);
    }
  }
}

TEST(SourceText, LayoutScalesTheDesignToTheScreenDensity) {
  const TSourceLayout design = SourceWindowLayout(120);
  EXPECT_EQ(design.clientWidth, 801);
  EXPECT_EQ(design.clientHeight, 415);
  EXPECT_EQ(design.panelHeight, 33);
  EXPECT_EQ(design.labelTop, 8);
  EXPECT_EQ(design.labelLeft[3], 225);
  EXPECT_EQ(design.fontHeight, -13);
  const TSourceLayout small = SourceWindowLayout(96);
  EXPECT_EQ(small.clientWidth, 641);
  EXPECT_EQ(small.labelLeft[1], 80);
  EXPECT_EQ(small.fontHeight, -10);
  const TSourceLayout big = SourceWindowLayout(240);
  EXPECT_EQ(big.clientHeight, 830);
  EXPECT_EQ(big.panelHeight, 66);
  EXPECT_EQ(SourceWindowLayout(0).clientWidth, 641) << "an unknown density counts as 96";
}

}  // namespace
}  // namespace pictara
