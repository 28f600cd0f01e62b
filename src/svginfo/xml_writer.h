// The XML writer: the tree back to bytes (TXmlDocument::SaveToStream and the nodes'
// WriteStream), from the raw texts the reader kept. Only the layout changes (indentation, line
// breaks, empty elements as "/>") and the encoding.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/utf.h"
#include "platform/codepage.h"
#include "svginfo/xml_dom.h"

namespace pictara {

class TXmlWriter {
 public:
  TXmlWriter(const TXmlDocument& doc, TXmlOutStream& out, TXmlStringEncoding encoding, uint32_t codePage)
      : doc_(doc), out_(out), encoding_(encoding), codePage_(codePage) {}

  void Write(std::string_view text) {
    while (!text.empty()) {
      const size_t room = kBuffer - used_;
      const size_t n = std::min(room, text.size());
      std::copy_n(text.data(), n, buf_ + used_);
      used_ += n;
      text.remove_prefix(n);
      if (used_ == kBuffer) Flush(false);
    }
  }

  // Each LF of a raw text becomes the document's line end.
  void WriteWithLineEnds(std::string_view raw) {
    const std::string_view eol = doc_.LineEnd();
    for (;;) {
      const size_t lf = raw.find('\n');
      if (lf == std::string_view::npos) break;
      Write(raw.substr(0, lf));
      Write(eol);
      raw.remove_prefix(lf + 1);
    }
    Write(raw);
  }

  bool Readable() const { return doc_.XmlFormat() == xfReadable; }

  void Indent(const TXmlNode* node) {
    if (!Readable()) return;
    for (const TXmlNode* p = node->Parent(); p; p = p->Parent()) Write(doc_.IndentString);
  }
  void LineEnd() {
    if (Readable()) Write(doc_.LineEnd());
  }
  void DocumentLineEnd() { Write(doc_.LineEnd()); }

  void WriteAttributeList(const TXmlContainerNode* node) {
    bool afterWhiteSpace = false;
    const int n = node->DirectNodeCount();
    for (int i = 0; i < n; ++i) {
      const TXmlNode* entry = node->Nodes(i);
      if (entry->ElementType() == xeWhiteSpace) {
        entry->WriteStream(*this);
        afterWhiteSpace = true;
        continue;
      }
      if (!afterWhiteSpace) Write(" ");
      entry->WriteStream(*this);
      afterWhiteSpace = false;
    }
  }

  // Children one after the other, a blank between two of them (two quoted literals of an
  // entity declaration need one).
  void WriteDeclarationBody(const TXmlContainerNode* node) {
    const int n = node->NodeCount();
    for (int i = 0; i < n; ++i) {
      if (i > 0) Write(" ");
      node->Nodes(i)->WriteStream(*this);
    }
  }

  const TXmlDocument& Doc() const { return doc_; }

  void Flush(bool final) {
    std::string_view text(buf_, used_);
    size_t keep = 0;
    if (!final && encoding_ != seUTF8) {
      // A multi-byte character cut by the buffer's end waits for its remaining bytes.
      keep = IncompleteTail(text);
      text.remove_suffix(keep);
    }
    Emit(text);
    std::copy(buf_ + used_ - keep, buf_ + used_, buf_);
    used_ = keep;
  }

 private:
  static constexpr size_t kBuffer = 256;

  static size_t IncompleteTail(std::string_view text) {
    size_t back = 0;
    while (back < 3 && back < text.size()) {
      const auto c = static_cast<unsigned char>(text[text.size() - 1 - back]);
      if ((c & 0xC0) != 0x80) {
        size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return need > back + 1 ? back + 1 : 0;
      }
      ++back;
    }
    return 0;
  }

  void Emit(std::string_view text) {
    if (text.empty()) return;
    switch (encoding_) {
      case seUTF8: out_.Write(text.data(), text.size()); return;
      case seUTF16LE:
      case seUTF16BE: {
        const std::u16string wide = Utf8ToUtf16(text);
        std::string bytes;
        bytes.reserve(wide.size() * 2);
        for (char16_t u : wide) {
          const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
          if (encoding_ == seUTF16LE) {
            bytes.push_back(lo);
            bytes.push_back(hi);
          } else {
            bytes.push_back(hi);
            bytes.push_back(lo);
          }
        }
        out_.Write(bytes.data(), bytes.size());
        return;
      }
      default: {
        const uint32_t cp = codePage_ == 0 ? SystemAnsiCodePage() : codePage_;
        bool defaulted = false;
        auto bytes = Utf8ToCodePage(cp, text, &defaulted);
        if (!bytes) {
          // A code page the system does not know: the text goes out as it is.
          bytes = std::string(text);
          defaulted = true;
        }
        if (defaulted) doc_.Debug(nullptr, wsWarn, "default char used for codepage substitution");
        out_.Write(bytes->data(), bytes->size());
      }
    }
  }

  const TXmlDocument& doc_;
  TXmlOutStream& out_;
  TXmlStringEncoding encoding_;
  uint32_t codePage_;
  char buf_[kBuffer];
  size_t used_ = 0;
};

}  // namespace pictara
