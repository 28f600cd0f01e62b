#include "base/picture.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace pictara {
namespace {

TEST(Bitmap, RowsArePaddedAsDibRows) {
  struct Case {
    int32_t width;
    PixelFormat format;
    size_t stride;
  };
  const Case kCases[] = {
      {1, PixelFormat::pf1bit, 4},   {33, PixelFormat::pf1bit, 8},  {9, PixelFormat::pf4bit, 8},
      {5, PixelFormat::pf8bit, 8},   {1, PixelFormat::pf24bit, 4},  {3, PixelFormat::pf24bit, 12},
      {5, PixelFormat::pf24bit, 16}, {3, PixelFormat::pf32bit, 12}, {0, PixelFormat::pf32bit, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << c.width << " px at " << BitsPerPixel(c.format) << " bpp");
    EXPECT_EQ(DibStride(c.width, c.format), c.stride);
  }
}

TEST(Bitmap, RowZeroIsTheTopRowInEitherMemoryOrder) {
  for (bool bottomUp : {false, true}) {
    Bitmap b;
    b.bottomUp = bottomUp;
    ASSERT_TRUE(b.SetSize(2, 3, PixelFormat::pf24bit));
    b.Row(0)[0] = 7;
    const size_t topRowInMemory = bottomUp ? 2 * b.Stride() : 0;
    EXPECT_EQ(b.bits[topRowInMemory], 7) << "bottomUp=" << bottomUp;
  }
}

TEST(Bitmap, ImpossibleSizesLeaveTheBitmapAlone) {
  Bitmap b;
  ASSERT_TRUE(b.SetSize(4, 4, PixelFormat::pf32bit));
  EXPECT_FALSE(b.SetSize(-1, 4, PixelFormat::pf32bit));
  EXPECT_FALSE(b.SetSize(0x7fffffff, 0x7fffffff, PixelFormat::pf32bit));
  EXPECT_EQ(b.width, 4);
  EXPECT_EQ(b.bits.size(), 64u);
  PngImage p;
  EXPECT_FALSE(p.Allocate(0x7fffffff, 0x7fffffff, PngColorType::Rgba, 16));
  EXPECT_FALSE(p.Allocate(4, 4, PngColorType::Rgb, 4));  // no such PNG kind
}

TEST(Bitmap, ConvertsPaletteAndDepths) {
  Bitmap b;
  ASSERT_TRUE(b.SetSize(3, 1, PixelFormat::pf4bit));
  b.palette = {{1, 2, 3, 255}, {40, 50, 60, 255}};
  b.Row(0)[0] = 0x10;  // pixels 1, 0, 0
  ASSERT_TRUE(b.ConvertTo(PixelFormat::pf32bit));
  EXPECT_EQ(b.PixelAt(0, 0), (Rgba{40, 50, 60, 255}));
  EXPECT_EQ(b.PixelAt(1, 0), (Rgba{1, 2, 3, 255}));
  EXPECT_TRUE(b.palette.empty());
  ASSERT_TRUE(b.ConvertTo(PixelFormat::pf24bit));
  EXPECT_EQ(b.Stride(), 12u);
  EXPECT_EQ(b.PixelAt(0, 0), (Rgba{40, 50, 60, 255}));
  EXPECT_FALSE(b.ConvertTo(PixelFormat::pf8bit));
}

}  // namespace
}  // namespace pictara
