// The XML reader on any bytes, then the writer on what it built, then the reader again on the
// writer's output. The first byte picks the reader's settings. Nothing may crash, hang, leak or
// read outside a buffer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "svginfo/svg_info.h"
#include "svginfo/xml_dom.h"

namespace {

using namespace pictara;

// Every node's name and value, visited without recursion.
void Touch(const TXmlDocument& doc) {
  std::vector<const TXmlNode*> todo(doc.RootNodes().begin(), doc.RootNodes().end());
  size_t total = 0;
  while (!todo.empty()) {
    const TXmlNode* n = todo.back();
    todo.pop_back();
    total += n->Name().size() + n->Value().size();
    n->NodeByName("width");
    n->AttributeValueByName("viewBox");
    for (int i = 0; i < n->NodeCount(); ++i) todo.push_back(n->Nodes(i));
  }
  (void)total;
  (void)doc.IsEmpty();
  (void)doc.CommentString();
  if (const TXmlNode* root = doc.Root()) {
    NodeByPath(root, {"metadata", "rdf:RDF"});
    ChildValueByName(root, "height");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  TXmlDocument doc;
  if (flags & 1) doc.OnDebugOut = [](const TXmlNode*, TXmlWarnStyle, const std::string&) {};
  doc.SetParserEncodingAfterReadDeclaration = (flags & 2) != 0;
  doc.DropCommentsOnParse = (flags & 4) != 0;
  if (flags & 8) doc.SetXmlFormat(xfPreserve);
  doc.EolStyle = static_cast<TXmlEolStyle>((flags >> 4) % 3);
  doc.LoadFromStream(bytes);
  Touch(doc);

  doc.SetXmlFormat((flags & 64) ? xfCompact : xfReadable);
  doc.SetExternalEncoding((flags & 128) ? seUTF16LE : seUTF8);
  const std::string written = doc.SaveToString();

  TXmlDocument again;
  again.SetParserEncodingAfterReadDeclaration = true;
  again.LoadFromStream(written);
  Touch(again);

  TSVGInfo info;
  ReadSvgInfo(bytes, info);
  CalcSvgPixelSize(info, 90);
  return 0;
}
