// The direct decoder for converter output against libpng, on the raster fixtures and on a real
// rsvg-convert render (whose rows use every filter type), and on damaged files.
#include "platform/png_simple.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/files.h"
#include "platform/image_codec.h"
#include "image_codec_cases.h"

namespace pictara {
namespace {

std::string Fixture(const std::string& name) { return std::string(PICTARA_FIXTURES) + "/" + name; }

void ExpectSameAsLibpng(const std::string& bytes, bool simple) {
  PngImage fast;
  const SimplePngResult r = DecodeSimplePng(bytes, fast);
  ASSERT_EQ(r, simple ? SimplePngResult::Decoded : SimplePngResult::NotSimple);
  if (!simple) return;
  const std::optional<PngImage> full = DecodePng(bytes);
  ASSERT_TRUE(full);
  EXPECT_EQ(fast.width, full->width);
  EXPECT_EQ(fast.height, full->height);
  EXPECT_EQ(fast.colorType, full->colorType);
  EXPECT_EQ(fast.bitDepth, 8);
  EXPECT_EQ(fast.rowBytes, full->rowBytes);
  EXPECT_TRUE(fast.pixels == full->pixels);
}

TEST(SimplePng, DecodesWhatConvertersWriteExactlyAndLeavesTheRest) {
  struct Case {
    const char* file;
    bool simple;
  };
  const Case kCases[] = {
      {"raster/rgba.png", true},        {"raster/trns_rgb.png", false},  // colour key
      {"raster/palette8.png", false},   {"raster/grey4.png", false},
      {"raster/rgb16.png", false},      {"raster/interlaced.png", false},
      {"raster/palette_alpha.png", false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.file);
    const std::optional<std::string> bytes = ReadFileBytes(Fixture(c.file));
    ASSERT_TRUE(bytes);
    ExpectSameAsLibpng(*bytes, c.simple);
  }
}

TEST(SimplePng, RealRenderWithEveryFilterAndOpaqueRgb) {
  const std::string out = ::testing::TempDir() + "pictara_simple_png_" + std::to_string(::getpid());
  for (const char* background : {"", " -b white"}) {  // RGBA, and RGB once the picture is opaque
    SCOPED_TRACE(background);
    const std::string png = out + ".png";
    const std::string command = "/usr/bin/rsvg-convert" + std::string(background) + " -w 700 " +
                                Fixture("viewer/diagram1000x500.svg") + " -o " + png;
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::optional<std::string> bytes = ReadFileBytes(png);
    ASSERT_TRUE(bytes);
    ExpectSameAsLibpng(*bytes, true);
    ::unlink(png.c_str());
  }
}

TEST(SimplePng, DamagedFilesAreRefusedNeverReadPastTheirEnd) {
  const std::optional<std::string> good = ReadFileBytes(Fixture("raster/rgba.png"));
  ASSERT_TRUE(good);
  PngImage image;
  for (size_t keep : {size_t{40}, good->size() / 2, good->size() - 13}) {
    SCOPED_TRACE(keep);
    EXPECT_NE(DecodeSimplePng(good->substr(0, keep), image), SimplePngResult::Decoded);
  }
  std::string wrongSize = *good;
  wrongSize[16 + 3] = static_cast<char>(wrongSize[16 + 3] + 1);  // one column more than the data
  EXPECT_EQ(DecodeSimplePng(wrongSize, image), SimplePngResult::Damaged);
  std::string badFilter = *good;
  const size_t idat = badFilter.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  badFilter[idat + 6] = static_cast<char>(badFilter[idat + 6] ^ 0x55);  // inside the stream
  EXPECT_EQ(DecodeSimplePng(badFilter, image), SimplePngResult::Damaged);
  EXPECT_EQ(DecodeSimplePng("not a png at all, not a png at all, not a png", image), SimplePngResult::NotSimple);
}

// The bound on what the image data can give is deflate's own: the most compressible picture there
// is (all zeros, zlib at its best) still passes, at its size and one row less; a row more than the
// data could ever give does not.
TEST(SimplePng, ClaimedSizeIsHeldAgainstWhatTheDataCanGive) {
  const size_t width = 4000, height = 1000;  // 16 MB of RGBA in some 16 KB of data
  const std::string rows = testing::ZeroRows(width * 4, height);
  const uint64_t most = (rows.size() * 1032 + 1024) / (width * 4);
  struct Case {
    uint32_t height;
    bool fits;
  } const kCases[] = {{height, true}, {height - 1, true}, {static_cast<uint32_t>(most + 1), false}, {100000, false}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.height);
    EXPECT_EQ(PngDataCanFillPicture(testing::MakePng(width, c.height, 6, rows)), c.fits);
  }
  PngImage image;
  EXPECT_EQ(DecodeSimplePng(testing::MakePng(width, height, 6, rows), image), SimplePngResult::Decoded);
  EXPECT_EQ(image.height, static_cast<int32_t>(height));
  // Not a PNG, or no header to go by: for the decoder to say.
  EXPECT_TRUE(PngDataCanFillPicture("not a png"));
}

// A chunk's length field is not trusted with memory: a text chunk claiming 2 GB in a file of a few
// hundred bytes is refused before any decoder sees it (libpng would take the 2 GB first). Image data
// cut short stays the decoder's to judge, and chunks after the end chunk do not matter.
TEST(SimplePng, ChunkLongerThanTheFileIsRefusedBeforeDecoding) {
  const std::string png = testing::MakePng(4, 4, 6, testing::ZeroRows(16, 4));
  const size_t iend = png.size() - 12;
  auto withChunkAt = [&](size_t at, const std::string& chunk) { return png.substr(0, at) + chunk + png.substr(at); };
  const std::string lyingText = std::string("\x7e\0\0\0tEXt", 8) + "Comment";
  struct Case {
    const char* what;
    std::string bytes;
    bool fits;
  } const kCases[] = {
      {"whole file", png, true},
      {"text chunk claiming 2 GB", withChunkAt(33, lyingText), false},
      {"the same after the image data", withChunkAt(iend, lyingText), false},
      {"after the end chunk", png + lyingText, true},
      {"image data cut short", png.substr(0, 33 + 8 + 5), true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(PngChunksFitFile(c.bytes), c.fits);
    if (!c.fits) {
      std::string error;
      EXPECT_FALSE(DecodePng(c.bytes, &error));
      EXPECT_EQ(error, "Invalid PNG file: a chunk runs past the end of the file");
    }
  }
  EXPECT_TRUE(PngChunksFitFile("not a png"));
}

}  // namespace
}  // namespace pictara
