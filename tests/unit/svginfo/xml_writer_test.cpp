#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "svginfo/xml_dom.h"

namespace pictara {
namespace {

// What the source window's Format command does with a text.
std::string Formatted(std::string_view text, std::vector<std::string>* diagnostics = nullptr) {
  TXmlDocument doc;
  if (diagnostics) {
    doc.OnDebugOut = [diagnostics](const TXmlNode*, TXmlWarnStyle, const std::string& m) {
      diagnostics->push_back(m);
    };
  }
  doc.SetParserEncodingAfterReadDeclaration = true;
  doc.LoadFromStream(text);
  doc.SetXmlFormat(xfReadable);
  doc.SetExternalEncoding(seUTF8);
  return doc.SaveToString();
}

TEST(XmlWriter, ReadableLayoutOfATypicalDrawing) {
  const std::string out = Formatted(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- made by hand -->\n"
      "<svg width=\"10\">\n  <title>Map</title>\n  <g>\n    <rect x=\"1\"></rect>\n  </g>\n</svg>\n");
  EXPECT_EQ(out,
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
            "<!-- made by hand --><svg width=\"10\">\r\n"
            "\t<title>Map</title>\r\n"
            "\t<g>\r\n"
            "\t\t<rect x=\"1\"/>\r\n"
            "\t</g>\r\n"
            "</svg>\r\n");
}

TEST(XmlWriter, PlacesTextAndCommentsAmongChildElements) {
  struct Case {
    const char* name;
    const char* in;
    const char* out;
  } const kCases[] = {
      {"text only stays on one line", "<a><b>some text</b></a>",
       "<a>\r\n\t<b>some text</b>\r\n</a>\r\n"},
      {"first text follows the start tag, later texts get their own lines",
       "<a>first<b/>second<c/></a>", "<a>first\r\n\t<b/>\r\n\tsecond\r\n\t<c/>\r\n</a>\r\n"},
      {"comment as first sub-node follows the start tag", "<a><!--c--><b/></a>",
       "<a><!--c-->\r\n\t<b/>\r\n</a>\r\n"},
      {"later comment gets an indented line", "<a><b/><!--c--></a>",
       "<a>\r\n\t<b/>\r\n\t<!--c-->\r\n</a>\r\n"},
      {"comment beside text only", "<a>x<!--c--></a>", "<a>x<!--c--></a>\r\n"},
      {"CDATA as written", "<a><![CDATA[<&>]]></a>", "<a><![CDATA[<&>]]></a>\r\n"},
      {"references and quotes unchanged", "<a t='&amp;&ns;' u=\"&#65;\">&lt;&ns;</a>",
       "<a t='&amp;&ns;' u=\"&#65;\">&lt;&ns;</a>\r\n"},
      {"instruction inside an element",  "<a><b/><?pi x?></a>",
       "<a>\r\n\t<b/>\r\n\t\t<?pi x?>\r\n\r\n</a>\r\n"},
      {"stylesheet at document level", "<?xml-stylesheet href=\"a.css\"?><a/>",
       "<?xml encoding=\"utf-8\"?>\r\n<?xml-stylesheet href=\"a.css\"?>\r\n<a/>\r\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string out = Formatted(c.in);
    const std::string decl = "<?xml encoding=\"utf-8\"?>\r\n";
    // Documents without a declaration gain one holding only the encoding.
    ASSERT_EQ(out.rfind(decl, 0), 0u) << out;
    if (std::string_view(c.out).rfind(decl, 0) != 0) out.erase(0, decl.size());
    EXPECT_EQ(out, c.out);
  }
}

TEST(XmlWriter, MultiLineTextAndValuesGetTheDocumentLineEndCommentsKeepLf) {
  const std::string out = Formatted("<a v=\"1\n2\"><!--x\ny--><b>p\nq</b></a>");
  EXPECT_NE(out.find("v=\"1\r\n2\""), std::string::npos) << out;
  EXPECT_NE(out.find("<!--x\ny-->"), std::string::npos) << out;
  EXPECT_NE(out.find("<b>p\r\nq</b>"), std::string::npos) << out;
}

TEST(XmlWriter, Latin1DocumentComesOutAsUtf8WithoutByteOrderMark) {
  const std::string out =
      Formatted("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<t>caf\xE9</t>");
  EXPECT_EQ(out, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<t>caf\xC3\xA9</t>\r\n");
}

TEST(XmlWriter, WritesADocTypeWithItsInternalSubset) {
  const std::string out = Formatted(
      "<?xml version=\"1.0\"?><!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" 'x.dtd' [\n"
      "<!ENTITY ns \"http://ns\"><!ENTITY % pe SYSTEM \"p.ent\"><!ELEMENT svg ANY>]><svg/>");
  EXPECT_EQ(out,
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
            "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" 'x.dtd' [\r\n"
            "<!ENTITY ns \"http://ns\">\r\n"
            "<!ENTITY % pe SYSTEM \"p.ent\">\r\n"
            "<!ELEMENT svg ANY>\r\n"
            "]>\r\n"
            "<svg/>\r\n");
}

TEST(XmlWriter, CompactFormatHasNoLayout) {
  TXmlDocument doc;
  doc.LoadFromStream("<?xml version=\"1.0\"?>\n<a>\n  <b>t</b>\n  <c/>\n</a>");
  EXPECT_EQ(doc.SaveToString(), "<?xml version=\"1.0\"?>\r\n<a><b>t</b><c/></a>");
  doc.NodeClosingStyle = ncDefault;  // each element's own closing style then counts
  doc.LoadFromStream("<?xml version=\"1.0\"?><a><b></b><c/></a>");
  EXPECT_EQ(doc.SaveToString(), "<?xml version=\"1.0\"?>\r\n<a><b></b><c/></a>");
}

TEST(XmlWriter, EncodingsAndByteOrderMarks) {
  struct Case {
    TXmlStringEncoding encoding;
    std::string bytes;
  } const kCases[] = {
      {seUTF16LE, std::string("\xFF\xFE<\0?\0x\0m\0l\0", 12)},
      {seUTF16BE, std::string("\xFE\xFF\0<\0?\0x\0m\0l", 12)},
      {seUTF8, "<?xml encoding=\"utf-8\"?>"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.encoding);
    TXmlDocument doc;
    doc.LoadFromStream("<svg>\xE2\x82\xAC</svg>");
    doc.SetExternalEncoding(c.encoding);
    const std::string out = doc.SaveToString();
    EXPECT_EQ(out.substr(0, c.bytes.size()), c.bytes);
    TXmlDocument back;  // reads back to the same text
    back.LoadFromStream(out);
    ASSERT_NE(back.Root(), nullptr);
    EXPECT_EQ(back.Root()->Value(), "\xE2\x82\xAC");
  }
}

TEST(XmlWriter, AnsiOutputReportsCharactersTheCodePageLacks) {
  std::vector<std::string> diagnostics;
  TXmlDocument doc;
  doc.OnDebugOut = [&](const TXmlNode*, TXmlWarnStyle, const std::string& m) { diagnostics.push_back(m); };
  doc.LoadFromStream("<?xml version=\"1.0\" encoding=\"windows-1252\"?><t>\xC3\xA9\xD0\x94</t>");
  ASSERT_EQ(doc.ExternalEncoding(), seAnsi);
  diagnostics.clear();
  const std::string out = doc.SaveToString();
  EXPECT_NE(out.find("<t>\xE9?</t>"), std::string::npos) << out;
  EXPECT_EQ(diagnostics, std::vector<std::string>{"default char used for codepage substitution"});
}

TEST(XmlWriter, RefusesEncodingsItCannotWrite) {
  std::vector<std::string> diagnostics;
  TXmlDocument doc;
  doc.OnDebugOut = [&](const TXmlNode*, TXmlWarnStyle, const std::string& m) { diagnostics.push_back(m); };
  doc.LoadFromStream("<?xml version=\"1.0\"?><a/>");
  doc.SetExternalEncoding(seAnsi);
  EXPECT_EQ(doc.ExternalEncoding(), seUTF8);
  EXPECT_EQ(doc.Declaration()->AttributeValueByName("encoding"), "");
  doc.SetExternalEncoding(seUTF32LE);
  EXPECT_EQ(doc.ExternalEncoding(), seUTF32LE);
  EXPECT_EQ(doc.SaveToString(), "");
  EXPECT_EQ(diagnostics, (std::vector<std::string>{
                             "external encoding \"ansi\" is not allowed (use ExternalCodepage)",
                             "unsupported encoding (utf-32)"}));
}

TEST(XmlWriter, LeavingPreserveModeDropsTheWhiteSpaceNodes) {
  TXmlDocument doc;
  doc.SetXmlFormat(xfPreserve);
  doc.LoadFromStream("<?xml version=\"1.0\"?><a  x=\"1\">\n  <b/>\n</a>");
  EXPECT_EQ(doc.SaveToString(), "<?xml version=\"1.0\"?>\r\n<a  x=\"1\">\r\n  <b/>\r\n</a>");
  doc.SetXmlFormat(xfCompact);
  EXPECT_EQ(doc.Root()->DirectNodeCount(), 1);
  EXPECT_EQ(doc.SaveToString(), "<?xml version=\"1.0\"?>\r\n<a x=\"1\"><b/></a>");
}

}  // namespace
}  // namespace pictara
