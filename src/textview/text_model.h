// The text of the read-only text view: a list of lines in UTF-16, with the encoding it was
// loaded with so that saving gives the same kind of bytes back.
//
// Storage: the characters of all lines back to back in one UTF-16 buffer (line breaks are not
// stored) and one 32-bit start offset per line, so the text takes about twice its UTF-8 size plus
// four bytes a line, and a line is a view into the buffer.
//
// Lines: CR LF, LF and CR each end a line. A final line break does not start another (empty)
// line: "a\nb\n" and "a\nb" both have two lines, "" has none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pictara::textview {

enum class TTextEncoding : uint8_t { UTF8, UTF16LE, UTF16BE, Ansi };

class TTextModel {
 public:
  TTextModel() { Clear(); }

  void Clear();

  // UTF-8; a UTF-8 byte-order mark is skipped. Bytes that are not valid UTF-8 (also overlong
  // forms, surrogates, values above U+10FFFF) fail the loading: false, and the model is empty.
  bool LoadUtf8(std::string_view bytes);

  // Automatic detection: a UTF-8, UTF-16 LE or UTF-16 BE byte-order mark (tested in this order)
  // selects that encoding and is skipped; otherwise the bytes are in `ansiCodePage` (a Windows
  // code page). Never rejects bytes: invalid UTF-8 and an odd last byte of UTF-16 become U+FFFD.
  // Throws std::runtime_error when the system cannot convert from that code page.
  void LoadDetect(std::string_view bytes, uint32_t ansiCodePage);

  // The text in the encoding it was loaded with, that encoding's byte-order mark first (none for
  // the ANSI code page). Lines are joined with the first line break the loaded text used (CR LF
  // when it had none), and the text ends with one when the loaded text did.
  std::string Save() const;

  size_t LineCount() const { return starts_.size() - 1; }
  std::u16string_view Line(size_t index) const {
    return std::u16string_view(text_.data() + starts_[index], starts_[index + 1] - starts_[index]);
  }
  uint32_t LineLength(size_t index) const { return starts_[index + 1] - starts_[index]; }
  // UTF-16 units of all lines before `index` (line breaks not counted).
  size_t UnitsBefore(size_t index) const { return starts_[index]; }
  size_t TotalUnits() const { return text_.size(); }
  uint32_t LongestLine() const { return longest_; }

  TTextEncoding Encoding() const { return encoding_; }
  uint32_t CodePage() const { return codePage_; }  // for TTextEncoding::Ansi
  std::u16string_view LineBreak() const { return lineBreak_; }
  bool EndsWithLineBreak() const { return finalBreak_; }

  // Bytes held by the model (buffer capacities).
  size_t MemoryBytes() const;

 private:
  // Takes UTF-16 text with its line breaks, splitting it into the buffer.
  void SetFromUnits(std::u16string&& units);
  void Finish();

  std::u16string text_;
  std::vector<uint32_t> starts_;  // LineCount() + 1 entries; the last is text_.size()
  uint32_t longest_ = 0;
  TTextEncoding encoding_ = TTextEncoding::UTF8;
  uint32_t codePage_ = 65001;
  std::u16string lineBreak_ = u"\r\n";
  bool finalBreak_ = false;
};

}  // namespace pictara::textview
