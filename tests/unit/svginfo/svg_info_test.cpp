#include "svginfo/svg_info.h"

#include <gtest/gtest.h>

#include "svginfo/xml_dom.h"

namespace pictara {
namespace {

TEST(ParseSvgLength, UnitsAndRounding) {
  struct Case {
    const char* text;
    int dpi;
    int32_t pixels;
    TSvgLengthUnit unit;
  } const kCases[] = {
      {"100mm", 96, 378, suMm},  // 377.95
      {"50mm", 96, 189, suMm},   // 188.98
      {"100mm", 90, 354, suMm},
      {"50mm", 90, 177, suMm},
      {"10.6pt", 96, 15, suPt},  // rounded to 11 first: 11 / 72 * 96 = 14.67
      {"2.5", 96, 2, suPx},      // halves go to the even neighbour
      {"3.5", 96, 4, suPx},
      {"2.5px", 96, 2, suPx},
      {"1in", 90, 90, suIn},
      {"2pc", 90, 30, suPc},
      {"2.54cm", 96, 96, suCm},
      {"1.5in", 96, 144, suIn},  // the fraction itself is converted, not its rounded value
      {"0.4in", 96, 0, suIn},    // ... but only when it rounds to a positive whole number
      {"50%", 96, 50, suPercent},
      {"640", 96, 640, suPx},
      {" 640 ", 96, 640, suPx},
      {"10em", 96, 0, suPx},     // a unit we do not know: no number
      {"auto", 96, 0, suPx},
      {"", 96, 0, suPx},
      {"-10", 96, -10, suPx},    // negative whole numbers come back unchanged
      {"-2.5", 96, 0, suPx},
      {"-10mm", 96, -10, suMm},
      {"px", 96, 0, suPx},       // a unit at the very start does not count
      {"1e2.0", 96, 0, suPx},
      {"1.5e1", 96, 15, suPx},
      {"99999999999", 96, 0, suPx},
      {"1e300.0", 96, 0, suPx},
      {"1.0e30mm", 96, 2147483647, suMm},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    TSvgLengthUnit unit = suNone;
    EXPECT_EQ(ParseSvgLength(c.text, c.dpi, &unit), c.pixels);
    EXPECT_EQ(unit, c.unit);
  }
}

TEST(CalcSvgPixelSize, FromWidthHeightAndViewBox) {
  struct Case {
    const char* width;
    const char* height;
    const char* viewBox;
    int dpi;
    int32_t w, h;
  } const kCases[] = {
      {"100mm", "50mm", "", 96, 378, 189},
      {"1in", "2pc", "", 90, 90, 30},
      {"50%", "50%", "0 0 400 300", 96, 200, 150},
      {"100%", "100%", "0 0 400 300", 96, 400, 300},
      {"10em", "20", "0 0 400 300", 96, 400, 20},
      {"100", "", "0 0 400 300", 96, 400, 300},  // one missing: both from the viewBox
      {"100", "", "", 96, 0, 0},
      {"", "", "0,0,640,480", 96, 640, 480},
      {"", "", "0, 0, 640, 480", 96, 640, 480},
      {"", "", "0  0 640 480", 96, 0, 640},       // two blanks: an empty part
      {"-10", "20", "0 0 400 300", 96, 400, 20},
      {"", "", "0 0 640", 96, 0, 0},
      {"", "", "0 0 64.5 48.5", 96, 64, 48},
      {"25%", "10", "0 0 401 300", 96, 100, 10},   // MulDiv rounds 100.25
      {"33%", "10", "0 0 10 10", 96, 3, 10},       // 3.3
      {"50%", "10", "0 0 5 10", 96, 3, 10},        // 2.5 rounds up
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.width) + "|" + c.height + "|" + c.viewBox);
    TSVGInfo info;
    info.Width = c.width;
    info.Height = c.height;
    info.ViewBox = c.viewBox;
    CalcSvgPixelSize(info, c.dpi);
    EXPECT_EQ(info.IntWidth, c.w);
    EXPECT_EQ(info.IntHeight, c.h);
  }
}

