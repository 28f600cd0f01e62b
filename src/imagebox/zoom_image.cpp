#include "imagebox/zoom_image.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "render/raster.h"

namespace pictara::imagebox {

namespace {

// A bitmap whose transparent colour shows through: fully transparent where the colour matches
// (transparent black, as premultiplied pixels are), opaque everywhere else.
bool KeyToAlpha(Bitmap& bmp, Rgba key) {
  Bitmap out;
  out.bottomUp = bmp.bottomUp;
  if (!out.SetSize(bmp.width, bmp.height, PixelFormat::pf32bit)) return false;
  for (int32_t y = 0; y < bmp.height; ++y) {
    uint8_t* d = out.Row(y);
    for (int32_t x = 0; x < bmp.width; ++x, d += 4) {
      const Rgba c = bmp.PixelAt(x, y);
      if (c.r == key.r && c.g == key.g && c.b == key.b) continue;
      d[0] = c.b;
      d[1] = c.g;
      d[2] = c.r;
      d[3] = 255;
    }
  }
  out.alphaFormat = AlphaFormat::afPremultiplied;
  bmp = std::move(out);
  return true;
}

}  // namespace

std::optional<DisplayPicture> MakeDisplayPicture(const Picture& picture, bool transparent) {
  if (picture.Empty() || picture.Width() <= 0 || picture.Height() <= 0) return std::nullopt;
  try {
    DisplayPicture out;
    bool keyShows = transparent;
    if (const PngImage* png = picture.Png()) {
      if (png->colorType == PngColorType::Rgb && png->bitDepth == 8 && !png->colorKey) {
        // The common opaque render: straight into blue-green-red rows.
        if (!out.bitmap.SetSize(png->width, png->height, PixelFormat::pf24bit)) return std::nullopt;
        for (int32_t y = 0; y < png->height; ++y) {
          const uint8_t* s = png->Row(y);
          uint8_t* d = out.bitmap.Row(y);
          for (int32_t x = 0; x < png->width; ++x, s += 3, d += 3) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
          }
        }
        return out;
      }
      out.bitmap = PngToBitmap(*png);
      keyShows = true;  // a PNG's own transparency is always drawn
    } else {
      out.bitmap = *picture.AsBitmap();
    }
    Bitmap& b = out.bitmap;
    if (b.pixelFormat == PixelFormat::pf32bit && b.alphaFormat != AlphaFormat::afIgnored) {
      b.alphaFormat = AlphaFormat::afPremultiplied;
      b.transparentColor.reset();
      out.hasAlpha = true;
      return out;
    }
    if (b.transparentColor && keyShows) {
      if (!KeyToAlpha(b, *b.transparentColor)) return std::nullopt;
      b.transparentColor.reset();
      out.hasAlpha = true;
      return out;
    }
    if (!b.ConvertTo(PixelFormat::pf24bit)) return std::nullopt;
    b.transparentColor.reset();
    return out;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

bool FlattenOnto(const DisplayPicture& display, TColor back, Bitmap& out) {
  const Bitmap& src = display.bitmap;
  Bitmap flat;
  flat.bottomUp = src.bottomUp;
  if (!flat.SetSize(src.width, src.height, PixelFormat::pf24bit)) return false;
  const unsigned br = back & 0xFF, bg = (back >> 8) & 0xFF, bb = (back >> 16) & 0xFF;
  for (int32_t y = 0; y < src.height; ++y) {
    const uint8_t* s = src.Row(y);
    uint8_t* d = flat.Row(y);
    if (!display.hasAlpha) {
      std::copy(s, s + static_cast<size_t>(src.width) * 3, d);
      continue;
    }
    for (int32_t x = 0; x < src.width; ++x, s += 4, d += 3) {
      // Premultiplied colour over an opaque background: c + back × (1 − alpha). A bitmap that
      // only claims to be premultiplied may have colour above its alpha: saturate, never wrap.
      const unsigned na = 255u - s[3];
      d[0] = static_cast<uint8_t>(std::min(255u, s[0] + (bb * na + 127) / 255));
      d[1] = static_cast<uint8_t>(std::min(255u, s[1] + (bg * na + 127) / 255));
      d[2] = static_cast<uint8_t>(std::min(255u, s[2] + (br * na + 127) / 255));
    }
  }
  out = std::move(flat);
  return true;
}

bool GraphicIsTransparent(const Picture& picture, bool transparent) {
  if (const PngImage* png = picture.Png())
    return png->HasAlphaChannel() || png->HasPaletteAlpha() || png->colorKey.has_value();
  return !picture.Empty() && transparent;
}

bool ResampleSizeAllowed(Size displayed) {
  return displayed.width > 0 && displayed.height > 0 &&
         int64_t{displayed.width} * displayed.height <= kMaxResamplePixels;
}

bool CropBitmap(const Bitmap& src, const Rect& block, Bitmap& out) {
  if (src.pixelFormat != PixelFormat::pf24bit && src.pixelFormat != PixelFormat::pf32bit)
    return false;
  if (block.left < 0 || block.top < 0 || block.right > src.width || block.bottom > src.height ||
      block.Width() <= 0 || block.Height() <= 0)
    return false;
  Bitmap crop;
  if (!crop.SetSize(block.Width(), block.Height(), src.pixelFormat)) return false;
  crop.alphaFormat = src.alphaFormat;
  const size_t bpp = src.pixelFormat == PixelFormat::pf32bit ? 4 : 3;
  for (int32_t y = 0; y < block.Height(); ++y) {
    const uint8_t* s = src.Row(block.top + y) + static_cast<size_t>(block.left) * bpp;
    std::copy(s, s + static_cast<size_t>(block.Width()) * bpp, crop.Row(y));
  }
  out = std::move(crop);
  return true;
}

AxisPart VisiblePart(int32_t natural, int32_t displayed, int32_t visibleStart, int32_t visibleEnd) {
  AxisPart part;
  if (natural <= 0 || displayed <= 0) return part;
  visibleStart = std::clamp(visibleStart, 0, displayed);
  visibleEnd = std::clamp(visibleEnd, visibleStart, displayed);
  const double scale = static_cast<double>(natural) / displayed;  // source pixels per shown pixel
  // The resampling kernel reaches two source pixels when enlarging and two shown pixels' worth
  // when shrinking; one more for rounding.
  const auto margin = static_cast<int64_t>(std::ceil(2.0 * std::max(1.0, scale))) + 1;
  part.sourceStart = static_cast<int32_t>(std::clamp<int64_t>(
      static_cast<int64_t>(std::floor(visibleStart * scale)) - margin, 0, natural));
  part.sourceEnd = static_cast<int32_t>(std::clamp<int64_t>(
      static_cast<int64_t>(std::ceil(visibleEnd * scale)) + margin, part.sourceStart, natural));
  auto shown = [&](int32_t source) {
    return static_cast<int32_t>(std::llround(static_cast<double>(source) * displayed / natural));
  };
  part.targetStart = shown(part.sourceStart);
  part.targetSize = std::max(1, shown(part.sourceEnd) - part.targetStart);
  return part;
}

}  // namespace pictara::imagebox
