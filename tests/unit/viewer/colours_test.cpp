// The colour model of the viewer, the colour dialog's custom lists, and the chessboard tile the
// plug-in carries.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/image_codec.h"
#include "viewer/colours.h"

namespace pictara {
namespace {

TEST(Colours, AccessorsPickTheAppearanceAndResolveTheFollowValue) {
  TSettings s;
  s.BackgroundColor = 0x00112233;
  s.BackgroundColorDark = 0x00445566;
  struct Case {
    const char* name;
    TColor image, imageDark;
    bool dark;
    TColor background, imageBackground;
  } const kCases[] = {
      {"light, follow", FollowBackgroundColor, 0x00ABCDEF, false, 0x00112233, 0x00112233},
      {"light, own", 0x000000FF, FollowBackgroundColor, false, 0x00112233, 0x000000FF},
      {"dark, follow", 0x000000FF, FollowBackgroundColor, true, 0x00445566, 0x00445566},
      {"dark, own", FollowBackgroundColor, 0x00ABCDEF, true, 0x00445566, 0x00ABCDEF},
      {"black is a colour, not follow", 0, 0, false, 0x00112233, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    s.ImageBackgroundColor = c.image;
    s.ImageBackgroundColorDark = c.imageDark;
    EXPECT_EQ(BackgroundColorOf(s, c.dark), c.background);
    EXPECT_EQ(ImageBackgroundColorOf(s, c.dark), c.imageBackground);
  }
  // Fresh settings: white around and under the picture in light, 202020 in dark.
  const TSettings fresh;
  EXPECT_EQ(ImageBackgroundColorOf(fresh, false), 0x00FFFFFFu);
  EXPECT_EQ(ImageBackgroundColorOf(fresh, true), 0x00202020u);
}

TEST(Colours, SettersChangeOnlyTheirAppearance) {
  TSettings s;
  SetBackgroundColorOf(s, true, 0x00010203);
  SetImageBackgroundColorOf(s, true, 0x00040506);
  EXPECT_EQ(s.BackgroundColorDark, 0x00010203u);
  EXPECT_EQ(s.ImageBackgroundColorDark, 0x00040506u);
  EXPECT_EQ(s.BackgroundColor, 0x00FFFFFFu);
  EXPECT_EQ(s.ImageBackgroundColor, FollowBackgroundColor);
  SetBackgroundColorOf(s, false, 0x00070809);
  SetImageBackgroundColorOf(s, false, 0x000A0B0C);
  EXPECT_EQ(s.BackgroundColor, 0x00070809u);
  EXPECT_EQ(s.ImageBackgroundColor, 0x000A0B0Cu);
  EXPECT_EQ(s.BackgroundColorDark, 0x00010203u);
}

TEST(Colours, CustomColourListsInTheirOrderWithStoredValues) {
  const TSettings fresh;
  EXPECT_EQ(BackgroundCustomColors(fresh), (std::vector<std::string>{"ColorA=20000000", "ColorB=20000000",
                                                                     "ColorC=00FFFFFF", "ColorD=00202020"}));
  EXPECT_EQ(ImageBackgroundCustomColors(fresh), (std::vector<std::string>{"ColorA=00FFFFFF", "ColorB=00202020",
                                                                          "ColorC=20000000", "ColorD=20000000"}));
  TSettings s;
  s.ImageBackgroundColor = 0x00abcdef;
  EXPECT_EQ(ImageBackgroundCustomColors(s)[2], "ColorC=00ABCDEF") << "upper-case digits";
  EXPECT_EQ(CustomColorText(0), "00000000");
  EXPECT_EQ(CustomColorText(0xFFFFFFFF), "FFFFFFFF");
}

TEST(Colours, CustomColourSlotsForTheSystemDialog) {
  const auto slots = CustomColorSlots({"ColorA=20000000", "ColorD=00202020", "ColorP=1", "Colorq=ff",
                                       "ColorB=xyz", "ColorC=", "ColorE=123456789", "Other=5", "ColorZ=1"});
  EXPECT_EQ(slots[0], std::optional<TColor>(0x20000000));
  EXPECT_EQ(slots[3], std::optional<TColor>(0x00202020));
  EXPECT_EQ(slots[15], std::optional<TColor>(1));
  EXPECT_FALSE(slots[1]) << "not hexadecimal";
  EXPECT_FALSE(slots[2]) << "no digits";
  EXPECT_FALSE(slots[4]) << "more than 8 digits";
  EXPECT_FALSE(slots[5]);
  const auto fresh = CustomColorSlots(BackgroundCustomColors(TSettings{}));
  EXPECT_EQ(fresh[2], std::optional<TColor>(0x00FFFFFF));
}

TEST(Colours, TileSizeIsReadFromThePngHeaderAndHugeTilesAreRefused) {
  const std::string chess = *ReadFileBytes(std::string(PICTARA_FIXTURES) + "/../../resources/chess/chess_background.png");
  EXPECT_EQ(PngHeaderSize(chess), (std::array<int32_t, 2>{1568, 896}));
  EXPECT_TRUE(BackgroundPictureSizeAllowed(chess));
  const auto withSize = [&](uint32_t w, uint32_t h) {
    std::string bytes = chess;
    for (int i = 0; i < 4; ++i) {
      bytes[16 + i] = static_cast<char>(w >> (24 - 8 * i));
      bytes[20 + i] = static_cast<char>(h >> (24 - 8 * i));
    }
    return bytes;
  };
  EXPECT_FALSE(BackgroundPictureSizeAllowed(withSize(100000, 100000)));
  EXPECT_FALSE(BackgroundPictureSizeAllowed(withSize(0, 5)));
  EXPECT_FALSE(BackgroundPictureSizeAllowed(withSize(0x80000000u, 1)));
  EXPECT_TRUE(BackgroundPictureSizeAllowed(withSize(8192, 8192)));
  EXPECT_TRUE(BackgroundPictureSizeAllowed(withSize(1, 1)));
  EXPECT_FALSE(BackgroundPictureSizeAllowed("not a png at all, but long enough"));
  EXPECT_FALSE(BackgroundPictureSizeAllowed(chess.substr(0, 20)));
}

// The tile the plug-in carries, against its definition: 1 bit per pixel, entry 0 light grey,
// entry 1 white, entry ((x div 16) + (y div 16)) mod 2 at (x, y).
TEST(ChessBackground, PixelsFollowTheDefinition) {
  std::string error;
  const auto png = DecodePngFile(std::string(PICTARA_FIXTURES) + "/../../resources/chess/chess_background.png", &error);
  ASSERT_TRUE(png) << error;
  EXPECT_EQ(png->width, 1568);
  EXPECT_EQ(png->height, 896);
  EXPECT_EQ(png->colorType, PngColorType::Palette);
  EXPECT_EQ(png->bitDepth, 1);
  ASSERT_EQ(png->palette.size(), 2u);
  EXPECT_EQ(png->palette[0], (Rgba{0xC8, 0xC8, 0xC8, 255}));
  EXPECT_EQ(png->palette[1], (Rgba{0xFF, 0xFF, 0xFF, 255}));
  EXPECT_FALSE(png->colorKey);
  int64_t wrong = 0;
  for (int32_t y = 0; y < png->height; ++y)
    for (int32_t x = 0; x < png->width; ++x)
      if (png->Sample(x, y, 0) != ((x / 16) + (y / 16)) % 2) ++wrong;
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace pictara
