#include "viewer/fm_svg.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "fake_view.h"
#include "viewer/error_report.h"
#include "viewer/form_layout.h"

namespace pictara {
namespace {

using test::FakeEnvironment;
using test::FakeViewLog;
using test::FakeViewOptions;
using test::ViewOf;

const std::string kShownFile = std::string(PICTARA_FIXTURES) + "/viewer/shapes.svg";
const std::string kMissingFile = std::string(PICTARA_FIXTURES) + "/viewer/no-such-file.svg";

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override { Settings() = TSettings{}; }
  void TearDown() override { Settings() = TSettings{}; }

  std::unique_ptr<TfmSVG> Create(const std::string& file, bool dark, FakeViewOptions options = {},
                                 int* rereads = nullptr) {
    handle = 0xDEAD;
    return TfmSVG::CreateParented(FakeEnvironment(log, options, rereads), file, handle, dark);
  }

  FakeViewLog log;
  uintptr_t handle = 0;
};

TEST_F(ViewerTest, CreationBuildsTheFormOverTheListerAndHandsOutItsWindow) {
  struct Case {
    bool dark;
    TBottomBarLook look;
    TColor boxColor;
  } const kCases[] = {
      {false, {clBtnFace, clWindowText, false}, 0x00FFFFFF},
      {true, {0x00202020, clSilver, true}, 0x00202020},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.dark ? "dark" : "light");
    log = {};
    auto form = Create(kShownFile, c.dark);
    EXPECT_EQ(handle, 0x1234u);
    EXPECT_EQ(form->IsDarkMode, c.dark);
    EXPECT_EQ(log.look, c.look);
    ASSERT_TRUE(log.imageBox);
    EXPECT_EQ(log.imageBox->Color, c.boxColor);
    EXPECT_TRUE(log.imageBox->ImageFitOnlyBig && log.imageBox->ImageFitToWindow && log.imageBox->ImageCenter);
    // Laid out for the screen's density (120 pixels per inch here) and placed over the whole Lister.
    EXPECT_EQ(log.layout, ScaledFormLayout(120));
    EXPECT_EQ(log.bounds, (Rect{0, 0, 800, 600}));
    EXPECT_EQ(form->OpenedFileName, kShownFile);
    EXPECT_FALSE(ViewOf(*form).cursor.busy) << "the hourglass is gone after the load";
  }
}

TEST_F(ViewerTest, FileThatCannotBeShownGivesNoHandleAndNoFileName) {
  auto form = Create(kMissingFile, false);
  EXPECT_EQ(handle, 0u);
  EXPECT_TRUE(form->OpenedFileName.empty());
  form.reset();
  EXPECT_TRUE(log.destroyed);
}

TEST_F(ViewerTest, FailureWhileBuildingFreesTheHalfBuiltViewerAndPassesOn) {
  FakeViewOptions options;
  options.imageBoxThrows = true;
  EXPECT_THROW(Create(kShownFile, false, options), std::runtime_error);
  EXPECT_TRUE(log.destroyed);
}

TEST_F(ViewerTest, RereadIniReadsTheFileBeforeColoursAndLoadAreDecided) {
  Settings().RereadIni = true;
  int rereads = 0;
  auto rereadEnv = FakeEnvironment(log, {}, &rereads);
  rereadEnv.RereadSettings = [&] {
    ++rereads;
    log.calls.push_back("RereadSettings");
    Settings().BackgroundColor = 0x00123456;
    Settings().OpenWidth = 640;
    Settings().OpenHeight = 480;
    Settings().DontResizeSmall = true;
  };
  auto form = TfmSVG::CreateParented(rereadEnv, kShownFile, handle, false);
  EXPECT_EQ(rereads, 1);
  EXPECT_EQ(log.calls.front(), "RereadSettings");
  EXPECT_EQ(log.imageBox->Color, 0x00123456u);
  EXPECT_EQ(log.requestedSizes, (std::vector<Size>{{640, 480}}));
  // The do-not-enlarge option was taken before the file was read again.
  EXPECT_FALSE(form->FDontResizeSmall);

  Settings() = TSettings{};
  log = {};
  rereads = 0;
  auto plain = Create(kShownFile, false, {}, &rereads);
  EXPECT_EQ(rereads, 0);
}

