// pictara format FILE: the whole text re-indented, as the source window's Format command shows
// it (UTF-8, CR LF line ends).
#include <cstdio>

#include "commands.h"
#include "svginfo/svg_info.h"
#include "svginfo/xml_dom.h"


namespace pictara::tool {

int RunFormat(const Args& args) {
  const std::optional<std::string> text = ReadSvgArgument(args, "format FILE", 0);
  if (!text) return 2;
  TXmlDocument doc;
  doc.SetParserEncodingAfterReadDeclaration = true;
  doc.LoadFromStream(*text);
  doc.SetXmlFormat(xfReadable);
  doc.SetExternalEncoding(seUTF8);
  const std::string out = doc.SaveToString();
  return WriteStdout(out) ? 0 : 2;
}

}  // namespace pictara::tool
