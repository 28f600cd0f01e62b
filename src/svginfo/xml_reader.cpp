// Reading: bytes to a tree (see xml_reader.h).
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>

#include "base/ascii.h"
#include "platform/codepage.h"
#include "base/utf.h"
#include "svginfo/xml_dom.h"
#include "svginfo/xml_reader.h"

namespace pictara {
namespace {

constexpr size_t kChunk = 256;
constexpr size_t kChunksPerFill = 64;
constexpr size_t kCompactAt = 64 * 1024;

bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view StripBoth(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20) --e;
  return s.substr(b, e - b);
}

std::string_view StripRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= 0x20) --e;
  return s.substr(0, e);
}

bool AllBlank(std::string_view s) { return StripBoth(s).empty(); }


const ByteSet kTagNameStop(std::string_view("\t\n\r />[", 7));
const ByteSet kDtdNameStop(std::string_view("\t\n\r />[", 7));
const ByteSet kSubsetTextStop("<]");

struct Signature {
  unsigned char bytes[4];
  size_t length;
  TXmlStringEncoding encoding;
  bool skip;
};

// Checked in this order; the first row that matches decides.
constexpr Signature kSignatures[] = {
    {{0x3C, 0x3F, 0x78, 0x6D}, 4, seAnsi, false},
    {{0xEF, 0xBB, 0xBF, 0}, 3, seUTF8, true},
    {{0x00, 0x00, 0xFE, 0xFF}, 4, seUTF32BE, true},
    {{0xFF, 0xFE, 0x00, 0x00}, 4, seUTF32LE, true},
    {{0x00, 0x00, 0xFF, 0xFE}, 4, seUCS4_2143, true},
    {{0xFE, 0xFF, 0x00, 0x00}, 4, seUCS4_3412, true},
    {{0xFE, 0xFF, 0, 0}, 2, seUTF16BE, true},
    {{0xFF, 0xFE, 0, 0}, 2, seUTF16LE, true},
    {{0x00, 0x00, 0x00, 0x3C}, 4, seUTF32BE, false},
    {{0x3C, 0x00, 0x00, 0x00}, 4, seUTF32LE, false},
    {{0x00, 0x00, 0x3C, 0x00}, 4, seUCS4_2143, false},
    {{0x00, 0x3C, 0x00, 0x00}, 4, seUCS4_3412, false},
    {{0x00, 0x3C, 0x00, 0x3F}, 4, seUTF16BE, false},
    {{0x3C, 0x00, 0x3F, 0x00}, 4, seUTF16LE, false},
    {{0x4C, 0x6F, 0xA7, 0x94}, 4, seEBCDIC, false},
};

// The encoding a declared name stands for: its code page from the table (65001 for no name).
void EncodingFromName(std::string_view name, TXmlStringEncoding& encoding, uint32_t& codePage) {
  codePage = name.empty() ? 65001 : XmlCodePageFromName(name);
  switch (codePage) {
    case 1200: encoding = seUTF16LE; break;
    case 1201: encoding = seUTF16BE; break;
    case 65001: encoding = seUTF8; break;
    default: encoding = seAnsi; break;
  }
}

}  // namespace


// ---- input -----------------------------------------------------------------------------------

bool TXmlParser::DetectEncoding() {
  const size_t first = std::min(in_.size(), kChunk);
  if (first <= 4) {
    Report(nullptr, wsWarn, "stream terminated prematurely at pos %d", 0);
    halted_ = true;
    return false;
  }
  const auto* b = reinterpret_cast<const unsigned char*>(in_.data());
  const Signature* found = nullptr;
  for (const Signature& s : kSignatures) {
    if (std::memcmp(b, s.bytes, s.length) == 0) {
      found = &s;
      break;
    }
  }
  if (!found) {
    Report(nullptr, wsWarn, "unknown encoding");
    state_.encoding = seUTF8;
  } else {
    state_.encoding = found->encoding;
    if (found->skip) raw_ = found->length;
    // A byte-order mark, or the zero bytes of UTF-16, say how the text is stored more surely
    // than a declaration can: text saved as UTF-16 often keeps a declaration saying UTF-8.
    encodingFixed_ = found->skip || found->encoding == seUTF16LE || found->encoding == seUTF16BE;
  }
  const TXmlStringEncoding e = state_.encoding;
  if (e != seAnsi && e != seUTF8 && e != seUTF16BE && e != seUTF16LE) {
    Report(nullptr, wsFail, "unsupported encoding (%s)", std::string(XmlEncodingName(e)).c_str());
    halted_ = true;
    return false;
  }
  return true;
}

