#include "imagebox/zoom_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pictara::imagebox {
namespace {

TEST(ZoomSteps, StepToTheNextTableValueBeyondTheScale) {
  struct Case {
    int32_t scale;
    bool increase;
    int32_t expected;
  };
  const Case kCases[] = {
      {100, true, 125}, {125, true, 150}, {100, false, 90},  {37, true, 40},
      {37, false, 30},  {1600, true, 1600}, {1, false, 1},   {0, true, 1},
      {5000, false, 1600}, {2000, true, 2000}, {1, true, 2}, {1600, false, 1400},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.scale << (c.increase ? " in" : " out"));
    EXPECT_EQ(NextZoomStep(c.scale, c.increase), c.expected);
  }
  EXPECT_TRUE(std::is_sorted(ZoomSteps.begin(), ZoomSteps.end()));
}

TEST(PageStep, NearlyAPageButAtLeastTwoThirds) {
  EXPECT_EQ(PageStep(600), 580);
  EXPECT_EQ(PageStep(45), 30);
  EXPECT_EQ(PageStep(60), 40);
  EXPECT_EQ(PageStep(0), 0);
}

TEST(ScrollBarTarget, LinesPagesThumbAndEnds) {
  struct Case {
    int code;
    std::optional<int32_t> expected;
  };
  // At 1000 of a 5000 range in a 600-pixel client, the thumb dragged to 1234.
  const Case kCases[] = {
      {kScrollLineUp, 950},   {kScrollLineDown, 1050},      {kScrollPageUp, 420},
      {kScrollPageDown, 1580}, {kScrollThumbTrack, 1234},   {kScrollThumbPosition, 1234},
      {kScrollTop, 0},        {kScrollBottom, 5000},        {kScrollEnd, std::nullopt},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(ScrollBarTarget(c.code, 1000, 5000, 600, 1234), c.expected);
  }
}

TEST(ScaledExtent, RoundsHalvesToEvenWithoutOverflow) {
  struct Case {
    int32_t scale, extent, expected;
  };
  const Case kCases[] = {
      {125, 333, 416},  // 416.25
      {50, 3, 2},       // 1.5 -> 2
      {50, 5, 2},       // 2.5 -> 2
      {150, 1, 2},      // 1.5 -> 2
      {30, 5, 2},       // 1.5 -> 2
      {0, 1000, 0},
      {100, 0, 0},
      // 32-bit products would wrap to a negative size here.
      {32766, 100000, 32766000},
      {32766, 2000000000, 2147483647},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.scale << "% of " << c.extent);
    EXPECT_EQ(ScaledExtent(c.scale, c.extent), c.expected);
  }
}

TEST(FitImage, ShrinksByTheTighterSideAndKeepsSmallPictures) {
  struct Case {
    const char* name;
    Size picture, client;
    FitOptions options;
    Size displayed;
    int32_t scale;
  };
  const Case kCases[] = {
      {"small, only big", {400, 300}, {800, 600}, {}, {400, 300}, 100},
      {"wide: by width", {2000, 1000}, {800, 600}, {}, {800, 400}, 40},
      {"tall: by height", {1000, 2000}, {800, 600}, {}, {300, 600}, 30},
      {"small enlarged by width", {200, 100}, {800, 600}, {false}, {800, 400}, 400},
      {"forced height", {2000, 1000}, {800, 600}, {true, false, true}, {1200, 600}, 60},
      {"forced width", {1000, 2000}, {800, 600}, {true, true, false}, {800, 1600}, 80},
      {"empty client keeps the scale", {2000, 1000}, {0, 600}, {}, {2000, 1000}, 77},
      {"no picture, not only big", {0, 0}, {800, 600}, {false}, {0, 0}, 77},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const FitResult r = FitImage(c.picture, c.client, c.options, 77);
    EXPECT_EQ(r.displayed, c.displayed);
    EXPECT_EQ(r.scale, c.scale);
  }
}

