// The viewer's commands against a fake window side, with the real converter (rsvg-convert on
// PATH) and the real portable image box: loading and reloading, the fit toggle, status and caption,
// keys, mouse, menu and folder navigation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <utility>

#include "fake_view.h"
#include "platform/files.h"
#include "viewer/fit_toggle.h"
#include "viewer/fm_svg.h"
#include "viewer/popup_menu.h"

namespace pictara {
namespace {

namespace fs = std::filesystem;
using test::FakeEnvironment;
using test::FakeViewLog;
using test::FakeViewOptions;
using test::ViewOf;

const std::string kFixtures = std::string(PICTARA_FIXTURES);
const std::string kShapes = kFixtures + "/viewer/shapes.svg";          // 320 x 200
const std::string kSquare = kFixtures + "/viewer/square100.svg";       // 100 x 100
const std::string kWide = kFixtures + "/viewer/wide2000x1000.svg";     // 2000 x 1000
const std::string kBroken = kFixtures + "/viewer/broken.svg";

// What a load asked of the converter, and the raster file it got back.
struct ConvertCall {
  std::string file;
  Size size;
  bool dontEnlarge = false;
  std::string raster;
};

class ViewerCommands : public ::testing::Test {
 protected:
  void SetUp() override { Settings() = TSettings{}; }
  void TearDown() override { Settings() = TSettings{}; }

  // The real converter; every call is noted.
  TViewerEnvironment Environment(FakeViewOptions options = {}) {
    TViewerEnvironment env = FakeEnvironment(log, options);
    env.Convert = [this](const std::string& file, Size size, bool magick, bool helper, bool inkscape,
                         bool dontEnlarge, int32_t& w, int32_t& h) {
      if (duringConvert) std::exchange(duringConvert, nullptr)();
      std::string raster = ConvertSvg(file, size, magick, helper, inkscape, dontEnlarge, w, h);
      calls.push_back({file, size, dontEnlarge, raster});
      return raster;
    };
    return env;
  }

  std::unique_ptr<TfmSVG> Open(const std::string& file, FakeViewOptions options = {}) {
    uintptr_t handle = 0;
    auto form = TfmSVG::CreateParented(Environment(options), file, handle, false);
    EXPECT_NE(handle, 0u) << file;
    return form;
  }

