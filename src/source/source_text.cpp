#include "source/source_text.h"

#include <stdexcept>

#include "platform/codepage.h"
#include "svginfo/xml_dom.h"

namespace pictara {

void LoadSourceText(textview::TTextModel& model, std::string_view bytes) {
  if (model.LoadUtf8(bytes)) return;
  model.LoadDetect(bytes, SystemAnsiCodePage());
}

void FormatSourceText(textview::TTextModel& model) {
  std::string formatted;
  {
    TXmlDocument doc;
    doc.SetParserEncodingAfterReadDeclaration = true;
    doc.LoadFromStream(model.Save());
    doc.SetXmlFormat(xfReadable);
    doc.SetExternalEncoding(seUTF8);
    formatted = doc.SaveToString();
  }
  model.Clear();
  if (!model.LoadUtf8(formatted)) {
    throw std::runtime_error("The formatted text is not valid UTF-8; the text's encoding is probably not declared.");
  }
}

}  // namespace pictara
