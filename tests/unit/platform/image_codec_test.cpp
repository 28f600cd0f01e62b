#include "platform/image_codec.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "image_codec_cases.h"

namespace pictara {
namespace {

// These tests also run under Wine against the Windows codec (tests/win/codec_test.cpp), where
// the Unix root is drive Z:.
std::string Fixture(const char* name) {
#ifdef _WIN32
  return std::string("Z:") + PICTARA_FIXTURES + "/raster/" + name;
#else
  return std::string(PICTARA_FIXTURES) + "/raster/" + name;
#endif
}

TEST(ImageCodec, DecodesEveryPngKindInItsOwnFormat) {
  for (const auto& c : testing::kPngCases) {
    SCOPED_TRACE(c.file);
    std::string error;
    std::optional<PngImage> png = DecodePngFile(Fixture(c.file), &error);
    ASSERT_TRUE(png) << error;
    EXPECT_EQ(png->width, c.width);
    EXPECT_EQ(png->height, c.height);
    EXPECT_EQ(static_cast<int>(png->colorType), c.colorType);
    EXPECT_EQ(png->bitDepth, c.bitDepth);
    EXPECT_EQ(static_cast<int>(png->palette.size()), c.paletteSize);
    EXPECT_EQ(png->HasAlphaChannel(), c.hasAlphaChannel);
    EXPECT_EQ(png->colorKey.has_value(), c.hasColorKey);
    EXPECT_EQ(png->pixels.size(), png->rowBytes * png->height);
    EXPECT_EQ(testing::PixelHash(*png), c.pixelHash);
    for (const auto& p : c.probes) {
      SCOPED_TRACE(::testing::Message() << "pixel " << p.x << "," << p.y);
      Rgba got = png->PixelAt(p.x, p.y);
      EXPECT_EQ(got, (Rgba{p.r, p.g, p.b, p.a}));
    }
  }
}

TEST(ImageCodec, ReadsBmpAsStored) {
  for (const auto& c : testing::kBmpCases) {
    SCOPED_TRACE(c.file);
    std::string error;
    std::optional<Bitmap> bmp = ReadBmpFile(Fixture(c.file), &error);
    ASSERT_TRUE(bmp) << error;
    EXPECT_EQ(bmp->width, c.width);
    EXPECT_EQ(bmp->height, c.height);
    EXPECT_EQ(BitsPerPixel(bmp->pixelFormat), c.bitsPerPixel);
    EXPECT_EQ(bmp->alphaFormat, AlphaFormat::afIgnored);
    EXPECT_EQ(bmp->bits.size(), bmp->Stride() * bmp->height);
    EXPECT_EQ(testing::PixelHash(*bmp), c.pixelHash);
    for (const auto& p : c.probes) {
      SCOPED_TRACE(::testing::Message() << "pixel " << p.x << "," << p.y);
      EXPECT_EQ(bmp->PixelAt(p.x, p.y), (Rgba{p.r, p.g, p.b, p.a}));
    }
  }
}

TEST(ImageCodec, RgbaAndRgbSurviveEncodeAndDecode) {
  for (PngColorType type : {PngColorType::Rgba, PngColorType::Rgb}) {
    SCOPED_TRACE(static_cast<int>(type));
    PngImage src;
    ASSERT_TRUE(src.Allocate(5, 3, type, 8));
    for (size_t i = 0; i < src.pixels.size(); ++i) src.pixels[i] = static_cast<uint8_t>(i * 37 + 11);
    std::string error;
    std::optional<std::string> bytes = EncodePng(src, &error);
    ASSERT_TRUE(bytes) << error;
    std::optional<PngImage> back = DecodePng(*bytes, &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->colorType, type);
    EXPECT_EQ(back->bitDepth, 8);
    EXPECT_EQ(back->pixels, src.pixels);
  }
}

TEST(ImageCodec, DamagedInputIsReportedNotCrashed) {
  std::string png = *ReadFileBytes(Fixture("rgba.png"));
  std::string bmp = *ReadFileBytes(Fixture("bmp32.bmp"));
  struct Case {
    const char* name;
    std::string bytes;
    bool isPng;
  };
  const Case kCases[] = {
      {"empty png", "", true},
      {"text as png", "hello, this is not a picture", true},
      {"png cut in the pixel data", png.substr(0, png.size() / 2), true},
      {"png header only", png.substr(0, 33), true},
      {"empty bmp", "", false},
      {"bmp cut in the pixel data", bmp.substr(0, bmp.size() - 10), false},
      {"bmp header only", bmp.substr(0, 20), false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string error;
    if (c.isPng)
      EXPECT_FALSE(DecodePng(c.bytes, &error));
    else
      EXPECT_FALSE(ReadBmp(c.bytes, &error));
    EXPECT_FALSE(error.empty());
  }
}

// Headers that claim far more pixels than the file holds: refused from the data there is, before
// memory for the claimed size is taken (100000 x 100000 RGBA would be 40 GB).
TEST(ImageCodec, LyingSizesAreRefusedBeforeTheirMemoryIsTaken) {
  const std::string rows = testing::ZeroRows(400, 100);  // 100 rows of 100 RGBA pixels
  std::string bmp = *ReadFileBytes(Fixture("bmp32.bmp"));
  auto withSize = [](std::string b, uint32_t w, uint32_t h) {
    for (int i = 0; i < 4; ++i) {
      b[18 + i] = static_cast<char>(w >> (8 * i));
      b[22 + i] = static_cast<char>(h >> (8 * i));
    }
    return b;
  };
  struct Case {
    const char* name;
    std::string bytes;
    bool isPng;
  };
  const Case kCases[] = {
      {"png claiming 100000 x 100000", testing::MakePng(100000, 100000, 6, rows), true},
      {"png claiming 100000 x 100000, opaque", testing::MakePng(100000, 100000, 2, rows), true},
      {"png with its image data cut", testing::MakePng(100, 100, 6, rows.substr(0, rows.size() / 2)), true},
      {"bmp claiming 100000 x 100000", withSize(bmp, 100000, 100000), false},
      {"bmp claiming 100000 x -100000", withSize(bmp, 100000, static_cast<uint32_t>(-100000)), false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string error;
    if (c.isPng)
      EXPECT_FALSE(DecodePng(c.bytes, &error));
    else
      EXPECT_FALSE(ReadBmp(c.bytes, &error));
    EXPECT_FALSE(error.empty());
  }
  // The same data under its true size decodes.
  const std::optional<PngImage> honest = DecodePng(testing::MakePng(100, 100, 6, rows));
  ASSERT_TRUE(honest);
  EXPECT_EQ(honest->PixelAt(99, 99), (Rgba{0, 0, 0, 0}));
}

TEST(ImageCodec, RefusesToEncodeWhatItCannotWrite) {
  PngImage grey;
  ASSERT_TRUE(grey.Allocate(2, 2, PngColorType::Grey, 8));
  std::string error;
  EXPECT_FALSE(EncodePng(grey, &error));
  EXPECT_FALSE(EncodePng(PngImage{}, &error));
}

}  // namespace
}  // namespace pictara
