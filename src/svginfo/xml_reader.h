// The XML reader: bytes to a tree (TXmlDocument::LoadFromStream and the nodes' ParseStream).
//
// The input is decoded chunk by chunk (256 bytes each) into a UTF-8 buffer with line ends folded
// to LF; all scanning works on that buffer. Element content is read with an explicit stack of
// open elements rather than by recursion, so a file of deeply nested elements cannot exhaust the
// thread's stack (the host process would die with it).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "svginfo/xml_dom.h"

namespace pictara {

// A set of bytes the scanner stops at.
struct ByteSet {
  std::array<bool, 256> has{};
  constexpr ByteSet(std::string_view chars) {
    for (char c : chars) has[static_cast<unsigned char>(c)] = true;
  }
  bool operator()(char c) const { return has[static_cast<unsigned char>(c)]; }
};

class TXmlParser {
 public:
  TXmlParser(TXmlDocument& doc, std::string_view input) : doc_(doc), in_(input) {}

  void Run();

  // ---- used by the nodes that read themselves ----
  void ParseElement(TXmlElement* element);
  void ParseDeclaration(TXmlDeclaration* decl);
  void ParseDocType(TXmlDocType* doctype);
  void ParseDtdDeclaration(TXmlDtdElement* decl);
  void ParseDtdEntity(TXmlDtdEntity* entity);
  void ParseTerminated(TXmlCharData* node, std::string_view terminator);

 private:
  struct DecoderState {
    TXmlStringEncoding encoding = seUTF8;
    uint32_t codePage = 0;
    bool lastCR = false;
    int pendingByte = -1;      // first byte of a UTF-16 unit split by a chunk end
    uint16_t pendingHigh = 0;  // high surrogate waiting for its partner
  };
  struct FillRecord {
    size_t decodedStart;  // absolute position in the decoded text
    size_t rawStart;
    DecoderState state;
  };

  // ---- input ----
  bool DetectEncoding();
  bool Fill();
  void DecodeChunk();
  void DecodeBytes(const unsigned char* p, size_t n);
  void AppendFolded(const char* p, size_t n);
  void PushUnit(uint16_t unit);
  void PushCodePoint(uint32_t cp);
  void PrepareAnsiTable();
  void SwitchEncoding(TXmlStringEncoding encoding, uint32_t codePage);
  void Compact();

  bool Ensure(size_t n) {
    while (buf_.size() - pos_ < n) {
      if (!Fill()) return false;
    }
    return true;
  }
  bool AtEnd() { return pos_ >= buf_.size() && !Fill(); }
  int Peek() { return AtEnd() ? -1 : static_cast<unsigned char>(buf_[pos_]); }
  int Next() { return AtEnd() ? -1 : static_cast<unsigned char>(buf_[pos_++]); }
  void Back() {
    if (pos_ > 0) --pos_;
  }
  bool Match(std::string_view literal, bool ignoreCase);
  std::string_view View(size_t start) const { return std::string_view(buf_).substr(start, pos_ - start); }
  // The views below stay valid until the next read from the input.
  std::string_view ReadUntil(char stop);
  std::string_view ReadUntilAny(const ByteSet& stops);
  std::string_view SkipBlanks();
  bool ReadUntilTerminator(std::string_view terminator, size_t& start, size_t& end);
  bool ReadQuoted(TXmlQuotedText* target, const TXmlNode* sender);

  // ---- structure ----
  TXmlElementType Recognize();
  TXmlNode* NewNodeOf(TXmlElementType kind);
  int ParseAttributeList(TXmlContainerNode* node);
  bool ParseStartTag(TXmlElement* element);
  void RunContent(TXmlElement* top);
  bool RunSubset(TXmlDocType* doctype);
  void AppendText(TXmlContainerNode* parent, std::string_view text);
  void OnDeclaration(TXmlNode* decl);

  // ---- diagnostics ----
  bool HasSink() const { return static_cast<bool>(doc_.OnDebugOut); }
  int Pos() const { return static_cast<int>(discarded_ + pos_); }
  int Line();
  std::string Snippet();
  void Report(const TXmlNode* sender, TXmlWarnStyle style, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 4, 5)))
#endif
      ;

  TXmlDocument& doc_;
  std::string_view in_;
  size_t raw_ = 0;
  bool halted_ = false;  // nothing (more) is decoded: too short, or an encoding we cannot read
  bool encodingFixed_ = false;  // decided by a byte-order mark or UTF-16's zero bytes
  DecoderState state_;
  std::array<std::string, 128> ansi_;
  uint32_t ansiFor_ = 0;
  bool multiByte_ = false;  // the ANSI code page is converted as a whole, not byte by byte

  std::string buf_;
  size_t pos_ = 0;
  size_t discarded_ = 0;
  size_t linesDiscarded_ = 0;
  size_t lineAt_ = 0;     // lines counted in buf_ up to here
  size_t lineCount_ = 0;
  std::deque<FillRecord> records_;

  std::string declaredEncoding_;
  bool stopped_ = false;  // illegal or unsupported markup, or nesting too deep
  std::string_view lastTag_;  // the markup just recognised, for diagnostics
  std::string snippet_;       // the text of markup not recognised
};

}  // namespace pictara
