// The pictures the plug-in holds in memory: a decoded PNG image in its own format, or a
// device-independent bitmap laid out exactly as Windows lays out a DIB, so that the Win32 side can
// hand `Bitmap::bits` to StretchDIBits / CreateDIBSection / AlphaBlend without reshaping.
//
// PngImage
//   Pixels are the PNG's own rows after decoding and de-interlacing: samples packed MSB first when
//   the bit depth is below 8, 16-bit samples big-endian, channels in PNG order (grey; grey, alpha;
//   R, G, B; R, G, B, A; palette index). Rows are top-down, `rowBytes` apart, without padding.
//   A palette image's tRNS chunk becomes the alpha of its palette entries; the tRNS of a grey or
//   true-colour image is the colour key `colorKey` (in sample units of the bit depth).
//
// Bitmap
//   1, 4, 8 bits per pixel with a palette, 24 bits (B, G, R) or 32 bits (B, G, R, A). Every row is
//   padded to a multiple of 4 bytes (`Stride`). Row 0 is the top row of the picture; with
//   `bottomUp` the rows are stored bottom row first, as in a DIB with positive height. For 32 bits
//   `alphaFormat` says how to read the fourth byte: ignored, straight alpha, or premultiplied
//   colour (no colour byte above its alpha).
//
// To draw a Bitmap on Windows: BITMAPINFOHEADER{biWidth = width, biHeight = bottomUp ? height :
// -height, biBitCount = bpp, biCompression = BI_RGB, biClrUsed = palette size} followed by the
// palette as RGBQUADs (blue, green, red, 0), and `bits.data()` as the pixel bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace pictara {

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 255;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

// ---- PNG image --------------------------------------------------------------------------------

enum class PngColorType : uint8_t { Grey = 0, Rgb = 2, Palette = 3, GreyAlpha = 4, Rgba = 6 };

// A tRNS colour key of a grey or true-colour image; for grey only `grey` counts.
struct PngColorKey {
  uint16_t grey = 0, red = 0, green = 0, blue = 0;
  friend bool operator==(const PngColorKey&, const PngColorKey&) = default;
};

struct PngImage {
  int32_t width = 0;
  int32_t height = 0;
  PngColorType colorType = PngColorType::Rgba;
  int bitDepth = 8;                       // 1, 2, 4, 8 or 16
  std::vector<Rgba> palette;              // colour type 3 only; alpha from tRNS, else 255
  std::optional<PngColorKey> colorKey;    // tRNS of colour types 0 and 2
  size_t rowBytes = 0;
  std::vector<uint8_t> pixels;            // height * rowBytes

  int Channels() const;                   // samples per pixel: 1, 2, 3 or 4
  // True when some pixel may be partly or fully transparent through an alpha channel or palette
  // alpha (not through the colour key).
  bool HasAlphaChannel() const;
  bool HasPaletteAlpha() const;
  uint8_t* Row(int32_t y) { return pixels.data() + static_cast<size_t>(y) * rowBytes; }
  const uint8_t* Row(int32_t y) const { return pixels.data() + static_cast<size_t>(y) * rowBytes; }
  // Sample `channel` of pixel x in row y, in units of the bit depth (0..2^depth-1).
  uint16_t Sample(int32_t x, int32_t y, int channel) const;
  // Pixel (x, y) as 8-bit straight RGBA: 16-bit samples keep their high byte, sub-byte grey is
  // scaled to 0..255, a pixel matching the colour key gets alpha 0.
  Rgba PixelAt(int32_t x, int32_t y) const;

  // Sets width, height, type and depth and allocates zeroed pixels. False (image unchanged) when
  // the sizes are not positive or the pixel memory would overflow.
  bool Allocate(int32_t w, int32_t h, PngColorType type, int depth);
};

// ---- Bitmap -----------------------------------------------------------------------------------

enum class PixelFormat : uint8_t { pf1bit = 1, pf4bit = 4, pf8bit = 8, pf24bit = 24, pf32bit = 32 };
enum class AlphaFormat : uint8_t { afIgnored, afDefined, afPremultiplied };

int BitsPerPixel(PixelFormat format);
// Bytes of one row of `width` pixels, padded to 4 bytes as DIB rows are; 0 on overflow.
size_t DibStride(int32_t width, PixelFormat format);

struct Bitmap {
  int32_t width = 0;
  int32_t height = 0;
  PixelFormat pixelFormat = PixelFormat::pf24bit;
  AlphaFormat alphaFormat = AlphaFormat::afIgnored;
  bool bottomUp = false;
  std::vector<Rgba> palette;               // 1, 4, 8 bits; alpha unused
  std::optional<Rgba> transparentColor;    // simple transparency carried over from a PNG colour key
  std::vector<uint8_t> bits;               // height * Stride()

  bool Empty() const { return width <= 0 || height <= 0; }
  size_t Stride() const { return DibStride(width, pixelFormat); }
  // Row y counted from the top of the picture, wherever it sits in memory.
  uint8_t* Row(int32_t y);
  const uint8_t* Row(int32_t y) const;

  // Gives the bitmap a new size and format with zeroed pixels (row order and alpha format kept).
  // False, and the bitmap unchanged, when a size is negative or the memory would overflow or
  // cannot be had. A size of 0 leaves an empty bitmap.
  bool SetSize(int32_t w, int32_t h, PixelFormat format);
  // Converts the pixels in place: palette formats expand through the palette; 24 -> 32 gives
  // opaque alpha; 32 -> 24 drops the alpha byte. Converting to a palette format is not offered.
  // False on failure (bitmap unchanged).
  bool ConvertTo(PixelFormat format);
  // The colour of pixel (x, y) from the top, alpha 255 unless the pixel is 32-bit.
  Rgba PixelAt(int32_t x, int32_t y) const;
};

// ---- Picture ----------------------------------------------------------------------------------

// What the viewer holds: nothing, a PNG image or a bitmap.
struct Picture {
  std::variant<std::monostate, PngImage, Bitmap> graphic;

  bool Empty() const { return std::holds_alternative<std::monostate>(graphic); }
  const PngImage* Png() const { return std::get_if<PngImage>(&graphic); }
  PngImage* Png() { return std::get_if<PngImage>(&graphic); }
  const Bitmap* AsBitmap() const { return std::get_if<Bitmap>(&graphic); }
  Bitmap* AsBitmap() { return std::get_if<Bitmap>(&graphic); }
  int32_t Width() const;
  int32_t Height() const;
};

}  // namespace pictara
