#include "textview/text_model.h"

#include <algorithm>
#include <stdexcept>

#include "platform/codepage.h"
#include "base/utf.h"

namespace pictara::textview {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// UTF-8 to UTF-16. strict: false at the first ill-formed sequence; otherwise each ill-formed
// sequence becomes U+FFFD (one per maximal invalid prefix, as the Unicode standard recommends).
bool DecodeUtf8(std::string_view in, std::u16string& out, bool strict) {
  out.resize(in.size());  // never more units than bytes
  char16_t* o = out.data();
  const auto* p = reinterpret_cast<const unsigned char*>(in.data());
  const auto* const end = p + in.size();
  while (p < end) {
    const unsigned b = *p;
    if (b < 0x80) {
      *o++ = static_cast<char16_t>(b);
      ++p;
      continue;
    }
    unsigned need = 0;
    char32_t cp = 0;
    unsigned lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1;
      cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2;
      cp = b & 0x0F;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3;
      cp = b & 0x07;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;  // at most U+10FFFF
    }
    const unsigned char* q = p + 1;
    bool ok = need > 0;
    for (unsigned i = 0; ok && i < need; ++i, ++q) {
      if (q >= end) {
        ok = false;
        break;
      }
      const unsigned c = *q;
      if (c < (i == 0 ? lo : 0x80u) || c > (i == 0 ? hi : 0xBFu)) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (c & 0x3F);
    }
    if (!ok) {
      if (strict) return false;
      *o++ = 0xFFFD;
      p = q > p + 1 ? q : p + 1;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      *o++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *o++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *o++ = static_cast<char16_t>(cp);
    }
    p = q;
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return true;
}

void DecodeUtf16(std::string_view in, bool bigEndian, std::u16string& out) {
  const size_t n = in.size() / 2;
  out.resize(n + (in.size() % 2));
  const auto* p = reinterpret_cast<const unsigned char*>(in.data());
  for (size_t i = 0; i < n; ++i, p += 2) {
    out[i] = bigEndian ? static_cast<char16_t>((p[0] << 8) | p[1]) : static_cast<char16_t>(p[0] | (p[1] << 8));
  }
  if (in.size() % 2) out[n] = 0xFFFD;
}

}  // namespace

void TTextModel::Clear() {
  text_.clear();
  text_.shrink_to_fit();
  starts_.assign(1, 0);
  starts_.shrink_to_fit();
  longest_ = 0;
  encoding_ = TTextEncoding::UTF8;
  codePage_ = 65001;
  lineBreak_ = u"\r\n";
  finalBreak_ = false;
}

bool TTextModel::LoadUtf8(std::string_view bytes) {
  Clear();
  if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
  std::u16string units;
  if (!DecodeUtf8(bytes, units, true)) return false;
  SetFromUnits(std::move(units));
  encoding_ = TTextEncoding::UTF8;
  codePage_ = 65001;
  return true;
}

void TTextModel::LoadDetect(std::string_view bytes, uint32_t ansiCodePage) {
  Clear();
  std::u16string units;
  TTextEncoding encoding;
  uint32_t codePage = 0;
  if (bytes.starts_with(kUtf8Bom)) {
    DecodeUtf8(bytes.substr(kUtf8Bom.size()), units, false);
    encoding = TTextEncoding::UTF8;
    codePage = 65001;
  } else if (bytes.starts_with(kUtf16LeBom)) {
    DecodeUtf16(bytes.substr(2), false, units);
    encoding = TTextEncoding::UTF16LE;
    codePage = 1200;
  } else if (bytes.starts_with(kUtf16BeBom)) {
    DecodeUtf16(bytes.substr(2), true, units);
    encoding = TTextEncoding::UTF16BE;
    codePage = 1201;
  } else {
    const std::optional<std::string> utf8 = CodePageToUtf8(ansiCodePage, bytes);
    if (!utf8) throw std::runtime_error("The text cannot be read in code page " + std::to_string(ansiCodePage) + ".");
    DecodeUtf8(*utf8, units, false);
    encoding = TTextEncoding::Ansi;
    codePage = ansiCodePage;
  }
  SetFromUnits(std::move(units));
  encoding_ = encoding;
  codePage_ = codePage;
}

