// The viewer's background and colour commands, and the menu commands that open dialogs or the
// clipboard, against a fake window side with the real converter.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "fake_view.h"
#include "platform/files.h"
#include "platform/image_codec.h"
#include "settings/settings.h"
#include "viewer/convert_file.h"
#include "viewer/fm_svg.h"
#include "viewer/popup_menu.h"

namespace pictara {
namespace {

namespace fs = std::filesystem;
using test::FakeEnvironment;
using test::FakeViewLog;
using test::ViewOf;

const std::string kDrawing = std::string(PICTARA_FIXTURES) + "/viewer/half_transparent100x50.svg";

std::string TinyPng(int32_t w, int32_t h) {
  PngImage png;
  png.Allocate(w, h, PngColorType::Rgb, 8);
  return *EncodePng(png);
}

class ViewerBackground : public ::testing::Test {
 protected:
  void SetUp() override {
    Settings() = TSettings{};
    dir_ = (fs::temp_directory_path() / ("pictara-background-" + std::to_string(getpid()))).string() + "/";
    fs::create_directories(dir_);
  }
  void TearDown() override {
    Settings() = TSettings{};
    fs::remove_all(dir_);
  }

  std::unique_ptr<TfmSVG> Open(bool dark = false, const std::string& pluginFolder = "") {
    TViewerEnvironment env = FakeEnvironment(log);
    if (!pluginFolder.empty()) env.PluginFolder = pluginFolder;
    uintptr_t handle = 0;
    auto form = TfmSVG::CreateParented(env, kDrawing, handle, dark);
    EXPECT_NE(handle, 0u);
    return form;
  }
  static test::FakeImageBox& Box(TfmSVG& form) { return ViewOf(form).imageBox; }
  static test::FakeDialogs& Dialogs(TfmSVG& form) { return ViewOf(form).dialogs; }

