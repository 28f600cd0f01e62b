// The PNG path of a converter's output: the direct decoder for the simple kind, the full decoder
// (libpng here) for everything, then the picture model's conversion to the bitmap the viewer
// shows. Where the direct decoder decodes, the full decoder must agree pixel for pixel; where it
// says the file is damaged, the full decoder must not produce a different image silently.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image_codec.h"
#include "platform/png_simple.h"
#include "render/raster.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pictara;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  PngImage simple;
  const SimplePngResult kind = DecodeSimplePng(bytes, simple);
  std::string error;
  const auto full = DecodePng(bytes, &error);
  if (kind == SimplePngResult::Decoded && full) {
    if (full->width != simple.width || full->height != simple.height ||
        full->colorType != simple.colorType || full->bitDepth != simple.bitDepth ||
        full->pixels != simple.pixels)
      __builtin_trap();
  }

  const PngImage* image = kind == SimplePngResult::Decoded ? &simple : full ? &*full : nullptr;
  if (!image) return 0;
  // Keep the conversion to sizes a viewer could hold; the decoders have checked the rest.
  if (static_cast<uint64_t>(image->width) * static_cast<uint64_t>(image->height) > (1u << 22)) return 0;
  try {
    const Bitmap bmp = PngToBitmap(*image);
    if (bmp.bits.size() != static_cast<size_t>(bmp.height) * bmp.Stride()) __builtin_trap();
    if (bmp.pixelFormat == PixelFormat::pf32bit) {
      const PngImage back = BitmapToPngWithAlpha(bmp);
      if (back.width != bmp.width || back.height != bmp.height) __builtin_trap();
    }
  } catch (const PngError&) {
  }
  return 0;
}
