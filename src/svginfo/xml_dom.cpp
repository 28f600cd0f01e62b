// The node classes and the document: names, values, lookups, tree edits, the string table.
#include "svginfo/xml_dom.h"

#include <algorithm>
#include <cstring>

#include "base/ascii.h"
#include "platform/codepage.h"
#include "base/utf.h"
#include "svginfo/xml_codepages.h"

namespace pictara {
namespace {

bool IsAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Names compared as the system compares texts, without regard to letter case. Plain ASCII names
// (nearly all of them) need no trip to the platform.
bool NamesEqualIgnoreCase(std::string_view a, std::string_view b) {
  if (a == b) return true;
  if (IsAscii(a) && IsAscii(b)) return EqualsIgnoreAsciiCase(a, b);
  return CompareTextIgnoreCase(a, b) == 0;
}

// The character a reference between "&" and ";" stands for; -1 when it is not one we replace.
int32_t ReferenceChar(std::string_view ref) {
  if (ref == "lt") return '<';
  if (ref == "gt") return '>';
  if (ref == "amp") return '&';
  if (ref == "quot") return '"';
  if (ref == "apos") return '\'';
  if (ref.size() < 2 || ref[0] != '#') return -1;
  uint32_t value = 0;
  if (ref[1] == 'x' || ref[1] == 'X') {
    if (ref.size() < 3) return -1;
    for (size_t i = 2; i < ref.size(); ++i) {
      const char c = ref[i];
      int d;
      if (c >= '0' && c <= '9') d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else return -1;
      value = value * 16 + static_cast<uint32_t>(d);
      if (value > 0xFFFF) return -1;
    }
  } else {
    for (size_t i = 1; i < ref.size(); ++i) {
      const char c = ref[i];
      if (c < '0' || c > '9') return -1;
      value = value * 10 + static_cast<uint32_t>(c - '0');
      if (value > 0xFFFF) return -1;
    }
  }
  // A lone surrogate cannot be written as UTF-8; it stands for a broken character.
  if (value >= 0xD800 && value <= 0xDFFF) value = 0xFFFD;
  return static_cast<int32_t>(value);
}

// Line ends first (LF to the document's style), then the references.
std::string ConvertedText(std::string_view raw, std::string_view lineEnd) {
  if (raw.find_first_of("\n&") == std::string_view::npos) return std::string(raw);
  std::string out;
  out.reserve(raw.size() + 16);
  // The next ";" is looked up once per stretch, so a text full of "&" without ";" stays linear.
  size_t semi = 0;
  for (size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '\n') {
      out.append(lineEnd);
    } else if (c == '&') {
      if (semi != std::string_view::npos && semi <= i) semi = raw.find(';', i + 1);
      const size_t amp = semi == std::string_view::npos ? semi : raw.find('&', i + 1);
      if (semi != std::string_view::npos && (amp == std::string_view::npos || amp > semi)) {
        const int32_t ch = ReferenceChar(raw.substr(i + 1, semi - i - 1));
        if (ch >= 0) {
          AppendUtf8(out, static_cast<uint32_t>(ch));
          i = semi;
          continue;
        }
      }
      out.push_back('&');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// The raw form of a value set from outside: markup characters become references, so reading
// the value back gives what was set.
std::string EscapedRaw(std::string_view value, char quote) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += quote == '"' ? "&quot;" : "\""; break;
      case '\'': out += quote == '\'' ? "&apos;" : "'"; break;
      case '\r':
        out.push_back('\n');
        if (i + 1 < value.size() && value[i + 1] == '\n') ++i;
        break;
      default: out.push_back(c);
    }
  }
  return out;
}

}  // namespace

// ---- encodings -------------------------------------------------------------------------------

std::string_view XmlEncodingName(TXmlStringEncoding encoding) {
  switch (encoding) {
    case seAnsi: return "ansi";
    case seUTF8: return "utf-8";
    case seUTF16BE: return "unicodeFFFE";
    case seUTF16LE: return "utf-16";
    case seUTF32BE: return "utf-32BE";
    case seUTF32LE: return "utf-32";
    case seUCS4_2143: return "ucs4_2143";
    case seUCS4_3412: return "ucs4_3412";
    case seEBCDIC: return "ebcdic";
  }
  return "";
}