  FakeViewLog log;
  std::vector<ConvertCall> calls;
  // Runs once, at the next conversion, while the load waits for it (where messages sent to the
  // viewer are answered).
  std::function<void()> duringConvert;
};

// ---- Loading -----------------------------------------------------------------------------------

TEST_F(ViewerCommands, LoadShowsTheRasterFittedWithStatusAndCaptionAndDeletesTheRasterFile) {
  auto form = Open(kShapes);
  const Picture& picture = form->ImageBox()->GetPicture();
  EXPECT_EQ(picture.Width(), 320);
  EXPECT_EQ(picture.Height(), 200);
  EXPECT_EQ(form->FImageBPP, 8) << "an 8-bit RGBA PNG reports its bits per sample";
  EXPECT_EQ(form->ImageWidthFromFile, 320);
  EXPECT_EQ(form->OpenedFileName, kShapes);
  EXPECT_TRUE(form->ImageBox()->Box().ImageFitOnlyBig() && form->ImageBox()->Box().ImageFitToWindow());
  const std::string& status = ViewOf(*form).status;
  EXPECT_EQ(status.rfind("320 x 200 x 8  (100%) / 320 x 200  -  shapes.svg   (00:", 0), 0u) << status;
  EXPECT_EQ(status.back(), ')');
  EXPECT_EQ(ViewOf(*form).lister.caption, "(Pictara) - [" + kShapes + "]");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_FALSE(calls[0].raster.empty());
  EXPECT_FALSE(FileExists(calls[0].raster));
  EXPECT_FALSE(ViewOf(*form).cursor.busy);
}

TEST_F(ViewerCommands, ACloseDuringTheConverterWaitDropsTheLoadAndNestedLoadsAreRefused) {
  auto form = Open(kShapes);
  const std::string status = ViewOf(*form).status;
  duringConvert = [&] {
    EXPECT_TRUE(form->Loading());
    form->UpdateStatus();  // as a resize answered during the wait does
    EXPECT_EQ(ViewOf(*form).status, status) << "the status still tells of the picture shown";
    EXPECT_FALSE(form->GlobalLoadNextImage(kShapes)) << "a load inside the wait of another";
    form->DeferClose();  // as the host's close, arriving now, asks
  };
  EXPECT_FALSE(form->GlobalLoadNextImage(kSquare));
  EXPECT_FALSE(form->Loading());
  EXPECT_TRUE(form->CloseDeferred());
  ASSERT_EQ(calls.size(), 2u) << "the refused load converted nothing";
  EXPECT_FALSE(calls[1].raster.empty());
  EXPECT_FALSE(FileExists(calls[1].raster)) << "the dropped result is deleted";
  EXPECT_EQ(form->OpenedFileName, kShapes);
  EXPECT_EQ(form->ImageBox()->GetPicture().Width(), 320);
  EXPECT_EQ(ViewOf(*form).status, status);
  EXPECT_FALSE(ViewOf(*form).cursor.busy);
  // A viewer on its way out loads nothing more.
  EXPECT_FALSE(form->GlobalLoadNextImage(kSquare));
  EXPECT_EQ(calls.size(), 2u);
}

TEST_F(ViewerCommands, FailedLoadChangesOnlyTheDrawingSize) {
  struct Case {
    const char* name;
    bool damagedRaster;  // the converter leaves a file that is no picture: the load raises
  } const kCases[] = {{"no raster file", false}, {"damaged raster file", true}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string raster;
    TViewerEnvironment env = FakeEnvironment(log);
    env.Convert = [&](const std::string&, Size, bool, bool, bool, bool, int32_t& w, int32_t& h) {
      w = 11;
      h = 22;
      if (!c.damagedRaster) return std::string();
      raster = SystemConvertServices().TempFolder() + "svg-viewer-test-damaged.png";
      std::ofstream(raster) << "not a picture";
      return raster;
    };
    uintptr_t handle = 0xDEAD;
    if (c.damagedRaster) {
      EXPECT_ANY_THROW(TfmSVG::CreateParented(env, kShapes, handle, false));
      EXPECT_FALSE(FileExists(raster)) << "deleted although the load raised";
    } else {
      auto none = TfmSVG::CreateParented(env, kShapes, handle, false);
      EXPECT_EQ(handle, 0u);
      EXPECT_TRUE(none->ImageBox()->GetPicture().Empty());
      EXPECT_EQ(none->ImageWidthFromFile, 11);
      EXPECT_EQ(none->ImageHeightFromFile, 22);
      EXPECT_TRUE(none->OpenedFileName.empty());
      EXPECT_EQ(ViewOf(*none).status, "Info");
      EXPECT_FALSE(ViewOf(*none).cursor.busy);
    }
  }
  // A reload that gives nothing keeps the picture, the file name and the status text.
  auto form = Open(kShapes);
  const std::string before = ViewOf(*form).status;
  EXPECT_FALSE(form->GlobalLoadNextImage(kBroken));
  EXPECT_EQ(form->OpenedFileName, kShapes);
  EXPECT_EQ(form->ImageBox()->GetPicture().Width(), 320);
  EXPECT_EQ(ViewOf(*form).status, before);
  EXPECT_FALSE(ViewOf(*form).cursor.busy);
}

TEST_F(ViewerCommands, LongNamesReachTheConverterAndTheViewerWithThePrefix) {
  struct Case {
    std::string name;
    std::string expected;
  };
  const std::string drive = "C:\\" + std::string(296, 'x') + ".svg";
  const std::string unc = "\\\\server\\share\\" + std::string(290, 'y') + ".svg";
  const std::string short255 = "C:\\" + std::string(248, 'z') + ".svg";
  const Case kCases[] = {
      {drive, "\\\\?\\" + drive},
      {unc, "\\\\?\\UNC\\" + unc.substr(2)},
      {short255, short255},
  };
  auto form = Open(kShapes);
  // The names do not exist here: the converter stand-in renders the real drawing instead and notes
  // the name it was given.
  std::string given;
  TViewerEnvironment env = FakeEnvironment(log);
  env.Convert = [&](const std::string& file, Size size, bool m, bool r, bool i, bool d, int32_t& w, int32_t& h) {
    given = file;
    return ConvertSvg(kShapes, size, m, r, i, d, w, h);
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name.size());
    uintptr_t handle = 0;
    auto viewer = TfmSVG::CreateParented(env, c.name, handle, false);
    EXPECT_EQ(given, c.expected);
    EXPECT_EQ(viewer->OpenedFileName, c.expected);
  }
}

// ---- Reloading ---------------------------------------------------------------------------------

TEST_F(ViewerCommands, ReloadModesRequestTheirSizeForOneLoadOnly) {
  Settings().OpenWidth = 640;
  Settings().OpenHeight = 480;
  FakeViewOptions options;
  options.scrollBox = {700, 500};
  options.screen = {1920, 1080};
  struct Case {
    TReloadMode mode;
    Size size;
    bool dontEnlarge;
  } const kCases[] = {
      {TReloadMode::DefaultSize, {640, 480}, false},     {TReloadMode::OriginalSize, {0, 0}, true},
      {TReloadMode::ScreenSize, {1920, 1080}, false},    {TReloadMode::DoubleScreenSize, {3840, 2160}, false},
      {TReloadMode::WindowSize, {700, 500}, false},      {TReloadMode::FitBigOnly, {700, 500}, true},
  };
  auto form = Open(kShapes, options);
  form->OpenWidth = 300;
  form->OpenHeight = 150;
  for (bool kept : {false, true}) {
    form->FDontResizeSmall = kept;
    for (const Case& c : kCases) {
      SCOPED_TRACE(static_cast<int>(c.mode));
      calls.clear();
      form->mnReloadOriginalSizeClick(c.mode);
      ASSERT_EQ(calls.size(), 1u);
      EXPECT_EQ(calls[0].size, c.size);
      EXPECT_EQ(calls[0].dontEnlarge, c.dontEnlarge);
      EXPECT_EQ(form->OpenWidth, 300);
      EXPECT_EQ(form->OpenHeight, 150);
      EXPECT_EQ(form->FDontResizeSmall, kept);
    }
  }
}

TEST_F(ViewerCommands, CheckedModeDecidesLaterLoadsAndChoosingItAgainUnchecksIt) {
  FakeViewOptions options;
  options.scrollBox = {700, 500};
  auto form = Open(kShapes, options);
  form->OpenWidth = 300;
  form->OpenHeight = 150;

  calls.clear();
  form->MenuCommand(ReloadCommand(TReloadMode::WindowSize));
  EXPECT_EQ(form->CheckedReloadMode, TReloadMode::WindowSize);
  ASSERT_TRUE(form->GlobalLoadNextImage(kSquare));
  form->MenuCommand(ReloadCommand(TReloadMode::WindowSize));
  EXPECT_EQ(form->CheckedReloadMode, TReloadMode::None);
  ASSERT_TRUE(form->GlobalLoadNextImage(kShapes));
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].size, (Size{700, 500})) << "the choice reloads at its size";
  EXPECT_EQ(calls[1].size, (Size{700, 500})) << "the checked mode decides the host's next file";
  EXPECT_EQ(calls[2].size, (Size{700, 500})) << "unchecking still reloads at the chosen size";
  EXPECT_EQ(calls[3].size, (Size{300, 150})) << "no mode checked: the viewer's own size";
  EXPECT_EQ(calls[3].file, kShapes);
}

