// Code pages through iconv: Windows code-page numbers are mapped to the names glibc knows.
#include <errno.h>
#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <array>
#include <cstdio>
#include <algorithm>
#include <mutex>
#include <vector>

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

// The iconv names to try for a code page, best first.
std::vector<std::string> IconvNames(uint32_t codePage) {
  std::vector<std::string> names;
  for (const NamedCodePage& n : kIconvNames) {
    if (n.codePage == codePage) names.emplace_back(n.name);
  }
  char name[32];
  for (const char* pattern : {"CP%u", "IBM%u", "WINDOWS-%u"}) {
    std::snprintf(name, sizeof name, pattern, static_cast<unsigned>(codePage));
    names.emplace_back(name);
  }
  return names;
}

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

// iconv descriptors are costly to open: a few are kept per direction.
class IconvCache {
 public:
  ~IconvCache() {
    for (auto& e : entries_) {
      if (e.cd != kNoIconv) iconv_close(e.cd);
    }
  }
  // Locked by the caller.
  iconv_t Get(uint32_t codePage, bool toUtf8) {
    for (auto& e : entries_) {
      if (e.cd != kNoIconv && e.codePage == codePage && e.toUtf8 == toUtf8) return e.cd;
    }
    iconv_t cd = kNoIconv;
    for (const std::string& name : IconvNames(codePage)) {
      cd = toUtf8 ? iconv_open("UTF-8", name.c_str()) : iconv_open(name.c_str(), "UTF-8");
      if (cd != kNoIconv) break;
    }
    if (cd == kNoIconv) return cd;
    Entry& slot = entries_[next_++ % entries_.size()];
    if (slot.cd != kNoIconv) iconv_close(slot.cd);
    slot = {codePage, toUtf8, cd};
    return cd;
  }
  std::mutex mutex;

 private:
  struct Entry {
    uint32_t codePage = 0;
    bool toUtf8 = false;
    iconv_t cd = kNoIconv;
  };
  std::array<Entry, 8> entries_{};
  size_t next_ = 0;
};

IconvCache& Cache() {
  static IconvCache cache;
  return cache;
}

// Runs a conversion to the end; `onBad` decides what a byte that cannot be converted becomes
// and how many input bytes it takes.
template <class OnBad>
std::string Convert(iconv_t cd, std::string_view bytes, OnBad onBad) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset shift state
  std::string out;
  out.reserve(bytes.size() * 2 + 16);
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char buf[1024];
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, static_cast<size_t>(o - buf));
    if (r != static_cast<size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ, or EINVAL for a sequence cut off at the end.
    const size_t skip = std::min(inLeft, onBad(out, in, inLeft));
    in += skip;
    inLeft -= skip;
  }
  char* o = buf;
  size_t oLeft = sizeof buf;
  iconv(cd, nullptr, nullptr, &o, &oLeft);  // close a shift sequence
  out.append(buf, static_cast<size_t>(o - buf));
  return out;
}

size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
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
  IconvCache& cache = Cache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  iconv_t cd = cache.Get(codePage, true);
  if (cd == kNoIconv) return std::nullopt;
  return Convert(cd, bytes, [](std::string& out, const char*, size_t) {
    out.append("\xEF\xBF\xBD");
    return size_t{1};
  });
}

std::optional<std::string> Utf8ToCodePage(uint32_t codePage, std::string_view utf8, bool* usedDefault) {
  if (usedDefault) *usedDefault = false;
  IconvCache& cache = Cache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  iconv_t cd = cache.Get(codePage, false);
  if (cd == kNoIconv) return std::nullopt;
  return Convert(cd, utf8, [&](std::string& out, const char* at, size_t) {
    out.push_back('?');
    if (usedDefault) *usedDefault = true;
    return Utf8SequenceLength(static_cast<unsigned char>(*at));
  });
}

bool IsMultiByteCodePage(uint32_t codePage) {
  // Stateful encodings switch with plain ASCII escapes; UTF-7 spells characters in ASCII.
  if ((codePage >= 50220 && codePage <= 50229) || codePage == 52936 || codePage == 65000 || codePage == 65001)
    return true;
  IconvCache& cache = Cache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  iconv_t cd = cache.Get(codePage, true);
  if (cd == kNoIconv) return false;
  // A lead byte on its own is an incomplete sequence to iconv.
  for (unsigned b = 0x80; b <= 0xFF; ++b) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char byte = static_cast<char>(b);
    char* in = &byte;
    size_t inLeft = 1;
    char out[16];
    char* o = out;
    size_t oLeft = sizeof out;
    if (iconv(cd, &in, &inLeft, &o, &oLeft) == static_cast<size_t>(-1) && errno == EINVAL) return true;
  }
  return false;
}

uint32_t SystemAnsiCodePage() { return 1252; }

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
  const std::u32string fa = Folded(a);
  const std::u32string fb = Folded(b);
  return fa.compare(fb) < 0 ? -1 : fa == fb ? 0 : 1;
}

}  // namespace pictara
