#include "base/picture.h"

#include <cstring>
#include <limits>
#include <new>

namespace pictara {

namespace {

// Pixel memory is bounded well below what size_t holds on 32-bit builds, so that stride × height
// and later index arithmetic can never wrap.
constexpr size_t kMaxPixelBytes = std::numeric_limits<size_t>::max() / 4;

bool MulFits(size_t a, size_t b, size_t& out) {
  if (a != 0 && b > kMaxPixelBytes / a) return false;
  out = a * b;
  return true;
}

// Zeroed pixel memory; false instead of an exception when there is not enough of it.
bool AllocateZeroed(size_t bytes, std::vector<uint8_t>& out) {
  try {
    out.assign(bytes, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool ValidPngDepth(PngColorType type, int depth) {
  switch (type) {
    case PngColorType::Grey:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case PngColorType::Palette:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case PngColorType::Rgb:
    case PngColorType::GreyAlpha:
    case PngColorType::Rgba:
      return depth == 8 || depth == 16;
  }
  return false;
}

}  // namespace

// ---- PngImage ---------------------------------------------------------------------------------

int PngImage::Channels() const {
  switch (colorType) {
    case PngColorType::Grey:
    case PngColorType::Palette:
      return 1;
    case PngColorType::GreyAlpha:
      return 2;
    case PngColorType::Rgb:
      return 3;
    case PngColorType::Rgba:
      return 4;
  }
  return 1;
}

bool PngImage::HasPaletteAlpha() const {
  if (colorType != PngColorType::Palette) return false;
  for (const Rgba& e : palette)
    if (e.a != 255) return true;
  return false;
}

bool PngImage::HasAlphaChannel() const {
  return colorType == PngColorType::GreyAlpha || colorType == PngColorType::Rgba || HasPaletteAlpha();
}

bool PngImage::Allocate(int32_t w, int32_t h, PngColorType type, int depth) {
  if (w <= 0 || h <= 0 || !ValidPngDepth(type, depth)) return false;
  PngImage probe;
  probe.colorType = type;
  size_t bitsPerPixel = static_cast<size_t>(probe.Channels()) * static_cast<size_t>(depth);
  size_t rowBits = 0, total = 0;
  if (!MulFits(static_cast<size_t>(w), bitsPerPixel, rowBits)) return false;
  size_t row = (rowBits + 7) / 8;
  if (!MulFits(row, static_cast<size_t>(h), total)) return false;
  std::vector<uint8_t> mem;
  if (!AllocateZeroed(total, mem)) return false;
  width = w;
  height = h;
  colorType = type;
  bitDepth = depth;
  rowBytes = row;
  pixels = std::move(mem);
  return true;
}

uint16_t PngImage::Sample(int32_t x, int32_t y, int channel) const {
  const uint8_t* row = Row(y);
  if (bitDepth == 16) {
    const uint8_t* p = row + (static_cast<size_t>(x) * Channels() + channel) * 2;
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
  }
  if (bitDepth == 8) return row[static_cast<size_t>(x) * Channels() + channel];
  // Sub-byte depths only occur with one channel.
  size_t bit = static_cast<size_t>(x) * bitDepth;
  int shift = 8 - bitDepth - static_cast<int>(bit % 8);
  return static_cast<uint16_t>((row[bit / 8] >> shift) & ((1 << bitDepth) - 1));
}

Rgba PngImage::PixelAt(int32_t x, int32_t y) const {
  auto to8 = [this](uint16_t v) -> uint8_t {
    switch (bitDepth) {
      case 16: return static_cast<uint8_t>(v >> 8);
      case 8: return static_cast<uint8_t>(v);
      default: return static_cast<uint8_t>(v * 255 / ((1 << bitDepth) - 1));
    }
  };
  Rgba c;
  switch (colorType) {
    case PngColorType::Grey: {
      uint16_t v = Sample(x, y, 0);
      c.r = c.g = c.b = to8(v);
      if (colorKey && colorKey->grey == v) c.a = 0;
      break;
    }
    case PngColorType::GreyAlpha:
      c.r = c.g = c.b = to8(Sample(x, y, 0));
      c.a = to8(Sample(x, y, 1));
      break;
    case PngColorType::Rgb: {
      uint16_t r = Sample(x, y, 0), g = Sample(x, y, 1), b = Sample(x, y, 2);
      c.r = to8(r);
      c.g = to8(g);
      c.b = to8(b);
      if (colorKey && colorKey->red == r && colorKey->green == g && colorKey->blue == b) c.a = 0;
      break;
    }
    case PngColorType::Rgba:
      c.r = to8(Sample(x, y, 0));
      c.g = to8(Sample(x, y, 1));
      c.b = to8(Sample(x, y, 2));
      c.a = to8(Sample(x, y, 3));
      break;
    case PngColorType::Palette: {
      uint16_t i = Sample(x, y, 0);
      // An index beyond the palette reads as opaque black, as decoders commonly do.
      c = i < palette.size() ? palette[i] : Rgba{0, 0, 0, 255};
      break;
    }
  }
  return c;
}

// ---- Bitmap -----------------------------------------------------------------------------------

int BitsPerPixel(PixelFormat format) { return static_cast<int>(format); }

size_t DibStride(int32_t width, PixelFormat format) {
  if (width <= 0) return 0;
  size_t bits = 0;
  if (!MulFits(static_cast<size_t>(width), static_cast<size_t>(BitsPerPixel(format)), bits)) return 0;
  return ((bits + 31) / 32) * 4;
}

uint8_t* Bitmap::Row(int32_t y) {
  size_t row = bottomUp ? static_cast<size_t>(height - 1 - y) : static_cast<size_t>(y);
  return bits.data() + row * Stride();
}

const uint8_t* Bitmap::Row(int32_t y) const {
  size_t row = bottomUp ? static_cast<size_t>(height - 1 - y) : static_cast<size_t>(y);
  return bits.data() + row * Stride();
}

bool Bitmap::SetSize(int32_t w, int32_t h, PixelFormat format) {
  if (w < 0 || h < 0) return false;
  size_t total = 0;
  if (w > 0 && h > 0) {
    size_t stride = DibStride(w, format);
    if (stride == 0 || !MulFits(stride, static_cast<size_t>(h), total)) return false;
  }
  std::vector<uint8_t> mem;
  if (!AllocateZeroed(total, mem)) return false;
  width = w;
  height = h;
  pixelFormat = format;
  bits = std::move(mem);
  return true;
}

Rgba Bitmap::PixelAt(int32_t x, int32_t y) const {
  const uint8_t* row = Row(y);
  switch (pixelFormat) {
    case PixelFormat::pf32bit: {
      const uint8_t* p = row + static_cast<size_t>(x) * 4;
      return Rgba{p[2], p[1], p[0], p[3]};
    }
    case PixelFormat::pf24bit: {
      const uint8_t* p = row + static_cast<size_t>(x) * 3;
      return Rgba{p[2], p[1], p[0], 255};
    }
    default: {
      int bpp = BitsPerPixel(pixelFormat);
      size_t bit = static_cast<size_t>(x) * bpp;
      int shift = 8 - bpp - static_cast<int>(bit % 8);
      size_t i = (row[bit / 8] >> shift) & ((1 << bpp) - 1);
      Rgba c = i < palette.size() ? palette[i] : Rgba{};
      c.a = 255;
      return c;
    }
  }
}

bool Bitmap::ConvertTo(PixelFormat format) {
  if (format == pixelFormat) return true;
  if (format != PixelFormat::pf24bit && format != PixelFormat::pf32bit) return false;
  Bitmap out;
  out.bottomUp = bottomUp;
  if (!out.SetSize(width, height, format)) return false;
  const bool to32 = format == PixelFormat::pf32bit;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* d = out.Row(y);
    for (int32_t x = 0; x < width; ++x) {
      Rgba c = PixelAt(x, y);
      *d++ = c.b;
      *d++ = c.g;
      *d++ = c.r;
      if (to32) *d++ = c.a;
    }
  }
  pixelFormat = format;
  bits = std::move(out.bits);
  if (!to32) alphaFormat = AlphaFormat::afIgnored;
  palette.clear();
  return true;
}

// ---- Picture ----------------------------------------------------------------------------------

int32_t Picture::Width() const {
  if (auto* p = Png()) return p->width;
  if (auto* b = AsBitmap()) return b->width;
  return 0;
}

int32_t Picture::Height() const {
  if (auto* p = Png()) return p->height;
  if (auto* b = AsBitmap()) return b->height;
  return 0;
}

}  // namespace pictara
