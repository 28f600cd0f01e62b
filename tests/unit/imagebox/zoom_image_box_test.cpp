#include "imagebox/zoom_image_box.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace pictara::imagebox {
namespace {

class FakeView : public IZoomBoxView {
 public:
  void LayoutChanged() override { ++layouts; }
  void SetAppCursor(int32_t id) override { cursors.push_back(id); }
  void TakeFocus() override { ++focus; }
  int layouts = 0;
  int focus = 0;
  std::vector<int32_t> cursors;
};

constexpr int32_t kBar = 17;

// An 800 x 600 box as the viewer configures it (fit mode, only big, centred, keep position).
class ZoomImageBoxTest : public testing::Test {
 protected:
  ZoomImageBoxTest() {
    box.SetBounds({800, 600}, kBar, kBar);
    box.SetImageFitToWindow(true);
    box.OnOptionsChange = [this] { ++optionsChanges; };
    box.OnScroll = [this] { ++scrolls; };
  }
  void Show(Size picture) { box.UpdateImageInfo(picture); }
  // Zoom mode with both bars at the given positions.
  void ShowZoomed(Size picture, int32_t scale, int32_t h, int32_t v) {
    Show(picture);
    box.SetImageScale(scale);
    box.SetHorzPosition(h);
    box.SetVertPosition(v);
  }
  // The natural-picture point under the client centre.
  double CentreX() const {
    return (box.HorzScrollBar().position + box.ClientSize().width / 2) * 100.0 / box.ImageScale();
  }
  double CentreY() const {
    return (box.VertScrollBar().position + box.ClientSize().height / 2) * 100.0 / box.ImageScale();
  }

  FakeView view;
  TZoomImageBox box{&view};
  int optionsChanges = 0;
  int scrolls = 0;
};

TEST_F(ZoomImageBoxTest, FitModeShrinksCentresAndNeedsNoBars) {
  struct Case {
    Size picture;
    Rect bounds;
    int32_t scale;
  };
  const Case kCases[] = {
      {{400, 300}, Rect::FromBounds(200, 150, 400, 300), 100},
      {{2000, 1000}, Rect::FromBounds(0, 100, 800, 400), 40},
      {{1000, 2000}, Rect::FromBounds(250, 0, 300, 600), 30},
      {{800, 600}, Rect::FromBounds(0, 0, 800, 600), 100},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.picture.width << "x" << c.picture.height);
    Show(c.picture);
    EXPECT_EQ(box.Image().bounds, c.bounds);
    EXPECT_EQ(box.ImageScale(), c.scale);
    EXPECT_FALSE(box.HorzScrollBar().visible);
    EXPECT_FALSE(box.VertScrollBar().visible);
    EXPECT_EQ(box.HorzScrollBar().range, c.bounds.Width());
    EXPECT_EQ(box.VertScrollBar().range, c.bounds.Height());
  }
  EXPECT_EQ(optionsChanges, 0);  // fitting sets the scale without the event
}

TEST_F(ZoomImageBoxTest, ZoomRoundsTheDisplayedSize) {
  Show({333, 333});
  box.SetImageScale(125);
  EXPECT_EQ(box.Image().bounds, Rect::FromBounds(192, 92, 416, 416));
  EXPECT_TRUE(box.Image().stretch);
  box.SetImageScale(100);
  EXPECT_TRUE(box.Image().autoSize);
  EXPECT_FALSE(box.Image().stretch);
}

TEST_F(ZoomImageBoxTest, BarsTakeRoomFromEachOther) {
  box.SetImageFitToWindow(false);
  struct Case {
    Size picture;
    bool horz, vert;
    Size client;
  };
  const Case kCases[] = {
      {{800, 600}, false, false, {800, 600}},
      {{790, 590}, false, false, {800, 600}},
      {{790, 610}, true, true, {783, 583}},  // the vertical bar makes the width too small
      {{700, 610}, false, true, {783, 600}},
      {{900, 590}, true, true, {783, 583}},
      {{900, 100}, true, false, {800, 583}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.picture.width << "x" << c.picture.height);
    Show(c.picture);
    EXPECT_EQ(box.HorzScrollBar().visible, c.horz);
    EXPECT_EQ(box.VertScrollBar().visible, c.vert);
    EXPECT_EQ(box.ClientSize(), c.client);
  }
}

