// Code pages through iconv: Windows code-page numbers are mapped to the names glibc knows.
#include <errno.h>
#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <array>
#include <cstdio>
#include <mutex>

#include "platform/codepage.h"

namespace pictara {
namespace {

struct NamedCodePage {
  uint32_t codePage;
  const char* name;
};

// Code pages whose iconv name is not simply "CP<number>".
constexpr NamedCodePage kIconvNames[] = {
    {1200, "UTF-16LE"},      {1201, "UTF-16BE"},     {12000, "UTF-32LE"},
    {12001, "UTF-32BE"},     {65000, "UTF-7"},       {65001, "UTF-8"},
    {20127, "ASCII"},        {28591, "ISO-8859-1"},  {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"},   {28594, "ISO-8859-4"},  {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},   {28597, "ISO-8859-7"},  {28598, "ISO-8859-8"},
    {28599, "ISO-8859-9"},   {28603, "ISO-8859-13"}, {28605, "ISO-8859-15"},
    {38598, "ISO-8859-8"},   {20866, "KOI8-R"},      {21866, "KOI8-U"},
    {20932, "EUC-JP"},       {51932, "EUC-JP"},      {51936, "GB2312"},
    {51949, "EUC-KR"},       {54936, "GB18030"},     {50220, "ISO-2022-JP"},
    {50221, "ISO-2022-JP"},  {50222, "ISO-2022-JP"}, {50225, "ISO-2022-KR"},
    {52936, "HZ-GB-2312"},   {10000, "MACINTOSH"},   {10007, "MAC-CYRILLIC"},
    {10029, "MAC-CENTRALEUROPE"}, {20936, "GB2312"}, {20000, "CNS11643"},
    {936, "CP936"},          {949, "CP949"},         {950, "BIG5"},
    {932, "CP932"},          {874, "CP874"},         {1361, "JOHAB"},
};

// iconv descriptors are costly to open; the candidates are tried in order.
iconv_t OpenFor(uint32_t codePage) {
  for (const NamedCodePage& n : kIconvNames) {
    if (n.codePage == codePage) {
      iconv_t cd = iconv_open("UTF-8", n.name);
      if (cd != reinterpret_cast<iconv_t>(-1)) return cd;
    }
  }
  char name[32];
  for (const char* pattern : {"CP%u", "IBM%u", "WINDOWS-%u"}) {
    std::snprintf(name, sizeof name, pattern, static_cast<unsigned>(codePage));
    iconv_t cd = iconv_open("UTF-8", name);
    if (cd != reinterpret_cast<iconv_t>(-1)) return cd;
  }
  return reinterpret_cast<iconv_t>(-1);
}

// C.UTF-8 gives full Unicode case mappings whatever locale the process runs in.
locale_t CaseLocale() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return l;
  }();
  return loc;
}

// Decodes UTF-8 loosely (a broken byte stands for itself as U+FFFD) and folds to lower case.
std::u32string Folded(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  const locale_t loc = CaseLocale();
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    char32_t cp = 0xFFFD;
    int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (extra == 0) {
      cp = b;
      ++i;
    } else if (extra < 0 || i + static_cast<size_t>(extra) >= text.size()) {
      ++i;
    } else {
      cp = b & (0x3F >> extra);
      size_t k = i + 1;
      bool ok = true;
      for (int n = 0; n < extra; ++n, ++k) {
        const auto c = static_cast<unsigned char>(text[k]);
        if ((c & 0xC0) != 0x80) {
          ok = false;
          break;
        }
        cp = (cp << 6) | (c & 0x3F);
      }
      if (ok) {
        i = k;
      } else {
        cp = 0xFFFD;
        ++i;
      }
    }
    if (cp < 0x80) {
      if (cp >= 'A' && cp <= 'Z') cp += 'a' - 'A';
    } else if (loc != static_cast<locale_t>(0)) {
      cp = static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), loc));
    }
    out.push_back(cp);
  }
  return out;
}

}  // namespace

std::optional<std::string> CodePageToUtf8(uint32_t codePage, std::string_view bytes) {
  static std::mutex mutex;  // one descriptor cache shared by all callers
  static std::array<std::pair<uint32_t, iconv_t>, 8> cache{};
  static size_t next = 0;
  std::lock_guard<std::mutex> lock(mutex);
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  for (auto& [cp, d] : cache) {
    if (d != nullptr && cp == codePage) cd = d;
  }
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    cd = OpenFor(codePage);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    auto& slot = cache[next++ % cache.size()];
    if (slot.second != nullptr) iconv_close(slot.second);
    slot = {codePage, cd};
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset shift state

  std::string out;
  out.reserve(bytes.size() * 2 + 16);
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char buf[1024];
  for (;;) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    const size_t r = iconv(cd, inLeft ? &in : nullptr, inLeft ? &inLeft : nullptr, &o, &oLeft);
    out.append(buf, static_cast<size_t>(o - buf));
    if (r != static_cast<size_t>(-1)) {
      if (inLeft == 0) {
        // flush any pending shift sequence
        o = buf;
        oLeft = sizeof buf;
        iconv(cd, nullptr, nullptr, &o, &oLeft);
        out.append(buf, static_cast<size_t>(o - buf));
        break;
      }
      continue;
    }
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL (incomplete sequence at the end): one replacement per bad byte.
    out.append("\xEF\xBF\xBD");
    ++in;
    --inLeft;
    if (inLeft == 0) break;
  }
  return out;
}

uint32_t SystemAnsiCodePage() { return 1252; }

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
  const std::u32string fa = Folded(a);
  const std::u32string fb = Folded(b);
  return fa.compare(fb) < 0 ? -1 : fa == fb ? 0 : 1;
}

}  // namespace pictara