// ---- Fit toggle ----------------------------------------------------------------------------------

TEST(FitToggle, Rules) {
  struct Case {
    const char* name;
    TFitOptions current;
    int32_t scale;
    Size picture;
    TFitOptions next;
  } const kCases[] = {
      {"mixed goes back to fit big only", {false, true}, 400, {100, 100}, {true, true}},
      {"mixed, other way round", {true, false}, 100, {2000, 1000}, {true, true}},
      {"small at 100: stretched", {true, true}, 100, {100, 100}, {false, true}},
      {"large at 100: fitted", {false, false}, 100, {2000, 1000}, {true, true}},
      {"as wide as the window counts as large", {false, false}, 100, {500, 100}, {true, true}},
      {"reduced large: natural size", {true, true}, 20, {2000, 1000}, {false, false}},
      {"reduced small: fitted", {false, false}, 50, {100, 100}, {true, true}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FitToggle(c.current, c.scale, c.picture, {500, 400}), c.next);
  }
}

TEST_F(ViewerCommands, FitToggleStretchesSmallPicturesAndShowsLargeOnesAtNaturalSizeCentred) {
  FakeViewOptions options;
  options.scrollBox = {500, 400};
  {
    SCOPED_TRACE("100 x 100");
    auto form = Open(kSquare, options);
    imagebox::TZoomImageBox& box = form->ImageBox()->Box();
    EXPECT_EQ(box.ImageScale(), 100);
    form->mnFitImageClick();
    EXPECT_FALSE(box.ImageFitOnlyBig());
    EXPECT_TRUE(box.ImageFitToWindow());
    EXPECT_EQ(box.Image().bounds.right - box.Image().bounds.left, 400);
    EXPECT_EQ(box.Image().bounds.bottom - box.Image().bounds.top, 400);
    EXPECT_NE(ViewOf(*form).status.find("(400%)"), std::string::npos) << ViewOf(*form).status;
    form->mnFitImageClick();
    EXPECT_TRUE(box.ImageFitOnlyBig() && box.ImageFitToWindow());
    EXPECT_EQ(box.Image().bounds.right - box.Image().bounds.left, 100);
    EXPECT_NE(ViewOf(*form).status.find("(100%)"), std::string::npos);
  }
  {
    SCOPED_TRACE("2000 x 1000");
    auto form = Open(kWide, options);
    imagebox::TZoomImageBox& box = form->ImageBox()->Box();
    EXPECT_LT(box.ImageScale(), 100);
    form->mnFitImageClick();
    EXPECT_FALSE(box.ImageFitOnlyBig());
    EXPECT_FALSE(box.ImageFitToWindow());
    EXPECT_EQ(box.ImageScale(), 100);
    ASSERT_TRUE(box.HorzScrollBar().visible && box.VertScrollBar().visible);
    EXPECT_EQ(box.HorzScrollBar().position, (box.HorzScrollBar().range - box.ClientSize().width) / 2);
    EXPECT_EQ(box.VertScrollBar().position, (box.VertScrollBar().range - box.ClientSize().height) / 2);
    form->mnFitImageClick();
    EXPECT_TRUE(box.ImageFitOnlyBig() && box.ImageFitToWindow());
    EXPECT_LT(box.ImageScale(), 100);
    // A reload starts fitted again whatever the toggle chose.
    form->mnFitImageClick();
    ASSERT_TRUE(form->GlobalLoadNextImage(kWide));
    EXPECT_TRUE(box.ImageFitOnlyBig() && box.ImageFitToWindow());
  }
}

