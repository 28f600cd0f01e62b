// pictara report FILE: the text the source window's Info command shows (UTF-8, lines ended by a
// single CR, nothing added). Exit 1 when the document has no svg root, 2 when the file cannot be
// opened or read.
#include <cstdio>
#include <exception>

#include "commands.h"
#include "source/document_report.h"
#include "source/source_text.h"
#include "svginfo/svg_info.h"
#include "textview/text_model.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace pictara::tool {

int RunReport(const Args& args) {
  if (args.size() != 1) {
    std::fputs("usage: pictara report FILE\n", stderr);
    return 2;
  }
  const std::optional<std::string> text = OpenSvgStream(args[0], 0);
  if (!text) {
    std::fprintf(stderr, "pictara: cannot read '%s'\n", args[0].c_str());
    return 2;
  }
  std::optional<std::string> report;
  try {
    // The report is made from the text as the source window holds it.
    textview::TTextModel model;
    LoadSourceText(model, *text);
    report = BuildDocumentReport(model.Save());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pictara: %s\n", e.what());
    return 2;
  }
  if (!report) {
    std::fputs("pictara: no svg root element\n", stderr);
    return 1;
  }
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  if (std::fwrite(report->data(), 1, report->size(), stdout) != report->size() || std::fflush(stdout) != 0) {
    std::fputs("pictara: cannot write the output\n", stderr);
    return 2;
  }
  return 0;
}

}  // namespace pictara::tool
