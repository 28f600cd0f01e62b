// pictara tokens FILE: the highlighter's tokens of the text as the source window shows it, one a
// line: line number (from 1), column (UTF-16 units, from 0), kind, display class and the token's
// text (UTF-8; TAB, CR and LF written as \t, \r, \n). The end-of-line tokens are left out.
#include <cstdio>
#include <exception>
#include <string>

#include "commands.h"
#include "base/utf.h"
#include "source/source_text.h"
#include "source/xml_highlighter.h"
#include "textview/text_model.h"

namespace pictara::tool {

namespace {

std::string Escaped(std::u16string_view token) {
  std::string out;
  for (const char c : Utf16ToUtf8(token)) {
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\\') {
      out += "\\\\";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

int RunTokens(const Args& args) {
  const std::optional<std::string> text = ReadSvgArgument(args, "tokens FILE", 0);
  if (!text) return 2;
  textview::TTextModel model;
  try {
    LoadSourceText(model, *text);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pictara: %s\n", e.what());
    return 2;
  }
  TXmlHighlighter h;
  std::string out;
  for (size_t i = 0; i < model.LineCount(); ++i) {
    h.SetLine(model.Line(i), static_cast<int>(i));
    for (; !h.GetEol(); h.Next()) {
      if (h.GetTokenKind() == tkNull && h.GetToken().empty()) continue;
      const THighlighterAttribute* attr = h.GetTokenAttribute();
      out += std::to_string(i + 1) + ' ' + std::to_string(h.GetTokenPos()) + ' ' +
             std::string(TokenKindName(h.GetTokenKind())) + ' ' + std::string(attr ? attr->Name : "-") + ' ' +
             Escaped(h.GetToken()) + '\n';
    }
    if (out.size() > (1u << 20)) {
      if (!WriteStdout(out)) return 2;
      out.clear();
    }
  }
  return WriteStdout(out) ? 0 : 2;
}

}  // namespace pictara::tool
