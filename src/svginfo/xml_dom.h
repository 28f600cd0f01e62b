// A small, tolerant XML reader and writer.
//
// Bytes in, a tree of nodes and optional diagnostics out; malformed input never throws, the tree
// keeps whatever was read before the reader gave up. Names and texts are UTF-8 and interned in
// one string table per document. Every node keeps the raw text it was read with, so writing the
// tree back (re-indenting it) reproduces references, quote characters and comments as they were.
//
// Nodes live as long as their document (they are allocated from it and freed with it, never one
// by one), so a pointer to a node stays valid until the document is reloaded or destroyed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace pictara {

// Node kinds. The numeric order is fixed: callers compare kinds.
enum TXmlElementType : uint8_t {
  xeElement,
  xeAttribute,
  xeCharData,
  xeComment,
  xeCData,
  xeCondSection,
  xeDeclaration,
  xeStylesheet,
  xeDocType,
  xeDtdElement,
  xeDtdAttList,
  xeDtdEntity,
  xeDtdNotation,
  xeInstruction,
  xeWhiteSpace,
  xeQuotedText,
  xeEndTag,
  xeError,
};

enum TXmlNodeClosingStyle : uint8_t { ncDefault, ncFull, ncClose };
enum TXmlQuoteCharStyle : uint8_t { qsQuote, qsApos };
enum TXmlFormatType : uint8_t { xfCompact, xfReadable, xfPreserve };
enum TXmlEolStyle : uint8_t { esLF, esCRLF, esCR };
enum TXmlStringEncoding : uint8_t {
  seAnsi,
  seUTF8,
  seUTF16BE,
  seUTF16LE,
  seUTF32BE,
  seUTF32LE,
  seUCS4_2143,
  seUCS4_3412,
  seEBCDIC,
};
enum TXmlWarnStyle : uint8_t { wsInfo, wsHint, wsWarn, wsFail };

// "utf-8", "utf-16", ... and the code page of an encoding (0 for those without one).
std::string_view XmlEncodingName(TXmlStringEncoding encoding);
uint32_t XmlEncodingCodePage(TXmlStringEncoding encoding);

// The code page registered under an encoding name (letter case ignored, first match wins);
// 0 for a name the table does not hold.
uint32_t XmlCodePageFromName(std::string_view name);

// Kinds of the container family (element, declaration, DOCTYPE, DTD declarations) and of the
// character-data family (text, whitespace, quoted text, comment, CDATA, instruction).
bool IsXmlContainerKind(TXmlElementType kind);
bool IsXmlCharDataKind(TXmlElementType kind);

class TXmlDocument;
class TXmlContainerNode;
class TXmlAttribute;
class TXmlParser;
class TXmlWriter;

using TXmlNodeList = std::vector<class TXmlNode*>;

class TXmlNode {
 public:
  TXmlNode(const TXmlNode&) = delete;
  TXmlNode& operator=(const TXmlNode&) = delete;
  virtual ~TXmlNode() = default;

  TXmlDocument* Owner() const { return owner_; }
  TXmlContainerNode* Parent() const { return parent_; }

  // The texts returned by Name stay valid while the document lives and is not reloaded.
  virtual std::string_view Name() const;
  // Line ends converted to the document's style and references replaced (kind by kind).
  virtual std::string Value() const;
  virtual void SetName(std::string_view name);
  virtual void SetValue(std::string_view value);
  virtual int NodeCount() const;
  virtual TXmlNode* Nodes(int index) const;
  virtual void ParseStream(TXmlParser& parser);
  virtual void WriteStream(TXmlWriter& writer) const;
  virtual TXmlElementType ElementType() const;

  // First entry of Nodes (attributes first) whose name equals `name` ignoring letter case.
  TXmlNode* NodeByName(std::string_view name) const;
  int AttributeCount() const;
  TXmlAttribute* Attributes(int index) const;
  TXmlAttribute* AttributeByName(std::string_view name) const;
  std::string AttributeValueByName(std::string_view name) const;
  // Sets the attribute's value, or appends a new attribute after the existing ones.
  void SetAttributeValueByName(std::string_view name, std::string_view value);

 protected:
  explicit TXmlNode(TXmlDocument* owner) : owner_(owner) {}
  void Debug(TXmlWarnStyle style, std::string_view message) const;

 private:
  friend class TXmlContainerNode;
  friend class TXmlDocument;
  TXmlDocument* owner_;
  TXmlContainerNode* parent_ = nullptr;
};

