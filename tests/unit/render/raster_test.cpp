#include "render/raster.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/image_codec.h"

namespace pictara {
namespace {

std::string Fixture(const char* name) { return std::string(PICTARA_FIXTURES) + "/raster/" + name; }

PngImage OnePixelRow(std::initializer_list<Rgba> pixels) {
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

// Premultiplied colour as stored in a 32-bit bitmap (B, G, R, A bytes read back as RGBA).
TEST(Raster, AlphaIsPremultipliedAndUndoneAgain) {
  struct Case {
    const char* name;
    Rgba png;        // straight colour in the PNG
    Rgba stored;     // what the 32-bit bitmap holds
    Rgba back;       // what BitmapToPngWithAlpha gives
  };
  const Case kCases[] = {
      {"half-transparent red", {255, 0, 0, 128}, {128, 0, 0, 128}, {255, 0, 0, 128}},
      {"fully transparent colour", {200, 100, 50, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
      {"opaque copied as is", {10, 20, 30, 255}, {10, 20, 30, 255}, {10, 20, 30, 255}},
      // (100 * 3 + 127) div 255 = 1; 1 / 3 * 255 = 85.
      {"faint pixel rounds", {100, 255, 0, 3}, {1, 3, 0, 3}, {85, 255, 0, 3}},
      // 64 * 255 / 255 ... 128 * 64 + 127 = 8319 div 255 = 32; 32 / 64 * 255 = 127.5 -> 128 (even).
      {"half rounds to even", {128, 0, 0, 64}, {32, 0, 0, 64}, {128, 0, 0, 64}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Bitmap bmp = PngToBitmap(OnePixelRow({c.png}));
    ASSERT_EQ(bmp.pixelFormat, PixelFormat::pf32bit);
    EXPECT_EQ(bmp.alphaFormat, AlphaFormat::afDefined);
    EXPECT_EQ(bmp.PixelAt(0, 0), c.stored);
    PngImage back = BitmapToPngWithAlpha(bmp);
    EXPECT_EQ(back.colorType, PngColorType::Rgba);
    EXPECT_EQ(back.bitDepth, 8);
    EXPECT_EQ(back.PixelAt(0, 0), c.back);
  }
}

TEST(Raster, BitmapWithIgnoredAlphaKeepsItsColours) {
  Bitmap bmp;
  ASSERT_TRUE(bmp.SetSize(1, 1, PixelFormat::pf32bit));
  uint8_t* p = bmp.Row(0);
  p[0] = 30, p[1] = 20, p[2] = 250, p[3] = 7;
  EXPECT_EQ(BitmapToPngWithAlpha(bmp).PixelAt(0, 0), (Rgba{250, 20, 30, 7}));
  // A colour above its alpha is not premultiplied; it saturates rather than wrapping.
  bmp.alphaFormat = AlphaFormat::afDefined;
  EXPECT_EQ(BitmapToPngWithAlpha(bmp).PixelAt(0, 0).r, 255);
}

TEST(Raster, OnlyThirtyTwoBitBitmapsBecomePngWithAlpha) {
  Bitmap bmp;
  ASSERT_TRUE(bmp.SetSize(2, 2, PixelFormat::pf24bit));
  try {
    BitmapToPngWithAlpha(bmp);
    FAIL() << "no error";
  } catch (const PngError& e) {
    EXPECT_STREQ(e.what(), "Bitmap PixelFormat must be pf32bit");
  }
}

TEST(Raster, PixelFormatFollowsThePngKind) {
  struct Case {
    const char* file;
    PixelFormat format;
    AlphaFormat alpha;
    bool transparentColor;
  };
  const Case kCases[] = {
      {"palette8.png", PixelFormat::pf8bit, AlphaFormat::afIgnored, false},
      {"grey1.png", PixelFormat::pf1bit, AlphaFormat::afIgnored, false},
      {"grey2.png", PixelFormat::pf4bit, AlphaFormat::afIgnored, false},
      {"grey4.png", PixelFormat::pf4bit, AlphaFormat::afIgnored, false},
      {"rgb16.png", PixelFormat::pf24bit, AlphaFormat::afIgnored, false},
      {"interlaced.png", PixelFormat::pf24bit, AlphaFormat::afIgnored, false},
      {"trns_rgb.png", PixelFormat::pf24bit, AlphaFormat::afIgnored, true},
      {"palette_alpha.png", PixelFormat::pf32bit, AlphaFormat::afDefined, false},
      {"rgba.png", PixelFormat::pf32bit, AlphaFormat::afDefined, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.file);
    std::optional<PngImage> png = DecodePngFile(Fixture(c.file));
    ASSERT_TRUE(png);
    Bitmap bmp = PngToBitmap(*png);
    EXPECT_EQ(bmp.pixelFormat, c.format);
    EXPECT_EQ(bmp.alphaFormat, c.alpha);
    EXPECT_EQ(bmp.transparentColor.has_value(), c.transparentColor);
    ASSERT_EQ(bmp.width, png->width);
    ASSERT_EQ(bmp.height, png->height);
    // Every pixel keeps its colour (premultiplied in 32 bits; simple transparency not blended).
    for (int32_t y = 0; y < png->height; ++y)
      for (int32_t x = 0; x < png->width; ++x) {
        Rgba want = png->PixelAt(x, y);
        if (c.format == PixelFormat::pf32bit) {
          want = {static_cast<uint8_t>((want.r * want.a + 127) / 255),
                  static_cast<uint8_t>((want.g * want.a + 127) / 255),
                  static_cast<uint8_t>((want.b * want.a + 127) / 255), want.a};
        } else {
          want.a = 255;
        }
        ASSERT_EQ(bmp.PixelAt(x, y), want) << "pixel " << x << "," << y;
      }
  }
  std::optional<PngImage> keyed = DecodePngFile(Fixture("trns_rgb.png"));
  EXPECT_EQ(PngToBitmap(*keyed).transparentColor, (Rgba{0, 0, 255, 255}));
}

class LoadRasterResultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("pictara_raster_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Copy(const char* fixture, const char* as) {
    std::filesystem::copy_file(Fixture(fixture), dir_ / as);
    return (dir_ / as).string();
  }
  std::filesystem::path dir_;
};

TEST_F(LoadRasterResultTest, SettingAndExtensionChooseTheForm) {
  struct Case {
    const char* fixture;
    const char* as;
    bool convert;
    bool isPng;
    int bitsPerPixel;
  };
  const Case kCases[] = {
      {"rgba.png", "a.png", false, true, 8},
      {"rgba.png", "b.png", true, false, 32},
      {"palette8.png", "c.PNG", true, false, 8},
      {"interlaced.png", "d.Png", true, false, 24},
      {"bmp24.bmp", "e.bmp", false, false, 24},
      {"bmp32.bmp", "f.BMP", true, false, 32},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.as);
    Picture p = LoadRasterResult(Copy(c.fixture, c.as), c.convert);
    EXPECT_EQ(p.Png() != nullptr, c.isPng);
    EXPECT_EQ(p.AsBitmap() != nullptr, !c.isPng);
    EXPECT_EQ(GetImageBitsPerPixel(p), c.bitsPerPixel);
  }
  EXPECT_EQ(GetImageBitsPerPixel(Picture{}), 0);
}

TEST_F(LoadRasterResultTest, DamagedFilesRaiseTheDecoderError) {
  EXPECT_THROW(LoadRasterResult(Copy("bmp24.bmp", "bitmap-named.png"), false), PngError);
  EXPECT_THROW(LoadRasterResult(Copy("rgba.png", "png-named.bmp"), true), ImageError);
  EXPECT_THROW(LoadRasterResult((dir_ / "missing.png").string(), true), PngError);
  EXPECT_THROW(LoadRasterResult(Copy("rgba.png", "picture.gif"), true), ImageError);
}

}  // namespace
}  // namespace pictara