TEST_F(ZoomImageBoxTest, FitAfterZoomUsesTheWholeAreaAgain) {
  ShowZoomed({2000, 1000}, 100, 500, 200);
  ASSERT_TRUE(box.VertScrollBar().visible);
  box.SetImageFitToWindow(true);
  EXPECT_EQ(box.Image().bounds, Rect::FromBounds(0, 100, 800, 400));
  EXPECT_EQ(box.ImageScale(), 40);
  EXPECT_EQ(box.HorzScrollBar(), (ScrollBarState{800, 0, false}));
}

TEST_F(ZoomImageBoxTest, ZoomKeepsThePictureCentreOfAScrolledLargePicture) {
  ShowZoomed({3000, 2000}, 100, 1200, 700);
  for (bool in : {true, true, false, false, false}) {
    const double x = CentreX(), y = CentreY();
    box.IncreaseImageScale(in);
    SCOPED_TRACE(box.ImageScale());
    // Within one displayed pixel of where it was (the new position is truncated).
    const double pixel = 100.0 / box.ImageScale();
    EXPECT_NEAR(CentreX(), x, pixel + 1e-9);
    EXPECT_NEAR(CentreY(), y, pixel + 1e-9);
    EXPECT_EQ(box.Image().bounds.left, -box.HorzScrollBar().position);
  }
  // 100 -> 125 exactly: trunc((1200 + 391) / 3000 × 3750) − 391.
  ShowZoomed({3000, 2000}, 100, 1200, 700);
  box.SetImageScale(125);
  EXPECT_EQ(box.HorzScrollBar().position, 1597);
}

TEST_F(ZoomImageBoxTest, ZoomKeepsASmallPictureCentred) {
  Show({200, 100});
  box.SetImageScale(200);
  EXPECT_EQ(box.Image().bounds, Rect::FromBounds(200, 200, 400, 200));
  EXPECT_EQ(box.HorzScrollBar().position, 0);
  EXPECT_EQ(box.VertScrollBar().position, 0);
  EXPECT_FALSE(box.HorzScrollBar().visible);
}

TEST_F(ZoomImageBoxTest, ResizeRefitsOrKeepsTheScrolledView) {
  Show({2000, 1000});
  box.SetBounds({1000, 500}, kBar, kBar);  // fit by width again: 1000 x 500 is the same shape
  EXPECT_EQ(box.Image().bounds, Rect::FromBounds(0, 0, 1000, 500));
  EXPECT_EQ(box.ImageScale(), 50);
  EXPECT_EQ(optionsChanges, 0);

  ShowZoomed({3000, 2000}, 100, 1200, 700);
  box.SetBounds({1000, 500}, kBar, kBar);
  EXPECT_EQ(box.HorzScrollBar().position, 1200);
  EXPECT_EQ(box.VertScrollBar().position, 700);
  box.SetBounds({2800, 1900}, kBar, kBar);  // positions clamped to the smaller ranges
  EXPECT_EQ(box.HorzScrollBar().position, 3000 - 2783);
  EXPECT_EQ(box.VertScrollBar().position, 2000 - 1883);
  box.ImageKeepPosition = false;
  box.SetBounds({800, 600}, kBar, kBar);
  EXPECT_EQ(box.HorzScrollBar().position, 0);
  EXPECT_EQ(box.VertScrollBar().position, 0);
}

TEST_F(ZoomImageBoxTest, ScaleSetterLeavesFitModeOnceAndIgnoresTheSameValue) {
  Show({2000, 1000});
  ASSERT_EQ(box.ImageScale(), 40);
  box.SetImageScale(40);  // the current value: nothing, still fitting
  EXPECT_TRUE(box.ImageFitToWindow());
  EXPECT_EQ(optionsChanges, 0);
  box.SetImageScale(50);
  EXPECT_FALSE(box.ImageFitToWindow());
  EXPECT_EQ(box.ImageScale(), 50);
  EXPECT_EQ(optionsChanges, 1);
  box.SetImageScale(50);
  EXPECT_EQ(optionsChanges, 1);
}

