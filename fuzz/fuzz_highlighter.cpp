// Any bytes to the XML highlighter, line by line with the state carried over. The first byte
// picks the input form: even, the rest as UTF-16 LE units split at LF (so lines may hold CR and
// NUL), with the second byte as the first line's state (any value, also invalid ones); odd, the
// rest through the text model's loading (UTF-8, else detection) and its lines.
// Checked for every token: not empty, back to back, Run never past LineLength + 1, a valid state,
// the end of the line reached in at most LineLength + 1 tokens; and the text view's cache giving
// the same tokens for a part of a line as for the whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "source/xml_highlighter.h"
#include "textview/highlight_cache.h"
#include "textview/text_model.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void ScanLine(pictara::TXmlHighlighter& h, std::u16string_view line, int n) {
  h.SetLine(line, n);
  int expected = 0;
  size_t tokens = 0;
  while (!h.GetEol()) {
    Check(h.GetTokenPos() == expected);
    Check(h.GetRun() > h.GetTokenPos());
    Check(static_cast<size_t>(h.GetRun()) <= line.size() + 1);
    Check(h.GetRange() < pictara::kRangeStateCount);
    Check(h.GetTokenKind() < pictara::kTokenKindCount);
    Check(h.GetToken().size() <= line.size());
    expected = h.GetRun();
    Check(++tokens <= line.size() + 1);
    h.Next();
  }
  Check(static_cast<size_t>(h.GetRun()) == line.size() + 1);
  Check(h.GetRange() < pictara::kRangeStateCount);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  pictara::TXmlHighlighter h;
  if ((data[0] & 1) == 0) {
    h.SetRange(static_cast<pictara::TRangeState>(data[1]));
    std::u16string text;
    for (size_t i = 2; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    int n = 0;
    size_t start = 0;
    for (;;) {
      const size_t lf = text.find(u'\n', start);
      const std::u16string line = text.substr(start, lf == std::u16string::npos ? std::u16string::npos : lf - start);
      ScanLine(h, line, n++);  // a copy of its own: reading past it shows under the address sanitizer
      if (lf == std::u16string::npos) break;
      start = lf + 1;
    }
    return 0;
  }
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  pictara::textview::TTextModel model;
  if (!model.LoadUtf8(bytes)) model.LoadDetect(bytes, 1252);
  for (size_t i = 0; i < model.LineCount(); ++i) {
    const std::u16string line(model.Line(i));
    ScanLine(h, line, static_cast<int>(i));
  }
  // The view's cache, asked for a part of the last line, gives the same tokens as the full scan
  // (through its checkpoints when the line is long).
  if (model.LineCount() > 0) {
    const size_t last = model.LineCount() - 1;
    const uint32_t len = model.LineLength(last);
    pictara::textview::THighlightCache cache(model);
    cache.SetHighlighter(&h);
    std::vector<pictara::textview::TTokenSpan> all, part;
    cache.Tokens(last, all);
    const uint32_t from = len > 0 ? data[size - 1] * 37u % len : 0, until = from + 50;
    cache.Tokens(last, part, from, until);
    size_t k = 0;
    for (const auto& s : all) {
      if (s.end <= from || s.start >= until) continue;
      Check(k < part.size() && part[k].start == s.start && part[k].end == s.end && part[k].attribute == s.attribute);
      ++k;
    }
    Check(k == part.size());
  }
  const std::string saved = model.Save();
  Check(!saved.empty() || model.Encoding() == pictara::textview::TTextEncoding::Ansi);
  return 0;
}