bool TXmlParser::Fill() {
  if (halted_) return false;
  const size_t before = buf_.size();
  while (buf_.size() == before && raw_ < in_.size()) {
    records_.push_back({discarded_ + buf_.size(), raw_, state_});
    if (state_.encoding == seAnsi && multiByte_ && state_.codePage != 0 && state_.codePage != 65001) {
      // A character may span any chunk border: the rest of the text goes in one piece.
      const auto text = CodePageToUtf8(state_.codePage, in_.substr(raw_));
      raw_ = in_.size();
      if (text) AppendFolded(text->data(), text->size());
      break;
    }
    for (size_t k = 0; k < kChunksPerFill && raw_ < in_.size(); ++k) DecodeChunk();
    if (raw_ >= in_.size() && state_.pendingHigh != 0) {
      // The input ended inside a surrogate pair.
      state_.pendingHigh = 0;
      PushCodePoint(0xFFFD);
    }
  }
  return buf_.size() > before;
}

void TXmlParser::DecodeChunk() {
  const size_t end = std::min(in_.size(), (raw_ / kChunk + 1) * kChunk);
  DecodeBytes(reinterpret_cast<const unsigned char*>(in_.data()) + raw_, end - raw_);
  raw_ = end;
}

void TXmlParser::AppendFolded(const char* p, size_t n) {
  if (n == 0) return;
  if (state_.lastCR && *p == '\n') {
    ++p;
    --n;
  }
  state_.lastCR = false;
  while (n > 0) {
    const auto* cr = static_cast<const char*>(std::memchr(p, '\r', n));
    if (!cr) {
      buf_.append(p, n);
      return;
    }
    buf_.append(p, static_cast<size_t>(cr - p));
    buf_.push_back('\n');
    n -= static_cast<size_t>(cr - p) + 1;
    p = cr + 1;
    if (n == 0) {
      state_.lastCR = true;
      return;
    }
    if (*p == '\n') {
      ++p;
      --n;
    }
  }
}

void TXmlParser::PushCodePoint(uint32_t cp) {
  if (cp == '\r') {
    buf_.push_back('\n');
    state_.lastCR = true;
    return;
  }
  if (cp == '\n' && state_.lastCR) {
    state_.lastCR = false;
    return;
  }
  state_.lastCR = false;
  AppendUtf8(buf_, cp);
}

void TXmlParser::PushUnit(uint16_t unit) {
  if (state_.pendingHigh != 0) {
    const uint16_t high = state_.pendingHigh;
    state_.pendingHigh = 0;
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      PushCodePoint(0x10000 + ((uint32_t(high) - 0xD800) << 10) + (unit - 0xDC00u));
      return;
    }
    PushCodePoint(0xFFFD);
  }
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    state_.pendingHigh = unit;
  } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
    PushCodePoint(0xFFFD);
  } else {
    PushCodePoint(unit);
  }
}

void TXmlParser::DecodeBytes(const unsigned char* p, size_t n) {
  switch (state_.encoding) {
    case seUTF16LE:
    case seUTF16BE: {
      const bool be = state_.encoding == seUTF16BE;
      size_t i = 0;
      if (state_.pendingByte >= 0 && n > 0) {
        const auto a = static_cast<unsigned char>(state_.pendingByte);
        state_.pendingByte = -1;
        PushUnit(be ? uint16_t(a << 8 | p[0]) : uint16_t(p[0] << 8 | a));
        i = 1;
      }
      for (; i + 1 < n; i += 2) PushUnit(be ? uint16_t(p[i] << 8 | p[i + 1]) : uint16_t(p[i + 1] << 8 | p[i]));
      if (i < n) state_.pendingByte = p[i];
      return;
    }
    case seAnsi:
      if (state_.codePage != 0 && state_.codePage != 65001) {
        size_t i = 0;
        while (i < n) {
          size_t run = i;
          while (run < n && p[run] < 0x80) ++run;
          AppendFolded(reinterpret_cast<const char*>(p + i), run - i);
          for (i = run; i < n && p[i] >= 0x80; ++i) {
            state_.lastCR = false;
            buf_ += ansi_[p[i] - 0x80];
          }
        }
        return;
      }
      [[fallthrough]];
    default: AppendFolded(reinterpret_cast<const char*>(p), n);
  }
}