TEST_F(ViewerTest, OpenSizeMinusOneAsksForTheScrollBoxOnceAndStaysMinusOne) {
  struct Case {
    int32_t width, height;
    Size firstRequest;
    Size afterwards;
  } const kCases[] = {
      {-1, -1, {700, 450}, {-1, -1}},
      {-1, 300, {700, 450}, {-1, -1}},
      {500, -1, {700, 450}, {-1, -1}},
      {640, 480, {640, 480}, {640, 480}},
      {0, 0, {0, 0}, {0, 0}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    Settings().OpenWidth = c.width;
    Settings().OpenHeight = c.height;
    log = {};
    FakeViewOptions options;
    options.scrollBox = {700, 450};
    auto form = Create(kShownFile, false, options);
    EXPECT_EQ(log.requestedSizes, (std::vector<Size>{c.firstRequest}));
    EXPECT_EQ((Size{form->OpenWidth, form->OpenHeight}), c.afterwards);
  }
}

TEST_F(ViewerTest, MinusOneIsPutBackAlsoWhenTheFirstLoadFails) {
  Settings().OpenWidth = -1;
  Settings().OpenHeight = -1;
  auto form = Create(kMissingFile, false);
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ((Size{form->OpenWidth, form->OpenHeight}), (Size{-1, -1}));
}

TEST_F(ViewerTest, LayoutIsScaledForTheScreenAndAScalingFailureIsIgnored) {
  FakeViewOptions options;
  options.pixelsPerInch = 144;
  auto form = Create(kShownFile, false, options);
  EXPECT_EQ(log.layout, ScaledFormLayout(144));

  log = {};
  options.layoutThrows = true;
  auto second = Create(kShownFile, false, options);
  EXPECT_EQ(handle, 0x1234u);
}

TEST_F(ViewerTest, FormIsPlacedOverTheListerIncludingItsScrollBarsIn64Bit) {
  FakeViewOptions options;
  options.lister = {{0, 0, 600, 400}, true, true, 17, 21};
  auto form = Create(kShownFile, false, options);
  EXPECT_EQ(log.bounds, (Rect{0, 0, 617, 421}));
}

TEST_F(ViewerTest, NextImageFromTheHostKeepsThePreviousFileWhenItCannotBeShown) {
  auto form = Create(kShownFile, false);
  form->FDontResizeSmall = true;
  EXPECT_FALSE(form->GlobalLoadNextImage(kMissingFile));
  EXPECT_EQ(form->OpenedFileName, kShownFile);
  EXPECT_TRUE(form->FDontResizeSmall);

  EXPECT_TRUE(form->GlobalLoadNextImage(kShownFile));
  EXPECT_TRUE(form->FDontResizeSmall) << "the option is put back after the load";
}

TEST_F(ViewerTest, NextImageRequestsTheScrollBoxWhenTheOpenSizeIsMinusOne) {
  Settings().OpenWidth = -1;
  Settings().OpenHeight = -1;
  FakeViewOptions options;
  options.scrollBox = {300, 200};
  auto form = Create(kShownFile, false, options);
  log.requestedSizes.clear();
  EXPECT_TRUE(form->GlobalLoadNextImage(kShownFile));
  EXPECT_EQ(log.requestedSizes, (std::vector<Size>{{300, 200}}));
  EXPECT_EQ((Size{form->OpenWidth, form->OpenHeight}), (Size{-1, -1}));
}

TEST_F(ViewerTest, ColoursFollowTheModeAndTheFollowValue) {
  struct Case {
    const char* name;
    bool dark;
    TColor imageLight, imageDark;
    TColor background, imageBackground;
  } const kCases[] = {
      {"light, follow", false, FollowBackgroundColor, 0x00000077, 0x00FFFFFF, 0x00FFFFFF},
      {"light, own", false, 0x00000011, FollowBackgroundColor, 0x00FFFFFF, 0x00000011},
      {"dark, follow", true, 0x00000011, FollowBackgroundColor, 0x00202020, 0x00202020},
      {"dark, own", true, FollowBackgroundColor, 0x00000077, 0x00202020, 0x00000077},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Settings() = TSettings{};
    Settings().ImageBackgroundColor = c.imageLight;
    Settings().ImageBackgroundColorDark = c.imageDark;
    auto form = Create(kShownFile, c.dark);
    EXPECT_EQ(form->GetBackgroundColor(), c.background);
    EXPECT_EQ(form->GetImageBackgroundColor(), c.imageBackground);

    form->SetBackgroundColor(0x00ABCDEF);
    form->SetImageBackgroundColor(0x00FEDCBA);
    const TSettings& s = Settings();
    EXPECT_EQ(c.dark ? s.BackgroundColorDark : s.BackgroundColor, 0x00ABCDEFu);
    EXPECT_EQ(c.dark ? s.ImageBackgroundColorDark : s.ImageBackgroundColor, 0x00FEDCBAu);
    // The other mode's colours are untouched.
    EXPECT_EQ(c.dark ? s.BackgroundColor : s.BackgroundColorDark,
              c.dark ? TSettings{}.BackgroundColor : TSettings{}.BackgroundColorDark);
    EXPECT_EQ(c.dark ? s.ImageBackgroundColor : s.ImageBackgroundColorDark, c.dark ? c.imageLight : c.imageDark);
  }
}

TEST_F(ViewerTest, FocusGoesToTheImageBox) {
  auto form = Create(kShownFile, false);
  form->WMSetFocus();
  EXPECT_EQ(ViewOf(*form).imageBox.focusRequests, 1);
}

TEST_F(ViewerTest, EscapedErrorIsShownOnceAsClassNameReturnAndMessage) {
  auto form = Create(kShownFile, false);
  form->ApplicationEvents1Exception(std::runtime_error("Cannot open file"));
  try {
    PICTARA_ASSERT(false, "Picture missing");
  } catch (const std::exception& e) {
    form->ApplicationEvents1Exception(e);
  }
  ASSERT_EQ(log.errorBoxes.size(), 2u);
  EXPECT_EQ(log.errorBoxes[0].first, "std::runtime_error\rCannot open file");
  EXPECT_EQ(log.errorBoxes[0].second, "Pictara Error");
  EXPECT_EQ(log.errorBoxes[1].first, "EAssertionFailed\rPicture missing ");
}

}  // namespace
}  // namespace pictara
