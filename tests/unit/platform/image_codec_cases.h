// What each raster fixture holds, shared by the native codec test and the Windows codec test so
// that both decoders are held to the same answers. Fixtures: tests/fixtures/raster/ (made by
// make_fixtures.sh there).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>

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

// A PNG file made here: the 8-bit header for width x height of colour type `type`, one IDAT chunk
// holding `idat` as it is (a zlib stream, or a cut piece of one), then IEND; chunk checksums right.
inline std::string MakePng(uint32_t width, uint32_t height, uint8_t type, const std::string& idat) {
  auto be32 = [](uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
  };
  auto chunk = [&](const char* name, const std::string& body) {
    const std::string typed = name + body;
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()));
    return be32(static_cast<uint32_t>(body.size())) + typed + be32(static_cast<uint32_t>(crc));
  };
  const std::string header = be32(width) + be32(height) + std::string{8, static_cast<char>(type), 0, 0, 0};
  return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", idat) + chunk("IEND", "");
}

// The zlib stream of `rows` rows of `rowBytes` zero bytes, each after filter byte 0, compressed
// as far as zlib can: the most pixels a PNG file of its size can honestly hold.
inline std::string ZeroRows(size_t rowBytes, size_t rows) {
  const std::string raw((rowBytes + 1) * rows, '\0');
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
            static_cast<uLong>(raw.size()), 9);
  out.resize(size);
  return out;
}

}  // namespace pictara::testing
