#include "viewer/clipboard_copy.h"

#include <memory>

#include "imagebox/zoom_image.h"
#include "platform/image_codec.h"
#include "render/raster.h"
#include "viewer/busy_cursor.h"

namespace pictara {

namespace {

// The clipboard opened for adding data, closed however the scope ends.
class TClipboardOpenScope {
 public:
  explicit TClipboardOpenScope(IClipboard& clipboard) : clipboard_(clipboard) { clipboard_.Open(); }
  ~TClipboardOpenScope() { clipboard_.Close(); }
  TClipboardOpenScope(const TClipboardOpenScope&) = delete;
  TClipboardOpenScope& operator=(const TClipboardOpenScope&) = delete;

 private:
  IClipboard& clipboard_;
};

std::string EncodeOrThrow(const PngImage& png) {
  std::string error;
  std::optional<std::string> bytes = EncodePng(png, &error);
  if (!bytes) throw PngError(error.empty() ? "The PNG image cannot be saved" : error);
  return std::move(*bytes);
}

// Any PNG image as 8-bit RGBA, its palette alpha and colour key turned into alpha.
PngImage ToRgba8(const PngImage& png) {
  PngImage out;
  if (!out.Allocate(png.width, png.height, PngColorType::Rgba, 8)) throw PngError("Out of memory");
  for (int32_t y = 0; y < png.height; ++y) {
    uint8_t* d = out.Row(y);
    for (int32_t x = 0; x < png.width; ++x, d += 4) {
      const Rgba p = png.PixelAt(x, y);
      d[0] = p.r;
      d[1] = p.g;
      d[2] = p.b;
      d[3] = p.a;
    }
  }
  return out;
}

void CopyBitmapAndPng(const Picture& picture, bool copyPng, IClipboard& clipboard) {
  clipboard.AssignBitmap(ClipboardBitmap(picture));
  if (!copyPng) return;
  TClipboardOpenScope open(clipboard);
  const std::optional<std::string> png = ClipboardPngBytes(picture);
  if (!png) return;
  const uint32_t format = clipboard.RegisterFormat(kPngClipboardFormat);
  if (format == 0) return;
  // No memory, no lock or a refused block: the PNG is left out, the bitmap stays.
  clipboard.AddData(format, *png);
}

}  // namespace

Bitmap ClipboardBitmap(const Picture& picture) {
  const std::optional<imagebox::DisplayPicture> display = imagebox::MakeDisplayPicture(picture, false);
  if (!display) throw ImageError(picture.Empty() ? "No picture to copy" : "Out of memory");
  Bitmap out;
  if (!imagebox::FlattenOnto(*display, 0x000000, out)) throw ImageError("Out of memory");
  return out;
}

std::optional<std::string> ClipboardPngBytes(const Picture& picture) {
  if (const Bitmap* bitmap = picture.AsBitmap()) {
    if (bitmap->pixelFormat != PixelFormat::pf32bit) return std::nullopt;
    return EncodeOrThrow(BitmapToPngWithAlpha(*bitmap));
  }
  if (const PngImage* png = picture.Png()) {
    const bool encodable = png->bitDepth == 8 && (png->colorType == PngColorType::Rgb ||
                                                  png->colorType == PngColorType::Rgba) && !png->colorKey;
    return EncodeOrThrow(encodable ? *png : ToRgba8(*png));
  }
  return std::nullopt;
}

void CopyPictureToClipboard(const Picture& picture, bool copyPng, IClipboard& clipboard, ICursor& cursor) {
  if (!copyPng) {
    CopyBitmapAndPng(picture, false, clipboard);
    return;
  }
  TBusyCursorScope busy(cursor);
  CopyBitmapAndPng(picture, true, clipboard);
}

}  // namespace pictara