// ---- character-data family -------------------------------------------------------------------

class TXmlCharData : public TXmlNode {
 public:
  explicit TXmlCharData(TXmlDocument* owner) : TXmlNode(owner) {}
  std::string_view Name() const override { return "Text"; }
  std::string Value() const override;
  void SetValue(std::string_view value) override;  // escapes what the raw form needs
  void WriteStream(TXmlWriter& writer) const override;
  TXmlElementType ElementType() const override { return xeCharData; }

  // The text exactly as read (line ends folded to LF, references not replaced).
  std::string_view RawText() const;
  void SetRawText(std::string_view raw);

 protected:
  uint32_t text_ = 0;
};

class TXmlWhiteSpace : public TXmlCharData {
 public:
  using TXmlCharData::TXmlCharData;
  std::string_view Name() const override { return "WhiteSpace"; }
  TXmlElementType ElementType() const override { return xeWhiteSpace; }
};

class TXmlQuotedText : public TXmlCharData {
 public:
  using TXmlCharData::TXmlCharData;
  std::string_view Name() const override { return "QuotedText"; }
  void SetValue(std::string_view value) override;
  void WriteStream(TXmlWriter& writer) const override;  // the text in its quotes
  TXmlElementType ElementType() const override { return xeQuotedText; }
  TXmlQuoteCharStyle QuoteStyle() const { return quote_; }
  void SetQuoteStyle(TXmlQuoteCharStyle style) { quote_ = style; }
  char QuoteChar() const { return quote_ == qsApos ? '\'' : '"'; }

 private:
  TXmlQuoteCharStyle quote_ = qsQuote;
};

class TXmlComment : public TXmlCharData {
 public:
  using TXmlCharData::TXmlCharData;
  std::string_view Name() const override { return "Comment"; }
  void SetValue(std::string_view value) override { SetRawText(value); }
  void ParseStream(TXmlParser& parser) override;
  void WriteStream(TXmlWriter& writer) const override;
  TXmlElementType ElementType() const override { return xeComment; }
};

class TXmlCData : public TXmlComment {
 public:
  using TXmlComment::TXmlComment;
  std::string_view Name() const override { return "CData"; }
  std::string Value() const override { return std::string(RawText()); }
  void ParseStream(TXmlParser& parser) override;
  void WriteStream(TXmlWriter& writer) const override;
  TXmlElementType ElementType() const override { return xeCData; }
};

class TXmlInstruction : public TXmlCharData {
 public:
  using TXmlCharData::TXmlCharData;
  std::string_view Name() const override { return "PI"; }
  void SetValue(std::string_view value) override { SetRawText(value); }
  void ParseStream(TXmlParser& parser) override;
  void WriteStream(TXmlWriter& writer) const override;
  TXmlElementType ElementType() const override { return xeInstruction; }
};

// ---- attribute -------------------------------------------------------------------------------

class TXmlAttribute : public TXmlNode {
 public:
  explicit TXmlAttribute(TXmlDocument* owner);
  std::string_view Name() const override;
  std::string Value() const override;
  void SetName(std::string_view name) override;
  void SetValue(std::string_view value) override;
  void WriteStream(TXmlWriter& writer) const override;
  TXmlElementType ElementType() const override { return xeAttribute; }

  // The raw value and its quote style.
  TXmlQuotedText* ValueNode() const { return value_; }

 private:
  uint32_t name_ = 0;
  TXmlQuotedText* value_;
};

// ---- container family ------------------------------------------------------------------------

class TXmlContainerNode : public TXmlNode {
 public:
  using TXmlNode::TXmlNode;
  int NodeCount() const override { return static_cast<int>(nodes_.size()); }
  TXmlNode* Nodes(int index) const override;

  // Attributes (and, when whitespace is preserved, whitespace between them) come first; the
  // sub-nodes follow them.
  int DirectNodeCount() const { return directNodeCount_; }
  const TXmlNodeList& NodeList() const { return nodes_; }
  int SubNodeCount() const { return NodeCount() - directNodeCount_; }
  TXmlNode* SubNodes(int index) const { return Nodes(directNodeCount_ + index); }

  TXmlNodeClosingStyle NodeClosingStyle() const { return closing_; }
  void SetNodeClosingStyle(TXmlNodeClosingStyle style) { closing_ = style; }

