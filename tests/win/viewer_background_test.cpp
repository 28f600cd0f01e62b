// The chessboard under a half-transparent drawing through the real plug-in and the real
// converter: T and Ctrl+B switch it and write the settings file at once, BackgroundImage=1 shows
// it from the start, a "Background.png" beside the plug-in is tiled instead, and a broken one
// gives no tile and no message.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "testbed/testbed.h"

namespace tb = pictara::testbed;

namespace {

// 100 x 50: opaque blue at x 0..49, y 0..39; half-transparent red at x 50..99, y 0..39; the rows
// 40..49 transparent.
const std::wstring kDrawing = tb::FixturePath("viewer/half_transparent100x50.svg");
constexpr uint32_t kGrey = tb::Rgb(0xC8, 0xC8, 0xC8);
constexpr uint32_t kWhite = tb::Rgb(0xFF, 0xFF, 0xFF);
constexpr uint32_t kBlue = tb::Rgb(0, 0, 0xFF);

BOOL CALLBACK CollectWindow(HWND w, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}

HWND ImageBoxOf(HWND viewer) {
  std::vector<HWND> all;
  EnumChildWindows(viewer, &CollectWindow, reinterpret_cast<LPARAM>(&all));
  for (HWND w : all) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    if (std::wstring(name) == L"PictaraZoomImageBox") return w;
  }
  return nullptr;
}

void PressKey(HWND viewer, UINT key, std::initializer_list<int> held = {}) {
  BYTE state[256] = {};
  for (int k : held) state[k] = 0x80;
  SetKeyboardState(state);
  SendMessageW(ImageBoxOf(viewer), WM_KEYDOWN, key, 0);
  BYTE none[256] = {};
  SetKeyboardState(none);
}

std::string ReadText(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// The colours of the drawing's transparent strip (rows 40..49), found from its opaque blue part.
struct Strip {
  bool found = false;
  std::vector<uint32_t> pixels;
  int Count(uint32_t colour) const {
    int n = 0;
    for (uint32_t p : pixels) n += p == colour;
    return n;
  }
};

Strip TransparentStrip(HWND viewer) {
  // The picture is painted once its opaque blue part shows.
  const tb::Screenshot shot = tb::WaitForPixels(ImageBoxOf(viewer), [](const tb::Screenshot& s) {
    return std::find(s.pixels.begin(), s.pixels.end(), kBlue) != s.pixels.end();
  });
  Strip strip;
  for (int y = 0; y < shot.height && !strip.found; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      if (shot.Pixel(x, y) != kBlue) continue;
      // The top-left corner of the picture.
      strip.found = true;
      for (int row = y + 41; row < y + 49 && row < shot.height; ++row)
        for (int col = x + 1; col < x + 99 && col < shot.width; ++col) strip.pixels.push_back(shot.Pixel(col, row));
      break;
    }
  }
  return strip;
}

std::string IniWithConverter(const std::string& more = "") {
  return "[Setup]\r\nRSVGPath=" + tb::Narrow(tb::ProgramFolder()) + "rsvg\\rsvg-convert.exe\r\n" + more;
}

class ViewerBackgroundTest : public ::testing::Test {
 protected:
  void SetUp() override { temp_ = tb::NewTempFolder(L"pictara-background-"); }
  void TearDown() override { tb::RemoveTree(temp_); }
  std::wstring temp_;
};

