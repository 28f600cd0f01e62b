#include "imagebox/paint_plan.h"

#include <gtest/gtest.h>

namespace pictara::imagebox {
namespace {

TEST(PlanSmoothPaint, WholePictureAtItsDisplayedSizeWithTheMethodByBackgroundAndDirection) {
  struct Case {
    const char* name;
    Size picture;
    Rect display;
    bool drawBackground;
    SmoothMethod method;
  } const kCases[] = {
      {"shrinking over the colour", {400, 300}, {10, 20, 210, 170}, false, SmoothMethod::HalftoneFlattened},
      {"same size over the colour", {400, 300}, {0, 0, 400, 300}, false, SmoothMethod::HalftoneFlattened},
      {"enlarging over the colour", {100, 50}, {5, 5, 405, 205}, false, SmoothMethod::ResampleFlattened},
      {"wider but not taller still enlarges", {100, 100}, {0, 0, 101, 100}, false, SmoothMethod::ResampleFlattened},
      {"shrinking over the background", {400, 300}, {0, 0, 200, 150}, true, SmoothMethod::ResampleOverBackground},
      {"enlarging over the background", {100, 50}, {0, 0, 400, 200}, true, SmoothMethod::ResampleOverBackground},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const auto plan = PlanSmoothPaint({c.picture, c.display, {0, 0, 2000, 2000}, c.drawBackground});
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->part, (Rect{0, 0, c.display.Width(), c.display.Height()}));
    EXPECT_EQ(plan->block, (Rect{0, 0, c.picture.width, c.picture.height}));
    EXPECT_EQ(plan->target, c.display);
    EXPECT_TRUE(plan->wholePicture);
    EXPECT_EQ(plan->method, c.method);
  }
}

TEST(PlanSmoothPaint, NothingToResampleLeavesTheQuickPaint) {
  struct Case {
    const char* name;
    Size picture;
    Rect display;
    Rect clip;
  } const kCases[] = {
      {"no picture", {0, 0}, {0, 0, 100, 100}, {0, 0, 100, 100}},
      {"empty display", {100, 100}, {10, 10, 10, 50}, {0, 0, 100, 100}},
      // A display above the whole-resample limit that the clip does not reach.
      {"deep zoom, nothing visible", {1000, 1000}, {0, 0, 50000, 50000}, {60000, 0, 60100, 100}},
      {"deep zoom, visible part still too large", {1000, 1000}, {0, 0, 50000, 50000}, {0, 0, 5000, 5000}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(PlanSmoothPaint({c.picture, c.display, c.clip, false}));
  }
}

TEST(PlanSmoothPaint, DeepZoomResamplesOnlyTheVisiblePart) {
  // 1000 x 1000 shown at 5000 % from (-20000, -10000): only the clip's 800 x 600 is on screen.
  const Rect display{-20000, -10000, 30000, 40000};
  const Rect clip{0, 0, 800, 600};
  const auto plan = PlanSmoothPaint({{1000, 1000}, display, clip, false});
  ASSERT_TRUE(plan);
  EXPECT_FALSE(plan->wholePicture);
  EXPECT_EQ(plan->method, SmoothMethod::ResampleFlattened);
  // The part covers the clip, lies inside the display, and goes where it belongs.
  EXPECT_LE(plan->target.left, clip.left);
  EXPECT_LE(plan->target.top, clip.top);
  EXPECT_GE(plan->target.right, clip.right);
  EXPECT_GE(plan->target.bottom, clip.bottom);
  EXPECT_EQ(plan->target, (Rect{display.left + plan->part.left, display.top + plan->part.top,
                                display.left + plan->part.right, display.top + plan->part.bottom}));
  // The block is the picture under it (400 .. 416 across, 200 .. 212 down), a little wider for the
  // filter, and inside the picture.
  EXPECT_LE(plan->block.left, 400);
  EXPECT_GE(plan->block.right, 416);
  EXPECT_LE(plan->block.top, 200);
  EXPECT_GE(plan->block.bottom, 212);
  EXPECT_GE(plan->block.left, 0);
  EXPECT_LE(plan->block.right, 1000);
  EXPECT_LT(plan->block.Width(), 40);
}

TEST(BoxLayout, BandsAroundTheImageCoverTheRestOfTheClient) {
  const Size client{300, 200};
  const auto bands = BandsAround({50, 40, 250, 160}, client);
  EXPECT_EQ(bands[0], (Rect{0, 0, 300, 40}));
  EXPECT_EQ(bands[1], (Rect{0, 160, 300, 200}));
  EXPECT_EQ(bands[2], (Rect{0, 40, 50, 160}));
  EXPECT_EQ(bands[3], (Rect{250, 40, 300, 160}));
  int64_t area = int64_t{200} * 120;
  for (const Rect& b : bands) area += int64_t{b.Width()} * b.Height();
  EXPECT_EQ(area, int64_t{client.width} * client.height);
  // Image filling the client: every band is empty.
  for (const Rect& b : BandsAround({0, 0, 300, 200}, client)) EXPECT_TRUE(b.Width() <= 0 || b.Height() <= 0);
}

TEST(BoxLayout, DisplayInBoxAndHitTest) {
  EXPECT_EQ(DisplayInBox({5, 6, 105, 56}, {-40, 10, 500, 500}), (Rect{-35, 16, 65, 66}));
  struct Case {
    ClientPoint p;
    bool over;
  } const kCases[] = {
      {{0, 0}, true},     {{99, 79}, true},   {{100, 50}, false},  // client's right edge
      {{50, 80}, false},  {{-1, 10}, false},  {{10, -1}, false},
  };
  // Image bounds reach beyond the 100 x 80 client on every side.
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y);
    EXPECT_EQ(IsOverImage(c.p, {-500, -500, 500, 500}, {100, 80}), c.over);
  }
  EXPECT_FALSE(IsOverImage({5, 5}, {10, 10, 50, 50}, {100, 80}));
  EXPECT_TRUE(IsOverImage({10, 10}, {10, 10, 50, 50}, {100, 80}));
  EXPECT_FALSE(IsOverImage({50, 10}, {10, 10, 50, 50}, {100, 80}));
}