TEST(CalcSvgPixelSize, KeepsEarlierValuesWhenASizeIsMissing) {
  // As the converter does it: read at 96, then computed again at 90.
  TSVGInfo info;
  ASSERT_TRUE(ReadSvgInfo("<svg width=\"1in\" height=\"1in\"/>", info));
  EXPECT_EQ(info.IntWidth, 96);
  CalcSvgPixelSize(info, 90);
  EXPECT_EQ(info.IntWidth, 90);

  ASSERT_TRUE(ReadSvgInfo("<svg width=\"1in\" viewBox=\"0 0 30 40\"/>", info));
  EXPECT_EQ(info.IntWidth, 30);
  CalcSvgPixelSize(info, 90);
  EXPECT_EQ(info.IntWidth, 30);
  EXPECT_EQ(info.IntHeight, 40);
}

TEST(ReadSvgInfo, AcceptsOnlyAnSvgRoot) {
  struct Case {
    const char* name;
    std::string text;
    bool ok;
    const char* width;
  } const kCases[] = {
      {"plain", "<svg width=\"5\" height=\"6\"/>", true, "5"},
      {"prefixed", "<svg:svg width=\"5\" height=\"6\"/>", true, "5"},
      {"after declaration and comment", "<?xml version=\"1.0\"?><!--c--><svg width=\"5\"/>", true, "5"},
      {"attribute names without letter case", "<svg WIDTH=\"7\"/>", true, "7"},
      {"capital root", "<SVG width=\"5\"/>", false, ""},
      {"other root", "<html><svg width=\"5\"/></html>", false, ""},
      {"blank first", " <svg width=\"5\"/>", false, ""},
      {"line break first", "\n<svg width=\"5\"/>", false, ""},
      {"empty", "", false, ""},
      {"UTF-8 BOM", "\xEF\xBB\xBF<svg width=\"5\"/>", true, "5"},
      {"UTF-16 LE BOM", std::string("\xFF\xFE<\0s\0v\0g\0 \0w\0i\0d\0t\0h\0=\0\"\0" "8\0\"\0/\0>\0", 32), true, "8"},
      {"root later in the file", "<?xml version=\"1.0\"?><metadata/><svg width=\"5\"/>", true, "5"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TSVGInfo info;
    info.Width = "stale";
    info.IntWidth = 77;
    EXPECT_EQ(ReadSvgInfo(c.text, info), c.ok);
    EXPECT_EQ(info.Width, c.width);
    if (!c.ok) EXPECT_EQ(info.IntWidth, 0);
  }
}

TEST(ReadSvgInfo, TheFirstBytesMustHoldTheRootStartTag) {
  // The converter reads only the first 102400 bytes: a root start tag beyond them is not seen.
  std::string text = "<?xml version=\"1.0\"?><!--" + std::string(102400, 'x') + "--><svg width=\"5\"/>";
  TSVGInfo info;
  EXPECT_TRUE(ReadSvgInfo(text, info));
  EXPECT_FALSE(ReadSvgInfo(std::string_view(text).substr(0, 102400), info));
}

TEST(SvgTreeLookups, FindChildChildValueAndPath) {
  TXmlDocument doc;
  doc.LoadFromStream(
      "<svg Width=\"5\"><metadata><rdf:RDF><cc:Work><dc:title>T&amp;1</dc:title></cc:Work></rdf:RDF>"
      "</metadata><\xC3\x84x>u</\xC3\x84x></svg>");
  const TXmlNode* root = doc.Root();
  EXPECT_EQ(ChildValueByName(root, "WIDTH"), "5");
  EXPECT_EQ(ChildValueByName(root, "height"), "");
  EXPECT_EQ(FindChildByName(root, "\xC3\xA4x"), nullptr);  // beyond ASCII: exact bytes only
  EXPECT_NE(FindChildByName(root, "\xC3\x84X"), nullptr);
  EXPECT_EQ(FindChildByName(nullptr, "x"), nullptr);

  const TXmlNode* title = NodeByPath(root, {"metadata", "rdf:RDF", "cc:Work", "DC:TITLE"});
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->Value(), "T&1");
  EXPECT_EQ(NodeByPath(root, {"metadata", "nothing", "cc:Work"}), nullptr);
  EXPECT_EQ(NodeByPath(root, {}), nullptr);
}

}  // namespace
}  // namespace pictara
