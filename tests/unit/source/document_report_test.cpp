#include "source/document_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <zlib.h>

namespace pictara {
namespace {

// The report as the Info command builds it: every line ended by CR.
std::string Report(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r";
  return out;
}

struct Labels {
  std::string dims = "0 x 0", app, viewBox, width, height, version, title, desc, mTitle, mDesc;
  std::string Text() const {
    return Report({"Calculated Dimensions: " + dims, "Application: " + app, "ViewBox: " + viewBox,
                   "Width: " + width, "Height: " + height, "Version: " + version, "Title: " + title,
                   "Description: " + desc, "Metadata Title: " + mTitle, "Metadata Description: " + mDesc});
  }
};

struct Case {
  const char* name;
  std::string document;
  std::string report;
};

std::vector<Case> Cases() {
  std::vector<Case> cases;
  {
    Labels l;
    l.dims = "744 x 1052";
    l.app = "Inkscape";
    l.width = "210mm";
    l.height = "297mm";
    l.version = "1.1";
    cases.push_back({"millimetres at 90 per inch; a document-level \"Created with\" comment gives the name",
                     "<?xml version=\"1.0\"?>\n<!-- Created with Inkscape -->\n"
                     "<svg width=\"210mm\" height=\"297mm\" version=\"1.1\"/>",
                     l.Text()});
  }
  {
    Labels l;
    l.dims = "101 x 50";
    l.viewBox = "0 0 100.6 50.4";
    cases.push_back({"viewBox only", "<svg viewBox=\"0 0 100.6 50.4\"></svg>", l.Text()});
  }
  {
    Labels l;
    l.title = "From the attribute";
    l.desc = "About it";
    cases.push_back({"a title attribute beats the title element; desc is a child element",
                     "<svg title=\"From the attribute\"><title>From the element</title><desc>About it</desc></svg>",
                     l.Text()});
  }
  {
    Labels l;
    l.app = "Creator: Someone";
    cases.push_back({"a \"Creator:\" comment inside the root is reported unchanged, stripped",
                     "<svg>\n<!--  Creator: Someone \n-->\n<!-- Created with Later --></svg>", l.Text()});
  }
  {
    Labels l;
    l.app = "Adobe Illustrator 10.0";
    cases.push_back({"a document-level \"Generator:\" comment is stripped like one in the root",
                     "<!--Generator: Adobe Illustrator 10.0  --><svg><!-- Created with Other --></svg>", l.Text()});
  }
  {
    Labels l;
    l.app = "Editor";
    cases.push_back({"without a document-level comment the root's first comment counts",
                     "<svg><g/><!-- Created with   Editor --></svg>", l.Text()});
  }
  {
    Labels l;
    l.mTitle = "Drawing";
    l.mDesc = "Words";
    cases.push_back({"metadata without dc:date has no date line",
                     "<svg><metadata><rdf:RDF><cc:Work><dc:title>Drawing</dc:title>"
                     "<dc:description>Words</dc:description></cc:Work></rdf:RDF></metadata></svg>",
                     l.Text()});
    cases.push_back({"metadata with dc:date",
                     "<svg><metadata><rdf:RDF><cc:Work><dc:title>Drawing</dc:title>"
                     "<dc:description>Words</dc:description><dc:date>2020-01-02</dc:date></cc:Work></rdf:RDF>"
                     "</metadata></svg>",
                     l.Text() + "Metadata Date: 2020-01-02\r"});
  }
  {
    Labels l;
    l.dims = "20 x 10";
    l.width = "20";
    l.height = "10";
    const std::string img = "<image xlink:href=\"data:image/png;base64,iVBOR\"/>";
    cases.push_back({"an embedded image adds an empty line and the sentence, without CR",
                     "<svg:svg width=\"20\" height=\"10\">" + img + "</svg:svg>",
                     l.Text() + "\rHas at least one embedded image"});
    cases.push_back({"an image that refers to a file is not embedded",
                     "<svg width=\"20\" height=\"10\"><image xlink:href=\"a.png\"/></svg>", l.Text()});
    cases.push_back({"an image deeper than the root's children does not count",
                     "<svg width=\"20\" height=\"10\"><g>" + img + "</g></svg>", l.Text()});
  }
  {
    Labels l;
    l.title = "\xD0\x9A\xD0\xBE\xD1\x82";
    cases.push_back({"a UTF-16 LE text with byte-order mark",
                     std::string("\xFF\xFE<\0s\0v\0g\0 \0t\0i\0t\0l\0e\0=\0\"\0\x1A\x04\x3E\x04\x42\x04\"\0/\0>\0", 38),
                     l.Text()});
  }
  return cases;
}

TEST(DocumentReport, EveryLineOfTheReport) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const std::optional<std::string> report = BuildDocumentReport(c.document);
    ASSERT_TRUE(report);
    EXPECT_EQ(*report, c.report);
  }
}