TEST_F(ViewerCommands, FitToggleWithoutAPictureDoesNothing) {
  auto form = Open(kShapes);
  form->ImageBox()->SetPicture(Picture{});
  form->mnFitImageClick();
  EXPECT_TRUE(form->ImageBox()->Box().ImageFitOnlyBig());
  form->UpdateStatus();
  EXPECT_EQ(ViewOf(*form).status, "") << "no picture, no status";
}

// ---- Keys, mouse, menu ------------------------------------------------------------------------------

TEST_F(ViewerCommands, KeysPostToTheListerRunCommandsOrPassOn) {
  FakeViewOptions options;
  options.scrollBox = {500, 400};
  struct Case {
    const char* name;
    uint16_t key;
    ShiftState shift;
    std::vector<uint32_t> posted;
    bool consumed;
  } const kCases[] = {
      {"Esc", 0x1B, ssNone, {0x1B}, true},
      {"Shift+Esc", 0x1B, ssShift, {}, false},
      {"digit 1", '1', ssNone, {'1'}, true},
      {"digit 0", '0', ssNone, {'0'}, true},
      {"Ctrl+digit", '1', ssCtrl, {}, false},
      {"keypad 5", 0x65, ssNone, {}, false},
      {"Alt+X", 'X', ssAlt, {0x1B}, false},
      {"T: background image", 'T', ssNone, {}, true},
      {"Ctrl+B", 'B', ssCtrl, {}, true},
      {"Ctrl+B with the left button", 'B', ssCtrl | ssLeft, {}, false},
      {"arrow", 0x27, ssNone, {}, false},
  };
  auto form = Open(kSquare, options);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ViewOf(*form).lister.postedKeys.clear();
    uint16_t key = c.key;
    form->FormKeyDown(key, c.shift);
    EXPECT_EQ(ViewOf(*form).lister.postedKeys, c.posted);
    EXPECT_EQ(key == 0, c.consumed);
  }
  EXPECT_EQ(calls.size(), 1u) << "none of them loaded anything";
}