  FakeViewLog log;
  std::string dir_;
};

TEST_F(ViewerBackground, BackgroundColourChangesTheBoxAndAFollowingImageBackgroundAndSaves) {
  auto form = Open();
  test::FakeDialogs& dialogs = Dialogs(*form);
  dialogs.colorAnswer = std::nullopt;
  form->MenuCommand(mcBackgroundColor);
  EXPECT_TRUE(log.colorSaves.empty()) << "cancel changes nothing";
  EXPECT_EQ(Settings().BackgroundColor, 0x00FFFFFFu);

  dialogs.colorAnswer = 0x00112233;
  form->MenuCommand(mcBackgroundColor);
  ASSERT_EQ(dialogs.colorDialogs.size(), 2u);
  EXPECT_EQ(dialogs.colorDialogs[1].color, 0x00FFFFFFu);
  EXPECT_EQ(dialogs.colorDialogs[1].customColors,
            (std::vector<std::string>{"ColorA=20000000", "ColorB=20000000", "ColorC=00FFFFFF", "ColorD=00202020"}));
  EXPECT_EQ(Settings().BackgroundColor, 0x00112233u);
  EXPECT_EQ(Box(*form).color, 0x00112233u);
  EXPECT_EQ(Box(*form).resampleBackColor, 0x00112233u) << "the image background follows";
  ASSERT_EQ(log.colorSaves.size(), 1u);
  EXPECT_EQ(log.colorSaves[0].BackgroundColor, 0x00112233u);
}

TEST_F(ViewerBackground, DarkAppearanceChangesOnlyTheDarkValues) {
  auto form = Open(true);
  EXPECT_EQ(log.imageBox->Color, 0x00202020u);
  EXPECT_EQ(Box(*form).resampleBackColor, 0x00202020u);
  Dialogs(*form).colorAnswer = 0x00000080;
  form->mnBackgroundColorClick();
  Dialogs(*form).colorAnswer = 0x00008000;
  form->mnImageBackgroundColorClick();
  EXPECT_EQ(Dialogs(*form).colorDialogs[1].color, 0x00000080u) << "starts at the resolved colour";
  EXPECT_EQ(Settings().BackgroundColorDark, 0x00000080u);
  EXPECT_EQ(Settings().ImageBackgroundColorDark, 0x00008000u);
  EXPECT_EQ(Settings().BackgroundColor, 0x00FFFFFFu);
  EXPECT_EQ(Settings().ImageBackgroundColor, FollowBackgroundColor);
  EXPECT_EQ(Box(*form).color, 0x00000080u);
  EXPECT_EQ(Box(*form).resampleBackColor, 0x00008000u);
}

TEST_F(ViewerBackground, ImageBackgroundColourTurnsTheChessboardOffAndSavesTwice) {
  const std::string ini = dir_ + "Pictara.ini";
  TViewerEnvironment env = FakeEnvironment(log);
  env.SaveColorSettings = [this, ini] {
    log.colorSaves.push_back(Settings());
    SaveColorSettings(Settings(), ini);
  };
  Settings().BackgroundImage = true;
  uintptr_t handle = 0;
  auto form = TfmSVG::CreateParented(env, kDrawing, handle, false);
  ASSERT_TRUE(Box(*form).drawBackground);

  Dialogs(*form).colorAnswer = 0x00ABCDEF;
  form->MenuCommand(mcImageBackgroundColor);
  EXPECT_EQ(Dialogs(*form).colorDialogs[0].customColors,
            (std::vector<std::string>{"ColorA=00FFFFFF", "ColorB=00202020", "ColorC=20000000", "ColorD=20000000"}));
  EXPECT_FALSE(Settings().BackgroundImage);
  EXPECT_FALSE(Box(*form).drawBackground);
  EXPECT_EQ(Box(*form).resampleBackColor, 0x00ABCDEFu);
  EXPECT_EQ(Box(*form).repaints, 1);
  ASSERT_EQ(log.colorSaves.size(), 2u);
  for (const TSettings& saved : log.colorSaves) {
    EXPECT_FALSE(saved.BackgroundImage);
    EXPECT_EQ(saved.ImageBackgroundColor, 0x00ABCDEFu);
  }
  const std::string text = *ReadFileBytes(ini);
  EXPECT_NE(text.find("BackgroundImage=0"), std::string::npos) << text;
  EXPECT_NE(text.find("ImageBackgroundColor=$00ABCDEF"), std::string::npos) << text;

  // With the chessboard already off it stays off (and is not switched on on the way).
  Dialogs(*form).colorAnswer = 0x00000001;
  form->mnImageBackgroundColorClick();
  EXPECT_FALSE(Settings().BackgroundImage);
  EXPECT_FALSE(Box(*form).drawBackground);
  EXPECT_EQ(Box(*form).tileLoads, 1) << "loaded at creation only";
  Dialogs(*form).colorAnswer = std::nullopt;
  form->mnImageBackgroundColorClick();
  EXPECT_EQ(log.colorSaves.size(), 4u) << "cancel saves nothing";
}

TEST_F(ViewerBackground, KeysToggleTheChessboardAndTheTileIsLoadedOnce) {
  auto form = Open();
  EXPECT_FALSE(log.imageBox->DrawBackground);
  EXPECT_TRUE(log.resourceRequests.empty()) << "no tile until it is wanted";
  struct Step {
    uint16_t key;
    ShiftState shift;
    bool on;
  } const kSteps[] = {{'T', ssNone, true}, {'T', ssNone, false}, {'B', ssCtrl, true}, {'B', ssCtrl, false}, {'T', ssNone, true}};
  for (const Step& s : kSteps) {
    uint16_t key = s.key;
    form->FormKeyDown(key, s.shift);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(Settings().BackgroundImage, s.on);
    EXPECT_EQ(Box(*form).drawBackground, s.on);
    EXPECT_TRUE(Box(*form).resample);
    EXPECT_EQ(log.colorSaves.back().BackgroundImage, s.on) << "saved at once";
    EXPECT_EQ(form->PopupMenuItems(false)[6].Checked, s.on);
  }
  EXPECT_EQ(log.colorSaves.size(), 5u) << "one save per key";
  EXPECT_EQ(log.resourceRequests, std::vector<std::string>{"CHESSBACKGROUND"});
  EXPECT_EQ(Box(*form).tileLoads, 1);
  const PngImage* tile = Box(*form).tile.Png();
  ASSERT_TRUE(tile);
  EXPECT_EQ(tile->width, 1568);
  EXPECT_EQ(tile->height, 896);
}

TEST_F(ViewerBackground, ChessboardOnAtCreationLoadsTheTileThen) {
  Settings().BackgroundImage = true;
  auto form = Open();
  EXPECT_TRUE(log.imageBox->DrawBackground);
  EXPECT_TRUE(log.imageBox->Resample);
  EXPECT_EQ(Box(*form).tileLoads, 1);
  form->mnBackgroundImageClick();
  form->mnBackgroundImageClick();
  EXPECT_EQ(Box(*form).tileLoads, 1) << "off and on again does not reload";
  EXPECT_EQ(log.resourceRequests.size(), 1u);
}

TEST_F(ViewerBackground, UserTileBesideThePluginOrNoneWithoutAMessage) {
  struct Case {
    const char* name;
    std::string bytes;
    int32_t tileWidth;  // 0: no tile
  } const kCases[] = {
      {"valid", TinyPng(3, 2), 3},
      {"1 x 1", TinyPng(1, 1), 1},
      {"not a PNG", "this is text, not a picture", 0},
      {"truncated", TinyPng(3, 2).substr(0, 40), 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteFileBytes(dir_ + "Background.png", c.bytes));
    log = FakeViewLog{};
    Settings() = TSettings{};
    auto form = Open(false, dir_);
    form->mnBackgroundImageClick();
    EXPECT_TRUE(Box(*form).drawBackground);
    EXPECT_TRUE(log.resourceRequests.empty()) << "the user's file wins, even a bad one";
    EXPECT_EQ(Box(*form).tile.Width(), c.tileWidth);
    EXPECT_TRUE(log.errorBoxes.empty());
  }
}

TEST_F(ViewerBackground, AHugeClaimedTileIsNotDecoded) {
  std::string bytes = TinyPng(2, 2);
  for (int i = 0; i < 4; ++i) {
    bytes[16 + i] = static_cast<char>(100000u >> (24 - 8 * i));
    bytes[20 + i] = static_cast<char>(100000u >> (24 - 8 * i));
  }
  ASSERT_TRUE(WriteFileBytes(dir_ + "Background.png", bytes));
  auto form = Open(false, dir_);
  form->mnBackgroundImageClick();
  EXPECT_TRUE(Box(*form).drawBackground);
  EXPECT_EQ(Box(*form).tileLoads, 0);
}

TEST_F(ViewerBackground, CopySourceAndConvertReachTheirPorts) {
  auto form = Open();
  form->MenuCommand(mcCopyToClipboard);
  const test::FakeClipboard& clipboard = ViewOf(*form).clipboard;
  ASSERT_TRUE(clipboard.bitmap);
  EXPECT_EQ(clipboard.bitmap->width, 100);
  EXPECT_EQ(clipboard.bitmap->height, 50);
  EXPECT_FALSE(clipboard.pngBytes.empty());
  EXPECT_FALSE(ViewOf(*form).cursor.busy);

  form->MenuCommand(mcSource);
  EXPECT_EQ(Dialogs(*form).sourceWindows, std::vector<std::string>{form->OpenedFileName});
}

TEST_F(ViewerBackground, ConvertFileThroughBothDialogs) {
  auto form = Open();
  test::FakeDialogs& dialogs = Dialogs(*form);
  // Cancel in the save dialog: no size dialog.
  form->MenuCommand(mcConvertFile);
  ASSERT_EQ(dialogs.saveDialogs.size(), 1u);
  EXPECT_EQ(dialogs.saveDialogs[0].FileName, "half_transparent100x50.png");
  EXPECT_EQ(dialogs.saveDialogs[0].InitialDir, std::string(PICTARA_FIXTURES) + "/viewer/");
  EXPECT_TRUE(dialogs.sizeDialogs.empty());

  // Cancel in the size dialog: nothing written.
  const std::string target = dir_ + "out.png";
  dialogs.saveAnswer = target;
  form->MenuCommand(mcConvertFile);
  ASSERT_EQ(dialogs.sizeDialogs.size(), 1u);
  EXPECT_EQ(dialogs.sizeDialogs[0].comboSizes()[0], "100 x 50");
  EXPECT_EQ(dialogs.sizeDialogs[0].comboSizes()[1], "1920 x 1080");
  EXPECT_FALSE(PathExists(target));

  dialogs.sizeAnswer = [](TfmSize& d) {
    d.comboSizesChange(10);  // "3840 x 2160"
    return true;
  };
  form->MenuCommand(mcConvertFile);
  EXPECT_FALSE(ViewOf(*form).cursor.busy);
  const auto png = DecodePngFile(target);
  ASSERT_TRUE(png);
  EXPECT_EQ(png->width, 3840);
  EXPECT_EQ(png->height, 1920);
  EXPECT_EQ(form->ImageBox()->GetPicture().Width(), 100) << "the picture shown stays as it was";

  Settings().UseImageMagick = true;
  dialogs.saveAnswer = std::nullopt;
  form->MenuCommand(mcConvertFile);
  EXPECT_EQ(dialogs.saveDialogs.back().Filter, "*.bmp|*.bmp");
  EXPECT_EQ(dialogs.saveDialogs.back().FileName, "half_transparent100x50.bmp");
}

TEST_F(ViewerBackground, ConvertErrorWhenTheRendererMakesNothing) {
  TViewerEnvironment env = FakeEnvironment(log);
  int conversions = 0;
  env.Convert = [&conversions](const std::string& file, Size size, bool magick, bool helper, bool inkscape,
                               bool dontEnlarge, int32_t& w, int32_t& h) {
    // The first load works; the conversion of the command fails.
    return ++conversions == 1 ? ConvertSvg(file, size, magick, helper, inkscape, dontEnlarge, w, h) : std::string();
  };
  uintptr_t handle = 0;
  auto form = TfmSVG::CreateParented(env, kDrawing, handle, false);
  Dialogs(*form).saveAnswer = dir_ + "never.png";
  Dialogs(*form).sizeAnswer = [](TfmSize&) { return true; };
  try {
    form->MenuCommand(mcConvertFile);
    ADD_FAILURE() << "no error";
  } catch (const std::exception& e) {
    form->ApplicationEvents1Exception(e);
  }
  ASSERT_EQ(log.errorBoxes.size(), 1u);
  EXPECT_EQ(log.errorBoxes[0].first, "EConvertError\rConvert Error");
  EXPECT_FALSE(ViewOf(*form).cursor.busy);
  EXPECT_FALSE(PathExists(dir_ + "never.png"));
}

// A host's close that arrives while a command's dialog is open (its modal loop dispatches the
// host's messages) must not free the viewer under the dialog: the viewer counts as busy until the
// command returns, and Convert File renders nothing for a viewer on its way out.
TEST_F(ViewerBackground, ACloseDuringACommandsDialogWaitsForTheCommand) {
  const uint32_t kCommands[] = {mcBackgroundColor, mcImageBackgroundColor, mcConvertFile, mcSource};
  for (uint32_t command : kCommands) {
    SCOPED_TRACE(command);
    auto form = Open();
    test::FakeDialogs& dialogs = Dialogs(*form);
    dialogs.saveAnswer = dir_ + "closed.png";
    dialogs.sizeAnswer = [](TfmSize&) { return true; };
    int open = 0;
    dialogs.whileOpen = [&] {
      ++open;
      EXPECT_TRUE(form->Loading()) << "busy while the dialog is on the stack";
      form->DeferClose();
    };
    EXPECT_FALSE(form->Loading());
    form->MenuCommand(command);
    EXPECT_EQ(open, 1) << "no second dialog after the close";
    EXPECT_FALSE(form->Loading()) << "free to go once the command has returned";
    EXPECT_TRUE(form->CloseDeferred());
    EXPECT_FALSE(PathExists(dir_ + "closed.png"));
  }
}

}  // namespace
}  // namespace pictara
