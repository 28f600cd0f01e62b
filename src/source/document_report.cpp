#include "source/document_report.h"

#include "base/utf.h"
#include "svginfo/svg_info.h"
#include "svginfo/xml_dom.h"

namespace pictara {

namespace {

// Characters up to U+0020 go from both ends (bytes of multi-byte UTF-8 sequences are all above).
std::string_view Strip(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.remove_suffix(1);
  return s;
}

// The program that wrote the drawing, from its comment: "Created with X" and "Generator: X" give
// X; any other comment is reported as it is, stripped.
std::string ApplicationOf(std::string_view comment) {
  std::string_view app = Strip(comment);
  constexpr std::string_view kCreated = "Created with";
  constexpr std::string_view kGenerator = "Generator:";
  if (app.starts_with(kCreated)) {
    app = Strip(app.substr(kCreated.size()));
  } else if (app.starts_with(kGenerator)) {
    app = Strip(app.substr(kGenerator.size()));
  }
  return std::string(app);
}

std::string ValueByName(const TXmlNode* node, std::string_view name) {
  const TXmlNode* found = node->NodeByName(name);
  return found ? found->Value() : std::string();
}

}  // namespace

std::optional<std::string> BuildDocumentReport(std::string_view bytes) {
  TXmlDocument doc;
  doc.SetParserEncodingAfterReadDeclaration = true;
  doc.LoadFromStream(bytes);

  std::string app = doc.CommentString();

  // Any root-level node named "svg" counts (a DOCTYPE of that name too), but an element of that
  // name ends the search.
  const TXmlNode* root = nullptr;
  for (const TXmlNode* node : doc.RootNodes()) {
    const std::string_view name = node->Name();
    if (name == "svg" || name == "svg:svg") {
      root = node;
      if (node->ElementType() == xeElement) break;
    }
  }
  if (!root) return std::nullopt;

  const std::string viewBox = ValueByName(root, "viewBox");
  const std::string width = ValueByName(root, "width");
  const std::string height = ValueByName(root, "height");
  const std::string version = ValueByName(root, "version");
  const std::string desc = ValueByName(root, "desc");
  const std::string title = ValueByName(root, "title");

  const TXmlNode* image = FindChildByName(root, "image");
  const bool embedded = image && image->AttributeValueByName("xlink:href").starts_with("data:image");

  if (app.empty()) {
    for (int i = 0; i < root->NodeCount(); ++i) {
      const TXmlNode* child = root->Nodes(i);
      if (child && child->ElementType() == xeComment) {
        app = child->Value();
        break;
      }
    }
  }
  // The comment rules apply to the document-level comment as well as to one inside the root.
  app = ApplicationOf(app);

  std::string mTitle, mDesc, mDate;
  if (const TXmlNode* meta = root->NodeByName("metadata")) {
    if (const TXmlNode* work = NodeByPath(meta, {"rdf:RDF", "cc:Work"})) {
      mTitle = ChildValueByName(work, "dc:title");
      mDesc = ChildValueByName(work, "dc:description");
      mDate = ChildValueByName(work, "dc:date");
    }
  }

  TSVGInfo info;
  info.ViewBox = viewBox;
  info.Width = width;
  info.Height = height;
  CalcSvgPixelSize(info, 90);

  std::string text;
  const auto line = [&text](std::string_view label, std::string_view value) {
    text.append(label).append(value).push_back('\r');
  };
  line("Calculated Dimensions: ", std::to_string(info.IntWidth) + " x " + std::to_string(info.IntHeight));
  line("Application: ", app);
  line("ViewBox: ", viewBox);
  line("Width: ", width);
  line("Height: ", height);
  line("Version: ", version);
  line("Title: ", title);
  line("Description: ", desc);
  line("Metadata Title: ", mTitle);
  line("Metadata Description: ", mDesc);
  if (!mDate.empty()) line("Metadata Date: ", mDate);
  if (embedded) text.append("\rHas at least one embedded image");
  // Values come from the reader as they were in the bytes: text in an 8-bit code page without a
  // declaration naming it is not UTF-8. Such bytes become U+FFFD, as the message box shows them.
  return Utf16ToUtf8(Utf8ToUtf16(text));
}

}  // namespace pictara