void TXmlParser::PrepareAnsiTable() {
  if (ansiFor_ == state_.codePage) return;
  ansiFor_ = state_.codePage;
  // Each byte is converted on its own, as the system converts one byte. A code page in which
  // some byte means nothing on its own (a lead byte of a two-byte character), or whose text may
  // switch state with plain ASCII bytes, is converted as a whole instead: byte by byte would
  // turn every Japanese or Chinese character into two broken ones.
  multiByte_ = IsMultiByteCodePage(state_.codePage);
  if (multiByte_) return;
  for (unsigned b = 0x80; b <= 0xFF; ++b) {
    const char byte = static_cast<char>(b);
    auto text = CodePageToUtf8(state_.codePage, std::string_view(&byte, 1));
    ansi_[b - 0x80] = text && !text->empty() ? std::move(*text) : std::string("\xEF\xBF\xBD");
  }
}

void TXmlParser::SwitchEncoding(TXmlStringEncoding encoding, uint32_t codePage) {
  if (encoding == state_.encoding && codePage == state_.codePage) return;
  if (halted_) return;
  // Text converted as a whole has no chunks to go back to: it stays as it is.
  const bool whole = state_.encoding == seAnsi && multiByte_ && state_.codePage != 0 && state_.codePage != 65001;
  const size_t absPos = discarded_ + pos_;
  if (!whole && pos_ < buf_.size() && !records_.empty()) {
    // Go back to the start of the chunk being read and decode it again with the new setting.
    size_t r = records_.size();
    while (r > 1 && records_[r - 1].decodedStart > absPos) --r;
    const FillRecord rec = records_[r - 1];
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(r - 1), records_.end());
    buf_.resize(rec.decodedStart - discarded_);
    raw_ = rec.rawStart;
    state_ = rec.state;
    for (;;) {
      const size_t chunkBuf = buf_.size();
      const size_t chunkRaw = raw_;
      const DecoderState chunkState = state_;
      DecodeChunk();
      if (buf_.size() > pos_ || raw_ >= in_.size()) {
        buf_.resize(chunkBuf);
        raw_ = chunkRaw;
        state_ = chunkState;
        break;
      }
    }
  }
  lineAt_ = lineCount_ = 0;  // the text after the chunk start may read differently now
  state_.encoding = encoding;
  state_.codePage = codePage;
  state_.pendingByte = -1;
  state_.pendingHigh = 0;
  if (encoding == seAnsi && codePage != 0 && codePage != 65001) PrepareAnsiTable();
  while (pos_ > buf_.size() && Fill()) {
  }
  if (pos_ > buf_.size()) pos_ = buf_.size();
}

void TXmlParser::Compact() {
  // Drop the text already parsed, keeping the decoded run that holds the position (a later
  // encoding switch may decode it again).
  const size_t absPos = discarded_ + pos_;
  size_t r = records_.size();
  while (r > 1 && records_[r - 1].decodedStart > absPos) --r;
  if (r == 0) return;
  const size_t cut = records_[r - 1].decodedStart - discarded_;
  if (cut < kCompactAt) return;
  if (HasSink()) {
    Line();  // brings the count up to pos_, beyond the cut
    size_t counted = 0;
    for (size_t i = 0; i < cut; ++i) counted += buf_[i] == '\n';
    linesDiscarded_ += counted;
    lineCount_ -= counted;
    lineAt_ -= cut;
  }
  buf_.erase(0, cut);
  discarded_ += cut;
  pos_ -= cut;
  records_.erase(records_.begin(), records_.begin() + static_cast<std::ptrdiff_t>(r - 1));
}