TEST(ComputeDisplayRect, PlacesThePictureInTheControl) {
  struct Case {
    const char* name;
    Size picture, client;
    DisplayOptions options;
    Rect expected;
  };
  const Case kCases[] = {
      {"same size, centre ignored", {100, 50}, {100, 50}, {false, false, true}, {0, 0, 100, 50}},
      {"natural", {40, 30}, {100, 100}, {}, {0, 0, 40, 30}},
      {"natural centred", {40, 30}, {100, 100}, {false, false, true}, {30, 35, 70, 65}},
      {"stretched", {40, 30}, {100, 100}, {true}, {0, 0, 100, 100}},
      {"proportional wide", {400, 200}, {100, 100}, {false, true}, {0, 0, 100, 50}},
      {"proportional wide centred", {400, 200}, {100, 100}, {false, true, true}, {0, 25, 100, 75}},
      {"proportional tall", {200, 400}, {100, 100}, {false, true}, {0, 0, 50, 100}},
      {"proportional wide, height limits", {400, 300}, {100, 50}, {false, true}, {0, 0, 66, 50}},
      {"proportional tall, width limits", {300, 400}, {50, 100}, {false, true}, {0, 0, 50, 66}},
      {"proportional small not enlarged", {40, 30}, {100, 100}, {false, true}, {0, 0, 40, 30}},
      {"stretch proportional enlarges", {50, 25}, {100, 100}, {true, true}, {0, 0, 100, 50}},
      {"stretch proportional, no picture", {0, 0}, {100, 80}, {true, true}, {0, 0, 100, 80}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ComputeDisplayRect(c.picture, c.client, c.options), c.expected);
  }
}

TEST(ChoosePaintPath, ResamplesOnlyScaledPictures) {
  const Rect scaled{0, 0, 50, 50}, natural{0, 0, 100, 100};
  struct Case {
    const char* name;
    PaintInputs in;
    PaintPath expected;
  };
  const Case kCases[] = {
      {"resample off", {false, true, {100, 100}, scaled, 300}, PaintPath::Stretched},
      {"no graphic", {true, false, {0, 0}, scaled, 300}, PaintPath::Stretched},
      {"natural size", {true, true, {100, 100}, natural, 300}, PaintPath::Stretched},
      {"scaled", {true, true, {100, 100}, scaled, 300}, PaintPath::StretchedThenTimer},
      {"enlarged", {true, true, {10, 10}, natural, 300}, PaintPath::StretchedThenTimer},
      {"no delay", {true, true, {100, 100}, scaled, 0}, PaintPath::Resampled},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ChoosePaintPath(c.in), c.expected);
  }
}

TEST(TilePositions, CoverTheRectFromItsCornerWithOneSpareColumnAndRow) {
  const Rect rect{10, 20, 75, 60};  // 65 x 40
  const std::vector<ClientPoint> tiles = TilePositions(rect, {32, 32});
  const std::vector<ClientPoint> expected = {{10, 20}, {42, 20}, {74, 20},
                                             {10, 52}, {42, 52}, {74, 52}};
  EXPECT_EQ(tiles, expected);
  EXPECT_TRUE(TilePositions(rect, {0, 32}).empty());
  EXPECT_TRUE(TilePositions(rect, {32, 0}).empty());
}

TEST(TilePositions, ClipKeepsExactlyTheTilesThatReachIntoIt) {
  const Rect rect{-130, -70, 900, 700};
  const Size tile{48, 40};
  const std::vector<ClientPoint> all = TilePositions(rect, tile);
  const Rect kClips[] = {{0, 0, 640, 480}, {250, 250, 350, 260}, {-500, -500, -400, -400},
                         {47 - 130, 0, 49 - 130, 1}, {-130, -70, 900, 700}};
  for (const Rect& clip : kClips) {
    SCOPED_TRACE(testing::Message() << clip.left << "," << clip.top << "," << clip.right << ","
                                    << clip.bottom);
    std::vector<ClientPoint> expected;
    for (const ClientPoint& p : all)
      if (p.x < clip.right && p.x + tile.width > clip.left && p.y < clip.bottom &&
          p.y + tile.height > clip.top)
        expected.push_back(p);
    EXPECT_EQ(TilePositions(rect, tile, clip), expected);
  }
}

TEST(IsImageOpaque, OnlyAnOpaqueGraphicCoveringTheWholeControl) {
  const Size control{100, 80};
  EXPECT_TRUE(IsImageOpaque(true, false, {0, 0, 100, 80}, control));
  EXPECT_TRUE(IsImageOpaque(true, false, {-1, -1, 101, 81}, control));
  EXPECT_FALSE(IsImageOpaque(true, true, {0, 0, 100, 80}, control));    // transparent
  EXPECT_FALSE(IsImageOpaque(false, false, {0, 0, 100, 80}, control));  // no graphic
  EXPECT_FALSE(IsImageOpaque(true, false, {0, 0, 99, 80}, control));    // a column lost
  EXPECT_FALSE(IsImageOpaque(true, false, {0, 1, 100, 80}, control));
}

}  // namespace
}  // namespace pictara::imagebox
