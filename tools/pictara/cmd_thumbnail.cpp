// pictara thumbnail FILE --size WxH -o OUT.png: the thumbnail the host would get, with the
// settings beside the tool, written as a PNG (RGBA when the bitmap has alpha, RGB otherwise).
#include <cstdio>
#include <filesystem>
#include <string>

#include "commands.h"
#include "platform/image_codec.h"
#include "render/raster.h"
#include "render/thumbnail.h"
#include "settings/settings.h"

namespace pictara::tool {

namespace {

bool ParseSize(const std::string& text, Size& size) {
  int w = 0, h = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &extra) != 2 || w <= 0 || h <= 0) return false;
  size = {w, h};
  return true;
}

// The bitmap as a PNG image: 32-bit keeps its alpha (premultiplied colour divided back), anything
// else is written as RGB.
PngImage ToPng(Bitmap bitmap) {
  if (bitmap.pixelFormat == PixelFormat::pf32bit) return BitmapToPngWithAlpha(bitmap);
  if (!bitmap.ConvertTo(PixelFormat::pf24bit)) throw ImageError("Out of memory");
  PngImage png;
  if (!png.Allocate(bitmap.width, bitmap.height, PngColorType::Rgb, 8)) throw ImageError("Out of memory");
  for (int32_t y = 0; y < bitmap.height; ++y) {
    const uint8_t* s = bitmap.Row(y);
    uint8_t* d = png.Row(y);
    for (int32_t x = 0; x < bitmap.width; ++x, s += 3, d += 3) {
      d[0] = s[2];
      d[1] = s[1];
      d[2] = s[0];
    }
  }
  return png;
}

}  // namespace

int RunThumbnail(const Args& args) {
  std::string file, output;
  Size size;
  bool haveSize = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--size" && i + 1 < args.size()) {
      if (!(haveSize = ParseSize(args[++i], size))) break;
    } else if (args[i] == "-o" && i + 1 < args.size()) {
      output = args[++i];
    } else if (file.empty() && !args[i].starts_with("-")) {
      file = args[i];
    } else {
      file.clear();
      break;
    }
  }
  if (file.empty() || output.empty() || !haveSize) {
    std::fputs("usage: pictara thumbnail FILE --size WxH -o OUT.png\n", stderr);
    return 2;
  }
  // The host always passes full names; the converter runs in its own folder, and reading the
  // settings may change the current directory.
  std::error_code ec;
  file = std::filesystem::absolute(file, ec).string();
  output = std::filesystem::absolute(output, ec).string();
  LoadSettings();
  std::optional<Bitmap> bitmap = MakeThumbnailBitmap(file, size, Settings().DontResizeSmallThumbnail);
  if (!bitmap) {
    std::fprintf(stderr, "pictara: no thumbnail for '%s'\n", file.c_str());
    return 1;
  }
  const int32_t w = bitmap->width, h = bitmap->height;
  std::string error;
  try {
    if (!WritePngFile(output, ToPng(std::move(*bitmap)), &error)) {
      std::fprintf(stderr, "pictara: %s\n", error.c_str());
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pictara: %s\n", e.what());
    return 1;
  }
  std::printf("Thumbnail: %d x %d\n", w, h);
  return 0;
}

}  // namespace pictara::tool