bool TXmlParser::Match(std::string_view literal, bool ignoreCase) {
  if (!Ensure(literal.size())) return false;
  for (size_t i = 0; i < literal.size(); ++i) {
    const char c = buf_[pos_ + i];
    if (ignoreCase ? AsciiLower(c) != AsciiLower(literal[i]) : c != literal[i]) return false;
  }
  pos_ += literal.size();
  return true;
}

std::string_view TXmlParser::ReadUntil(char stop) {
  const size_t start = pos_;
  for (;;) {
    const char* b = buf_.data();
    const void* hit = std::memchr(b + pos_, stop, buf_.size() - pos_);
    if (hit) {
      pos_ = static_cast<size_t>(static_cast<const char*>(hit) - b);
      return View(start);
    }
    pos_ = buf_.size();
    if (!Fill()) return View(start);
  }
}

std::string_view TXmlParser::ReadUntilAny(const ByteSet& stops) {
  const size_t start = pos_;
  for (;;) {
    const size_t size = buf_.size();
    const char* b = buf_.data();
    while (pos_ < size && !stops(b[pos_])) ++pos_;
    if (pos_ < size || !Fill()) return View(start);
  }
}

std::string_view TXmlParser::SkipBlanks() {
  const size_t start = pos_;
  for (;;) {
    const size_t size = buf_.size();
    while (pos_ < size && IsBlank(static_cast<unsigned char>(buf_[pos_]))) ++pos_;
    if (pos_ < size || !Fill()) return View(start);
  }
}

bool TXmlParser::ReadUntilTerminator(std::string_view terminator, size_t& start, size_t& end) {
  start = pos_;
  size_t scan = pos_;
  for (;;) {
    const char* b = buf_.data();
    const void* hit = std::memchr(b + scan, terminator[0], buf_.size() - scan);
    if (!hit) {
      scan = buf_.size();
      if (!Fill()) break;
      continue;
    }
    const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - b);
    while (buf_.size() - at < terminator.size()) {
      if (!Fill()) break;
    }
    if (buf_.size() - at < terminator.size()) break;
    bool same = true;
    for (size_t i = 1; i < terminator.size() && same; ++i)
      same = AsciiLower(buf_[at + i]) == AsciiLower(terminator[i]);
    if (same) {
      end = at;
      pos_ = at + terminator.size();
      return true;
    }
    scan = at + 1;
  }
  pos_ = buf_.size();
  end = pos_;
  return false;
}

bool TXmlParser::ReadQuoted(TXmlQuotedText* target, const TXmlNode* sender) {
  SkipBlanks();
  const int q = Peek();
  if (q != '"' && q != '\'') {
    if (HasSink()) Report(sender, wsWarn, "quote char expected at pos %d", Pos());
    return false;
  }
  Next();
  target->SetRawText(ReadUntil(static_cast<char>(q)));
  target->SetQuoteStyle(q == '\'' ? qsApos : qsQuote);
  Next();
  return true;
}

// ---- structure -------------------------------------------------------------------------------

TXmlElementType TXmlParser::Recognize() {
  Next();  // "<"
  const int c = Peek();
  if (c == '!') {
    Next();
    if (Match("--", false)) return lastTag_ = "!--", xeComment;
    if (Match("[CDATA[", true)) return lastTag_ = "![CDATA[", xeCData;
    if (Match("DOCTYPE", true)) return lastTag_ = "!DOCTYPE", xeDocType;
    if (Match("ELEMENT", true)) return lastTag_ = "!ELEMENT", xeDtdElement;
    if (Match("ATTLIST", true)) return lastTag_ = "!ATTLIST", xeDtdAttList;
    if (Match("ENTITY", true)) return lastTag_ = "!ENTITY", xeDtdEntity;
    if (Match("NOTATION", true)) return lastTag_ = "!NOTATION", xeDtdNotation;
    if (HasSink()) {
      snippet_ = Snippet();
      snippet_.insert(snippet_.begin(), '!');
      lastTag_ = snippet_;
      Report(nullptr, wsFail, "illegal tag (\"%s\") at pos %d", snippet_.c_str(), Pos());
    }
    return xeError;
  }
  if (c == '/') {
    Next();
    return lastTag_ = "/", xeEndTag;
  }
  if (c == '?') {
    Next();
    if (Match("xml", true)) {
      if (Match("-stylesheet", true)) return lastTag_ = "?xml-stylesheet", xeStylesheet;
      return lastTag_ = "?xml", xeDeclaration;
    }
    return lastTag_ = "?", xeInstruction;
  }
  return lastTag_ = "", xeElement;
}

