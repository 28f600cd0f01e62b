#include "imagebox/surface.h"

#include <gtest/gtest.h>

#include <vector>

namespace pictara::imagebox {
namespace {

constexpr uint32_t kUntouched = 0x11223344;

// A surface over its own memory, pixels read back as 0x00RRGGBB.
struct TestSurface {
  TestSurface(int32_t w, int32_t h) : pixels(static_cast<size_t>(w) * h, kUntouched) {
    surface = {reinterpret_cast<uint8_t*>(pixels.data()), w, h, static_cast<size_t>(w) * 4};
  }
  uint32_t At(int32_t x, int32_t y) const {
    return pixels[static_cast<size_t>(y) * surface.width + x] & 0x00FFFFFF;
  }
  std::vector<uint32_t> pixels;
  Surface surface;
};

uint32_t Rgb(Rgba c) { return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b; }

// A picture whose pixels all differ: red = 10 × x + 1, green = 10 × y + 1.
Bitmap Numbered(int32_t w, int32_t h, PixelFormat format = PixelFormat::pf24bit) {
  Bitmap b;
  EXPECT_TRUE(b.SetSize(w, h, format));
  const int bpp = format == PixelFormat::pf32bit ? 4 : 3;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      uint8_t* p = b.Row(y) + x * bpp;
      p[0] = 7;
      p[1] = static_cast<uint8_t>(10 * y + 1);
      p[2] = static_cast<uint8_t>(10 * x + 1);
      if (bpp == 4) p[3] = 255;
    }
  return b;
}

TEST(Surface, FillRectStaysInsideRectClipAndSurface) {
  TestSurface t(5, 4);
  FillRect(t.surface, {1, 1, 10, 10}, 0x00336699, {0, 0, 3, 3});
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 5; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      const bool inside = x >= 1 && x < 3 && y >= 1 && y < 3;
      EXPECT_EQ(t.At(x, y), inside ? 0x996633u : (kUntouched & 0x00FFFFFF));
    }
}

TEST(Surface, StretchDrawPicksThePixelUnderEachCentre) {
  struct Case {
    const char* name;
    Rect dest;
    int32_t picW, picH;
    // Expected source pixel for surface pixel (x, y), or -1 when untouched.
    int32_t (*sx)(int32_t), (*sy)(int32_t);
  };
  const Case kCases[] = {
      {"enlarge 2x2 to 4x4", {0, 0, 4, 4}, 2, 2, [](int32_t x) { return x / 2; },
       [](int32_t y) { return y / 2; }},
      {"shrink 8x8 to 4x4", {0, 0, 4, 4}, 8, 8, [](int32_t x) { return 2 * x + 1; },
       [](int32_t y) { return 2 * y + 1; }},
      {"same size, offset", {1, 2, 4, 4}, 3, 2,
       [](int32_t x) { return x >= 1 && x < 4 ? x - 1 : -1; },
       [](int32_t y) { return y >= 2 && y < 4 ? y - 2 : -1; }},
      // A zoom far beyond the surface: only the visible corner is worked out.
      {"deep zoom", {-1000000000, 0, 1000000000, 2000000000}, 2, 2, [](int32_t) { return 1; },
       [](int32_t) { return 0; }},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TestSurface t(4, 4);
    const Bitmap pic = Numbered(c.picW, c.picH);
    StretchDraw(t.surface, c.dest, pic, false, {0, 0, 4, 4});
    for (int32_t y = 0; y < 4; ++y)
      for (int32_t x = 0; x < 4; ++x) {
        SCOPED_TRACE(testing::Message() << x << "," << y);
        const int32_t px = c.sx(x), py = c.sy(y);
        EXPECT_EQ(t.At(x, y), px < 0 || py < 0 ? (kUntouched & 0x00FFFFFF) : Rgb(pic.PixelAt(px, py)));
      }
  }
}

TEST(Surface, StretchDrawBlendsPremultipliedPixels) {
  Bitmap pic;
  ASSERT_TRUE(pic.SetSize(3, 1, PixelFormat::pf32bit));
  const uint8_t bytes[] = {0, 0, 128, 128, 9, 9, 9, 0, 1, 2, 3, 255};  // B, G, R, A
  std::copy(std::begin(bytes), std::end(bytes), pic.Row(0));
  TestSurface t(3, 1);
  FillRect(t.surface, {0, 0, 3, 1}, 0x00FFFFFF, {0, 0, 3, 1});
  StretchDraw(t.surface, {0, 0, 3, 1}, pic, true, {0, 0, 3, 1});
  EXPECT_EQ(t.At(0, 0), 0xFF7F7Fu);  // half red over white
  EXPECT_EQ(t.At(1, 0), 0xFFFFFFu);  // fully transparent: untouched
  EXPECT_EQ(t.At(2, 0), 0x030201u);  // opaque: copied
}

TEST(Surface, TilesStartAtTheRectCornerAndStayInTheClip) {
  const Bitmap tile = Numbered(3, 2);
  TestSurface t(12, 9);
  const Rect rect{2, 1, 11, 8};
  const Rect clip{0, 0, 9, 9};
  DrawTiled(t.surface, rect, tile, false, clip);
  for (int32_t y = 0; y < 9; ++y)
    for (int32_t x = 0; x < 12; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      const bool inside = x >= rect.left && x < std::min(rect.right, clip.right) && y >= rect.top &&
                          y < rect.bottom;
      EXPECT_EQ(t.At(x, y), inside ? Rgb(tile.PixelAt((x - rect.left) % 3, (y - rect.top) % 2))
                                   : (kUntouched & 0x00FFFFFF));
    }
  TestSurface empty(4, 4);
  DrawTiled(empty.surface, {0, 0, 4, 4}, Bitmap{}, false, {0, 0, 4, 4});
  EXPECT_EQ(empty.At(0, 0), kUntouched & 0x00FFFFFF);
}

}  // namespace
}  // namespace pictara::imagebox
