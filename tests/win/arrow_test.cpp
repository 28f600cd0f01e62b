// The arrow glyphs from the plug-in's resources, at the sizes the navigation buttons ask for.
#include <gtest/gtest.h>

#include "platform/image_codec.h"
#include "render/raster.h"
#include "render/wic_resize_win.h"
#include "testbed/testbed.h"

namespace pictara {
namespace {

class ArrowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExW(testbed::DefaultPluginPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
};

TEST_F(ArrowTest, GlyphsFollowTheScreenDensity) {
  struct Case {
    const char* resource;
    int ppi;
    int32_t side;
  };
  const Case kCases[] = {{"ARROWLEFT", 96, 16}, {"ARROWRIGHT", 96, 16}, {"ARROWLEFT", 144, 24},
                         {"ARROWRIGHT", 144, 24}, {"ARROWRIGHT", 192, 32}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << c.resource << " at " << c.ppi << " ppi");
    ASSERT_EQ(ArrowGlyphSize(c.ppi), c.side);
    Bitmap glyph = LoadResourceBitmap(module_, c.resource, c.side, c.side, TWicResizeMode::wrmLinear);
    EXPECT_EQ(glyph.width, c.side);
    EXPECT_EQ(glyph.height, c.side);
    EXPECT_EQ(glyph.pixelFormat, PixelFormat::pf32bit);
    EXPECT_EQ(glyph.alphaFormat, AlphaFormat::afIgnored);
    // Transparent corners around an opaque arrow body.
    EXPECT_EQ(glyph.PixelAt(0, 0).a, 0);
    EXPECT_EQ(glyph.PixelAt(c.side / 2, c.side / 2).a, 255);
  }
}

TEST_F(ArrowTest, ResourceOfTheWantedSizeIsTakenUnscaled) {
  Bitmap glyph = LoadResourceBitmap(module_, "ARROWLEFT", 160, 160, TWicResizeMode::wrmNearestNeighbor);
  std::optional<PngImage> png =
      DecodePngFile(testbed::Narrow(testbed::FixturePath("../../resources/arrows/arrow_left.png")));
  ASSERT_TRUE(png);
  ASSERT_EQ(glyph.width, png->width);
  for (int32_t y = 0; y < 160; ++y)
    for (int32_t x = 0; x < 160; ++x) ASSERT_EQ(glyph.PixelAt(x, y), png->PixelAt(x, y)) << x << "," << y;
}

TEST_F(ArrowTest, MissingResourceRaises) {
  EXPECT_THROW(LoadResourceBitmap(module_, "NOSUCHIMAGE", 16, 16, TWicResizeMode::wrmLinear), ImageError);
}

TEST(WicScale, ScalesToTheAskedSizeInEveryMode) {
  wic::ComScope com;
  wic::ComPtr<IWICImagingFactory> factory = wic::CreateFactory();
  ASSERT_TRUE(factory);
  wic::ComPtr<IWICBitmap> source;
  ASSERT_HRESULT_SUCCEEDED(factory->CreateBitmap(40, 30, GUID_WICPixelFormat32bppBGRA, WICBitmapCacheOnDemand,
                                                 source.Put()));
  for (TWicResizeMode mode : {TWicResizeMode::wrmHighQualityCubic, TWicResizeMode::wrmFant,
                              TWicResizeMode::wrmLinear, TWicResizeMode::wrmCubic,
                              TWicResizeMode::wrmNearestNeighbor}) {
    SCOPED_TRACE(static_cast<int>(mode));
    wic::ComPtr<IWICBitmapSource> scaled = WicScale(factory.Get(), source.Get(), 7, 5, mode);
    UINT w = 0, h = 0;
    ASSERT_HRESULT_SUCCEEDED(scaled->GetSize(&w, &h));
    EXPECT_EQ(w, 7u);
    EXPECT_EQ(h, 5u);
  }
  EXPECT_THROW(WicScale(factory.Get(), source.Get(), 0, 5, TWicResizeMode::wrmLinear), ImageError);
}

}  // namespace
}  // namespace pictara
