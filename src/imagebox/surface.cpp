#include "imagebox/surface.h"

#include <algorithm>
#include <vector>

namespace pictara::imagebox {

namespace {

Rect Intersect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

Rect Visible(const Surface& s, const Rect& a, const Rect& clip) {
  return Intersect(Intersect(a, clip), Rect{0, 0, s.width, s.height});
}

bool Drawable(const Bitmap& b) {
  return !b.Empty() &&
         (b.pixelFormat == PixelFormat::pf24bit || b.pixelFormat == PixelFormat::pf32bit);
}

// Premultiplied source over the destination: c + d × (1 − alpha). Colour above its alpha (a
// bitmap that only claims to be premultiplied) saturates instead of wrapping.
inline void Blend(uint8_t* d, const uint8_t* s) {
  const unsigned a = s[3];
  if (a == 255) {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
    return;
  }
  if (a == 0) return;
  const unsigned na = 255 - a;
  d[0] = static_cast<uint8_t>(std::min(255u, s[0] + (d[0] * na + 127) / 255));
  d[1] = static_cast<uint8_t>(std::min(255u, s[1] + (d[1] * na + 127) / 255));
  d[2] = static_cast<uint8_t>(std::min(255u, s[2] + (d[2] * na + 127) / 255));
}

// One unscaled block of `src` from (sx, sy) onto `area` of the surface.
void CopyBlock(const Surface& s, const Rect& area, const Bitmap& src, int32_t sx, int32_t sy,
               bool alpha) {
  const int bpp = src.pixelFormat == PixelFormat::pf32bit ? 4 : 3;
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const uint8_t* p = src.Row(sy + (y - area.top)) + static_cast<size_t>(sx) * bpp;
    uint8_t* d = s.Row(y) + static_cast<size_t>(area.left) * 4;
    for (int32_t x = area.left; x < area.right; ++x, p += bpp, d += 4) {
      if (alpha) {
        Blend(d, p);
      } else {
        d[0] = p[0];
        d[1] = p[1];
        d[2] = p[2];
      }
    }
  }
}

}  // namespace

void FillRect(const Surface& s, const Rect& rect, TColor color, const Rect& clip) {
  const Rect area = Visible(s, rect, clip);
  if (area.Width() <= 0 || area.Height() <= 0) return;
  const uint32_t pixel = ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
  for (int32_t y = area.top; y < area.bottom; ++y) {
    auto* d = reinterpret_cast<uint32_t*>(s.Row(y)) + area.left;
    std::fill(d, d + area.Width(), pixel);
  }
}

void StretchDraw(const Surface& s, const Rect& dest, const Bitmap& picture, bool alpha,
                 const Rect& clip) {
  const Rect area = Visible(s, dest, clip);
  if (area.Width() <= 0 || area.Height() <= 0 || !Drawable(picture)) return;
  const int64_t pw = picture.width, ph = picture.height;
  const int64_t dw = dest.Width(), dh = dest.Height();
  const int bpp = picture.pixelFormat == PixelFormat::pf32bit ? 4 : 3;
  alpha = alpha && bpp == 4;
  // The source pixel under the centre of each destination pixel.
  auto source = [](int64_t d, int64_t size, int64_t srcSize) {
    return static_cast<int32_t>(std::min(srcSize - 1, ((2 * d + 1) * srcSize) / (2 * size)));
  };
  std::vector<int32_t> columns(static_cast<size_t>(area.Width()));
  for (int32_t x = area.left; x < area.right; ++x)
    columns[static_cast<size_t>(x - area.left)] = source(x - dest.left, dw, pw) * bpp;
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const uint8_t* row = picture.Row(source(y - dest.top, dh, ph));
    uint8_t* d = s.Row(y) + static_cast<size_t>(area.left) * 4;
    if (alpha) {
      for (const int32_t c : columns) {
        Blend(d, row + c);
        d += 4;
      }
    } else {
      for (const int32_t c : columns) {
        const uint8_t* p = row + c;
        d[0] = p[0];
        d[1] = p[1];
        d[2] = p[2];
        d += 4;
      }
    }
  }
}

void DrawTiled(const Surface& s, const Rect& rect, const Bitmap& tile, bool alpha, const Rect& clip) {
  const Rect area = Visible(s, rect, clip);
  if (area.Width() <= 0 || area.Height() <= 0 || !Drawable(tile)) return;
  alpha = alpha && tile.pixelFormat == PixelFormat::pf32bit;
  for (const ClientPoint& p : TilePositions(rect, {tile.width, tile.height}, area)) {
    const Rect block = Intersect(Rect::FromBounds(p.x, p.y, tile.width, tile.height), area);
    if (block.Width() > 0 && block.Height() > 0)
      CopyBlock(s, block, tile, block.left - p.x, block.top - p.y, alpha);
  }
}

}  // namespace pictara::imagebox
