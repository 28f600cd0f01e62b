#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "svginfo/xml_dom.h"

namespace pictara {
namespace {

struct Diagnostic {
  TXmlWarnStyle style;
  std::string text;
};

// A document that records its diagnostics.
struct Loaded {
  TXmlDocument doc;
  std::vector<Diagnostic> diagnostics;

  explicit Loaded(std::string_view bytes, bool switchEncoding = false) {
    doc.OnDebugOut = [this](const TXmlNode*, TXmlWarnStyle style, const std::string& text) {
      diagnostics.push_back({style, text});
    };
    doc.SetParserEncodingAfterReadDeclaration = switchEncoding;
    doc.LoadFromStream(bytes);
  }
  bool Reported(std::string_view start) const {
    for (const Diagnostic& d : diagnostics) {
      if (d.text.rfind(start, 0) == 0) return true;
    }
    return false;
  }
};

std::string Utf16Le(std::string_view ascii, bool bom) {
  std::string out = bom ? "\xFF\xFE" : "";
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

std::string Utf16Be(std::string_view ascii, bool bom) {
  std::string out = bom ? "\xFE\xFF" : "";
  for (char c : ascii) {
    out.push_back('\0');
    out.push_back(c);
  }
  return out;
}

// The tree as one line of text, so whole trees compare in one assertion: kind number, name and
// raw value of each node, children in brackets.
std::string Shape(const TXmlNode* node) {
  std::string s = std::to_string(node->ElementType()) + ":" + std::string(node->Name());
  if (node->ElementType() == xeAttribute) s += "=" + node->Value();
  if (IsXmlCharDataKind(node->ElementType())) s += "'" + static_cast<const TXmlCharData*>(node)->Value() + "'";
  if (node->NodeCount() > 0) {
    s += "[";
    for (int i = 0; i < node->NodeCount(); ++i) s += (i ? " " : "") + Shape(node->Nodes(i));
    s += "]";
  }
  return s;
}

std::string Shape(const TXmlDocument& doc) {
  std::string s;
  for (const TXmlNode* node : doc.RootNodes()) s += (s.empty() ? "" : " | ") + Shape(node);
  return s;
}

constexpr std::string_view kSample =
    "<?xml version=\"1.0\"?>\n<svg width=\"10\"><title>Map</title><g><rect x=\"1\"/></g></svg>";

TEST(XmlReader, ByteOrderMarksAndUtf16GiveTheSameTree) {
  const std::string expected = Shape(Loaded(kSample).doc);
  ASSERT_EQ(expected,
            "6:xml[1:version=1.0] | 0:svg[1:width=10 0:title[2:Text'Map'] 0:g[0:rect[1:x=1]]]");
  struct Case {
    const char* name;
    std::string bytes;
  } const kCases[] = {
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + std::string(kSample)},
      {"UTF-16 LE with BOM", Utf16Le(kSample, true)},
      {"UTF-16 LE without BOM", Utf16Le(kSample, false)},
      {"UTF-16 BE with BOM", Utf16Be(kSample, true)},
      {"UTF-16 BE without BOM", Utf16Be(kSample, false)},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Shape(Loaded(c.bytes).doc), expected);
  }
}

TEST(XmlReader, DecidesTheEncodingFromTheFirstBytes) {
  struct Case {
    std::string bytes;
    TXmlStringEncoding encoding;  // after the load (no declaration read: UTF-8)
    bool hasRoot;
    const char* diagnostic;
  } const kCases[] = {
      {"<svg width=\"1\"/>", seUTF8, true, "unknown encoding"},
      {" <svg width=\"1\"/>", seUTF8, true, "unknown encoding"},
      {std::string("\0\0\0<\0\0\0s", 8), seUTF8, false, "unsupported encoding (utf-32BE)"},
      {std::string("<\0\0\0s\0\0\0", 8), seUTF8, false, "unsupported encoding (utf-32)"},
      {std::string("\xFF\xFE\0\0<\0\0\0", 8), seUTF8, false, "unsupported encoding (utf-32)"},
      {"Lo\xA7\x94\x89\x95\x87\x40", seUTF8, false, "unsupported encoding (ebcdic)"},
      {"<a/>", seUTF8, false, "stream terminated prematurely at pos 0"},
      {"", seUTF8, false, "stream terminated prematurely at pos 0"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.bytes);
    Loaded l(c.bytes);
    EXPECT_EQ(l.doc.ExternalEncoding(), c.encoding);
    EXPECT_EQ(l.doc.Root() != nullptr, c.hasRoot);
    EXPECT_TRUE(l.Reported(c.diagnostic));
    if (!c.hasRoot) {
      EXPECT_EQ(l.doc.RootNodeCount(), 0);
      EXPECT_TRUE(l.doc.IsEmpty());
    }
  }
}

TEST(XmlReader, LineEndsFoldToLfAndComeBackInTheDocumentStyle) {
  // A CR LF pair split by the 256-byte chunk border must still give one line end.
  std::string split = "<svg><title>";
  split += std::string(256 - split.size() - 1, 'x') + "\r\n" + "y</title></svg>";
  Loaded l(split);
  const std::string value = l.doc.Root()->NodeByName("title")->Value();
  EXPECT_EQ(value, std::string(256 - 13, 'x') + "\r\ny");

  struct Case {
    std::string text;
    TXmlEolStyle eol;
    std::string value;
  } const kCases[] = {
      {"a\r\nb", esCRLF, "a\r\nb"}, {"a\rb", esCRLF, "a\r\nb"},   {"a\nb", esCRLF, "a\r\nb"},
      {"a\r\r\nb", esCRLF, "a\r\n\r\nb"}, {"a\r\nb", esLF, "a\nb"}, {"a\r\nb", esCR, "a\rb"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    Loaded doc("<text>" + c.text + "</text>");
    doc.doc.EolStyle = c.eol;
    EXPECT_EQ(doc.doc.Root()->Value(), c.value);
  }
}

TEST(XmlReader, ValuesReplaceTheFiveNamesAndCharacterNumbersOnly) {
  struct Case {
    const char* raw;
    const char* value;
  } const kCases[] = {
      {"&amp;", "&"},
      {"&lt;&gt;&quot;&apos;", "<>\"'"},
      {"&#65;&#x41;&#X42;", "AAB"},
      {"&#233;", "\xC3\xA9"},
      {"&#x20AC;", "\xE2\x82\xAC"},
      {"&ns_svg;", "&ns_svg;"},          // declared in a DOCTYPE: not expanded
      {"&AMP;", "&AMP;"},                // the names are case-sensitive
      {"&#65536;", "&#65536;"},          // beyond 16 bits: left alone
      {"&#x1F600;", "&#x1F600;"},
      {"&#;&#x;&#1a;", "&#;&#x;&#1a;"},
      {"a & b", "a & b"},                // no ";" at all
      {"&a &amp;", "&a &"},              // another "&" before the ";"
      {"x&amp", "x&amp"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.raw);
    Loaded l(std::string("<svg a=\"") + c.raw + "\">" + c.raw + "</svg>");
    EXPECT_EQ(l.doc.Root()->AttributeValueByName("a"), c.value);
    EXPECT_EQ(l.doc.Root()->Value(), c.value);
  }
}

TEST(XmlReader, ATextFullOfAmpersandsReadsInOnePass) {
  // Each "&" once looked for its ";" through the whole rest of the text.
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "&a";
  Loaded l("<svg>" + text + "&amp;</svg>");
  EXPECT_EQ(l.doc.Root()->Value(), text + "&");
}

TEST(XmlReader, KeepsLeadingBlanksOfATextAndDropsTrailingOnes) {
  Loaded l("<svg>\n  <t>  word  </t>  \n  <u>   </u></svg>");
  const TXmlNode* root = l.doc.Root();
  EXPECT_EQ(root->NodeByName("t")->Value(), "  word");
  EXPECT_EQ(root->NodeByName("u")->NodeCount(), 0);  // blanks only: no text node
  EXPECT_EQ(Shape(l.doc), "0:svg[0:t[2:Text'  word'] 0:u]");
}

TEST(XmlReader, AttributesKeepTheirRawTextAndQuoteStyle) {
  Loaded l("<svg a='x \"y\"'  b = \"1\"\n c=\"multi\nline\" d=e f=\"2\">");
  const TXmlElement* root = l.doc.Root();
  ASSERT_EQ(root->AttributeCount(), 5);
  EXPECT_EQ(root->Attributes(0)->ValueNode()->QuoteStyle(), qsApos);
  EXPECT_EQ(root->Attributes(0)->Value(), "x \"y\"");
  EXPECT_EQ(root->Attributes(1)->Name(), "b");
  EXPECT_EQ(root->Attributes(2)->Value(), "multi\r\nline");
  EXPECT_EQ(root->Attributes(3)->Name(), "d");
  EXPECT_EQ(root->Attributes(3)->Value(), "");  // no quote: empty value, reading goes on
  EXPECT_EQ(root->Attributes(4)->Name(), "e f");  // ... with the next name up to its "="
  EXPECT_EQ(root->Attributes(4)->Value(), "2");
  EXPECT_TRUE(l.Reported("quote char expected"));
  EXPECT_TRUE(l.Reported("non-default chardata at line 1"));
  EXPECT_EQ(root->AttributeValueByName("E F"), "2");
  EXPECT_EQ(root->DirectNodeCount(), 5);
}

TEST(XmlReader, NodeByNameFindsTheAttributeBeforeAChildOfTheSameName) {
  Loaded l("<svg TITLE=\"attr\"><title>child</title></svg>");
  const TXmlNode* found = l.doc.Root()->NodeByName("title");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->ElementType(), xeAttribute);
  EXPECT_EQ(found->Value(), "attr");
  EXPECT_EQ(l.doc.Root()->NodeByName("missing"), nullptr);
  EXPECT_EQ(l.doc.Root()->Nodes(99), nullptr);
  EXPECT_EQ(l.doc.RootNode(-1), nullptr);
}

TEST(XmlReader, NamesCompareWithoutLetterCaseBeyondAscii) {
  Loaded l("<svg \xC3\x84rger=\"1\"><\xC3\x9C" "ber>2</\xC3\x9C" "ber></svg>");
  EXPECT_EQ(l.doc.Root()->AttributeValueByName("\xC3\xA4RGER"), "1");
  ASSERT_NE(l.doc.Root()->NodeByName("\xC3\xBC" "ber"), nullptr);
}

TEST(XmlReader, AnUnclosedChildEndsAtItsParentsEndTag) {
  Loaded l("<a><b><c/></a><d/></a>");
  EXPECT_EQ(Shape(l.doc), "0:a[0:b[0:c] 0:d]");
  EXPECT_TRUE(l.Reported("begin and end tag mismatch: \"b\" and \"a\""));
  const auto* b = static_cast<const TXmlContainerNode*>(l.doc.Root()->Nodes(0));
  EXPECT_EQ(b->NodeClosingStyle(), ncFull);
  EXPECT_EQ(static_cast<const TXmlContainerNode*>(b->Nodes(0))->NodeClosingStyle(), ncClose);
}

TEST(XmlReader, StopsAtMarkupItCannotPlace) {
  struct Case {
    const char* text;
    const char* shape;
    const char* diagnostic;
  } const kCases[] = {
      // a stray end tag at document level ends the whole parse
      {"<a/></b><c/>", "0:a", "unsupported tag (\"b\")"},
      {"<a/><!FOO x><c/>", "0:a", "illegal tag (\"!FOO x\")"},
      {"<a/><![INCLUDE[x]]><c/>", "0:a", "illegal tag (\"![INCLUDE[x]]\")"},
      // a declaration inside an element ends it and the ones around it; the rest is read at
      // document level
      {"<a><b><?xml version=\"1.0\"?><c/></b></a>",
       "0:a[0:b] | 2:Text'version=\"1.0\"?>' | 0:c", "level mismatch between subnode \"b\" and endnode \"nil\""},
      {"<a>text", "0:a[2:Text'text']", "stream terminated prematurely"},
      {"<a><b>", "0:a[0:b]", "stream terminated prematurely"},
      {"<a x=\"1\"", "0:a[1:x=1]", "illegal end tag (\"a\")"},
      {"<a/ >", "0:a | 2:Text'>'", "illegal end tag (\"a\")"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    Loaded l(c.text);
    EXPECT_EQ(Shape(l.doc), c.shape);
    EXPECT_TRUE(l.Reported(c.diagnostic)) << (l.diagnostics.empty() ? "" : l.diagnostics.back().text);
  }
}

TEST(XmlReader, ReadsCommentsCDataAndInstructions) {
  Loaded l("<!--before--><svg><!--inside--><![CDATA[a<b&amp;]]><?pi x &amp; y?></svg><!-- open");
  EXPECT_EQ(l.doc.CommentString(), "before");
  EXPECT_EQ(Shape(l.doc),
            "3:Comment'before' | 0:svg[3:Comment'inside' 4:CData'a<b&amp;' 13:PI'pi x & y'] | 3:Comment''");
  EXPECT_EQ(l.doc.Root()->Value(), "a<b&amp;");
  EXPECT_TRUE(l.Reported("stream terminated prematurely"));

  Loaded inside("<svg><!--only inside--></svg>");
  EXPECT_EQ(inside.doc.CommentString(), "");
}

TEST(XmlReader, ReadsADocTypeWithEntityDeclarations) {
  // As drawing programs write it.
  Loaded l(
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" \"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\" [\n"
      "\t<!ENTITY ns_svg \"http://www.w3.org/2000/svg\">\n"
      "\t<!ENTITY ns_xlink 'http://www.w3.org/1999/xlink'>\n"
      "\t<!ELEMENT svg (#PCDATA)>\n"
      "\t<!-- note -->\n"
      "]>\n"
      "<svg xmlns=\"&ns_svg;\" width=\"5\"/>");
  const TXmlDocType* dt = l.doc.DocType();
  ASSERT_NE(dt, nullptr);
  EXPECT_EQ(dt->Name(), "svg");
  EXPECT_EQ(dt->ExternalID()->RawText(), "PUBLIC");
  EXPECT_EQ(dt->PubIDLiteral()->RawText(), "-//W3C//DTD SVG 1.1//EN");
  EXPECT_EQ(dt->SystemLiteral()->RawText(), "http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd");
  ASSERT_EQ(dt->NodeCount(), 4);
  EXPECT_EQ(dt->Nodes(0)->ElementType(), xeDtdEntity);
  EXPECT_EQ(dt->Nodes(0)->Name(), "ns_svg");
  EXPECT_EQ(dt->Nodes(0)->Value(), "\"http://www.w3.org/2000/svg\"");
  EXPECT_EQ(dt->Nodes(1)->Value(), "'http://www.w3.org/1999/xlink'");
  EXPECT_EQ(dt->Nodes(2)->ElementType(), xeDtdElement);
  EXPECT_EQ(dt->Nodes(2)->Value(), "(#PCDATA)");
  EXPECT_EQ(dt->Nodes(3)->ElementType(), xeComment);
  ASSERT_NE(l.doc.Root(), nullptr);
  EXPECT_EQ(l.doc.Root()->Name(), "svg");
  EXPECT_EQ(l.doc.Root()->AttributeValueByName("xmlns"), "&ns_svg;");
  EXPECT_TRUE(l.diagnostics.empty()) << l.diagnostics.front().text;
}

TEST(XmlReader, EntityDeclarationsKeepBareWordsAndAlwaysMoveOn) {
  // A NUL byte among the words once made the reader spin without consuming input.
  using namespace std::string_literals;
  Loaded l("<!DOCTYPE a [<!ENTITY % pe SYSTEM \0height\0<\"x\">]><a/>"s);
  const TXmlDocType* dt = l.doc.DocType();
  ASSERT_NE(dt, nullptr);
  ASSERT_EQ(dt->NodeCount(), 1);
  EXPECT_EQ(dt->Nodes(0)->Name(), "%");
  EXPECT_EQ(dt->Nodes(0)->Value(), "pe SYSTEM \0height\0< \"x\""s);
  EXPECT_NE(l.doc.Root(), nullptr);
}

// Entity references are kept as written, never expanded: the "billion laughs" text (ten levels of
// ten references each) reads as the few bytes it is.
TEST(XmlReader, EntitiesAreNeverExpandedSoABillionLaughsStaysSmall) {
  std::string text = "<!DOCTYPE svg [<!ENTITY lol0 \"lol\">";
  for (int i = 1; i <= 9; ++i) {
    text += "<!ENTITY lol" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) text += "&lol" + std::to_string(i - 1) + ";";
    text += "\">";
  }
  text += "]><svg width=\"&lol9;\"/>";
  Loaded l(text);
  ASSERT_NE(l.doc.DocType(), nullptr);
  EXPECT_EQ(l.doc.DocType()->NodeCount(), 10);
  ASSERT_NE(l.doc.Root(), nullptr);
  EXPECT_EQ(l.doc.Root()->AttributeValueByName("width"), "&lol9;");
}

// A UTF-16 file whose length is odd: the last half character is dropped, the rest reads.
TEST(XmlReader, Utf16OfOddLengthReadsUpToItsLastWholeCharacter) {
  const std::string ascii = "<svg width=\"5\"/>";
  std::string utf16 = "\xFF\xFE";
  for (char c : ascii) utf16 += std::string{c, '\0'};
  Loaded l(utf16 + "<");
  ASSERT_NE(l.doc.Root(), nullptr);
  EXPECT_EQ(l.doc.Root()->AttributeValueByName("width"), "5");
}

TEST(XmlReader, DeclaredEncodingAppliesOnlyWhenAsked) {
  const std::string text = "<?xml version=\"1.0\" encoding=\"windows-1252\"?><svg>caf\xE9 \x80</svg>";
  Loaded asBytes(text, false);
  EXPECT_EQ(asBytes.doc.Root()->Value(), "caf\xE9 \x80");
  EXPECT_EQ(asBytes.doc.ExternalEncoding(), seAnsi);
  EXPECT_EQ(asBytes.doc.ExternalCodepage(), 1252u);

  Loaded converted(text, true);
  EXPECT_EQ(converted.doc.Root()->Value(), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(converted.doc.ExternalEncoding(), seAnsi);
  EXPECT_EQ(converted.doc.ExternalCodepage(), 1252u);
}

TEST(XmlReader, AByteOrderMarkOutweighsTheDeclaredEncoding) {
  // Text converted to UTF-16 often keeps its declaration saying UTF-8; switching to it would
  // read every second byte as a NUL character.
  std::string utf16;
  for (char c : std::string_view("<?xml version=\"1.0\" encoding=\"UTF-8\"?><svg>Caf")) utf16 += std::string{c, '\0'};
  utf16 += std::string("\xE9\0<\0/\0s\0v\0g\0>\0", 14);
  struct Case {
    const char* name;
    std::string bytes;
  } const kCases[] = {
      {"UTF-16 LE with BOM", "\xFF\xFE" + utf16},
      {"UTF-16 LE without BOM", utf16},
      {"UTF-8 with BOM declared windows-1252",
       "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?><svg>Caf\xC3\xA9</svg>"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Loaded l(c.bytes, true);
    ASSERT_NE(l.doc.Root(), nullptr);
    EXPECT_EQ(l.doc.Root()->Value(), "Caf\xC3\xA9");
  }
}

TEST(XmlReader, TwoByteCodePagesKeepTheirCharactersWhole) {
  // Shift_JIS "\xE3\x81\x82" (hiragana A) and a kanji whose second byte is a backslash; the
  // characters are placed across the 256-byte chunk borders.
  std::string body;
  for (int i = 0; i < 200; ++i) body += "\x82\xA0\x95\x5C";
  Loaded l("<?xml version=\"1.0\" encoding=\"shift_jis\"?><svg>" + body + "</svg>", true);
  ASSERT_NE(l.doc.Root(), nullptr);
  std::string expected;
  for (int i = 0; i < 200; ++i) expected += "\xE3\x81\x82\xE8\xA1\xA8";
  EXPECT_EQ(l.doc.Root()->Value(), expected);
  EXPECT_EQ(l.doc.ExternalCodepage(), 932u);
}

TEST(XmlReader, SwitchesEncodingInTheMiddleOfALongDocument) {
  // The declaration lies beyond the first chunks (after a long comment); the bytes after it are
  // converted, including those already decoded with the old setting.
  std::string text = "<!--" + std::string(5000, 'c') + "--><?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
  text += "<svg>" + std::string(300, 'x') + "\xE9</svg>";
  Loaded l(text, true);
  EXPECT_EQ(l.doc.Root()->Value(), std::string(300, 'x') + "\xC3\xA9");
  EXPECT_EQ(l.doc.ExternalCodepage(), 28591u);
}

TEST(XmlReader, MapsDeclaredNamesThroughTheCodePageTable) {
  struct Case {
    const char* name;
    TXmlStringEncoding encoding;
    uint32_t codePage;
  } const kCases[] = {
      {"UTF-8", seUTF8, 65001},         {"", seUTF8, 65001},
      {"utf-16", seUTF16LE, 1200},      {"unicodeFFFE", seUTF16BE, 1201},
      {"ISO-8859-15", seAnsi, 28605},   {"Windows-1250", seAnsi, 1250},
      {"shift_jis", seAnsi, 932},       {"euc-jp", seAnsi, 20932},
      {"iso-2022-jp", seAnsi, 50220},   {"GB18030", seAnsi, 54936},
      {"us-ascii", seAnsi, 20127},      {"klingon", seAnsi, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Loaded l(std::string("<?xml version=\"1.0\" encoding=\"") + c.name + "\"?><svg/>");
    EXPECT_EQ(l.doc.ExternalEncoding(), c.encoding);
    EXPECT_EQ(l.doc.ExternalCodepage(), c.codePage);
  }
  // A parse stopped by a stray end tag keeps what the first bytes said.
  Loaded stopped("<?xml version=\"1.0\" encoding=\"utf-8\"?><svg/></x>");
  EXPECT_EQ(stopped.doc.ExternalEncoding(), seAnsi);
  EXPECT_EQ(stopped.doc.ExternalCodepage(), 0u);
}

TEST(XmlReader, Utf16SurrogatePairsBecomeOneCharacter) {
  std::string bytes = "\xFF\xFE";
  for (char c : std::string_view("<svg>")) bytes += std::string{c, '\0'};
  bytes += std::string("\x3D\xD8\x00\xDE", 4);  // U+1F600
  bytes += std::string("\x00\xD8", 2);          // a high surrogate without its partner
  for (char c : std::string_view("x</svg>")) bytes += std::string{c, '\0'};
  Loaded l(bytes);
  EXPECT_EQ(l.doc.Root()->Value(), "\xF0\x9F\x98\x80\xEF\xBF\xBDx");
}

TEST(XmlReader, DeepNestingStopsAtTheLimitWithTheTreeKept) {
  // 100 000 nested elements: must neither exhaust the stack nor lose what was read.
  const int depth = 100000;
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<g>";
  for (int i = 0; i < depth; ++i) text += "</g>";
  Loaded l(text);
  ASSERT_NE(l.doc.Root(), nullptr);
  int levels = 0;
  for (const TXmlNode* n = l.doc.Root(); n; n = n->Nodes(0)) ++levels;
  EXPECT_EQ(levels, kXmlMaxDepth + 1);  // the element that would go deeper is kept, empty
  EXPECT_TRUE(l.Reported("elements nested deeper than"));

  // Just inside the limit everything is read.
  std::string ok;
  for (int i = 0; i < kXmlMaxDepth; ++i) ok += "<g>";
  for (int i = 0; i < kXmlMaxDepth; ++i) ok += "</g>";
  Loaded fine(ok + "<!--end-->");
  EXPECT_EQ(fine.doc.RootNodeCount(), 2);
  EXPECT_FALSE(fine.Reported("elements nested deeper than"));
}

TEST(XmlReader, AbortParsingFromTheSinkStopsTheLoad) {
  TXmlDocument doc;
  doc.OnDebugOut = [&doc](const TXmlNode*, TXmlWarnStyle, const std::string&) { doc.AbortParsing = true; };
  doc.LoadFromStream("<?xml version=\"1.0\"?><svg>\n<a x='1'  y='2'/><b/><c/></svg>");
  ASSERT_NE(doc.Root(), nullptr);
  EXPECT_EQ(doc.Root()->NodeByName("c"), nullptr);
  doc.OnDebugOut = nullptr;
  doc.LoadFromStream("<svg><a/><b/><c/></svg>");  // a new load starts afresh
  EXPECT_NE(doc.Root()->NodeByName("c"), nullptr);
}

TEST(XmlDocument, StartsWithOneNamelessElementAndCountsAsEmpty) {
  TXmlDocument doc;
  ASSERT_EQ(doc.RootNodeCount(), 1);
  EXPECT_EQ(doc.RootNode(0)->ElementType(), xeElement);
  EXPECT_TRUE(doc.IsEmpty());
  doc.LoadFromStream("<?xml version=\"1.0\"?><!-- only a comment -->");
  EXPECT_TRUE(doc.IsEmpty());
  doc.LoadFromStream("<?xml version=\"1.0\"?><svg/>");
  EXPECT_FALSE(doc.IsEmpty());
  EXPECT_NE(doc.Declaration(), nullptr);
  EXPECT_EQ(doc.DocType(), nullptr);
}

TEST(XmlDocument, RepeatedTextsReadBackAndAnEditChangesOnlyTheNodeEdited) {
  TXmlDocument doc;
  std::string text = "<svg>";
  for (int i = 0; i < 100; ++i) text += "<rect fill=\"red\" width=\"" + std::to_string(i % 10) + "\"/>";
  doc.LoadFromStream(text + "</svg>");
  TXmlElement* root = doc.Root();
  ASSERT_EQ(root->NodeCount(), 100);
  const std::string_view firstName = root->Nodes(0)->Name();

  // One node renamed and one value changed: the others that held the same texts keep them.
  root->Nodes(3)->SetName("circle");
  root->Nodes(3)->SetAttributeValueByName("fill", "blue");
  // Many new texts afterwards: names read before stay valid.
  for (int i = 10; i < 90; ++i) root->Nodes(i)->SetAttributeValueByName("id", "r" + std::to_string(i));

  for (int i = 0; i < 100; ++i) {
    SCOPED_TRACE(i);
    TXmlNode* node = root->Nodes(i);
    EXPECT_EQ(node->Name(), i == 3 ? "circle" : "rect");
    EXPECT_EQ(node->AttributeValueByName("fill"), i == 3 ? "blue" : "red");
    EXPECT_EQ(node->AttributeValueByName("width"), std::to_string(i % 10));
    EXPECT_EQ(node->AttributeValueByName("id"), i >= 10 && i < 90 ? "r" + std::to_string(i) : "");
  }
  EXPECT_EQ(firstName, "rect");
}

TEST(XmlNode, SettingNamesAndValues) {
  Loaded l("<svg a=\"1\">text</svg>");
  TXmlElement* root = l.doc.Root();
  root->SetAttributeValueByName("A", "x & \"y\"");
  root->SetAttributeValueByName("b", "new");
  EXPECT_EQ(root->AttributeValueByName("a"), "x & \"y\"");
  EXPECT_EQ(root->Attributes(1)->Name(), "b");
  EXPECT_EQ(root->DirectNodeCount(), 2);
  EXPECT_EQ(root->SubNodeCount(), 1);

  root->Nodes(2)->SetName("nope");
  EXPECT_TRUE(l.Reported("cannot set name on this type of element"));
  EXPECT_EQ(root->Nodes(2)->Name(), "Text");
  root->SetName("svg2");
  EXPECT_EQ(root->Name(), "svg2");
}

}  // namespace
}  // namespace pictara
