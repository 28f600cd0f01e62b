#include "viewer/form_paint.h"

#include <gtest/gtest.h>

namespace pictara {
namespace {

// colour and key as 0x00BBGGRR; the bottom-left pixel and every other one are the key.
Bitmap Glyph24(int32_t w, int32_t h, uint32_t colour, uint32_t key) {
  Bitmap b;
  b.width = w;
  b.height = h;
  b.pixelFormat = PixelFormat::pf24bit;
  b.bits.assign(b.Stride() * static_cast<size_t>(h), 0);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t c = (y == h - 1 && x == 0) || (x + y) % 2 ? key : colour;
      uint8_t* p = b.Row(y) + x * 3;
      p[0] = static_cast<uint8_t>(c >> 16);  // blue
      p[1] = static_cast<uint8_t>(c >> 8);
      p[2] = static_cast<uint8_t>(c);
    }
  return b;
}

TEST(ArrowButtons, GlyphPixelsOfTheBottomLeftColourTakeTheButtonFace) {
  const TColor face = 0x00332211;  // red 0x11, green 0x22, blue 0x33
  const Bitmap glyph = Glyph24(4, 3, 0x000000FF, 0x0000FF00);  // red, key green
  Bitmap out;
  ASSERT_TRUE(KeyGlyphToFace(glyph, face, out));
  EXPECT_EQ(out.pixelFormat, PixelFormat::pf32bit);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 4; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      const uint8_t* p = out.Row(y) + x * 4;
      const bool keyed = (y == 2 && x == 0) || (x + y) % 2;
      EXPECT_EQ(p[0], keyed ? 0x33 : 0x00);  // blue
      EXPECT_EQ(p[1], keyed ? 0x22 : 0x00);
      EXPECT_EQ(p[2], keyed ? 0x11 : 0xFF);
      EXPECT_EQ(p[3], 0);
    }
  EXPECT_FALSE(KeyGlyphToFace(Bitmap{}, face, out));
}

TEST(ArrowButtons, TriangleAndGlyphPlaceInTheButton) {
  struct Case {
    const char* name;
    bool left, pressed;
    std::array<Point, 3> expected;
  } const kCases[] = {
      // A 30 x 29 button: centre (15, 14), size 7.
      {"next", false, false, {Point{22, 14}, Point{12, 7}, Point{12, 21}}},
      {"previous", true, false, {Point{8, 14}, Point{18, 7}, Point{18, 21}}},
      {"next pressed", false, true, {Point{23, 15}, Point{13, 8}, Point{13, 22}}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ArrowTriangle({0, 0, 30, 29}, c.left, c.pressed), c.expected);
  }
  EXPECT_EQ(GlyphPosition({0, 0, 30, 29}, {20, 20}, false), (Point{5, 4}));
  EXPECT_EQ(GlyphPosition({0, 0, 30, 29}, {20, 20}, true), (Point{6, 5}));
}

TEST(BusyCursor, NestsAndNeverGoesNegative) {
  int32_t depth = 0;
  depth = NextBusyDepth(depth, true);
  depth = NextBusyDepth(depth, true);
  EXPECT_EQ(depth, 2);
  depth = NextBusyDepth(depth, false);
  EXPECT_EQ(depth, 1);
  depth = NextBusyDepth(NextBusyDepth(depth, false), false);
  EXPECT_EQ(depth, 0);
}

TEST(ErrorBox, OwnerIsTheFormOrThePluginsActiveDialog) {
  constexpr uintptr_t kForm = 10, kDialog = 20, kHost = 30, kEdit = 21;
  struct Case {
    const char* name;
    TErrorBoxWindows windows;
    bool focusedInOwner;
    TErrorBoxPlan expected;
  } const kCases[] = {
      {"form active, its box focused", {kForm, kForm, true, 11}, true, {kForm, 0, 11}},
      {"host active (embedded viewer)", {kForm, kHost, false, 11}, true, {kForm, 0, 11}},
      {"a dialog of the plug-in active", {kForm, kDialog, true, kEdit}, true, {kDialog, kDialog, kEdit}},
      {"focus elsewhere is not restored", {kForm, kDialog, true, kHost}, false, {kDialog, kDialog, 0}},
      {"nothing active", {kForm, 0, false, 0}, false, {kForm, 0, 0}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PlanErrorBox(c.windows, c.focusedInOwner), c.expected);
    EXPECT_EQ(ErrorBoxOwner(c.windows), c.expected.owner);
  }
}

}  // namespace
}  // namespace pictara
