// pictara format FILE: the whole text re-indented, as the source window's Format command shows
// it (UTF-8, CR LF line ends).
#include <cstdio>

#include "commands.h"
#include "svginfo/svg_info.h"
#include "svginfo/xml_dom.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace pictara::tool {

int RunFormat(const Args& args) {
  if (args.size() != 1) {
    std::fputs("usage: pictara format FILE\n", stderr);
    return 2;
  }
  const std::optional<std::string> text = OpenSvgStream(args[0], 0);
  if (!text) {
    std::fprintf(stderr, "pictara: cannot read '%s'\n", args[0].c_str());
    return 2;
  }
  TXmlDocument doc;
  doc.SetParserEncodingAfterReadDeclaration = true;
  doc.LoadFromStream(*text);
  doc.SetXmlFormat(xfReadable);
  doc.SetExternalEncoding(seUTF8);
  const std::string out = doc.SaveToString();
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // the line ends are already CR LF
#endif
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    std::fputs("pictara: cannot write the output\n", stderr);
    return 2;
  }
  return 0;
}

}  // namespace pictara::tool