TXmlNode* TXmlParser::NewNodeOf(TXmlElementType kind) {
  switch (kind) {
    case xeElement: return doc_.NewNode<TXmlElement>();
    case xeComment: return doc_.NewNode<TXmlComment>();
    case xeCData: return doc_.NewNode<TXmlCData>();
    case xeInstruction: return doc_.NewNode<TXmlInstruction>();
    case xeDeclaration: return doc_.NewNode<TXmlDeclaration>();
    case xeStylesheet: return doc_.NewNode<TXmlStyleSheet>();
    case xeDocType: return doc_.NewNode<TXmlDocType>();
    case xeDtdElement: return doc_.NewNode<TXmlDtdElement>();
    case xeDtdAttList: return doc_.NewNode<TXmlDtdAttList>();
    case xeDtdEntity: return doc_.NewNode<TXmlDtdEntity>();
    case xeDtdNotation: return doc_.NewNode<TXmlDtdNotation>();
    default: return nullptr;
  }
}

void TXmlParser::AppendText(TXmlContainerNode* parent, std::string_view text) {
  TXmlCharData* node;
  if (doc_.PreserveWhiteSpace() && AllBlank(text)) {
    node = doc_.NewNode<TXmlWhiteSpace>();
  } else {
    node = doc_.NewNode<TXmlCharData>();
  }
  node->SetRawText(text);
  if (parent) {
    parent->AppendSubNode(node);
  } else {
    doc_.AppendRootNode(node);
  }
}

int TXmlParser::ParseAttributeList(TXmlContainerNode* node) {
  while (!doc_.AbortParsing) {
    const std::string_view blanks = SkipBlanks();
    if (!blanks.empty() && blanks != " ") {
      if (doc_.PreserveWhiteSpace()) {
        TXmlWhiteSpace* ws = doc_.NewNode<TXmlWhiteSpace>();
        ws->SetRawText(blanks);
        node->AppendDirectNode(ws);
      }
      if (HasSink()) Report(node, wsHint, "non-default chardata at line %d (pos %d)", Line(), Pos());
    }
    const int c = Next();
    if (c < 0) return -1;
    if (c == '!' || c == '/' || c == '>' || c == '?') return c;
    if (c == '"' || c == '\'') {
      if (HasSink()) Report(node, wsWarn, "illegal quote at pos %d", Pos());
      continue;
    }
    Back();
    TXmlAttribute* attr = doc_.NewNode<TXmlAttribute>();
    attr->SetName(StripBoth(ReadUntil('=')));
    node->AppendDirectNode(attr);
    if (Next() < 0) return -1;  // no "=" before the end: the attribute stays without value
    SkipBlanks();
    const int q = Peek();
    if (q == '"' || q == '\'') {
      Next();
      TXmlQuotedText* value = attr->ValueNode();
      value->SetRawText(ReadUntil(static_cast<char>(q)));
      value->SetQuoteStyle(q == '\'' ? qsApos : qsQuote);
      Next();
    } else if (HasSink()) {
      Report(attr, wsWarn, "quote char expected at pos %d", Pos());
    }
  }
  return -1;
}

bool TXmlParser::ParseStartTag(TXmlElement* element) {
  Compact();
  element->SetName(StripBoth(ReadUntilAny(kTagNameStop)));
  const int end = ParseAttributeList(element);
  if (end == '>') return true;
  if (end == '/' && Peek() == '>') {
    Next();
    element->closing_ = ncClose;
    return false;
  }
  if (HasSink())
    Report(element, wsWarn, "illegal end tag (\"%s\") at line %d (streampos %d)",
           std::string(element->Name()).c_str(), Line(), Pos());
  return false;
}