TEST(BoxLayout, WheelDeltasAddUpToWholeNotches) {
  struct Case {
    int32_t rest, delta;
    WheelSteps expected;
  } const kCases[] = {
      {0, 120, {1, 0}},     {0, -120, {-1, 0}},   {0, 360, {3, 0}},   {0, 40, {0, 40}},
      {80, 40, {1, 0}},     {100, 30, {1, 10}},   {-100, -30, {-1, -10}}, {100, -30, {0, 70}},
      {-119, 0, {0, -119}}, {60, -240, {-1, -60}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.rest << " + " << c.delta);
    EXPECT_EQ(TakeWheelSteps(c.rest, c.delta), c.expected);
  }
}

TEST(BoxMouse, ALeftDragOfThePictureFollowsTheMouseUntilReleaseOrLostCapture) {
  using E = MouseEvent;
  using B = MouseButton;
  struct Case {
    const char* name;
    bool dragging;
    MouseInput input;
    MouseRoute expected;  // toImage, dragging, takeCapture, releaseCapture
  } const kCases[] = {
      {"left press on the picture starts a drag", false, {E::Press, B::Left, true}, {true, true, true, false}},
      {"left press beside it goes to the box", false, {E::Press, B::Left, false}, {false, false, true, false}},
      {"right press on the picture starts no drag", false, {E::Press, B::Right, true}, {true, false, true, false}},
      {"right press during a drag keeps it", true, {E::Press, B::Right, false}, {false, true, true, false}},
      {"move outside during a drag", true, {E::Move, B::Left, false}, {true, true, false, false}},
      {"move over the picture", false, {E::Move, B::Left, true}, {true, false, false, false}},
      {"move beside it", false, {E::Move, B::Left, false}, {false, false, false, false}},
      {"left release outside ends the drag on the picture", true, {E::Release, B::Left, false},
       {true, false, false, true}},
      {"left release with the right still held keeps the capture", true,
       {E::Release, B::Left, false, /*buttonsStillDown=*/true}, {true, false, false, false}},
      {"right release outside during a drag", true, {E::Release, B::Right, false, true}, {false, true, false, false}},
      {"left release beside it, no drag", false, {E::Release, B::Left, false}, {false, false, false, true}},
      {"middle release over the picture", false, {E::Release, B::Middle, true}, {true, false, false, true}},
      {"capture lost mid-drag ends it", true, {E::CaptureLost}, {true, false, false, false}},
      {"capture taken again by the box itself", true, {E::CaptureLost, B::Left, false, false, /*lostToItself=*/true},
       {false, true, false, false}},
      {"capture lost without a drag", false, {E::CaptureLost}, {false, false, false, false}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RouteMouse(c.dragging, c.input), c.expected);
  }
}

TEST(BoxLayout, BoxAreaAddsTheShownScrollBarsBack) {
  EXPECT_EQ(BoxArea({300, 200}, false, false, 17, 15), (Size{300, 200}));
  EXPECT_EQ(BoxArea({300, 200}, true, false, 17, 15), (Size{317, 200}));
  EXPECT_EQ(BoxArea({300, 200}, false, true, 17, 15), (Size{300, 215}));
  EXPECT_EQ(BoxArea({300, 200}, true, true, 17, 15), (Size{317, 215}));
}

}  // namespace
}  // namespace pictara::imagebox