  // Tree edits. The node must belong to the same document and have no parent yet.
  void AppendSubNode(TXmlNode* node);
  void AppendDirectNode(TXmlNode* node);  // after the existing attributes
  // Unlinks the node (it stays allocated until the document goes).
  void RemoveNode(TXmlNode* node);

 protected:
  void AdoptAt(size_t index, TXmlNode* node);
  TXmlNodeList nodes_;
  int directNodeCount_ = 0;
  TXmlNodeClosingStyle closing_ = ncDefault;

  friend class TXmlParser;
  friend class TXmlDocument;
};

class TXmlElement : public TXmlContainerNode {
 public:
  using TXmlContainerNode::TXmlContainerNode;
  std::string_view Name() const override;
  std::string Value() const override;
  void SetName(std::string_view name) override;
  void SetValue(std::string_view value) override;
  void ParseStream(TXmlParser& parser) override;
  void WriteStream(TXmlWriter& writer) const override;
  TXmlElementType ElementType() const override { return xeElement; }

 protected:
  uint32_t name_ = 0;
};

class TXmlDeclaration : public TXmlContainerNode {
 public:
  using TXmlContainerNode::TXmlContainerNode;
  std::string_view Name() const override { return "xml"; }
  std::string Value() const override { return {}; }
  void ParseStream(TXmlParser& parser) override;
  void WriteStream(TXmlWriter& writer) const override;
  TXmlElementType ElementType() const override { return xeDeclaration; }
};

class TXmlStyleSheet : public TXmlDeclaration {
 public:
  using TXmlDeclaration::TXmlDeclaration;
  std::string_view Name() const override { return "xml-stylesheet"; }
  void WriteStream(TXmlWriter& writer) const override;
  TXmlElementType ElementType() const override { return xeStylesheet; }
};

class TXmlDocType : public TXmlContainerNode {
 public:
  explicit TXmlDocType(TXmlDocument* owner);
  std::string_view Name() const override;
  std::string Value() const override { return {}; }
  void SetName(std::string_view name) override;
  void ParseStream(TXmlParser& parser) override;
  void WriteStream(TXmlWriter& writer) const override;
  TXmlElementType ElementType() const override { return xeDocType; }

  TXmlCharData* ExternalID() const { return externalId_; }  // "SYSTEM", "PUBLIC" or empty
  TXmlQuotedText* PubIDLiteral() const { return pubId_; }
  TXmlQuotedText* SystemLiteral() const { return system_; }

 private:
  uint32_t name_ = 0;
  TXmlCharData* externalId_;
  TXmlQuotedText* pubId_;
  TXmlQuotedText* system_;
};

// <!ELEMENT ...>; the other DTD declarations derive from it.
class TXmlDtdElement : public TXmlElement {
 public:
  using TXmlElement::TXmlElement;
  std::string Value() const override;  // the children written out
  void SetValue(std::string_view) override {}
  void ParseStream(TXmlParser& parser) override;
  void WriteStream(TXmlWriter& writer) const override;
  TXmlElementType ElementType() const override { return xeDtdElement; }
  virtual std::string_view Keyword() const { return "ELEMENT"; }
};

class TXmlDtdAttList : public TXmlDtdElement {
 public:
  using TXmlDtdElement::TXmlDtdElement;
  TXmlElementType ElementType() const override { return xeDtdAttList; }
  std::string_view Keyword() const override { return "ATTLIST"; }
};

class TXmlDtdEntity : public TXmlDtdElement {
 public:
  using TXmlDtdElement::TXmlDtdElement;
  void ParseStream(TXmlParser& parser) override;
  TXmlElementType ElementType() const override { return xeDtdEntity; }
  std::string_view Keyword() const override { return "ENTITY"; }
};

class TXmlDtdNotation : public TXmlDtdElement {
 public:
  using TXmlDtdElement::TXmlDtdElement;
  TXmlElementType ElementType() const override { return xeDtdNotation; }
  std::string_view Keyword() const override { return "NOTATION"; }
};

// ---- document --------------------------------------------------------------------------------

// Where SaveToStream writes. A sink may throw; the exception reaches the caller of SaveToStream.
class TXmlOutStream {
 public:
  virtual ~TXmlOutStream() = default;
  virtual void Write(const char* data, size_t size) = 0;
};

class TXmlStringStream : public TXmlOutStream {
 public:
  void Write(const char* data, size_t size) override { text.append(data, size); }
  std::string text;
};