TEST_F(ViewerCommands, KeypadPlusAndMinusZoomAndTheStatusFollows) {
  FakeViewOptions options;
  options.scrollBox = {500, 400};
  auto form = Open(kSquare, options);
  uint16_t key = 0x6B;  // keypad +
  form->FormKeyDown(key, ssNone);
  EXPECT_EQ(key, 0x6B) << "not consumed: the image box sees it too";
  const int32_t zoomed = form->ImageBox()->Box().ImageScale();
  EXPECT_GT(zoomed, 100);
  EXPECT_FALSE(form->ImageBox()->Box().ImageFitToWindow());
  EXPECT_NE(ViewOf(*form).status.find("(" + std::to_string(zoomed) + "%)"), std::string::npos);
  key = 0x6D;
  form->FormKeyDown(key, ssNone);
  EXPECT_EQ(form->ImageBox()->Box().ImageScale(), 100);
  EXPECT_NE(ViewOf(*form).status.find("(100%)"), std::string::npos);
  // F toggles the fit, E, S, W and B reload and check their mode.
  key = 'F';
  form->FormKeyDown(key, ssNone);
  EXPECT_TRUE(form->ImageBox()->Box().ImageFitOnlyBig() && form->ImageBox()->Box().ImageFitToWindow());
  struct Case {
    uint16_t key;
    TReloadMode mode;
  } const kReloads[] = {{'E', TReloadMode::OriginalSize}, {'S', TReloadMode::ScreenSize},
                        {'W', TReloadMode::WindowSize}, {'B', TReloadMode::FitBigOnly}};
  for (const Case& c : kReloads) {
    SCOPED_TRACE(static_cast<char>(c.key));
    calls.clear();
    key = c.key;
    form->FormKeyDown(key, ssNone);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(form->CheckedReloadMode, c.mode);
  }
}

TEST_F(ViewerCommands, MiddleButtonTogglesAStandAloneListerAndCloseAsksTheHost) {
  auto form = Open(kShapes);
  test::FakeLister& lister = ViewOf(*form).lister;
  imagebox::TZoomImageBox& box = form->ImageBox()->Box();
  lister.showCmd = 3;
  box.BoxMouseDown(MouseButton::Middle, ssMiddle, {1, 1});
  lister.showCmd = 1;
  box.BoxMouseDown(MouseButton::Middle, ssMiddle, {1, 1});
  box.BoxMouseDown(MouseButton::Left, ssLeft, {1, 1});
  lister.topLevel = false;
  box.BoxMouseDown(MouseButton::Middle, ssMiddle, {1, 1});
  EXPECT_EQ(lister.showChanges, (std::vector<TListerShowChange>{TListerShowChange::Restore, TListerShowChange::Maximize}));

  form->MenuCommand(mcClose);
  EXPECT_EQ(lister.postedKeys, std::vector<uint32_t>{0x1B});
}

