// Thumbnails through the real converters (rsvg-convert, ImageMagick's /usr/bin/convert).
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"
#include "render/thumbnail.h"
#include "settings/settings.h"

namespace pictara {
namespace {

namespace fs = std::filesystem;

std::string Fixture(const char* name) { return std::string(PICTARA_FIXTURES) + "/raster/" + name; }

// The real system, with a temporary folder of the test's own so that leftovers can be counted.
class PrivateTempServices : public TConvertServices {
 public:
  explicit PrivateTempServices(fs::path folder) : folder_(std::move(folder)) {}
  std::string TempFolder() override { return folder_.string() + "/"; }

 private:
  fs::path folder_;
};

class ThumbnailTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_ = fs::temp_directory_path() /
            ("pictara_thumb_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(temp_);
    fs::create_directories(temp_);
  }
  void TearDown() override { fs::remove_all(temp_); }
  // Files the conversion left behind that are ours (ImageMagick leaves magick-* files of its own).
  int OurLeftovers() const {
    int n = 0;
    for (const auto& e : fs::directory_iterator(temp_))
      if (e.path().filename().string().rfind("magick-", 0) != 0) ++n;
    return n;
  }
  std::optional<Bitmap> Make(const char* fixture, Size size, bool dontEnlarge) {
    PrivateTempServices services(temp_);
    return MakeThumbnailBitmap(Fixture(fixture), size, dontEnlarge, settings_, services);
  }
  fs::path temp_;
  TSettings settings_;
};

TEST_F(ThumbnailTest, RendersAtTheRequestedSize) {
  struct Case {
    const char* name;
    Size requested;
    bool dontEnlarge;
    Size expected;
  };
  const Case kCases[] = {
      {"fitted into the box", {200, 200}, false, {200, 100}},
      {"not enlarged when asked not to", {2000, 2000}, true, {1000, 500}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::optional<Bitmap> bmp = Make("wide_1000x500.svg", c.requested, c.dontEnlarge);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->width, c.expected.width);
    EXPECT_EQ(bmp->height, c.expected.height);
    // The drawing has a transparent background: premultiplied 32-bit.
    EXPECT_EQ(bmp->pixelFormat, PixelFormat::pf32bit);
    EXPECT_EQ(bmp->alphaFormat, AlphaFormat::afDefined);
    EXPECT_EQ(bmp->PixelAt(0, 0).a, 0);
    EXPECT_EQ(OurLeftovers(), 0);
  }
}

TEST_F(ThumbnailTest, ImageMagickBitmapIsReturnedAsWritten) {
  settings_.UseImageMagick = true;
  settings_.ImageMagickPath = "/usr/bin/convert";
  std::optional<Bitmap> bmp = Make("wide_1000x500.svg", {200, 200}, false);
  ASSERT_TRUE(bmp);
  EXPECT_EQ(bmp->width, 200);
  EXPECT_EQ(bmp->height, 100);
  EXPECT_EQ(bmp->alphaFormat, AlphaFormat::afIgnored);
  EXPECT_EQ(OurLeftovers(), 0);
}

TEST_F(ThumbnailTest, NothingForADrawingTheConverterCannotRender) {
  EXPECT_FALSE(Make("unrenderable.svg", {200, 200}, false));
  EXPECT_FALSE(Make("no-such-file.svg", {200, 200}, false));
  EXPECT_EQ(OurLeftovers(), 0);
}

TEST(ThumbnailFromRaster, ShrinksOnlyWhatCameOutLarger) {
  const std::string png = *ReadFileBytes(Fixture("rgba.png"));  // 24 x 16 with alpha
  struct Case {
    const char* name;
    Size requested;
    bool ok;
    Size expected;
  };
  const Case kCases[] = {
      {"fits: taken as it is", {24, 16}, true, {24, 16}},
      {"fits in a larger box", {100, 100}, true, {24, 16}},
      {"too wide: fitted", {12, 12}, true, {12, 8}},
      {"too high: fitted", {100, 4}, true, {6, 4}},
      {"fits to a zero height: no thumbnail", {1, 100}, false, {}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::optional<Bitmap> bmp = ThumbnailFromRaster(png, false, c.requested);
    ASSERT_EQ(bmp.has_value(), c.ok);
    if (!bmp) continue;
    EXPECT_EQ(bmp->width, c.expected.width);
    EXPECT_EQ(bmp->height, c.expected.height);
    EXPECT_EQ(bmp->pixelFormat, PixelFormat::pf32bit);
  }
  EXPECT_FALSE(ThumbnailFromRaster(png.substr(0, 100), false, {10, 10}));
  EXPECT_FALSE(ThumbnailFromRaster(png, true, {10, 10}));  // a PNG where a BMP is expected
}

}  // namespace
}  // namespace pictara
