// The drawing's size from the root element's width, height and viewBox.
#include "svginfo/svg_info.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "base/ascii.h"
#include "base/muldiv.h"
#include "svginfo/xml_dom.h"

namespace pictara {
namespace {

struct UnitName {
  std::string_view text;
  TSvgLengthUnit unit;
};

// Searched in this order; the first that occurs after the first character wins.
constexpr UnitName kUnits[] = {
    {"px", suPx}, {"pt", suPt}, {"cm", suCm}, {"mm", suMm}, {"in", suIn}, {"pc", suPc}, {"%", suPercent},
};

// Nearest integer, halves to the even neighbour.
double RoundHalfEven(double x) {
  const double f = std::floor(x);
  const double d = x - f;
  if (d > 0.5) return f + 1;
  if (d < 0.5) return f;
  return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

int32_t ToInt32(double x) {
  if (!(x == x)) return 0;  // NaN
  if (x >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (x <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(x);
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A decimal fraction with "." as separator and an optional exponent; false for anything else.
bool ParseDecimal(std::string_view s, double& value) {
  s = TrimBlanks(s);
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != s.size()) return false;
  value = std::strtod(std::string(s).c_str(), nullptr);  // only digits, sign, "." and exponent here
  return std::isfinite(value);
}

// A whole number in the 32-bit range; false for anything else.
bool ParseWhole(std::string_view s, int32_t& value) {
  s = TrimBlanks(s);
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min()) return false;
  value = static_cast<int32_t>(v);
  return true;
}

// viewBox parts: split at ", ", " " or "," (tried in that order at each position); empty parts
// stay, so two blanks in a row give an empty part.
std::vector<std::string_view> SplitViewBox(std::string_view text) {
  std::vector<std::string_view> parts;
  if (text.empty()) return parts;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    size_t sep = 0;
    if (text.compare(i, 2, ", ") == 0) sep = 2;
    else if (text[i] == ' ' || text[i] == ',') sep = 1;
    if (sep == 0) {
      ++i;
      continue;
    }
    parts.push_back(text.substr(start, i - start));
    i += sep;
    start = i;
  }
  parts.push_back(text.substr(start));
  return parts;
}

}  // namespace

int32_t ParseSvgLength(std::string_view text, int dpi, TSvgLengthUnit* unitOut) {
  TSvgLengthUnit unit = suPx;
  std::string_view number = text;
  for (const UnitName& u : kUnits) {
    const size_t at = text.find(u.text);
    if (at != std::string_view::npos && at > 0) {
      unit = u.unit;
      number = text.substr(0, at);
      break;
    }
  }
  if (unitOut) *unitOut = unit;

  double f = 0;
  int32_t value = 0;
  if (number.find('.') != std::string_view::npos) {
    if (!ParseDecimal(number, f)) f = 0;
    value = f > 0 ? ToInt32(RoundHalfEven(f)) : 0;
  } else if (!ParseWhole(number, value)) {
    value = 0;
  }
  if (value <= 0) return value;

  const double x = f > 0 ? f : value;
  double px;
  switch (unit) {
    case suPt: px = static_cast<double>(value) / 72 * dpi; break;
    case suCm: px = x / 2.54 * dpi; break;
    case suMm: px = x / 25.4 * dpi; break;
    case suIn: px = x * dpi; break;
    case suPc: px = x * dpi * 0.16666666666666666; break;
    default: return value;  // px, none, percent
  }
  return ToInt32(RoundHalfEven(px));
}

void CalcSvgPixelSize(TSVGInfo& info, int dpi) {
  int32_t percentW = 0, percentH = 0;
  if (!info.Width.empty() && !info.Height.empty()) {
    TSvgLengthUnit unit;
    info.IntWidth = ParseSvgLength(info.Width, dpi, &unit);
    if (unit == suPercent) {
      percentW = info.IntWidth;
      info.IntWidth = 0;
    }
    info.IntHeight = ParseSvgLength(info.Height, dpi, &unit);
    if (unit == suPercent) {
      percentH = info.IntHeight;
      info.IntHeight = 0;
    }
  }
  const bool needW = info.IntWidth <= 0;
  const bool needH = info.IntHeight <= 0;
  if (!needW && !needH) return;
  const std::vector<std::string_view> parts = SplitViewBox(info.ViewBox);
  if (parts.size() < 4) return;
  if (needW) {
    info.IntWidth = ParseSvgLength(parts[2], dpi);
    if (percentW > 0 && percentW != 100) info.IntWidth = MulDiv(info.IntWidth, percentW, 100);
  }
  if (needH) {
    info.IntHeight = ParseSvgLength(parts[3], dpi);
    if (percentH > 0 && percentH != 100) info.IntHeight = MulDiv(info.IntHeight, percentH, 100);
  }
}

TXmlNode* FindChildByName(const TXmlNode* node, std::string_view name) {
  if (!node) return nullptr;
  const int n = node->NodeCount();
  for (int i = 0; i < n; ++i) {
    TXmlNode* child = node->Nodes(i);
    if (child && EqualsIgnoreAsciiCase(child->Name(), name)) return child;
  }
  return nullptr;
}

std::string ChildValueByName(const TXmlNode* node, std::string_view name) {
  const TXmlNode* child = FindChildByName(node, name);
  return child ? child->Value() : std::string();
}

TXmlNode* NodeByPath(const TXmlNode* node, const std::vector<std::string>& names) {
  if (!node || names.empty()) return nullptr;
  TXmlNode* current = const_cast<TXmlNode*>(node);
  for (const std::string& name : names) {
    current = current->NodeByName(name);
    if (!current) return nullptr;
  }
  return current;
}

bool ReadSvgInfo(std::string_view stream, TSVGInfo& info) {
  info = TSVGInfo();
  try {
    const auto first = static_cast<unsigned char>(stream.empty() ? 0 : stream[0]);
    // The start of a tag, of a UTF-8 byte-order mark, or of a UTF-16 one.
    if (first != 0x3C && first != 0xEF && first != 0xFF && first != 0xFE) return false;
    TXmlDocument doc;
    doc.LoadFromStream(stream);
    if (doc.IsEmpty()) return false;
    const TXmlNode* root = nullptr;
    for (const TXmlNode* node : doc.RootNodes()) {
      const std::string_view name = node->Name();
      if ((name == "svg" || name == "svg:svg") && node->ElementType() == xeElement) {
        root = node;
        break;
      }
    }
    if (!root) return false;
    info.ViewBox = ChildValueByName(root, "viewBox");
    info.Width = ChildValueByName(root, "width");
    info.Height = ChildValueByName(root, "height");
    CalcSvgPixelSize(info, 96);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace pictara