void TTextModel::SetFromUnits(std::u16string&& units) {
  // Line starts are 32-bit: far beyond any drawing (compressed text is capped at 256 MiB).
  if (units.size() > 0xFFFFFFFFu) throw std::length_error("The text is too long for the text view.");
  text_ = std::move(units);
  starts_.clear();
  starts_.push_back(0);
  finalBreak_ = false;
  bool sawBreak = false;
  // Compact in place: line breaks are dropped, each one closes a line.
  size_t w = 0;
  const size_t n = text_.size();
  char16_t* t = text_.data();
  for (size_t r = 0; r < n;) {
    const char16_t c = t[r];
    if (c != u'\r' && c != u'\n') {
      t[w++] = c;
      ++r;
      continue;
    }
    size_t len = 1;
    if (c == u'\r' && r + 1 < n && t[r + 1] == u'\n') len = 2;
    if (!sawBreak) {
      lineBreak_.assign(t + r, len);
      sawBreak = true;
    }
    r += len;
    starts_.push_back(static_cast<uint32_t>(w));
    finalBreak_ = r == n;
  }
  text_.resize(w);
  // Each break pushed the start of the next line; the last line needs its end unless the text
  // ended with a break (which starts no line of its own).
  if (n > 0 && !finalBreak_) starts_.push_back(static_cast<uint32_t>(w));
  Finish();
}

void TTextModel::Finish() {
  starts_.shrink_to_fit();
  longest_ = 0;
  for (size_t i = 0; i + 1 < starts_.size(); ++i) longest_ = std::max(longest_, starts_[i + 1] - starts_[i]);
}

std::string TTextModel::Save() const {
  std::u16string_view brk = lineBreak_;
  const size_t lines = LineCount();
  std::string out;
  const auto joinUnits = [&](auto&& put) {
    for (size_t i = 0; i < lines; ++i) {
      put(Line(i));
      if (i + 1 < lines || finalBreak_) put(brk);
    }
  };
  switch (encoding_) {
    case TTextEncoding::UTF16LE:
    case TTextEncoding::UTF16BE: {
      const bool be = encoding_ == TTextEncoding::UTF16BE;
      out.reserve(2 + 2 * (text_.size() + lines * brk.size()));
      out.append(be ? kUtf16BeBom : kUtf16LeBom);
      joinUnits([&](std::u16string_view s) {
        for (char16_t c : s) {
          const char hiB = static_cast<char>(c >> 8), loB = static_cast<char>(c & 0xFF);
          out.push_back(be ? hiB : loB);
          out.push_back(be ? loB : hiB);
        }
      });
      return out;
    }
    case TTextEncoding::UTF8:
    case TTextEncoding::Ansi: {
      std::string utf8;
      utf8.reserve(text_.size() + lines * brk.size() + 3);
      if (encoding_ == TTextEncoding::UTF8) utf8.append(kUtf8Bom);
      joinUnits([&](std::u16string_view s) {
        // ASCII runs directly; the rest through the shared converter.
        size_t i = 0;
        while (i < s.size()) {
          size_t j = i;
          while (j < s.size() && s[j] < 0x80) utf8.push_back(static_cast<char>(s[j++]));
          size_t k = j;
          while (k < s.size() && s[k] >= 0x80) ++k;
          if (k > j) utf8.append(Utf16ToUtf8(s.substr(j, k - j)));
          i = k;
        }
      });
      if (encoding_ == TTextEncoding::UTF8) return utf8;
      std::optional<std::string> ansi = Utf8ToCodePage(codePage_, utf8, nullptr);
      if (!ansi) throw std::runtime_error("The text cannot be written in code page " + std::to_string(codePage_) + ".");
      return std::move(*ansi);
    }
  }
  return out;
}

size_t TTextModel::MemoryBytes() const {
  return text_.capacity() * sizeof(char16_t) + starts_.capacity() * sizeof(uint32_t) + sizeof(*this);
}

}  // namespace pictara::textview
