// Writing: the tree back to bytes (see xml_writer.h).
#include <algorithm>

#include "platform/codepage.h"
#include "base/utf.h"
#include "svginfo/xml_dom.h"
#include "svginfo/xml_writer.h"

namespace pictara {


namespace {

TXmlNodeClosingStyle ClosingStyleOf(const TXmlDocument& doc, TXmlNodeClosingStyle own) {
  return doc.NodeClosingStyle != ncDefault ? doc.NodeClosingStyle : own;
}

}  // namespace

void TXmlCharData::WriteStream(TXmlWriter& writer) const { writer.WriteWithLineEnds(RawText()); }

void TXmlQuotedText::WriteStream(TXmlWriter& writer) const {
  const char q[1] = {QuoteChar()};
  writer.Write(std::string_view(q, 1));
  writer.WriteWithLineEnds(RawText());
  writer.Write(std::string_view(q, 1));
}

void TXmlComment::WriteStream(TXmlWriter& writer) const {
  writer.Write("<!--");
  writer.Write(RawText());
  writer.Write("-->");
}

void TXmlCData::WriteStream(TXmlWriter& writer) const {
  writer.Write("<![CDATA[");
  writer.Write(RawText());
  writer.Write("]]>");
}

void TXmlInstruction::WriteStream(TXmlWriter& writer) const {
  writer.Indent(this);
  writer.Write("<?");
  writer.Write(Value());
  writer.Write("?>");
  writer.LineEnd();
}

void TXmlAttribute::WriteStream(TXmlWriter& writer) const {
  writer.Write(Name());
  writer.Write("=");
  value_->WriteStream(writer);
}

void TXmlDeclaration::WriteStream(TXmlWriter& writer) const {
  writer.Indent(this);
  writer.Write("<?xml");
  writer.WriteAttributeList(this);
  writer.Write("?>");
  writer.DocumentLineEnd();
}

void TXmlStyleSheet::WriteStream(TXmlWriter& writer) const {
  writer.Indent(this);
  writer.Write("<?xml-stylesheet");
  writer.WriteAttributeList(this);
  writer.Write("?>");
  writer.LineEnd();
}

void TXmlElement::WriteStream(TXmlWriter& writer) const {
  writer.Indent(this);
  writer.Write("<");
  writer.Write(Name());
  writer.WriteAttributeList(this);
  const int subs = SubNodeCount();
  if (subs == 0 && ClosingStyleOf(writer.Doc(), closing_) == ncClose) {
    writer.Write("/>");
    writer.LineEnd();
    return;
  }
  writer.Write(">");
  bool hasChildElements = false;
  for (int i = 0; i < subs && !hasChildElements; ++i)
    hasChildElements = IsXmlContainerKind(SubNodes(i)->ElementType());
  for (int i = 0; i < subs; ++i) {
    const TXmlNode* sub = SubNodes(i);
    const TXmlElementType kind = sub->ElementType();
    const bool charData = IsXmlCharDataKind(kind);
    if (i == 0 && !charData) writer.LineEnd();
    if (i > 0 && charData && hasChildElements) writer.Indent(sub);
    if (charData || IsXmlContainerKind(kind)) sub->WriteStream(writer);
    if (charData && hasChildElements) writer.LineEnd();
  }
  if (hasChildElements) writer.Indent(this);
  writer.Write("</");
  writer.Write(Name());
  writer.Write(">");
  writer.LineEnd();
}

void TXmlDocType::WriteStream(TXmlWriter& writer) const {
  writer.Indent(this);
  writer.Write("<!DOCTYPE ");
  writer.Write(Name());
  const std::string_view id = externalId_->RawText();
  if (id == "SYSTEM") {
    writer.Write(" SYSTEM ");
    system_->WriteStream(writer);
  } else if (id == "PUBLIC") {
    writer.Write(" PUBLIC ");
    pubId_->WriteStream(writer);
    writer.Write(" ");
    system_->WriteStream(writer);
  }
  writer.Write(" ");
  if (NodeCount() > 0) {
    writer.Write("[");
    writer.LineEnd();
    for (const TXmlNode* child : NodeList()) child->WriteStream(writer);
    writer.Write("]");
  }
  writer.Write(">");
  writer.LineEnd();
}

void TXmlDtdElement::WriteStream(TXmlWriter& writer) const {
  writer.Write("<!");
  writer.Write(Keyword());
  writer.Write(" ");
  writer.Write(Name());
  writer.Write(" ");
  writer.WriteDeclarationBody(this);
  writer.Write(">");
  writer.LineEnd();
}

std::string TXmlDtdElement::Value() const {
  TXmlStringStream s;
  TXmlWriter writer(*Owner(), s, seUTF8, 65001);
  writer.WriteDeclarationBody(this);
  writer.Flush(true);
  return std::move(s.text);
}

void TXmlDocument::SaveToStream(TXmlOutStream& stream) {
  const TXmlStringEncoding encoding = externalEncoding_;
  if (encoding != seAnsi && encoding != seUTF8 && encoding != seUTF16BE && encoding != seUTF16LE) {
    Debug(nullptr, wsFail, "unsupported encoding (" + std::string(XmlEncodingName(encoding)) + ")");
    return;
  }
  if (encoding == seUTF16BE) stream.Write("\xFE\xFF", 2);
  if (encoding == seUTF16LE) stream.Write("\xFF\xFE", 2);
  TXmlWriter writer(*this, stream, encoding, externalCodepage_);
  for (const TXmlNode* node : rootNodes_) node->WriteStream(writer);
  writer.Flush(true);
}

}  // namespace pictara
