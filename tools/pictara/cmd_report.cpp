// pictara report FILE: the text the source window's Info command shows (UTF-8, lines ended by a
// single CR, nothing added). Exit 1 when the document has no svg root, 2 when the file cannot be
// opened or read.
#include <cstdio>
#include <exception>

#include "commands.h"
#include "source/document_report.h"
#include "source/source_text.h"
#include "textview/text_model.h"


namespace pictara::tool {

int RunReport(const Args& args) {
  const std::optional<std::string> text = ReadSvgArgument(args, "report FILE", 0);
  if (!text) return 2;
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
  return WriteStdout(*report) ? 0 : 2;
}

}  // namespace pictara::tool