TEST_F(ZoomImageBoxTest, ScaleOutsideTheLimitsFailsAndChangesNothing) {
  Show({2000, 1000});
  const Rect bounds = box.Image().bounds;
  for (int32_t bad : {-1, 32767, 100000}) {
    SCOPED_TRACE(bad);
    try {
      box.SetImageScale(bad);
      ADD_FAILURE() << "no error";
    } catch (const EImageBoxError& e) {
      EXPECT_STREQ(e.what(), "Invalid scale value");
    }
    EXPECT_EQ(box.ImageScale(), 40);
    EXPECT_TRUE(box.ImageFitToWindow());
    EXPECT_EQ(box.Image().bounds, bounds);
  }
  EXPECT_EQ(optionsChanges, 0);
  box.SetImageScale(32766);  // the largest accepted: a huge but valid layout
  EXPECT_EQ(box.Image().bounds.Width(), 655320);
  box.SetImageScale(0);
  EXPECT_EQ(box.Image().bounds, Rect::FromBounds(400, 300, 0, 0));
}

TEST_F(ZoomImageBoxTest, ZoomStepsStopAtTheTableEnds) {
  Show({100, 100});
  box.SetImageScale(1600);
  const int before = optionsChanges;
  box.IncreaseImageScale(true);
  EXPECT_EQ(box.ImageScale(), 1600);
  box.SetImageScale(1);
  box.IncreaseImageScale(false);
  EXPECT_EQ(box.ImageScale(), 1);
  EXPECT_EQ(optionsChanges, before + 1);
}

TEST_F(ZoomImageBoxTest, LeavingFitModeResetsScaleAndCorner) {
  ShowZoomed({3000, 2000}, 200, 1500, 900);
  box.SetImageFitToWindow(true);
  box.SetImageFitToWindow(false);
  EXPECT_EQ(box.ImageScale(), 100);
  EXPECT_EQ(box.HorzScrollBar().position, 0);
  EXPECT_EQ(box.VertScrollBar().position, 0);
  EXPECT_EQ(box.Image().bounds, Rect::FromBounds(0, 0, 3000, 2000));
  const int layouts = view.layouts;
  box.SetImageFitToWindow(false);
  EXPECT_EQ(view.layouts, layouts);
  EXPECT_EQ(optionsChanges, 1);  // only the SetImageScale(200) above
}

TEST_F(ZoomImageBoxTest, ForcedFitDirectionsExcludeEachOther) {
  box.SetImageFitHeight(true);
  box.SetImageFitWidth(true);
  EXPECT_FALSE(box.ImageFitHeight());
  Show({1000, 2000});  // would fit by height; forced by width and scrolled
  EXPECT_EQ(box.Image().bounds.Width(), 783);
  EXPECT_TRUE(box.VertScrollBar().visible);
  box.SetImageFitHeight(true);
  EXPECT_FALSE(box.ImageFitWidth());
  EXPECT_EQ(box.Image().bounds, Rect::FromBounds(250, 0, 300, 600));
}

TEST_F(ZoomImageBoxTest, NoGraphicMeansNoLayout) {
  Show({2000, 1000});
  box.SetImageScale(300);
  const int layouts = view.layouts;
  box.UpdateImageInfo({0, 0});
  EXPECT_EQ(box.ImageWidth(), 0);
  EXPECT_EQ(box.ImageHeight(), 0);
  EXPECT_EQ(box.ImageScale(), 100);
  EXPECT_EQ(view.layouts, layouts);
}