TEST(DocumentReport, NoSvgRootGivesNothing) {
  for (const char* doc : {"", "<html><svg/></html>", "<SVG/>", "<!-- Created with X -->", "not xml at all"}) {
    SCOPED_TRACE(doc);
    EXPECT_FALSE(BuildDocumentReport(doc));
  }
}

#ifdef PICTARA_TOOL
// The command-line tool gives exactly the same bytes, and says by its exit code what went wrong.
TEST(DocumentReport, ThroughTheTool) {
  const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "pictara_report_test";
  std::filesystem::create_directories(dir);
  const auto write = [&](const char* name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    return (dir / name).string();
  };
  const auto run = [](const std::string& args, std::string& out) {
    const std::string cmd = std::string(PICTARA_TOOL) + " " + args + " 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    out.clear();
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  std::string out;
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(run("report " + write("d.svg", c.document), out), 0);
    EXPECT_EQ(out, c.report);
  }
  // ISO-8859-1 without a declaration: the view shows it through the second loading, but the
  // report reads the saved 8-bit bytes as UTF-8 (nothing names their code page), so the letter
  // comes out as U+FFFD, as in the message box; the output stays valid UTF-8.
  EXPECT_EQ(run("report " + write("latin.svg", "<svg title=\"caf\xE9\"/>"), out), 0);
  EXPECT_NE(out.find("Title: caf\xEF\xBF\xBD\r"), std::string::npos);
  // Declared, the same bytes are read right.
  EXPECT_EQ(run("report " + write("latin.svg", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><svg title=\"caf\xE9\"/>"), out), 0);
  EXPECT_NE(out.find("Title: caf\xC3\xA9\r"), std::string::npos);
  // A gzip-compressed file gives the report of its decompressed text.
  {
    const std::string gz = (dir / "packed.svgz").string();
    gzFile f = gzopen(gz.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    const Case first = Cases()[0];
    const std::string& doc = first.document;
    gzwrite(f, doc.data(), static_cast<unsigned>(doc.size()));
    gzclose(f);
    EXPECT_EQ(run("report " + gz, out), 0);
    EXPECT_EQ(out, first.report);
  }
  EXPECT_EQ(run("report " + write("html.svg", "<html/>"), out), 1);
  EXPECT_EQ(out, "");
  EXPECT_EQ(run("report " + (dir / "missing.svg").string(), out), 2);
  EXPECT_EQ(run("report " + write("broken.svgz", std::string("\x1F\x8B\x08\x00\x00\x00", 6)), out), 2);

  EXPECT_EQ(run("tokens " + write("t.svg", "<a b=\"1\">\n<!--x\n-->"), out), 0);
  EXPECT_EQ(out,
            "1 0 tkSymbol Symbol <\n1 1 tkElement ElementName a\n1 2 tkSpace Whitespace  \n"
            "1 3 tkAttribute AttributeName b\n1 4 tkEqual Symbol =\"\n1 6 tkQuoteAttrValue AttributeValue 1\n"
            "1 7 tkSymbol Symbol \"\n1 8 tkSymbol Symbol >\n2 0 tkSymbol Symbol <!--\n2 4 tkComment Comment x\n"
            "3 0 tkSymbol Symbol -->\n");
  EXPECT_EQ(run("tokens " + (dir / "missing.svg").string(), out), 2);
  std::filesystem::remove_all(dir);
}
#endif

}  // namespace
}  // namespace pictara
