#include "render/raster.h"

#include <algorithm>
#include <cmath>

#include "platform/image_codec.h"

namespace pictara {

namespace {

std::string LowerExtension(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  const size_t sep = name.find_last_of("/\\");
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return {};
  std::string ext = name.substr(dot);
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext;
}

Bitmap NewBitmap(int32_t w, int32_t h, PixelFormat format) {
  Bitmap b;
  if (!b.SetSize(w, h, format)) throw PngError("Out of memory for the bitmap");
  return b;
}

// One pixel composited over a destination pixel d (B, G, R, A), with the integer rounding that
// keeps premultiplied colour within its alpha.
inline void CompositeOver(uint8_t* d, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  if (a == 0) return;
  if (a == 255) {
    d[0] = b;
    d[1] = g;
    d[2] = r;
    d[3] = 255;
    return;
  }
  const unsigned na = 255u - a;
  d[0] = static_cast<uint8_t>((b * a + d[0] * na + 127) / 255);
  d[1] = static_cast<uint8_t>((g * a + d[1] * na + 127) / 255);
  d[2] = static_cast<uint8_t>((r * a + d[2] * na + 127) / 255);
  d[3] = static_cast<uint8_t>(255 - ((255u - d[3]) * na + 127) / 255);
}

Bitmap PremultipliedFromPng(const PngImage& png) {
  Bitmap bmp = NewBitmap(png.width, png.height, PixelFormat::pf32bit);
  bmp.alphaFormat = AlphaFormat::afDefined;
  const bool rgba8 = png.colorType == PngColorType::Rgba && png.bitDepth == 8;
  for (int32_t y = 0; y < png.height; ++y) {
    uint8_t* d = bmp.Row(y);
    if (rgba8) {
      // What rsvg-convert and Inkscape write; the picture can be very large, so no per-pixel
      // dispatch here.
      const uint8_t* s = png.Row(y);
      for (int32_t x = 0; x < png.width; ++x, s += 4, d += 4) CompositeOver(d, s[0], s[1], s[2], s[3]);
    } else {
      for (int32_t x = 0; x < png.width; ++x, d += 4) {
        const Rgba c = png.PixelAt(x, y);
        CompositeOver(d, c.r, c.g, c.b, c.a);
      }
    }
  }
  return bmp;
}

// Grey levels as a palette for sub-byte grey images.
std::vector<Rgba> GreyPalette(int depth) {
  const int count = 1 << depth;
  std::vector<Rgba> p(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const auto v = static_cast<uint8_t>(i * 255 / (count - 1));
    p[i] = Rgba{v, v, v, 255};
  }
  return p;
}

Bitmap PlainFromPng(const PngImage& png) {
  const int depth = png.bitDepth;
  const bool indexed = png.colorType == PngColorType::Palette ||
                       (png.colorType == PngColorType::Grey && depth < 8);
  if (indexed) {
    const PixelFormat format = depth == 1 ? PixelFormat::pf1bit
                               : depth <= 4 ? PixelFormat::pf4bit
                                            : PixelFormat::pf8bit;
    Bitmap bmp = NewBitmap(png.width, png.height, format);
    bmp.palette = png.colorType == PngColorType::Palette ? png.palette : GreyPalette(depth);
    for (Rgba& e : bmp.palette) e.a = 255;
    for (int32_t y = 0; y < png.height; ++y) {
      uint8_t* d = bmp.Row(y);
      if (depth == 2) {
        // Two-bit indices widen to four bits: each source byte makes two bitmap bytes.
        for (int32_t x = 0; x < png.width; ++x) {
          const auto v = static_cast<uint8_t>(png.Sample(x, y, 0));
          d[x / 2] = static_cast<uint8_t>(d[x / 2] | (x % 2 ? v : v << 4));
        }
      } else {
        std::copy(png.Row(y), png.Row(y) + png.rowBytes, d);
      }
    }
    if (png.colorKey && png.colorType == PngColorType::Grey) {
      const auto i = static_cast<size_t>(png.colorKey->grey);
      if (i < bmp.palette.size()) bmp.transparentColor = bmp.palette[i];
    }
    return bmp;
  }
  Bitmap bmp = NewBitmap(png.width, png.height, PixelFormat::pf24bit);
  for (int32_t y = 0; y < png.height; ++y) {
    uint8_t* d = bmp.Row(y);
    for (int32_t x = 0; x < png.width; ++x, d += 3) {
      const Rgba c = png.PixelAt(x, y);
      d[0] = c.b;
      d[1] = c.g;
      d[2] = c.r;
    }
  }
  if (png.colorKey) {
    const PngColorKey& k = *png.colorKey;
    auto to8 = [&](uint16_t v) { return static_cast<uint8_t>(depth == 16 ? v >> 8 : v); };
    bmp.transparentColor = png.colorType == PngColorType::Grey
                               ? Rgba{to8(k.grey), to8(k.grey), to8(k.grey), 255}
                               : Rgba{to8(k.red), to8(k.green), to8(k.blue), 255};
  }
  return bmp;
}

}  // namespace

Bitmap PngToBitmap(const PngImage& png) {
  if (png.HasAlphaChannel()) return PremultipliedFromPng(png);
  return PlainFromPng(png);
}

Picture LoadRasterResult(const std::string& FileName, bool InternalConvertPNGtoBitmap) {
  const std::string ext = LowerExtension(FileName);
  Picture picture;
  std::string error;
  if (ext == ".png") {
    std::optional<PngImage> png = DecodePngFile(FileName, &error);
    if (!png) throw PngError(error);
    if (InternalConvertPNGtoBitmap) {
      Bitmap bmp = PngToBitmap(*png);
      png.reset();  // one copy of the raster less while the picture is handed over
      picture.graphic = std::move(bmp);
    } else {
      picture.graphic = std::move(*png);
    }
  } else if (ext == ".bmp") {
    std::optional<Bitmap> bmp = ReadBmpFile(FileName, &error);
    if (!bmp) throw ImageError(error);
    picture.graphic = std::move(*bmp);
  } else {
    throw ImageError("Unknown picture file extension (" + ext + ")");
  }
  return picture;
}

PngImage BitmapToPngWithAlpha(const Bitmap& bitmap) {
  if (bitmap.pixelFormat != PixelFormat::pf32bit) throw PngError("Bitmap PixelFormat must be pf32bit");
  PngImage png;
  if (!png.Allocate(bitmap.width, bitmap.height, PngColorType::Rgba, 8))
    throw PngError("Out of memory for the PNG image");
  const bool premultiplied = bitmap.alphaFormat != AlphaFormat::afIgnored;
  for (int32_t y = 0; y < bitmap.height; ++y) {
    const uint8_t* s = bitmap.Row(y);
    uint8_t* d = png.Row(y);
    for (int32_t x = 0; x < bitmap.width; ++x, s += 4, d += 4) {
      const uint8_t a = s[3];
      d[3] = a;
      if (!premultiplied) {
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
      } else if (a == 0) {
        d[0] = d[1] = d[2] = 0;
      } else {
        // Rounded to nearest, halves to even (the default floating-point rounding). A colour above
        // its alpha (not truly premultiplied) saturates instead of wrapping around.
        auto unpremultiply = [a](uint8_t c) {
          const double v = std::nearbyint(static_cast<double>(c) / a * 255.0);
          return static_cast<uint8_t>(v > 255.0 ? 255.0 : v);
        };
        d[0] = unpremultiply(s[2]);
        d[1] = unpremultiply(s[1]);
        d[2] = unpremultiply(s[0]);
      }
    }
  }
  return png;
}

int GetImageBitsPerPixel(const Picture& picture) {
  if (const Bitmap* b = picture.AsBitmap()) return BitsPerPixel(b->pixelFormat);
  if (const PngImage* p = picture.Png()) return p->bitDepth;
  return 0;
}

}  // namespace pictara
