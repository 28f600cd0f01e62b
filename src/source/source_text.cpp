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

void SetSourceWindowColours(TXmlHighlighter& h) {
  h.fCommentAttri.Background = kNoColor;
  h.fCommentAttri.Foreground = 0x008000;
  for (THighlighterAttribute* value : {&h.fAttributeValueAttri, &h.fnsAttributeValueAttri}) {
    value->Foreground = 0xFF0080;
    value->Style = fsBold;
  }
  h.fAttributeAttri.Foreground = 0x0000FF;
  h.fCDATAAttri.Foreground = 0x00A5FF;
  h.fCDATAAttri.Style = 0;
  h.fDocTypeAttri.Foreground = 0x000000;
  h.fDocTypeAttri.Style = 0;
  h.fElementAttri.Foreground = 0xFF0000;
  h.fElementAttri.Style = 0;
}

std::string LinesCaption(size_t lineCount) { return "Lines: " + std::to_string(lineCount); }

std::string SourceCaption(std::string_view fileName) { return "Source of " + std::string(fileName); }

}  // namespace pictara