TEST_F(ViewerBackgroundTest, TAndCtrlBToggleTheChessboardAndWriteTheSettingsAtOnce) {
  tb::PluginCopy copy(IniWithConverter());
  {
    tb::Plugin plugin(copy.PluginPath());
    ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
    tb::MessageBoxWatcher boxes;
    tb::ListerWindow lister({.file = kDrawing});
    HWND viewer = plugin.ListLoadW(lister.Handle(), kDrawing.c_str(), 0);
    ASSERT_NE(viewer, nullptr);
    Strip off = TransparentStrip(viewer);
    ASSERT_TRUE(off.found);
    EXPECT_EQ(off.Count(kWhite), static_cast<int>(off.pixels.size())) << "white under the drawing";

    PressKey(viewer, 'T');
    EXPECT_NE(ReadText(copy.Folder() + L"Pictara.ini").find("BackgroundImage=1"), std::string::npos);
    Strip on = TransparentStrip(viewer);
    ASSERT_TRUE(on.found);
    EXPECT_GT(on.Count(kGrey), 0) << "grey squares";
    EXPECT_GT(on.Count(kWhite), 0) << "white squares";
    EXPECT_EQ(on.Count(kGrey) + on.Count(kWhite), static_cast<int>(on.pixels.size()));

    PressKey(viewer, 'B', {VK_CONTROL});
    EXPECT_NE(ReadText(copy.Folder() + L"Pictara.ini").find("BackgroundImage=0"), std::string::npos);
    EXPECT_EQ(TransparentStrip(viewer).Count(kGrey), 0);
    EXPECT_TRUE(boxes.Boxes().empty());
    plugin.ListCloseWindow(viewer);
  }
}

TEST_F(ViewerBackgroundTest, ChessboardFromTheStartInLightAndDark) {
  tb::PluginCopy copy(IniWithConverter("BackgroundImage=1\r\n"));
  tb::Plugin plugin(copy.PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  for (int flags : {0, 128}) {
    SCOPED_TRACE(flags);
    tb::ListerWindow lister({.file = kDrawing});
    HWND viewer = plugin.ListLoadW(lister.Handle(), kDrawing.c_str(), flags);
    ASSERT_NE(viewer, nullptr);
    const Strip strip = TransparentStrip(viewer);
    ASSERT_TRUE(strip.found);
    EXPECT_GT(strip.Count(kGrey), 0);
    EXPECT_EQ(strip.Count(kGrey) + strip.Count(kWhite), static_cast<int>(strip.pixels.size()));
    plugin.ListCloseWindow(viewer);
  }
}

TEST_F(ViewerBackgroundTest, ABackgroundPngBesideThePluginIsTiledABrokenOneGivesNoTileAndNoMessage) {
  // A 4 x 4 green tile, written through the system's own PNG encoder.
  tb::Screenshot green;
  green.width = green.height = 4;
  green.pixels.assign(16, tb::Rgb(0, 0xFF, 0));
  struct Case {
    const char* name;
    bool valid;
  } const kCases[] = {{"green tile", true}, {"not a PNG", false}, {"huge claim", false}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    tb::PluginCopy copy(IniWithConverter("BackgroundImage=1\r\n"));
    if (c.valid) {
      ASSERT_TRUE(tb::SavePng(green, copy.Folder() + L"Background.png"));
    } else if (std::string(c.name) == "not a PNG") {
      copy.WriteFile(L"Background.png", "this is no picture");
    } else {
      ASSERT_TRUE(tb::SavePng(green, temp_ + L"g.png"));
      std::string bytes = ReadText(temp_ + L"g.png");
      ASSERT_GT(bytes.size(), 24u);
      for (int i = 0; i < 4; ++i) bytes[16 + i] = bytes[20 + i] = static_cast<char>(100000u >> (24 - 8 * i));
      copy.WriteFile(L"Background.png", bytes);
    }
    tb::Plugin plugin(copy.PluginPath());
    ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
    tb::MessageBoxWatcher boxes;
    tb::ListerWindow lister({.file = kDrawing});
    HWND viewer = plugin.ListLoadW(lister.Handle(), kDrawing.c_str(), 0);
    ASSERT_NE(viewer, nullptr);
    const Strip strip = TransparentStrip(viewer);
    ASSERT_TRUE(strip.found);
    if (c.valid) {
      EXPECT_EQ(strip.Count(tb::Rgb(0, 0xFF, 0)), static_cast<int>(strip.pixels.size()));
    } else {
      EXPECT_EQ(strip.Count(kWhite), static_cast<int>(strip.pixels.size())) << "no tile: the colour under it";
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    plugin.ListCloseWindow(viewer);
  }
}

}  // namespace
