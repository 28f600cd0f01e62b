// What each raster fixture holds, shared by the native codec test and the Windows codec test so
// that both decoders are held to the same answers. Fixtures: tests/fixtures/raster/ (made by
// make_fixtures.sh there).
#pragma once

#include <cstdint>

namespace pictara::testing {

struct Probe {
  int x, y;
  uint8_t r, g, b, a;
};

struct PngCase {
  const char* file;
  int width, height;
  int colorType;  // as in the PNG header
  int bitDepth;
  int paletteSize;           // 0 for non-palette images
  bool hasAlphaChannel;      // alpha channel or palette alpha
  bool hasColorKey;
  Probe probes[4];
  uint32_t pixelHash;
};

// The 13 x 7 base picture: red columns 0-4, blue block x 5-8 / y 0-3, black pixel (12, 6), white
// elsewhere. Gradients run from the top row to the bottom row; the grey values in between are
// what ImageMagick wrote, as Pillow reads them.
inline constexpr PngCase kPngCases[] = {
    {"palette8.png", 13, 7, 3, 8, 4, false, false,
     {{0, 0, 255, 0, 0, 255}, {6, 1, 0, 0, 255, 255}, {12, 6, 0, 0, 0, 255}, {10, 2, 255, 255, 255, 255}}, 0x367EC13A},
    {"grey1.png", 13, 7, 0, 1, 0, false, false,
     {{0, 0, 0, 0, 0, 255}, {6, 1, 0, 0, 0, 255}, {12, 6, 0, 0, 0, 255}, {10, 2, 255, 255, 255, 255}}, 0xD76DCF21},
    {"grey2.png", 13, 7, 0, 2, 0, false, false,
     {{0, 0, 0, 0, 0, 255}, {12, 0, 0, 0, 0, 255}, {0, 6, 255, 255, 255, 255}, {5, 1, 170, 170, 170, 255}}, 0xBA8BE321},
    {"grey4.png", 13, 7, 0, 4, 0, false, false,
     {{0, 0, 0, 0, 0, 255}, {12, 0, 0, 0, 0, 255}, {0, 6, 255, 255, 255, 255}, {5, 2, 85, 85, 85, 255}}, 0x0DA3F671},
    {"rgb16.png", 13, 7, 2, 16, 0, false, false,
     {{0, 0, 255, 0, 0, 255}, {12, 0, 255, 0, 0, 255}, {0, 6, 0, 0, 255, 255}, {7, 6, 0, 0, 255, 255}}, 0x6325DA9C},
    {"trns_rgb.png", 13, 7, 2, 8, 0, false, true,
     {{0, 0, 255, 0, 0, 255}, {6, 1, 0, 0, 255, 0}, {12, 6, 0, 0, 0, 255}, {10, 2, 255, 255, 255, 255}}, 0xEAE9441A},
    {"palette_alpha.png", 13, 7, 3, 2, 4, true, false,
     {{0, 0, 255, 0, 0, 255}, {1, 0, 0, 255, 0, 128}, {2, 0, 0, 0, 255, 0}, {3, 0, 10, 20, 30, 255}}, 0x2B8C02BD},
    {"interlaced.png", 13, 7, 2, 8, 0, false, false,
     {{0, 0, 255, 0, 0, 255}, {6, 1, 0, 0, 255, 255}, {12, 6, 0, 0, 0, 255}, {10, 2, 255, 255, 255, 255}}, 0x367EC13A},
    // rsvg-convert of shapes.svg: left half red at half opacity, a blue circle, a green square.
    {"rgba.png", 24, 16, 6, 8, 0, true, false,
     {{0, 15, 255, 0, 0, 128}, {16, 8, 0, 128, 255, 255}, {3, 3, 0, 255, 0, 255}, {23, 0, 0, 0, 0, 0}}, 0x52D24C9F},
};

struct BmpCase {
  const char* file;
  int width, height;
  int bitsPerPixel;
  Probe probes[4];
  uint32_t pixelHash;
};

// FNV-1a over the straight R, G, B, A bytes of every pixel (PixelAt), top row first. The values
// were taken from libpng's decoding and hold for WIC's as well; files that store the same picture
// share one value (the base picture as palette PNG, interlaced PNG, 24-bit and 4-bit BMP; the
// rsvg-convert drawing as PNG and as ImageMagick's 32-bit BMP).
template <class Image>
uint32_t PixelHash(const Image& image) {
  uint32_t h = 2166136261u;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const auto c = image.PixelAt(x, y);
      for (uint8_t b : {c.r, c.g, c.b, c.a}) {
        h ^= b;
        h *= 16777619u;
      }
    }
  return h;
}

inline constexpr BmpCase kBmpCases[] = {
    {"bmp24.bmp", 13, 7, 24,
     {{0, 0, 255, 0, 0, 255}, {6, 1, 0, 0, 255, 255}, {12, 6, 0, 0, 0, 255}, {10, 2, 255, 255, 255, 255}}, 0x367EC13A},
    {"bmp4.bmp", 13, 7, 4,
     {{0, 0, 255, 0, 0, 255}, {6, 1, 0, 0, 255, 255}, {12, 6, 0, 0, 0, 255}, {10, 2, 255, 255, 255, 255}}, 0x367EC13A},
    {"bmp1.bmp", 13, 7, 1,
     {{0, 0, 0, 0, 0, 255}, {6, 1, 0, 0, 0, 255}, {12, 6, 0, 0, 0, 255}, {10, 2, 255, 255, 255, 255}}, 0x3DEF58F0},
    // Two crossed gradients, values as Pillow reads them.
    {"bmp8.bmp", 13, 7, 8,
     {{0, 0, 255, 255, 0, 255}, {6, 1, 213, 128, 42, 255}, {12, 6, 0, 0, 255, 255}, {10, 2, 170, 42, 85, 255}}, 0xE2C6C3E3},
    // Straight alpha as ImageMagick writes it.
    {"bmp32.bmp", 24, 16, 32,
     {{0, 15, 255, 0, 0, 128}, {16, 8, 0, 128, 255, 255}, {3, 3, 0, 255, 0, 255}, {23, 0, 0, 0, 0, 0}}, 0x52D24C9F},
};

}  // namespace pictara::testing
