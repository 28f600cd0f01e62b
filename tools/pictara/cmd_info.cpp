// pictara info FILE: the drawing's own size as the converter sees it (first 100 KB of the text,
// pixels at 90 per inch).
#include <cstdio>

#include "commands.h"
#include "svginfo/svg_info.h"

namespace pictara::tool {

int RunInfo(const Args& args) {
  const std::optional<std::string> text = ReadSvgArgument(args, "info FILE", 102400);
  if (!text) return 2;
  TSVGInfo info;
  const bool ok = ReadSvgInfo(*text, info);
  if (ok) {
    CalcSvgPixelSize(info, 90);
  } else {
    info = TSVGInfo();
  }
  std::printf("Width: %s\nHeight: %s\nViewBox: %s\nSize: %d x %d\n", info.Width.c_str(), info.Height.c_str(),
              info.ViewBox.c_str(), info.IntWidth, info.IntHeight);
  return ok ? 0 : 1;
}

}  // namespace pictara::tool