void TXmlParser::ParseElement(TXmlElement* element) {
  if (ParseStartTag(element)) RunContent(element);
}

void TXmlParser::RunContent(TXmlElement* top) {
  std::vector<TXmlElement*> open{top};
  while (!open.empty()) {
    TXmlElement* cur = open.back();
    {
      std::string_view text = ReadUntil('<');
      if (!doc_.PreserveWhiteSpace()) text = StripRight(text);
      if (!text.empty()) AppendText(cur, text);
    }
    if (AtEnd()) {
      // The innermost element reports it; the ones around it end with it.
      Report(cur, wsFail, "stream terminated prematurely at pos %d", Pos());
      return;
    }
    const TXmlElementType kind = Recognize();
    switch (kind) {
      case xeEndTag: {
        const std::string_view name = StripBoth(ReadUntil('>'));
        cur->closing_ = ncFull;
        if (name != cur->Name() && HasSink()) {
          Report(cur, wsWarn, "begin and end tag mismatch: \"%s\" and \"%s\" at line %d (pos %d)",
                 std::string(cur->Name()).c_str(), std::string(name).c_str(), Line(), Pos());
        }
        Next();  // ">"
        open.pop_back();
        break;
      }
      case xeElement: {
        TXmlElement* child = doc_.NewNode<TXmlElement>();
        cur->AppendSubNode(child);
        if (ParseStartTag(child)) {
          if (open.size() >= static_cast<size_t>(kXmlMaxDepth)) {
            Report(child, wsFail, "elements nested deeper than %d levels at pos %d", kXmlMaxDepth, Pos());
            stopped_ = true;
            return;
          }
          open.push_back(child);
          continue;  // the child's content comes first
        }
        break;
      }
      case xeComment:
      case xeCData:
      case xeInstruction: {
        TXmlNode* node = NewNodeOf(kind);
        cur->AppendSubNode(node);
        node->ParseStream(*this);
        if (kind == xeComment && doc_.DropCommentsOnParse) cur->RemoveNode(node);
        break;
      }
      default: {
        // Markup that has no place inside an element: it ends the element and, one after the
        // other, the elements around it; reading goes on at document level.
        if (HasSink()) {
          const std::string tag(lastTag_);
          Report(cur, wsWarn, "illegal tag (\"%s\") at pos %d", tag.c_str(), Pos());
        }
        std::string sub(cur->Name());
        open.pop_back();
        while (!open.empty()) {
          if (HasSink())
            Report(open.back(), wsWarn,
                   "level mismatch between subnode \"%s\" and endnode \"%s\" at line %d (pos %d)",
                   sub.c_str(), "nil", Line(), Pos());
          sub = std::string(open.back()->Name());
          open.pop_back();
        }
        return;
      }
    }
    if (doc_.AbortParsing || AtEnd()) return;
  }
}

void TXmlParser::ParseDeclaration(TXmlDeclaration* decl) {
  const int end = ParseAttributeList(decl);
  if (end == '?' && Peek() == '>') {
    Next();
    if (Peek() == '\n') Next();
    return;
  }
  if (HasSink())
    Report(decl, wsWarn, "illegal end tag (\"%s\") at line %d (streampos %d)",
           std::string(decl->Name()).c_str(), Line(), Pos());
}

void TXmlParser::ParseDocType(TXmlDocType* doctype) {
  SkipBlanks();
  doctype->SetName(ReadUntilAny(kDtdNameStop));
  SkipBlanks();
  const int c = Peek();
  if (c != '[' && c != '>') {
    if (Match("SYSTEM", true)) {
      doctype->ExternalID()->SetRawText("SYSTEM");
      ReadQuoted(doctype->SystemLiteral(), doctype);
    } else if (Match("PUBLIC", true)) {
      doctype->ExternalID()->SetRawText("PUBLIC");
      ReadQuoted(doctype->PubIDLiteral(), doctype);
      ReadQuoted(doctype->SystemLiteral(), doctype);
    } else {
      if (HasSink()) Report(doctype, wsWarn, "illegal tag (\"%s\") at pos %d", Snippet().c_str(), Pos());
      return;
    }
  }
  SkipBlanks();
  if (Peek() == '[') {
    Next();
    if (!RunSubset(doctype)) return;
  }
  SkipBlanks();
  if (Peek() == '>') {
    Next();
  } else if (HasSink()) {
    Report(doctype, wsWarn, "illegal tag (\"%s\") at pos %d", Snippet().c_str(), Pos());
  }
}