uint32_t XmlEncodingCodePage(TXmlStringEncoding encoding) {
  switch (encoding) {
    case seUTF8: return 65001;
    case seUTF16BE: return 1201;
    case seUTF16LE: return 1200;
    case seUTF32BE: return 12001;
    case seUTF32LE: return 12000;
    default: return 0;
  }
}

uint32_t XmlCodePageFromName(std::string_view name) {
  for (size_t i = 0; i < kXmlCodePageNameCount; ++i) {
    if (EqualsIgnoreAsciiCase(name, kXmlCodePageNames[i].name)) return kXmlCodePageNames[i].codePage;
  }
  return 0;
}

bool IsXmlContainerKind(TXmlElementType kind) {
  switch (kind) {
    case xeElement:
    case xeDeclaration:
    case xeStylesheet:
    case xeDocType:
    case xeDtdElement:
    case xeDtdAttList:
    case xeDtdEntity:
    case xeDtdNotation: return true;
    default: return false;
  }
}

bool IsXmlCharDataKind(TXmlElementType kind) {
  switch (kind) {
    case xeCharData:
    case xeComment:
    case xeCData:
    case xeCondSection:
    case xeInstruction:
    case xeWhiteSpace:
    case xeQuotedText: return true;
    default: return false;
  }
}

// ---- TXmlNode --------------------------------------------------------------------------------

std::string_view TXmlNode::Name() const { return {}; }
std::string TXmlNode::Value() const { return {}; }
void TXmlNode::SetName(std::string_view) { Debug(wsWarn, "cannot set name on this type of element"); }
void TXmlNode::SetValue(std::string_view) {}
int TXmlNode::NodeCount() const { return 0; }
TXmlNode* TXmlNode::Nodes(int) const { return nullptr; }
void TXmlNode::ParseStream(TXmlParser&) {}
void TXmlNode::WriteStream(TXmlWriter&) const {}
TXmlElementType TXmlNode::ElementType() const { return xeError; }

void TXmlNode::Debug(TXmlWarnStyle style, std::string_view message) const {
  if (owner_ && owner_->OnDebugOut) owner_->Debug(this, style, std::string(message));
}

TXmlNode* TXmlNode::NodeByName(std::string_view name) const {
  const int n = NodeCount();
  for (int i = 0; i < n; ++i) {
    TXmlNode* node = Nodes(i);
    if (node && NamesEqualIgnoreCase(node->Name(), name)) return node;
  }
  return nullptr;
}

int TXmlNode::AttributeCount() const {
  int count = 0;
  const int n = NodeCount();
  for (int i = 0; i < n; ++i) count += Nodes(i)->ElementType() == xeAttribute;
  return count;
}

TXmlAttribute* TXmlNode::Attributes(int index) const {
  if (index < 0) return nullptr;
  const int n = NodeCount();
  for (int i = 0; i < n; ++i) {
    TXmlNode* node = Nodes(i);
    if (node->ElementType() == xeAttribute && index-- == 0) return static_cast<TXmlAttribute*>(node);
  }
  return nullptr;
}

TXmlAttribute* TXmlNode::AttributeByName(std::string_view name) const {
  const int n = NodeCount();
  for (int i = 0; i < n; ++i) {
    TXmlNode* node = Nodes(i);
    if (node->ElementType() == xeAttribute && NamesEqualIgnoreCase(node->Name(), name))
      return static_cast<TXmlAttribute*>(node);
  }
  return nullptr;
}

std::string TXmlNode::AttributeValueByName(std::string_view name) const {
  const TXmlAttribute* a = AttributeByName(name);
  return a ? a->Value() : std::string();
}

void TXmlNode::SetAttributeValueByName(std::string_view name, std::string_view value) {
  if (TXmlAttribute* a = AttributeByName(name)) {
    a->SetValue(value);
    return;
  }
  if (!IsXmlContainerKind(ElementType())) return;
  TXmlAttribute* a = owner_->NewNode<TXmlAttribute>();
  a->SetName(name);
  a->SetValue(value);
  static_cast<TXmlContainerNode*>(this)->AppendDirectNode(a);
}

