// The drawing's own size: width, height and viewBox of the root element, and the size in pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pictara {

struct TSVGInfo {
  std::string Width;    // UTF-8
  std::string Height;
  std::string ViewBox;
  int32_t IntWidth = 0;
  int32_t IntHeight = 0;
};

// The text of an SVG file: plain, gzip-compressed or packed in a ZIP archive. maxBytes 0: all of
// it; > 0: at most that many bytes. nullopt for a missing file or any read/decompression failure.
std::optional<std::string> OpenSvgStream(const std::string& fileName, int64_t maxBytes);

// Fills info from the text; true when an SVG root element was found. Ends with
// CalcSvgPixelSize(info, 96).
bool ReadSvgInfo(std::string_view stream, TSVGInfo& info);

// Computes IntWidth/IntHeight from Width, Height and ViewBox at the given pixels per inch.
void CalcSvgPixelSize(TSVGInfo& info, int dpi);

}  // namespace pictara