bool TXmlParser::RunSubset(TXmlDocType* doctype) {
  while (!doc_.AbortParsing) {
    {
      std::string_view text = ReadUntilAny(kSubsetTextStop);
      if (!doc_.PreserveWhiteSpace()) text = StripRight(text);
      if (!text.empty()) AppendText(doctype, text);
    }
    if (AtEnd()) {
      Report(doctype, wsFail, "stream terminated prematurely at pos %d", Pos());
      return false;
    }
    if (Peek() == ']') {
      Next();
      return true;
    }
    const TXmlElementType kind = Recognize();
    switch (kind) {
      case xeComment:
      case xeInstruction:
      case xeDtdElement:
      case xeDtdAttList:
      case xeDtdEntity:
      case xeDtdNotation: {
        TXmlNode* node = NewNodeOf(kind);
        doctype->AppendSubNode(node);
        node->ParseStream(*this);
        if (kind == xeComment && doc_.DropCommentsOnParse) doctype->RemoveNode(node);
        break;
      }
      default:
        if (HasSink()) {
          const std::string tag = kind == xeElement ? Snippet() : std::string(lastTag_);
          Report(doctype, wsWarn, "illegal tag (\"%s\") at pos %d", tag.c_str(), Pos());
        }
        return false;
    }
  }
  return false;
}

void TXmlParser::ParseDtdDeclaration(TXmlDtdElement* decl) {
  SkipBlanks();
  decl->SetName(ReadUntilAny(kDtdNameStop));
  SkipBlanks();
  TXmlCharData* body = doc_.NewNode<TXmlCharData>();
  body->SetRawText(ReadUntil('>'));
  decl->AppendSubNode(body);
  if (Next() < 0) Report(decl, wsWarn, "stream terminated prematurely at pos %d", Pos());
}

void TXmlParser::ParseDtdEntity(TXmlDtdEntity* entity) {
  SkipBlanks();
  entity->SetName(ReadUntilAny(kDtdNameStop));
  for (;;) {
    SkipBlanks();
    const int c = Peek();
    if (c < 0 || c == '!' || c == '/' || c == '>') break;
    if (c == '"' || c == '\'') {
      TXmlQuotedText* literal = doc_.NewNode<TXmlQuotedText>();
      ReadQuoted(literal, entity);
      entity->AppendSubNode(literal);
    } else {
      // A bare word ("SYSTEM", "NDATA", a parameter entity's name) is kept as text so that
      // writing the declaration back loses nothing.
      if (HasSink()) Report(entity, wsWarn, "quote char expected at pos %d", Pos());
      static const ByteSet kWordStop("\t\n\r \"'!/>");
      const std::string_view text = ReadUntilAny(kWordStop);
      if (text.empty()) break;  // cannot happen with the checks above; never loop without progress
      TXmlCharData* word = doc_.NewNode<TXmlCharData>();
      word->SetRawText(text);
      entity->AppendSubNode(word);
    }
  }
  const int end = Next();
  if (end != '>' && HasSink())
    Report(entity, wsFail, "illegal end tag (\"%s\") at line %d (streampos %d)",
           std::string(entity->Name()).c_str(), Line(), Pos());
}

void TXmlParser::ParseTerminated(TXmlCharData* node, std::string_view terminator) {
  size_t start = 0, end = 0;
  if (ReadUntilTerminator(terminator, start, end)) {
    node->SetRawText(std::string_view(buf_).substr(start, end - start));
  } else {
    Report(node, wsWarn, "stream terminated prematurely at pos %d", Pos());
  }
}