// ---- character data --------------------------------------------------------------------------

std::string_view TXmlCharData::RawText() const { return Owner()->Str(text_); }
void TXmlCharData::SetRawText(std::string_view raw) { text_ = Owner()->Intern(raw); }
std::string TXmlCharData::Value() const { return ConvertedText(RawText(), Owner()->LineEnd()); }
void TXmlCharData::SetValue(std::string_view value) { SetRawText(EscapedRaw(value, 0)); }
void TXmlQuotedText::SetValue(std::string_view value) { SetRawText(EscapedRaw(value, QuoteChar())); }

// ---- attribute -------------------------------------------------------------------------------

TXmlAttribute::TXmlAttribute(TXmlDocument* owner)
    : TXmlNode(owner), value_(owner->NewNode<TXmlQuotedText>()) {}
std::string_view TXmlAttribute::Name() const { return Owner()->Str(name_); }
std::string TXmlAttribute::Value() const { return value_->Value(); }
void TXmlAttribute::SetName(std::string_view name) { name_ = Owner()->Intern(name); }
void TXmlAttribute::SetValue(std::string_view value) { value_->SetValue(value); }

// ---- containers ------------------------------------------------------------------------------

TXmlNode* TXmlContainerNode::Nodes(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= nodes_.size()) return nullptr;
  return nodes_[static_cast<size_t>(index)];
}

void TXmlContainerNode::AdoptAt(size_t index, TXmlNode* node) {
  node->parent_ = this;
  nodes_.insert(nodes_.begin() + static_cast<std::ptrdiff_t>(index), node);
}

void TXmlContainerNode::AppendSubNode(TXmlNode* node) {
  node->parent_ = this;
  nodes_.push_back(node);
}

void TXmlContainerNode::AppendDirectNode(TXmlNode* node) {
  AdoptAt(static_cast<size_t>(directNodeCount_), node);
  ++directNodeCount_;
}

void TXmlContainerNode::RemoveNode(TXmlNode* node) {
  // Searched from the end: the node removed is usually the one just added.
  auto rit = std::find(nodes_.rbegin(), nodes_.rend(), node);
  if (rit == nodes_.rend()) return;
  auto it = std::next(rit).base();
  if (it - nodes_.begin() < directNodeCount_) --directNodeCount_;
  nodes_.erase(it);
  node->parent_ = nullptr;
}

std::string_view TXmlElement::Name() const { return Owner()->Str(name_); }
void TXmlElement::SetName(std::string_view name) { name_ = Owner()->Intern(name); }

std::string TXmlElement::Value() const {
  std::string out;
  for (const TXmlNode* node : nodes_) {
    const TXmlElementType kind = node->ElementType();
    if (kind == xeCharData || kind == xeCData || kind == xeWhiteSpace) out += node->Value();
  }
  return out;
}

void TXmlElement::SetValue(std::string_view value) {
  // The element's text is replaced by one text node after the remaining sub-nodes.
  for (size_t i = nodes_.size(); i-- > static_cast<size_t>(directNodeCount_);) {
    const TXmlElementType kind = nodes_[i]->ElementType();
    if (kind == xeCharData || kind == xeCData || kind == xeWhiteSpace) RemoveNode(nodes_[i]);
  }
  if (value.empty()) return;
  TXmlCharData* text = Owner()->NewNode<TXmlCharData>();
  text->SetValue(value);
  AppendSubNode(text);
}

TXmlDocType::TXmlDocType(TXmlDocument* owner)
    : TXmlContainerNode(owner),
      externalId_(owner->NewNode<TXmlCharData>()),
      pubId_(owner->NewNode<TXmlQuotedText>()),
      system_(owner->NewNode<TXmlQuotedText>()) {}
std::string_view TXmlDocType::Name() const { return Owner()->Str(name_); }
void TXmlDocType::SetName(std::string_view name) { name_ = Owner()->Intern(name); }

