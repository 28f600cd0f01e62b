#include "source/source_text.h"

#include <stdexcept>

#include "base/muldiv.h"
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

TSourceLayout SourceWindowLayout(int32_t pixelsPerInch) {
  constexpr int32_t kDesign = 120;
  const int32_t ppi = pixelsPerInch > 0 ? pixelsPerInch : 96;
  auto s = [ppi](int32_t v) { return MulDiv(v, ppi, kDesign); };
  TSourceLayout l;
  l.clientWidth = s(801);
  l.clientHeight = s(415);
  l.panelHeight = s(33);
  l.labelTop = s(8);
  l.labelHeight = s(18);
  const int32_t lefts[4] = {16, 100, 167, 225};
  for (int i = 0; i < 4; ++i) l.labelLeft[i] = s(lefts[i]);
  l.linesRight = s(16);
  l.fontHeight = -s(13);
  return l;
}

std::string LinesCaption(size_t lineCount) { return "Lines: " + std::to_string(lineCount); }

std::string SourceCaption(std::string_view fileName) { return "Source of " + std::string(fileName); }

}  // namespace pictara