TEST_F(ZoomImageBoxTest, KeyTable) {
  struct Case {
    const char* name;
    uint16_t key;
    ShiftState shift;
    bool consumed;
    int32_t h, v;  // positions after the key, starting from (1000, 1000)
  };
  // 3000 x 3000 at 100 %: client 783 x 583, positions 0 … 2217 and 0 … 2417.
  const Case kCases[] = {
      {"left", kKeyLeft, ssNone, true, 950, 1000},
      {"right", kKeyRight, ssNone, true, 1050, 1000},
      {"up", kKeyUp, ssNone, true, 1000, 950},
      {"down", kKeyDown, ssNone, true, 1000, 1050},
      {"home", kKeyHome, ssNone, true, 1000 - 763, 1000},
      {"end", kKeyEnd, ssNone, true, 1000 + 763, 1000},
      {"page up", kKeyPageUp, ssNone, true, 1000, 1000 - 563},
      {"page down", kKeyPageDown, ssNone, true, 1000, 1000 + 563},
      {"ctrl left", kKeyLeft, ssCtrl, true, 0, 1000},
      {"ctrl right", kKeyRight, ssCtrl, true, 2217, 1000},
      {"ctrl up", kKeyUp, ssCtrl, true, 1000, 0},
      {"ctrl down", kKeyDown, ssCtrl, true, 1000, 2417},
      {"alt left", kKeyLeft, ssAlt, true, 1000, 1000},
      {"alt up", kKeyUp, ssAlt, false, 1000, 1000},
      {"ctrl home", kKeyHome, ssCtrl, false, 1000, 1000},
      {"shift left", kKeyLeft, ssShift, false, 1000, 1000},
      {"ctrl shift left", kKeyLeft, ssCtrl | ssShift, false, 1000, 1000},
      {"left with a button held", kKeyLeft, ssLeft, false, 1000, 1000},
      {"other key", 0x41, ssNone, false, 1000, 1000},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ShowZoomed({3000, 3000}, 100, 1000, 1000);
    const int scrollsBefore = scrolls;
    uint16_t key = c.key;
    EXPECT_EQ(box.KeyDown(key, c.shift), c.consumed);
    EXPECT_EQ(key, c.consumed ? 0 : c.key);
    EXPECT_EQ(box.HorzScrollBar().position, c.h);
    EXPECT_EQ(box.VertScrollBar().position, c.v);
    const bool scrolled = c.consumed && c.shift != ssAlt;
    EXPECT_EQ(scrolls - scrollsBefore, scrolled ? 1 : 0);
    EXPECT_EQ(box.Image().bounds.left, -c.h);
    EXPECT_EQ(box.Image().bounds.top, -c.v);
  }
}

TEST_F(ZoomImageBoxTest, PageStepUsesTheClientExtent) {
  box.SetImageFitToWindow(false);
  Show({700, 3000});  // only a vertical bar: the client stays 600 high
  uint16_t key = kKeyPageDown;
  box.KeyDown(key, ssNone);
  EXPECT_EQ(box.VertScrollBar().position, 580);
  box.SetBounds({800, 45}, kBar, kBar);
  box.SetVertPosition(0);
  key = kKeyPageDown;
  box.KeyDown(key, ssNone);
  EXPECT_EQ(box.VertScrollBar().position, 30);
}

TEST_F(ZoomImageBoxTest, AltArrowsGoToTheHandler) {
  std::vector<bool> calls;
  box.OnScrollAlt = [&](bool inc) { calls.push_back(inc); };
  for (uint16_t k : {kKeyLeft, kKeyRight}) {
    uint16_t key = k;
    EXPECT_TRUE(box.KeyDown(key, ssAlt));
  }
  EXPECT_EQ(calls, (std::vector<bool>{false, true}));
}

TEST_F(ZoomImageBoxTest, WheelTable) {
  struct Case {
    const char* name;
    ShiftState shift;
    bool up;
    int32_t h, v, scale;
  };
  const Case kCases[] = {
      {"up", ssNone, true, 1000, 950, 100},
      {"down", ssNone, false, 1000, 1050, 100},
      {"shift up", ssShift, true, 950, 1000, 100},
      {"shift down", ssShift, false, 1050, 1000, 100},
      {"ctrl up", ssCtrl, true, -1, -1, 125},
      {"ctrl down", ssCtrl, false, -1, -1, 90},
      {"ctrl shift", ssCtrl | ssShift, true, 1000, 1000, 100},
      {"alt", ssAlt, true, 1000, 1000, 100},
      {"right button", ssRight, true, 1000, 1000, 100},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ShowZoomed({3000, 3000}, 100, 1000, 1000);
    EXPECT_TRUE(box.MouseWheel(c.up, c.shift));
    EXPECT_EQ(box.ImageScale(), c.scale);
    if (c.h >= 0) {
      EXPECT_EQ(box.HorzScrollBar().position, c.h);
      EXPECT_EQ(box.VertScrollBar().position, c.v);
    }
  }
}

