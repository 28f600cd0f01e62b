#include "settings/ini_file.h"

#include <deque>

#include "base/ascii.h"
#include "platform/codepage.h"
#include "base/utf.h"

namespace pictara {
namespace {

enum class Encoding { Ansi, Utf8Bom, Utf16Le, Utf16Be };

Encoding DetectEncoding(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return Encoding::Utf8Bom;
  if (bytes.substr(0, 2) == "\xFF\xFE") return Encoding::Utf16Le;
  if (bytes.substr(0, 2) == "\xFE\xFF") return Encoding::Utf16Be;
  return Encoding::Ansi;
}

size_t BomLength(Encoding e) {
  switch (e) {
    case Encoding::Utf8Bom: return 3;
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: return 2;
    case Encoding::Ansi: break;
  }
  return 0;
}

std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {  // an odd last byte is not a character
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a));
  }
  return Utf16ToUtf8(units);
}

std::string Utf8ToUtf16Bytes(std::string_view text, bool bigEndian) {
  const std::u16string units = Utf8ToUtf16(text);
  std::string out;
  out.reserve(units.size() * 2);
  for (const char16_t u : units) {
    const char hi = static_cast<char>(u >> 8);
    const char lo = static_cast<char>(u & 0xFF);
    out.push_back(bigEndian ? hi : lo);
    out.push_back(bigEndian ? lo : hi);
  }
  return out;
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// One line of the file, with its own line end ("" for a last line without one).
struct Line {
  std::string_view Text;
  std::string_view End;
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t lf = text.find('\n', pos);
    if (lf == std::string_view::npos) {
      // CRs at the very end are a line end cut short, not part of the line: the line must read the
      // same once a whole line end follows it.
      const std::string_view last = text.substr(pos);
      size_t keep = last.size();
      while (keep > 0 && last[keep - 1] == '\r') --keep;
      lines.push_back({last.substr(0, keep), last.substr(keep)});
      break;
    }
    const size_t textEnd = (lf > pos && text[lf - 1] == '\r') ? lf - 1 : lf;
    lines.push_back({text.substr(pos, textEnd - pos), text.substr(textEnd, lf + 1 - textEnd)});
    pos = lf + 1;
  }
  return lines;
}

// The section name when the line is a section header.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
  return Trim(line.substr(1, line.size() - 2));
}

// The key and value when the line is an entry (not blank, not a comment, has "=").
std::optional<std::pair<std::string_view, std::string_view>> KeyAndValue(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() == ';') return std::nullopt;
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return std::pair{Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))};
}

std::string SetKeysInText(std::string_view text, std::string_view section, const std::vector<TIniEntry>& entries) {
  std::vector<Line> lines = SplitLines(text);
  std::string_view eol = "\r\n";
  for (const Line& l : lines) {
    if (l.End.find('\n') != std::string_view::npos) {
      eol = l.End;
      break;
    }
  }
  // New lines live here; a deque keeps its elements in place, so the views into it stay valid.
  std::deque<std::string> added;

  size_t header = lines.size();
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(lines[i].Text);
    if (name && EqualsIgnoreAsciiCase(*name, section)) {
      header = i;
      break;
    }
  }
  if (header == lines.size()) {
    std::string headerLine(1, '[');
    headerLine.append(section).push_back(']');
    added.push_back(std::move(headerLine));
    lines.push_back({added.back(), eol});
    header = lines.size() - 1;
  }
  size_t end = header + 1;  // one past the section's last line
  while (end < lines.size() && !SectionName(lines[end].Text)) ++end;

  for (const TIniEntry& entry : entries) {
    std::string newLine = entry.Key;
    newLine.append(1, '=').append(entry.Value);
    bool replaced = false;
    for (size_t i = header + 1; i < end; ++i) {
      const auto kv = KeyAndValue(lines[i].Text);
      if (kv && EqualsIgnoreAsciiCase(kv->first, entry.Key)) {
        added.push_back(std::move(newLine));
        lines[i].Text = added.back();
        replaced = true;
        break;
      }
    }
    if (replaced) continue;
    // After the section's last non-blank line, so blank lines stay in front of the next section.
    size_t at = end;
    while (at > header + 1 && Trim(lines[at - 1].Text).empty()) --at;
    added.push_back(std::move(newLine));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Line{added.back(), eol});
    ++end;
  }

  std::string out;
  out.reserve(text.size() + 64 * entries.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    out += lines[i].Text;
    // A last line without a whole line end gets one when something now follows it.
    const bool cutShort = lines[i].End.find('\n') == std::string_view::npos;
    out += (cutShort && i + 1 < lines.size()) ? eol : lines[i].End;
  }
  return out;
}

}  // namespace

std::string DecodeIniBytes(std::string_view bytes) {
  const Encoding e = DetectEncoding(bytes);
  const std::string_view body = bytes.substr(BomLength(e));
  switch (e) {
    case Encoding::Utf8Bom: return std::string(body);
    case Encoding::Utf16Le: return Utf16BytesToUtf8(body, false);
    case Encoding::Utf16Be: return Utf16BytesToUtf8(body, true);
    case Encoding::Ansi: break;
  }
  // A code page the system does not know leaves the bytes as they are: ASCII keys still read.
  return CodePageToUtf8(SystemAnsiCodePage(), body).value_or(std::string(body));
}

TIniText TIniText::FromFileBytes(std::string_view bytes) { return FromUtf8(DecodeIniBytes(bytes)); }

TIniText TIniText::FromUtf8(std::string_view text) {
  TIniText ini;
  Section* current = nullptr;  // entries before the first header belong to no section
  for (const Line& line : SplitLines(text)) {
    if (const auto name = SectionName(line.Text)) {
      ini.sections_.push_back({std::string(*name), {}});
      current = &ini.sections_.back();
    } else if (const auto kv = KeyAndValue(line.Text); kv && current) {
      current->Entries.push_back({std::string(kv->first), std::string(kv->second)});
    }
  }
  return ini;
}

std::optional<std::string> TIniText::Value(std::string_view section, std::string_view key) const {
  for (const Section& s : sections_) {
    if (!EqualsIgnoreAsciiCase(s.Name, section)) continue;
    for (const TIniEntry& e : s.Entries) {
      if (EqualsIgnoreAsciiCase(e.Key, key)) return e.Value;
    }
  }
  return std::nullopt;
}

std::string SetIniKeys(std::string_view fileBytes, std::string_view section, const std::vector<TIniEntry>& entries) {
  const Encoding e = DetectEncoding(fileBytes);
  const std::string_view bom = fileBytes.substr(0, BomLength(e));
  const std::string_view body = fileBytes.substr(bom.size());
  if (e == Encoding::Utf16Le || e == Encoding::Utf16Be) {
    const bool big = e == Encoding::Utf16Be;
    std::string out(bom);
    return out.append(Utf8ToUtf16Bytes(SetKeysInText(Utf16BytesToUtf8(body, big), section, entries), big));
  }
  // UTF-8 and the 8-bit code pages keep ASCII as it is, so the bytes are edited directly and
  // every other byte stays untouched.
  std::string out(bom);
  return out.append(SetKeysInText(body, section, entries));
}

}  // namespace pictara
