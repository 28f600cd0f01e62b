// Bitmaps handed to the system as DIB sections keep every pixel, palette and row order.
#include <gtest/gtest.h>

#include <vector>

#include "platform/image_codec.h"
#include "render/thumbnail_win.h"
#include "testbed/testbed.h"

namespace pictara {
namespace {

// The section's pixels read back by the system as 32-bit top-down blue-green-red-x.
std::vector<uint8_t> ReadBack(HBITMAP dib, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  HDC dc = GetDC(nullptr);
  const int rows = GetDIBits(dc, dib, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (rows != height) pixels.clear();
  return pixels;
}

TEST(DibSection, KeepsPixelsPaletteAndRowOrder) {
  for (const char* name : {"bmp1.bmp", "bmp4.bmp", "bmp8.bmp", "bmp24.bmp", "bmp32.bmp"}) {
    std::optional<Bitmap> read = ReadBmpFile(testbed::Narrow(testbed::FixturePath(std::string("raster/") + name)));
    ASSERT_TRUE(read) << name;
    for (bool bottomUp : {false, true}) {
      SCOPED_TRACE(::testing::Message() << name << (bottomUp ? " bottom-up" : " top-down"));
      // The same picture with its rows stored the other way round.
      Bitmap bmp = *read;
      bmp.bottomUp = bottomUp;
      for (int32_t y = 0; y < bmp.height; ++y)
        std::copy(read->Row(y), read->Row(y) + read->Stride(), bmp.Row(y));
      HBITMAP dib = BitmapToDibSection(bmp);
      ASSERT_NE(dib, nullptr);
      DIBSECTION section{};
      ASSERT_EQ(GetObjectW(dib, sizeof(section), &section), static_cast<int>(sizeof(section)));
      EXPECT_EQ(section.dsBm.bmBitsPixel, BitsPerPixel(bmp.pixelFormat));
      std::vector<uint8_t> back = ReadBack(dib, bmp.width, bmp.height);
      DeleteObject(dib);
      ASSERT_FALSE(back.empty());
      for (int32_t y = 0; y < bmp.height; ++y)
        for (int32_t x = 0; x < bmp.width; ++x) {
          const Rgba want = bmp.PixelAt(x, y);
          const uint8_t* got = back.data() + (static_cast<size_t>(y) * bmp.width + x) * 4;
          ASSERT_EQ(got[2], want.r) << x << "," << y;
          ASSERT_EQ(got[1], want.g) << x << "," << y;
          ASSERT_EQ(got[0], want.b) << x << "," << y;
        }
    }
  }
}

TEST(DibSection, EmptyBitmapGivesNoHandle) {
  EXPECT_EQ(BitmapToDibSection(Bitmap{}), nullptr);
}

}  // namespace
}  // namespace pictara