// ---- document --------------------------------------------------------------------------------

TXmlDocument::TXmlDocument() {
  Clear();
  AppendRootNode(NewNode<TXmlElement>());
}

TXmlDocument::~TXmlDocument() {
  for (size_t i = allNodes_.size(); i-- > 0;) allNodes_[i]->~TXmlNode();
}

namespace {
// Blocks start small (a document read for its size alone stays small) and grow to this size.
constexpr size_t kFirstBlock = 4 * 1024;
constexpr size_t kNodeBlock = 64 * 1024;
constexpr size_t kTextBlock = 64 * 1024;
}  // namespace

void TXmlDocument::Clear() {
  for (size_t i = allNodes_.size(); i-- > 0;) allNodes_[i]->~TXmlNode();
  allNodes_.clear();
  rootNodes_.clear();
  // Keep one block of each kind: a reload of a small document allocates little.
  if (blocks_.size() > 1) blocks_.resize(1);
  blockUsed_ = 0;
  blockSize_ = blocks_.empty() ? 0 : kFirstBlock;
  if (textBlocks_.size() > 1) textBlocks_.resize(1);
  bigTexts_.clear();
  textUsed_ = 0;
  textSize_ = textBlocks_.empty() ? 0 : kFirstBlock;
  strings_.clear();
  strings_.push_back(std::string_view());
  hashes_.clear();
  hashes_.push_back(0);
  slots_.assign(256, 0);
}

void* TXmlDocument::Allocate(size_t size, size_t align) {
  // Blocks come from new[] and are aligned for any node; aligning the offset is enough.
  size_t at = (blockUsed_ + align - 1) & ~(align - 1);
  if (at + size > blockSize_) {
    const size_t n = blocks_.empty() ? kFirstBlock : std::min(kNodeBlock, blockSize_ * 2);
    blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(n));
    blockSize_ = n;
    at = 0;
  }
  blockUsed_ = at + size;
  return blocks_.back().get() + at;
}

uint32_t TXmlDocument::Intern(std::string_view text) {
  if (text.empty()) return 0;
  const size_t h = std::hash<std::string_view>()(text);
  const size_t mask = slots_.size() - 1;
  size_t i = h & mask;
  for (;;) {
    const uint32_t s = slots_[i];
    if (s == 0) break;
    if (hashes_[s - 1] == h && strings_[s - 1] == text) return s - 1;
    i = (i + 1) & mask;
  }
  // Store a copy: long texts (path data) in an allocation of their own, short ones packed.
  char* dst;
  if (text.size() > kTextBlock / 4) {
    bigTexts_.push_back(std::make_unique_for_overwrite<char[]>(text.size()));
    dst = bigTexts_.back().get();
  } else {
    if (textUsed_ + text.size() > textSize_) {
      size_t n = textBlocks_.empty() ? kFirstBlock : std::min(kTextBlock, textSize_ * 2);
      while (n < text.size()) n *= 2;
      textBlocks_.push_back(std::make_unique_for_overwrite<char[]>(n));
      textSize_ = n;
      textUsed_ = 0;
    }
    dst = textBlocks_.back().get() + textUsed_;
    textUsed_ += text.size();
  }
  std::memcpy(dst, text.data(), text.size());
  const auto id = static_cast<uint32_t>(strings_.size());
  strings_.emplace_back(dst, text.size());
  hashes_.push_back(h);
  slots_[i] = id + 1;
  if (strings_.size() * 2 > slots_.size()) {
    std::vector<uint32_t> bigger(slots_.size() * 2, 0);
    const size_t m = bigger.size() - 1;
    for (uint32_t s = 1; s < strings_.size(); ++s) {
      size_t k = hashes_[s] & m;
      while (bigger[k] != 0) k = (k + 1) & m;
      bigger[k] = s + 1;
    }
    slots_.swap(bigger);
  }
  return id;
}

std::string_view TXmlDocument::LineEnd() const {
  switch (EolStyle) {
    case esLF: return "\n";
    case esCR: return "\r";
    case esCRLF: break;
  }
  return "\r\n";
}