// Diagnostics: sender is the node that reports, or null for the reader itself.
using TXmlDebugOut =
    std::function<void(const TXmlNode* sender, TXmlWarnStyle style, const std::string& message)>;

// Elements nested deeper than this end the parse with a diagnostic: the tree read so far stays.
// It keeps every recursive walk over a tree (writing, callers' reports) well inside a thread's
// stack, and no real drawing comes near it.
inline constexpr int kXmlMaxDepth = 1024;

class TXmlDocument {
 public:
  TXmlDocument();
  ~TXmlDocument();
  TXmlDocument(const TXmlDocument&) = delete;
  TXmlDocument& operator=(const TXmlDocument&) = delete;

  // Parses the bytes (from their start to their end) into a new tree.
  void LoadFromStream(std::string_view bytes);
  // Writes the byte-order mark of ExternalEncoding and the tree.
  void SaveToStream(TXmlOutStream& stream);
  std::string SaveToString();

  bool IsEmpty() const;
  std::string CommentString() const;
  TXmlElement* Root() const;
  TXmlDeclaration* Declaration() const;
  TXmlDocType* DocType() const;
  const TXmlNodeList& RootNodes() const { return rootNodes_; }
  int RootNodeCount() const { return static_cast<int>(rootNodes_.size()); }
  TXmlNode* RootNode(int index) const;

  TXmlFormatType XmlFormat() const { return format_; }
  void SetXmlFormat(TXmlFormatType format);
  bool PreserveWhiteSpace() const { return format_ == xfPreserve; }

  TXmlStringEncoding ExternalEncoding() const { return externalEncoding_; }
  uint32_t ExternalCodepage() const { return externalCodepage_; }
  void SetExternalCodepage(uint32_t codePage) { externalCodepage_ = codePage; }
  // Takes the encoding and its code page and brings the declaration's "encoding" in line.
  void SetExternalEncoding(TXmlStringEncoding encoding);

  TXmlEolStyle EolStyle = esCRLF;
  std::string IndentString = "\t";
  TXmlNodeClosingStyle NodeClosingStyle = ncClose;
  bool SetParserEncodingAfterReadDeclaration = false;
  bool DropCommentsOnParse = false;
  bool AbortParsing = false;
  TXmlDebugOut OnDebugOut;

  // The document's line end: CR LF, CR or LF.
  std::string_view LineEnd() const;

  // ---- building blocks (used by the reader, the writer and tree edits) ----
  // Interned strings: each distinct text stored once; id 0 is the empty text.
  uint32_t Intern(std::string_view text);
  std::string_view Str(uint32_t id) const { return strings_[id]; }
  size_t StringCount() const { return strings_.size(); }

  template <class T>
  T* NewNode() {
    void* p = Allocate(sizeof(T), alignof(T));
    T* node = new (p) T(this);
    allNodes_.push_back(node);
    return node;
  }
  void AppendRootNode(TXmlNode* node);
  void InsertRootNode(size_t index, TXmlNode* node);
  void RemoveRootNode(TXmlNode* node);

  void Debug(const TXmlNode* sender, TXmlWarnStyle style, const std::string& message) const {
    if (OnDebugOut) OnDebugOut(sender, style, message);
  }

 private:
  friend class TXmlParser;
  void Clear();
  void* Allocate(size_t size, size_t align);
  void RemoveWhiteSpaceNodes();

  TXmlNodeList rootNodes_;
  TXmlFormatType format_ = xfCompact;
  TXmlStringEncoding externalEncoding_ = seUTF8;
  uint32_t externalCodepage_ = 65001;

  // Node storage: bump-allocated blocks; every node is destroyed when the document clears.
  std::vector<std::unique_ptr<std::byte[]>> blocks_;
  size_t blockUsed_ = 0;
  size_t blockSize_ = 0;
  std::vector<TXmlNode*> allNodes_;

  // String table: texts in blocks of their own, an open-addressing index over them.
  std::vector<std::string_view> strings_;
  std::vector<std::unique_ptr<char[]>> textBlocks_;
  std::vector<std::unique_ptr<char[]>> bigTexts_;
  size_t textUsed_ = 0;
  size_t textSize_ = 0;
  std::vector<uint32_t> slots_;  // string id + 1; 0 marks a free slot
  std::vector<size_t> hashes_;   // per string id
};

}  // namespace pictara
