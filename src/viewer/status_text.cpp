#include "viewer/status_text.h"

#include <cstdio>
#include <cstdlib>

#include "platform/files.h"
#include "render/elapsed.h"

namespace pictara {
namespace {

std::string Format(const char* format, auto... args) {
  const int n = std::snprintf(nullptr, 0, format, args...);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, args...);
  out.resize(static_cast<size_t>(n));
  return out;
}

}  // namespace

std::string DrawingSizePart(const TStatusInfo& info) {
  if (info.WidthFromFile <= 0 || info.HeightFromFile <= 0) return {};
  std::string s = Format(" / %d x %d", info.WidthFromFile, info.HeightFromFile);
  if (info.ShowOriginalToLoadedRatioPercent) {
    s += "  (" + std::to_string(MulDiv(info.Width, 100, info.WidthFromFile)) + "%)";
  }
  return s;
}

std::string StatusText(const TStatusInfo& info) {
  const std::string size = DrawingSizePart(info);
  const std::string name = ExtractFileName(info.OpenedFileName);
  std::string text =
      info.FileCount > 1
          ? Format("%d x %d x %d  (%d%%)%s  -  [%d/%d]  -  %s", info.Width, info.Height, info.BitsPerPixel,
                   info.Scale, size.c_str(), info.FileIndex + 1, info.FileCount, name.c_str())
          : Format("%d x %d x %d  (%d%%)%s  -  %s", info.Width, info.Height, info.BitsPerPixel, info.Scale,
                   size.c_str(), name.c_str());
  if (info.ShowLoadingTime) {
    text += "   (" + FormatElapsed(static_cast<double>(info.ElapsedMs) / 1000.0, true, true, false) + ")";
  }
  return text;
}

std::optional<std::string> NewListerCaption(const TCaptionInfo& info) {
  if (info.ListerHasParent) return std::nullopt;
  const std::string old = info.CurrentCaption.value_or(std::string());
  const size_t bracket = old.find('[');
  const std::string base = bracket == std::string::npos ? std::string("(Pictara) - ") : old.substr(0, bracket);
  const std::string caption =
      info.FileCount > 1
          ? Format("%s[%d/%d, %s, %s]", base.c_str(), info.FileIndex + 1, info.FileCount,
                   ExtractFileName(info.OpenedFileName).c_str(), info.OpenedFileName.c_str())
          : Format("%s[%s]", base.c_str(), info.OpenedFileName.c_str());
  if (caption == old) return std::nullopt;
  return caption;
}

}  // namespace pictara
