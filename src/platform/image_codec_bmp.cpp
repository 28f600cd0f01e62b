#include <cstring>

#include "platform/image_codec_bmp.h"

namespace pictara {

namespace {

uint32_t U32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

constexpr uint32_t kBiRgb = 0, kBiBitfields = 3, kBiAlphaBitfields = 6;

// Shift of an 8-bit wide mask on a byte boundary, -1 for any other mask (and for 0).
int ByteMaskShift(uint32_t mask) {
  for (int shift = 0; shift <= 24; shift += 8)
    if (mask == (0xFFu << shift)) return shift;
  return -1;
}

std::optional<Bitmap> Fail(std::string* error, const char* message) {
  if (error) *error = message;
  return std::nullopt;
}

}  // namespace

bool BmpPixelDataFits(std::string_view bytes) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const size_t size = bytes.size();
  if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return true;
  const uint32_t offBits = U32(data + 10);
  const uint8_t* dib = data + 14;
  const uint32_t headerSize = U32(dib);
  int64_t width = 0, height = 0;
  uint32_t bpp = 0, compression = kBiRgb;
  if (headerSize == 12) {
    width = U16(dib + 4);
    height = static_cast<int16_t>(U16(dib + 6));
    bpp = U16(dib + 10);
  } else if (headerSize >= 40 && size >= 14 + 40) {
    width = static_cast<int32_t>(U32(dib + 4));
    height = static_cast<int32_t>(U32(dib + 8));
    bpp = U16(dib + 14);
    compression = U32(dib + 16);
  } else {
    return true;
  }
  if (compression != kBiRgb && compression != kBiBitfields && compression != kBiAlphaBitfields) return true;
  if (width <= 0 || height == 0 || bpp == 0 || bpp > 64) return true;
  if (height < 0) height = -height;
  const uint64_t stride = (static_cast<uint64_t>(width) * bpp + 31) / 32 * 4;
  if (offBits > size) return false;
  return stride <= (size - offBits) / static_cast<uint64_t>(height);
}

std::optional<Bitmap> ReadBmpPortable(std::string_view bytes, std::string* error) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const size_t size = bytes.size();
  if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return Fail(error, "Not a BMP file");
  const uint32_t offBits = U32(data + 10);
  const uint8_t* dib = data + 14;
  const uint32_t headerSize = U32(dib);
  if (headerSize < 12 || headerSize > size - 14) return Fail(error, "Invalid BMP header");

  int64_t width = 0, height = 0;
  uint32_t bpp = 0, compression = kBiRgb, colorsUsed = 0;
  size_t paletteEntrySize = 4;
  uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
  size_t afterHeader = 14 + headerSize;
  if (headerSize == 12) {
    width = U16(dib + 4);
    height = static_cast<int16_t>(U16(dib + 6));
    bpp = U16(dib + 10);
    paletteEntrySize = 3;
  } else {
    if (headerSize < 40) return Fail(error, "Invalid BMP header");
    width = static_cast<int32_t>(U32(dib + 4));
    height = static_cast<int32_t>(U32(dib + 8));
    bpp = U16(dib + 14);
    compression = U32(dib + 16);
    colorsUsed = U32(dib + 32);
    if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
      // Masks follow a 40-byte header and are part of the larger ones.
      const size_t count = compression == kBiAlphaBitfields ? 4 : 3;
      const size_t at = 14 + 40;
      if (at + 4 * count > size) return Fail(error, "Invalid BMP header");
      for (size_t i = 0; i < count; ++i) masks[i] = U32(data + at + 4 * i);
      if (headerSize >= 56) masks[3] = U32(data + at + 12);
      if (headerSize == 40) afterHeader += 4 * count;
    } else if (compression != kBiRgb) {
      return Fail(error, "Compressed BMP files are not supported");
    }
  }
  if (width <= 0 || height == 0 || height == INT32_MIN) return Fail(error, "Invalid BMP size");
  const bool bottomUp = height > 0;
  if (height < 0) height = -height;

  PixelFormat format;
  switch (bpp) {
    case 1: format = PixelFormat::pf1bit; break;
    case 4: format = PixelFormat::pf4bit; break;
    case 8: format = PixelFormat::pf8bit; break;
    case 24: format = PixelFormat::pf24bit; break;
    case 32: format = PixelFormat::pf32bit; break;
    default: return Fail(error, "Unsupported BMP pixel format");
  }
  if (compression != kBiRgb && bpp != 32) return Fail(error, "Unsupported BMP pixel format");

  // Before the declared size's memory is taken: a lying header must not cost gigabytes.
  if (!BmpPixelDataFits(bytes)) return Fail(error, "Truncated BMP pixel data");
  Bitmap bmp;
  bmp.bottomUp = bottomUp;
  if (!bmp.SetSize(static_cast<int32_t>(width), static_cast<int32_t>(height), format))
    return Fail(error, "Out of memory for BMP image");

  if (bpp <= 8) {
    const size_t maxColors = size_t{1} << bpp;
    size_t count = colorsUsed == 0 || colorsUsed > maxColors ? maxColors : colorsUsed;
    if (afterHeader > size || count > (size - afterHeader) / paletteEntrySize)
      return Fail(error, "Truncated BMP palette");
    bmp.palette.resize(count);
    for (size_t i = 0; i < count; ++i) {
      const uint8_t* e = data + afterHeader + i * paletteEntrySize;
      bmp.palette[i] = Rgba{e[2], e[1], e[0], 255};
    }
  }

  const size_t stride = bmp.Stride();
  if (offBits > size || stride * static_cast<size_t>(height) > size - offBits)
    return Fail(error, "Truncated BMP pixel data");
  const uint8_t* pixels = data + offBits;

  if (bpp == 32 && compression != kBiRgb &&
      !(masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF)) {
    int shift[4];
    for (int i = 0; i < 3; ++i)
      if ((shift[i] = ByteMaskShift(masks[i])) < 0) return Fail(error, "Unsupported BMP colour masks");
    shift[3] = masks[3] ? ByteMaskShift(masks[3]) : -1;
    if (masks[3] && shift[3] < 0) return Fail(error, "Unsupported BMP colour masks");
    // Memory row order is kept; only the bytes inside each pixel move.
    for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i) {
      const uint32_t v = U32(pixels + i * 4);
      uint8_t* d = bmp.bits.data() + i * 4;
      d[2] = static_cast<uint8_t>(v >> shift[0]);
      d[1] = static_cast<uint8_t>(v >> shift[1]);
      d[0] = static_cast<uint8_t>(v >> shift[2]);
      d[3] = shift[3] >= 0 ? static_cast<uint8_t>(v >> shift[3]) : 0;
    }
  } else {
    std::memcpy(bmp.bits.data(), pixels, stride * static_cast<size_t>(height));
  }
  return bmp;
}

}  // namespace pictara
