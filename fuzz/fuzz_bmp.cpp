// The BMP reader on any bytes (the converter's ".bmp" output and nothing else is read with it).
// A bitmap it returns must be whole: its bits as long as its rows, its palette within the pixel
// format's; every pixel readable and the conversion to 32 bits possible.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image_codec_bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pictara;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string error;
  auto bmp = ReadBmpPortable(bytes, &error);
  if (!bmp) return 0;
  if (bmp->width < 0 || bmp->height < 0) __builtin_trap();
  if (bmp->bits.size() != static_cast<size_t>(bmp->height) * bmp->Stride()) __builtin_trap();
  const int bpp = BitsPerPixel(bmp->pixelFormat);
  if (bpp <= 8 && bmp->palette.size() > (size_t{1} << bpp)) __builtin_trap();
  // Every pixel, through the palette where there is one (an index past its end must not read
  // outside it).
  uint32_t sum = 0;
  for (int32_t y = 0; y < bmp->height; ++y)
    for (int32_t x = 0; x < bmp->width; ++x) sum += bmp->PixelAt(x, y).r;
  (void)sum;
  if (!bmp->Empty() && !bmp->ConvertTo(PixelFormat::pf32bit)) return 0;
  if (bmp->bits.size() != static_cast<size_t>(bmp->height) * bmp->Stride()) __builtin_trap();
  return 0;
}