TEST(PopupMenu, ItemsInOrderWithShortcutsChecksAndState) {
  auto captions = [](const std::vector<TMenuItem>& items) {
    std::vector<std::string> out;
    for (const TMenuItem& i : items) out.push_back(i.Separator ? "-" : i.Caption + (i.Shortcut.empty() ? "" : "|" + i.Shortcut));
    return out;
  };
  const auto menu = PopupMenuItems({true, false}, TReloadMode::None, false);
  EXPECT_EQ(captions(menu),
            (std::vector<std::string>{"Copy to Clipboard", "Convert File...", "-", "Reload Image", "Toggle Fit Image|F",
                                      "Background Color...", "Background Image|Ctrl+B", "Image Background Color...",
                                      "Source...", "-", "Close"}));
  EXPECT_EQ(captions(menu[3].Items), (std::vector<std::string>{"Default Size", "Original Size|E", "Screen Size|S",
                                                               "Window Size|W", "Fit Big|B"}));
  // Every entry has its own command; only "Background Image" carries a check mark, and only
  // while the setting is on.
  std::vector<uint32_t> commands;
  for (const TMenuItem& item : menu) {
    if (item.Separator) continue;
    commands.push_back(item.Command);
    EXPECT_FALSE(item.Checked) << item.Caption;
    EXPECT_FALSE(item.Radio) << item.Caption;
  }
  EXPECT_EQ(commands, (std::vector<uint32_t>{mcCopyToClipboard, mcConvertFile, mcReloadImage, mcFitImage,
                                             mcBackgroundColor, mcBackgroundImage, mcImageBackgroundColor, mcSource,
                                             mcClose}));
  EXPECT_TRUE(PopupMenuItems({true, true}, TReloadMode::None, false)[6].Checked);
  struct Case {
    const char* name;
    bool defaultEnabled;
    TReloadMode checked;
    bool shift;
    bool doubleShown;
  } const kCases[] = {
      {"plain", true, TReloadMode::None, false, false},
      {"shift", false, TReloadMode::WindowSize, true, true},
      {"double checked", true, TReloadMode::DoubleScreenSize, false, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const auto items = ReloadSubmenuItems({c.defaultEnabled, false}, c.checked, c.shift);
    ASSERT_EQ(items.size(), c.doubleShown ? 6u : 5u);
    EXPECT_EQ(items[0].Enabled, c.defaultEnabled);
    for (const TMenuItem& item : items) {
      EXPECT_TRUE(item.Radio);
      EXPECT_EQ(item.Checked, ReloadModeOfCommand(item.Command) == c.checked) << item.Caption;
      if (item.Caption != "Default Size") EXPECT_TRUE(item.Enabled);
    }
    if (c.doubleShown) EXPECT_EQ(items[3].Caption, "Screen Double Size");
  }
}

// ---- Status and caption ----------------------------------------------------------------------------

TEST_F(ViewerCommands, CaptionRules) {
  struct Case {
    const char* name;
    bool topLevel;
    bool update;
    std::optional<std::string> before;
    std::optional<std::string> after;  // nullopt: never set
  } const kCases[] = {
      {"host caption", true, true, "Lister - [C:\\x\\old.svg]", "Lister - [" + kShapes + "]"},
      {"no bracket", true, true, "Something", "(Pictara) - [" + kShapes + "]"},
      {"embedded", false, true, "Lister - [C:\\x\\old.svg]", std::nullopt},
      {"switched off", true, false, "Lister - [C:\\x\\old.svg]", std::nullopt},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Settings().UpdateListerCaption = c.update;
    auto form = Open(kShapes);
    test::FakeLister& lister = ViewOf(*form).lister;
    lister.topLevel = c.topLevel;
    lister.caption = c.before;
    lister.captionSets = 0;
    form->UpdateStatus();
    EXPECT_EQ(lister.caption, c.after ? c.after : c.before);
    EXPECT_EQ(lister.captionSets, c.after ? 1 : 0);
    form->UpdateStatus();
    EXPECT_EQ(lister.captionSets, c.after ? 1 : 0) << "an unchanged caption is not set again";
  }
}

// ---- Navigation -------------------------------------------------------------------------------------

class Navigation : public ViewerCommands {
 protected:
  void SetUp() override {
    ViewerCommands::SetUp();
    folder = fs::temp_directory_path() / ("pictara-nav-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override {
    fs::remove_all(folder);
    ViewerCommands::TearDown();
  }
  std::string Put(const std::string& name, const std::string& from) {
    fs::copy_file(from, folder / name);
    return (folder / name).string();
  }
  fs::path folder;
};

TEST_F(Navigation, StepsWrapSkipBrokenFilesAndStatusAndCaptionFollow) {
  const std::string a = Put("a.svg", kShapes);
  const std::string b = Put("B.svg", kSquare);
  Put("bb.svg", kBroken);
  const std::string c = Put("c.svgz", kFixtures + "/convert/gzipped.svgz");
  Put("d.txt", kShapes);
  auto form = Open(b);
  test::FakeView& view = ViewOf(*form);

  struct Step {
    TArrowButton button;
    std::string shown;
    int index;
    int count;
  } const kSteps[] = {
      {TArrowButton::sbtNext, c, 3, 3},  // bb.svg cannot be shown: dropped, and on to c.svgz
      {TArrowButton::sbtNext, a, 1, 3},  // wraps
      {TArrowButton::sbtPrev, c, 3, 3},  // wraps back
      {TArrowButton::sbtPrev, b, 2, 3},  // bb.svg is not offered again
  };
  for (const Step& s : kSteps) {
    SCOPED_TRACE(s.shown);
    form->sbtNextClick(s.button);
    EXPECT_EQ(form->OpenedFileName, s.shown);
    const std::string position = "[" + std::to_string(s.index) + "/" + std::to_string(s.count);
    EXPECT_NE(view.status.find(position + "]  -  " + ExtractFileName(s.shown)), std::string::npos) << view.status;
    EXPECT_EQ(view.lister.caption, "(Pictara) - " + position + ", " + ExtractFileName(s.shown) + ", " + s.shown + "]");
  }
  EXPECT_FALSE(view.buttonsHidden);
  EXPECT_GT(view.buttonRepaints, 0);

  // The host's next file leaves the list alone: the position shown is still the last one.
  ASSERT_TRUE(form->GlobalLoadNextImage(a));
  EXPECT_EQ(form->FileIndex, 1);
  EXPECT_NE(view.status.find("[2/3]  -  a.svg"), std::string::npos) << view.status;
}

TEST_F(Navigation, FolderWithOneDrawingHidesTheButtonsAndKeepsThePicture) {
  const std::string only = Put("only.svg", kShapes);
  Put("notes.txt", kShapes);
  auto form = Open(only);
  test::FakeView& view = ViewOf(*form);
  calls.clear();
  uint16_t key = ' ';
  form->FormKeyDown(key, ssNone);
  EXPECT_TRUE(view.buttonsHidden);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(form->OpenedFileName, only);
  EXPECT_EQ(form->ImageBox()->GetPicture().Width(), 320);
  EXPECT_EQ(view.status.find("["), std::string::npos) << view.status;
}

TEST_F(Navigation, NavigationLoadsAtTheCheckedModesSize) {
  const std::string a = Put("a.svg", kShapes);
  Put("b.svg", kSquare);
  FakeViewOptions options;
  options.scrollBox = {640, 400};
  auto form = Open(a, options);
  form->OpenWidth = 120;
  form->OpenHeight = 90;
  form->CheckedReloadMode = TReloadMode::WindowSize;
  calls.clear();
  form->sbtNextClick(TArrowButton::sbtNext);
  form->CheckedReloadMode = TReloadMode::None;
  form->sbtNextClick(TArrowButton::sbtNext);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].size, (Size{640, 400}));
  EXPECT_EQ(calls[1].size, (Size{120, 90}));
}

// ---- First show ---------------------------------------------------------------------------------------

TEST_F(ViewerCommands, FirstShowDecidesTouchAndAssignsTheGlyphsAtTheScreenDensity) {
  for (bool touch : {false, true}) {
    SCOPED_TRACE(touch);
    FakeViewOptions options;
    options.touch = touch;
    options.pixelsPerInch = 144;
    auto form = Open(kShapes, options);
    form->FormShow();
    EXPECT_EQ(form->IsSystemTouchSupport, touch);
    EXPECT_EQ(ViewOf(*form).gesturesEnabled, touch);
    EXPECT_EQ(ViewOf(*form).glyphSize, 24);
  }
}

}  // namespace
}  // namespace pictara
