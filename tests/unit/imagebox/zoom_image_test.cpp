#include "imagebox/zoom_image.h"

#include <gtest/gtest.h>

namespace pictara::imagebox {
namespace {

PngImage Rgba8(std::initializer_list<Rgba> pixels) {
  PngImage png;
  EXPECT_TRUE(png.Allocate(static_cast<int32_t>(pixels.size()), 1, PngColorType::Rgba, 8));
  uint8_t* p = png.Row(0);
  for (const Rgba& c : pixels) {
    *p++ = c.r;
    *p++ = c.g;
    *p++ = c.b;
    *p++ = c.a;
  }
  return png;
}

Bitmap Bitmap1x2(PixelFormat format, std::initializer_list<uint8_t> bytes) {
  Bitmap b;
  EXPECT_TRUE(b.SetSize(2, 1, format));
  std::copy(bytes.begin(), bytes.end(), b.Row(0));
  return b;
}

TEST(MakeDisplayPicture, PngTransparencyBecomesPremultipliedAlpha) {
  const auto d = MakeDisplayPicture(Picture{Rgba8({{255, 0, 0, 128}, {0, 0, 255, 0}})}, false);
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->hasAlpha);
  EXPECT_EQ(d->bitmap.pixelFormat, PixelFormat::pf32bit);
  EXPECT_EQ(d->bitmap.PixelAt(0, 0), (Rgba{128, 0, 0, 128}));
  EXPECT_EQ(d->bitmap.PixelAt(1, 0), (Rgba{0, 0, 0, 0}));  // transparent pixels are black
}

TEST(MakeDisplayPicture, OpaquePngBecomesBlueGreenRed) {
  PngImage png;
  ASSERT_TRUE(png.Allocate(2, 1, PngColorType::Rgb, 8));
  const uint8_t rgb[] = {10, 20, 30, 40, 50, 60};
  std::copy(std::begin(rgb), std::end(rgb), png.Row(0));
  const auto d = MakeDisplayPicture(Picture{png}, true);
  ASSERT_TRUE(d);
  EXPECT_FALSE(d->hasAlpha);
  EXPECT_EQ(d->bitmap.pixelFormat, PixelFormat::pf24bit);
  EXPECT_EQ(d->bitmap.PixelAt(0, 0), (Rgba{10, 20, 30, 255}));
  EXPECT_EQ(d->bitmap.PixelAt(1, 0), (Rgba{40, 50, 60, 255}));
  png.colorKey = PngColorKey{0, 40, 50, 60};  // a colour key always shows through in a PNG
  const auto keyed = MakeDisplayPicture(Picture{png}, false);
  ASSERT_TRUE(keyed);
  EXPECT_TRUE(keyed->hasAlpha);
  EXPECT_EQ(keyed->bitmap.PixelAt(1, 0).a, 0);
  EXPECT_EQ(keyed->bitmap.PixelAt(0, 0), (Rgba{10, 20, 30, 255}));
}

TEST(MakeDisplayPicture, BitmapsByFormatAndTransparentFlag) {
  struct Case {
    const char* name;
    Bitmap bitmap;
    bool transparent;
    bool hasAlpha;
    Rgba first, second;
  };
  Bitmap keyed = Bitmap1x2(PixelFormat::pf24bit, {10, 20, 30, 1, 2, 3});
  keyed.transparentColor = Rgba{30, 20, 10, 255};
  Bitmap ignored = Bitmap1x2(PixelFormat::pf32bit, {10, 20, 30, 0, 1, 2, 3, 0});
  Bitmap premultiplied = Bitmap1x2(PixelFormat::pf32bit, {10, 20, 30, 40, 0, 0, 0, 0});
  premultiplied.alphaFormat = AlphaFormat::afDefined;
  Bitmap indexed = Bitmap1x2(PixelFormat::pf8bit, {1, 0});
  indexed.palette = {Rgba{1, 2, 3, 255}, Rgba{200, 100, 50, 255}};
  const Case kCases[] = {
      {"24-bit", Bitmap1x2(PixelFormat::pf24bit, {10, 20, 30, 1, 2, 3}), false, false,
       {30, 20, 10, 255}, {3, 2, 1, 255}},
      {"key, not transparent", keyed, false, false, {30, 20, 10, 255}, {3, 2, 1, 255}},
      {"key, transparent", keyed, true, true, {0, 0, 0, 0}, {3, 2, 1, 255}},
      // A zero fourth byte marked ignored must not make the picture vanish.
      {"32-bit, alpha ignored", ignored, false, false, {30, 20, 10, 255}, {3, 2, 1, 255}},
      {"32-bit premultiplied", premultiplied, false, true, {30, 20, 10, 40}, {0, 0, 0, 0}},
      {"palette", indexed, false, false, {200, 100, 50, 255}, {1, 2, 3, 255}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const auto d = MakeDisplayPicture(Picture{c.bitmap}, c.transparent);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->hasAlpha, c.hasAlpha);
    EXPECT_EQ(d->bitmap.pixelFormat, c.hasAlpha ? PixelFormat::pf32bit : PixelFormat::pf24bit);
    EXPECT_EQ(d->bitmap.PixelAt(0, 0), c.first);
    EXPECT_EQ(d->bitmap.PixelAt(1, 0), c.second);
  }
  EXPECT_FALSE(MakeDisplayPicture(Picture{}, false));
}

TEST(FlattenOnto, TransparentPixelsTakeTheBackColour) {
  const auto d =
      MakeDisplayPicture(Picture{Rgba8({{255, 0, 0, 128}, {0, 0, 255, 0}, {1, 2, 3, 255}})}, false);
  ASSERT_TRUE(d);
  Bitmap flat;
  ASSERT_TRUE(FlattenOnto(*d, 0x00FFFFFF, flat));
  EXPECT_EQ(flat.pixelFormat, PixelFormat::pf24bit);
  EXPECT_EQ(flat.PixelAt(0, 0), (Rgba{255, 127, 127, 255}));
  EXPECT_EQ(flat.PixelAt(1, 0), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(flat.PixelAt(2, 0), (Rgba{1, 2, 3, 255}));
  ASSERT_TRUE(FlattenOnto(*d, 0x00336699, flat));  // 0x00BBGGRR
  EXPECT_EQ(flat.PixelAt(1, 0), (Rgba{0x99, 0x66, 0x33, 255}));
}

TEST(GraphicIsTransparent, PngByItsContentBitmapByTheFlag) {
  PngImage rgb;
  ASSERT_TRUE(rgb.Allocate(1, 1, PngColorType::Rgb, 8));
  EXPECT_FALSE(GraphicIsTransparent(Picture{rgb}, true));
  EXPECT_TRUE(GraphicIsTransparent(Picture{Rgba8({{1, 2, 3, 255}})}, false));
  const Bitmap bmp = Bitmap1x2(PixelFormat::pf24bit, {1, 2, 3, 4, 5, 6});
  EXPECT_FALSE(GraphicIsTransparent(Picture{bmp}, false));
  EXPECT_TRUE(GraphicIsTransparent(Picture{bmp}, true));
  EXPECT_FALSE(GraphicIsTransparent(Picture{}, true));
}

TEST(ResampleSizeAllowed, RefusesEmptyAndHugeWorkBitmaps) {
  EXPECT_TRUE(ResampleSizeAllowed({1920, 1080}));
  EXPECT_TRUE(ResampleSizeAllowed({4096, 4096}));
  EXPECT_FALSE(ResampleSizeAllowed({4097, 4096}));
  EXPECT_FALSE(ResampleSizeAllowed({80000, 80000}));  // 1600 % of a 5000-pixel picture
  EXPECT_FALSE(ResampleSizeAllowed({0, 100}));
}

TEST(CropBitmap, CopiesTheBlockAndRefusesWhatIsNotInside) {
  Bitmap src;
  ASSERT_TRUE(src.SetSize(4, 3, PixelFormat::pf32bit));
  src.alphaFormat = AlphaFormat::afPremultiplied;
  src.bottomUp = true;
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 4; ++x) {
      uint8_t* p = src.Row(y) + x * 4;
      p[0] = static_cast<uint8_t>(x);
      p[1] = static_cast<uint8_t>(y);
      p[2] = 9;
      p[3] = 200;
    }
  Bitmap crop;
  ASSERT_TRUE(CropBitmap(src, {1, 1, 3, 3}, crop));
  EXPECT_EQ(crop.width, 2);
  EXPECT_EQ(crop.height, 2);
  EXPECT_EQ(crop.alphaFormat, AlphaFormat::afPremultiplied);
  EXPECT_EQ(crop.PixelAt(0, 0), (Rgba{9, 1, 1, 200}));
  EXPECT_EQ(crop.PixelAt(1, 1), (Rgba{9, 2, 2, 200}));
  EXPECT_FALSE(CropBitmap(src, {3, 0, 5, 1}, crop));
  EXPECT_FALSE(CropBitmap(src, {-1, 0, 1, 1}, crop));
  EXPECT_FALSE(CropBitmap(src, {1, 1, 1, 2}, crop));
}

TEST(VisiblePart, TheWholeExtentIsTheWholePicture) {
  EXPECT_EQ(VisiblePart(5000, 1080, 0, 1080), (AxisPart{0, 5000, 0, 1080}));
  EXPECT_EQ(VisiblePart(100, 1600, 0, 1600), (AxisPart{0, 100, 0, 1600}));
}

TEST(VisiblePart, CoversTheVisibleSpanWithAFewPixelsToSpare) {
  struct Case {
    int32_t natural, displayed, start, end;
  };
  const Case kCases[] = {
      {5000, 80000, 40000, 41920},  // 1600 %, the middle
      {5000, 80000, 0, 1920},       // 1600 %, the left end
      {5000, 80000, 78080, 80000},  // 1600 %, the right end
      {5000, 4500, 1000, 2920},     // 90 %: shrinking
      {333, 416, 7, 100},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.natural << " as " << c.displayed << ", " << c.start
                                    << ".." << c.end);
    const AxisPart p = VisiblePart(c.natural, c.displayed, c.start, c.end);
    EXPECT_LE(p.targetStart, c.start);
    EXPECT_GE(p.targetStart + p.targetSize, c.end);
    EXPECT_GE(p.sourceStart, 0);
    EXPECT_LE(p.sourceEnd, c.natural);
    // The part is the picture's own scale: as many shown pixels per source pixel as the whole.
    const double scale = static_cast<double>(c.displayed) / c.natural;
    EXPECT_NEAR(p.targetSize, (p.sourceEnd - p.sourceStart) * scale, 1.0);
    EXPECT_NEAR(p.targetStart, p.sourceStart * scale, 0.5);
    // Never much more than what is visible.
    EXPECT_LE(p.targetSize, (c.end - c.start) + 2 * (4 * std::max(1.0, scale) + 2));
  }
  EXPECT_EQ(VisiblePart(0, 100, 0, 10), AxisPart{});
}

}  // namespace
}  // namespace pictara::imagebox