void TXmlDocument::AppendRootNode(TXmlNode* node) {
  node->parent_ = nullptr;
  rootNodes_.push_back(node);
}

void TXmlDocument::InsertRootNode(size_t index, TXmlNode* node) {
  node->parent_ = nullptr;
  index = std::min(index, rootNodes_.size());
  rootNodes_.insert(rootNodes_.begin() + static_cast<std::ptrdiff_t>(index), node);
}

void TXmlDocument::RemoveRootNode(TXmlNode* node) {
  auto rit = std::find(rootNodes_.rbegin(), rootNodes_.rend(), node);
  if (rit != rootNodes_.rend()) rootNodes_.erase(std::next(rit).base());
}

TXmlNode* TXmlDocument::RootNode(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= rootNodes_.size()) return nullptr;
  return rootNodes_[static_cast<size_t>(index)];
}

bool TXmlDocument::IsEmpty() const {
  const TXmlElement* root = Root();
  if (!root) return true;
  return root->NodeCount() == 0 && root->Name().empty() && root->Value().empty();
}

std::string TXmlDocument::CommentString() const {
  for (const TXmlNode* node : rootNodes_) {
    if (node->ElementType() == xeComment) return node->Value();
  }
  return {};
}

TXmlElement* TXmlDocument::Root() const {
  for (TXmlNode* node : rootNodes_) {
    if (node->ElementType() == xeElement) return static_cast<TXmlElement*>(node);
  }
  return nullptr;
}

TXmlDeclaration* TXmlDocument::Declaration() const {
  for (TXmlNode* node : rootNodes_) {
    if (node->ElementType() == xeDeclaration) return static_cast<TXmlDeclaration*>(node);
  }
  return nullptr;
}

TXmlDocType* TXmlDocument::DocType() const {
  for (TXmlNode* node : rootNodes_) {
    if (node->ElementType() == xeDocType) return static_cast<TXmlDocType*>(node);
  }
  return nullptr;
}

void TXmlDocument::SetXmlFormat(TXmlFormatType format) {
  if (format == format_) return;
  if (format_ == xfPreserve) RemoveWhiteSpaceNodes();
  format_ = format;
}

void TXmlDocument::RemoveWhiteSpaceNodes() {
  auto isWhite = [](const TXmlNode* n) { return n->ElementType() == xeWhiteSpace; };
  rootNodes_.erase(std::remove_if(rootNodes_.begin(), rootNodes_.end(), isWhite), rootNodes_.end());
  // Every container is among the allocated nodes: no walk down the tree is needed.
  for (TXmlNode* node : allNodes_) {
    if (!IsXmlContainerKind(node->ElementType())) continue;
    auto* c = static_cast<TXmlContainerNode*>(node);
    int direct = 0;
    for (int i = 0; i < c->directNodeCount_; ++i) direct += !isWhite(c->nodes_[static_cast<size_t>(i)]);
    c->nodes_.erase(std::remove_if(c->nodes_.begin(), c->nodes_.end(), isWhite), c->nodes_.end());
    c->directNodeCount_ = direct;
  }
}

void TXmlDocument::SetExternalEncoding(TXmlStringEncoding encoding) {
  const uint32_t codePage = XmlEncodingCodePage(encoding);
  if (codePage == 0) {
    Debug(nullptr, wsFail,
          "external encoding \"" + std::string(XmlEncodingName(encoding)) +
              "\" is not allowed (use ExternalCodepage)");
    return;
  }
  externalEncoding_ = encoding;
  externalCodepage_ = codePage;
  TXmlNode* decl = rootNodes_.empty() ? nullptr : rootNodes_.front();
  if (!decl || decl->ElementType() != xeDeclaration) {
    decl = NewNode<TXmlDeclaration>();
    InsertRootNode(0, decl);
  }
  decl->SetAttributeValueByName("encoding", XmlEncodingName(encoding));
}

std::string TXmlDocument::SaveToString() {
  TXmlStringStream s;
  SaveToStream(s);
  return std::move(s.text);
}

}  // namespace pictara