void TXmlParser::OnDeclaration(TXmlNode* decl) {
  declaredEncoding_ = decl->AttributeValueByName("encoding");
  if (!doc_.SetParserEncodingAfterReadDeclaration) return;
  TXmlStringEncoding encoding;
  uint32_t codePage;
  EncodingFromName(declaredEncoding_, encoding, codePage);
  if (encodingFixed_) {
    if (encoding != state_.encoding)
      Report(decl, wsHint, "encoding \"%s\" ignored: the byte-order mark decides", declaredEncoding_.c_str());
    return;
  }
  SwitchEncoding(encoding, codePage);
}

void TXmlParser::Run() {
  if (DetectEncoding()) {
    while (!doc_.AbortParsing) {
      {
        std::string_view text = ReadUntil('<');
        if (!doc_.PreserveWhiteSpace()) text = StripBoth(text);
        if (!text.empty()) AppendText(nullptr, text);
      }
      if (AtEnd()) break;
      const TXmlElementType kind = Recognize();
      if (kind == xeError) {
        if (HasSink()) Report(nullptr, wsWarn, "illegal tag (\"%s\") at pos %d", snippet_.c_str(), Pos());
        stopped_ = true;
        break;
      }
      if (kind == xeEndTag) {
        if (HasSink()) Report(nullptr, wsWarn, "unsupported tag (\"%s\") at pos %d", Snippet().c_str(), Pos());
        stopped_ = true;
        break;
      }
      TXmlNode* node = NewNodeOf(kind);
      doc_.AppendRootNode(node);
      node->ParseStream(*this);
      if (stopped_) break;
      if (kind == xeDeclaration) {
        OnDeclaration(node);
      } else if (kind == xeComment && doc_.DropCommentsOnParse) {
        doc_.RemoveRootNode(node);
      }
    }
  }
  if (!stopped_) EncodingFromName(declaredEncoding_, state_.encoding, state_.codePage);
  doc_.externalEncoding_ = state_.encoding;
  doc_.externalCodepage_ = state_.codePage;
}

// ---- diagnostics -----------------------------------------------------------------------------

int TXmlParser::Line() {
  // Counted on from the last place asked about, so many diagnostics stay cheap.
  const size_t end = std::min(pos_, buf_.size());
  if (lineAt_ > end) lineAt_ = 0, lineCount_ = 0;
  for (; lineAt_ < end; ++lineAt_) lineCount_ += buf_[lineAt_] == '\n';
  return static_cast<int>(linesDiscarded_ + lineCount_ + 1);
}

std::string TXmlParser::Snippet() {
  Ensure(16);
  const size_t n = std::min<size_t>(16, buf_.size() - std::min(pos_, buf_.size()));
  std::string s = buf_.substr(std::min(pos_, buf_.size()), n);
  const size_t cut = s.find_first_of("<>\n");
  return cut == std::string::npos ? s : s.substr(0, cut);
}

void TXmlParser::Report(const TXmlNode* sender, TXmlWarnStyle style, const char* format, ...) {
  if (!HasSink()) return;
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  doc_.Debug(sender, style, text);
}

// ---- the nodes that read themselves ----------------------------------------------------------

void TXmlElement::ParseStream(TXmlParser& parser) { parser.ParseElement(this); }
void TXmlDeclaration::ParseStream(TXmlParser& parser) { parser.ParseDeclaration(this); }
void TXmlDocType::ParseStream(TXmlParser& parser) { parser.ParseDocType(this); }
void TXmlDtdElement::ParseStream(TXmlParser& parser) { parser.ParseDtdDeclaration(this); }
void TXmlDtdEntity::ParseStream(TXmlParser& parser) { parser.ParseDtdEntity(this); }
void TXmlComment::ParseStream(TXmlParser& parser) { parser.ParseTerminated(this, "-->"); }
void TXmlCData::ParseStream(TXmlParser& parser) { parser.ParseTerminated(this, "]]>"); }
void TXmlInstruction::ParseStream(TXmlParser& parser) { parser.ParseTerminated(this, "?>"); }

void TXmlDocument::LoadFromStream(std::string_view bytes) {
  Clear();
  AbortParsing = false;
  TXmlParser parser(*this, bytes);
  parser.Run();
}

}  // namespace pictara