TEST_F(ZoomImageBoxTest, WheelWithTheButtonHeldZoomsAndStopsTheDrag) {
  ShowZoomed({3000, 3000}, 100, 1000, 1000);
  box.ImageMouseDown(MouseButton::Left, ssLeft, {1400, 1300});
  ASSERT_TRUE(box.Dragging());
  EXPECT_EQ(view.cursors.back(), crSizeAll);
  box.MouseWheel(true, ssLeft);
  EXPECT_EQ(box.ImageScale(), 125);
  EXPECT_FALSE(box.Dragging());
  EXPECT_TRUE(box.ImageMouseIsDown());
  EXPECT_EQ(view.cursors.back(), crSizeNS);
  // Further moves no longer pan; further wheel steps keep zooming.
  const ScrollBarState h = box.HorzScrollBar();
  box.ImageMouseMove(ssLeft, {1000, 1000});
  EXPECT_EQ(box.HorzScrollBar(), h);
  box.MouseWheel(true, ssLeft | ssShift);
  EXPECT_EQ(box.ImageScale(), 150);
  box.ImageMouseUp(MouseButton::Left, ssNone, {1000, 1000});
  EXPECT_FALSE(box.ImageMouseIsDown());
  EXPECT_EQ(view.cursors.back(), crDefault);
}

TEST_F(ZoomImageBoxTest, DragMovesTheGrabbedPointWithThePointer) {
  ShowZoomed({3000, 3000}, 100, 1000, 1000);
  std::vector<MouseSender> senders;
  box.OnMouseDown = [&](MouseSender s, MouseButton, ShiftState, int32_t, int32_t) {
    senders.push_back(s);
  };
  const ClientPoint press{300, 200};
  const PicturePoint grabbed = box.ToPicture(press);
  box.ImageMouseDown(MouseButton::Left, ssLeft, grabbed);
  EXPECT_EQ(view.focus, 1);
  // The pointer moves 40 left and 30 up: the view follows by the same amount.
  box.ImageMouseMove(ssLeft, box.ToPicture({260, 170}));
  EXPECT_EQ(box.HorzScrollBar().position, 1040);
  EXPECT_EQ(box.VertScrollBar().position, 1030);
  EXPECT_EQ(box.ToPicture({260, 170}), grabbed);
  box.ImageMouseUp(MouseButton::Left, ssNone, {});
  box.ImageMouseMove(ssNone, box.ToPicture({0, 0}));
  EXPECT_EQ(box.HorzScrollBar().position, 1040);
  box.BoxMouseDown(MouseButton::Right, ssRight, {5, 5});
  EXPECT_EQ(senders, (std::vector<MouseSender>{MouseSender::Image, MouseSender::Box}));
  EXPECT_EQ(view.focus, 2);
}

TEST_F(ZoomImageBoxTest, DraggingAFullyVisiblePictureChangesNothing) {
  Show({400, 300});
  box.ImageMouseDown(MouseButton::Left, ssLeft, {10, 10});
  box.ImageMouseMove(ssLeft, {200, 150});
  EXPECT_EQ(box.HorzScrollBar().position, 0);
  EXPECT_EQ(box.VertScrollBar().position, 0);
  EXPECT_EQ(box.Image().bounds, Rect::FromBounds(200, 150, 400, 300));
  EXPECT_TRUE(view.cursors.empty());  // no drag cursor without anything to drag
}

TEST_F(ZoomImageBoxTest, OtherButtonsAndDragOffDoNotPan) {
  ShowZoomed({3000, 3000}, 100, 1000, 1000);
  box.ImageMouseDown(MouseButton::Right, ssRight, {10, 10});
  box.ImageMouseMove(ssRight, {200, 150});
  EXPECT_EQ(box.HorzScrollBar().position, 1000);
  box.ImageDrag = false;
  box.ImageMouseDown(MouseButton::Left, ssLeft, {10, 10});
  box.ImageMouseMove(ssLeft, {200, 150});
  EXPECT_EQ(box.HorzScrollBar().position, 1000);
  EXPECT_TRUE(box.ImageMouseIsDown());
  box.Focusable = false;
  const int focus = view.focus;
  box.ImageMouseDown(MouseButton::Left, ssLeft, {10, 10});
  EXPECT_EQ(view.focus, focus);
}

}  // namespace
}  // namespace pictara::imagebox
