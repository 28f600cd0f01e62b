// The drawing's own size: width, height and viewBox of the root element, and the size in pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictara {

class TXmlNode;

struct TSVGInfo {
  std::string Width;    // UTF-8
  std::string Height;
  std::string ViewBox;
  int32_t IntWidth = 0;
  int32_t IntHeight = 0;
};

enum TSvgLengthUnit : uint8_t { suNone, suPx, suPt, suCm, suMm, suIn, suPc, suPercent };

// The text of an SVG file: plain, gzip-compressed or packed in a ZIP archive. maxBytes 0: all of
// it; > 0: at most that many bytes. nullopt for a missing file or any read/decompression failure.
// Compressed text is never inflated beyond kMaxSvgTextBytes (256 MiB, zip_reader.h): a file that
// would give more counts as broken.
std::optional<std::string> OpenSvgStream(const std::string& fileName, int64_t maxBytes);

// Fills info from the text; true when an SVG root element was found. Ends with
// CalcSvgPixelSize(info, 96).
bool ReadSvgInfo(std::string_view stream, TSVGInfo& info);

// Computes IntWidth/IntHeight from Width, Height and ViewBox at the given pixels per inch.
void CalcSvgPixelSize(TSVGInfo& info, int dpi);

// A length such as "100mm", "12.5pt", "50%" or "640" in pixels at `dpi` (a percentage comes back
// as its number, with unit suPercent). Text it cannot read gives 0.
int32_t ParseSvgLength(std::string_view text, int dpi, TSvgLengthUnit* unit = nullptr);

// The first of the node's child nodes (attributes first) whose name equals `name`, ASCII letters
// compared without regard to case; null when none.
TXmlNode* FindChildByName(const TXmlNode* node, std::string_view name);
// That child's Value, or empty.
std::string ChildValueByName(const TXmlNode* node, std::string_view name);
// Follows NodeByName through the names in turn; null as soon as a step finds nothing, and for an
// empty list.
TXmlNode* NodeByPath(const TXmlNode* node, const std::vector<std::string>& names);

}  // namespace pictara
