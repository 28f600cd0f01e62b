#include "viewer/reload_size.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace pictara {
namespace {

using M = TReloadMode;

TEST(GetReloadSize, SizeAndDoNotEnlargePerMode) {
  const TReloadSizes sizes{{800, 600}, {640, 480}, {1920, 1080}, {1000, 700}};
  struct Case {
    TReloadMode mode;
    Size size;
    bool dontResizeSmall;
  } const kCases[] = {
      {M::DefaultSize, {800, 600}, false},       {M::OriginalSize, {0, 0}, true},
      {M::ScreenSize, {1920, 1080}, false},      {M::DoubleScreenSize, {3840, 2160}, false},
      {M::WindowSize, {1000, 700}, false},       {M::FitBigOnly, {1000, 700}, true},
      {M::None, {640, 480}, false},
  };
  for (const Case& c : kCases) {
    for (const bool before : {false, true}) {  // the option is replaced, not combined
      SCOPED_TRACE(testing::Message() << static_cast<int>(c.mode) << " " << before);
      bool dontResizeSmall = before;
      EXPECT_EQ(GetReloadSize(c.mode, sizes, dontResizeSmall), c.size);
      EXPECT_EQ(dontResizeSmall, c.dontResizeSmall);
    }
  }
}

TEST(GetReloadSize, MinusOneMeansTheWindow) {
  const Size client{1000, 700};
  struct Case {
    TReloadMode mode;
    Size settings, viewer, expected;
  } const kCases[] = {
      {M::None, {0, 0}, {-1, -1}, client},           // the viewer was opened at window size
      {M::None, {0, 0}, {-1, 300}, client},
      {M::DefaultSize, {400, -1}, {0, 0}, client},
      {M::None, {0, 0}, {-2, 300}, {-2, 300}},       // only -1 has that meaning
      {M::None, {0, 0}, {0, 0}, {0, 0}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.viewer.width << " x " << c.viewer.height);
    bool dontResizeSmall = false;
    EXPECT_EQ(GetReloadSize(c.mode, {c.settings, c.viewer, {1920, 1080}, client}, dontResizeSmall), c.expected);
  }
}

TEST(ReloadModes, RadioGroupToggleAndDoubleScreenVisibility) {
  EXPECT_EQ(ToggleReloadMode(M::None, M::WindowSize), M::WindowSize);
  EXPECT_EQ(ToggleReloadMode(M::WindowSize, M::WindowSize), M::None);  // unchecks
  EXPECT_EQ(ToggleReloadMode(M::WindowSize, M::FitBigOnly), M::FitBigOnly);

  EXPECT_FALSE(IsDoubleScreenSizeVisible(false, M::None));
  EXPECT_FALSE(IsDoubleScreenSizeVisible(false, M::ScreenSize));
  EXPECT_TRUE(IsDoubleScreenSizeVisible(true, M::None));
  EXPECT_TRUE(IsDoubleScreenSizeVisible(false, M::DoubleScreenSize));

  ASSERT_EQ(std::size(kReloadModeItems), 6u);
  EXPECT_STREQ(kReloadModeItems[3].Caption, "Screen Double Size");
  EXPECT_STREQ(kReloadModeItems[5].Shortcut, "B");
}

TEST(FirstLoadSize, MinusOneInEitherKeyAsksForTheWindow) {
  const Size client{1000, 700};
  EXPECT_EQ(FirstLoadSize({-1, 0}, client), client);
  EXPECT_EQ(FirstLoadSize({640, -1}, client), client);
  EXPECT_EQ(FirstLoadSize({640, 480}, client), (Size{640, 480}));
  EXPECT_EQ(FirstLoadSize({0, 0}, client), (Size{0, 0}));
}

TEST(RestoreOnExit, AReloadChangesTheRequestOnlyForOneLoad) {
  int32_t openWidth = -1;
  bool dontResizeSmall = true;
  const auto reload = [&](bool fail) {
    TRestoreOnExit keepWidth(openWidth);
    TRestoreOnExit keepOption(dontResizeSmall);
    const Size size = GetReloadSize(M::OriginalSize, {}, dontResizeSmall);
    openWidth = size.width;
    if (fail) throw std::runtime_error("damaged raster");
  };
  reload(false);
  EXPECT_EQ(openWidth, -1);
  EXPECT_TRUE(dontResizeSmall);
  dontResizeSmall = false;
  EXPECT_THROW(reload(true), std::runtime_error);
  EXPECT_EQ(openWidth, -1);
  EXPECT_FALSE(dontResizeSmall);
}

}  // namespace
}  // namespace pictara
