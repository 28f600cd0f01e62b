#include "viewer/form_layout.h"

#include <gtest/gtest.h>

namespace pictara {
namespace {

TEST(FormLayout, KeepsItsDesignedSizesAt120AndScalesOtherDensities) {
  // Designed at 120 ppi; the form is scaled from 96 to (ppi - 24), rounding halves away from zero.
  struct Case {
    int ppi;
    TFormLayout expected;
  } const kCases[] = {
      {120, {14, 31, 2, 1, 0, 29, 30, 29, 6}},
      {96, {11, 23, 2, 1, 0, 22, 23, 22, 5}},   // 0.75: 10.5 -> 11, 23.25 -> 23, 21.75 -> 22
      {144, {18, 39, 3, 1, 0, 36, 38, 36, 8}},  // 1.25: 17.5 -> 18, 38.75 -> 39, 2.5 -> 3
      {192, {25, 54, 4, 2, 0, 51, 53, 51, 11}},  // 1.75: 24.5 -> 25, 52.5 -> 53
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.ppi);
    EXPECT_EQ(ScaledFormLayout(c.ppi), c.expected);
  }
}

TEST(FormLayout, BottomBarSitsUnderTheScrollBoxWithInfoAfterTheButtons) {
  TFormLayout layout;  // 120 ppi
  TBottomBarPlacement p = PlaceBottomBar(layout, {800, 600}, true);
  EXPECT_EQ(p.ScrollBox, (Rect{0, 0, 800, 569}));
  EXPECT_EQ(p.Bar, (Rect{0, 569, 800, 600}));
  EXPECT_EQ(p.Buttons, (Rect{2, 0, 61, 31}));
  EXPECT_EQ(p.Prev, (Rect{0, 1, 30, 30}));
  EXPECT_EQ(p.Next, (Rect{29, 1, 59, 30}));
  EXPECT_EQ(p.Info, (Rect{67, 0, 800, 31}));

  TBottomBarPlacement hidden = PlaceBottomBar(layout, {800, 600}, false);
  EXPECT_EQ(hidden.Info.left, 8) << "hidden buttons take no room";

  // A window lower than the bar gives the bar all of it and never a negative size.
  TBottomBarPlacement tiny = PlaceBottomBar(layout, {40, 10}, true);
  EXPECT_EQ(tiny.ScrollBox.Height(), 0);
  EXPECT_EQ(tiny.Bar, (Rect{0, 0, 40, 10}));
  EXPECT_GE(tiny.Info.Width(), 0);
}

TEST(FormLayout, ViewerCoversTheListersScrollBarsOnlyIn64Bit) {
  const Rect client{0, 0, 600, 400};
  struct Case {
    const char* name;
    bool vertical, horizontal, is64;
    Rect expected;
  } const kCases[] = {
      {"no bars", false, false, true, {0, 0, 600, 400}},
      {"vertical", true, false, true, {0, 0, 617, 400}},
      {"horizontal", false, true, true, {0, 0, 600, 421}},
      {"both", true, true, true, {0, 0, 617, 421}},
      {"both, 32-bit", true, true, false, {0, 0, 600, 400}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    TListerGeometry g{client, c.vertical, c.horizontal, 17, 21};
    EXPECT_EQ(PlaceOverLister(g, c.is64), c.expected);
  }
}

TEST(FormLayout, DarkBarIsDarkGreyWithSilverTextAndFlatButtons) {
  EXPECT_EQ(BottomBarLook(true), (TBottomBarLook{0x00202020, 0x00C0C0C0, true}));
  EXPECT_EQ(BottomBarLook(false), (TBottomBarLook{clBtnFace, clWindowText, false}));
  EXPECT_TRUE(IsSystemColor(clBtnFace));
  EXPECT_FALSE(IsSystemColor(0x00202020));
}

}  // namespace
}  // namespace pictara
