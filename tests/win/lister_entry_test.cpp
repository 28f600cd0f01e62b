// The eight exports of the real plug-in, called as the host calls them, in stand-in Lister windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "testbed/testbed.h"

namespace tb = pictara::testbed;

namespace {

const std::wstring kSvg = tb::FixturePath("viewer/shapes.svg");
const std::wstring kMissing = tb::FixturePath("viewer/not-there.svg");

class ListerEntry : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(plugin.Loaded()) << plugin.Problem(); }
  tb::Plugin plugin;
};

TEST_F(ListerEntry, DetectStringIsCutToTheBufferAndAlwaysTerminated) {
  struct Case {
    int maxlen;
    const char* expected;
  } const kCases[] = {
      {1024, "MULTIMEDIA & ext=\"SVG\"|ext=\"SVGZ\""},
      {34, "MULTIMEDIA & ext=\"SVG\"|ext=\"SVGZ\""},
      {33, "MULTIMEDIA & ext=\"SVG\"|ext=\"SVGZ"},
      {11, "MULTIMEDIA"},
      {1, ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.maxlen);
    std::string buffer(1100, '#');
    plugin.ListGetDetectString(buffer.data(), c.maxlen);
    EXPECT_STREQ(buffer.c_str(), c.expected);
    EXPECT_EQ(buffer[strlen(c.expected) + 1], '#') << "nothing written past the terminator";
  }
  char untouched[4] = {'#', '#', '#', 0};
  plugin.ListGetDetectString(untouched, 0);
  EXPECT_STREQ(untouched, "###");
}

TEST_F(ListerEntry, OnlyTheDarkBitOfShowFlagsChoosesTheColours) {
  const uint32_t light = tb::FromColorRef(GetSysColor(COLOR_BTNFACE));
  const uint32_t dark = tb::Rgb(0x20, 0x20, 0x20);
  struct Case {
    int flags;
    uint32_t bar, picture;
  } const kCases[] = {
      {0, light, tb::Rgb(255, 255, 255)},
      {128, dark, dark},
      {0x7FFFFFFF & ~128, light, tb::Rgb(255, 255, 255)},
      {128 | 1 | 4 | 0x10000, dark, dark},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.flags);
    tb::ListerWindow lister({.file = kSvg});
    HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), c.flags);
    ASSERT_NE(viewer, nullptr);
    tb::PumpMessages();
    tb::Screenshot shot = tb::CaptureWindow(lister.Handle());
    ASSERT_GT(shot.width, 0);
    // Far right of the bottom bar (status panel) and the picture area beside the drawing.
    EXPECT_EQ(shot.Pixel(shot.width - 4, shot.height - 4), c.bar);
    EXPECT_EQ(shot.Pixel(10, 10), c.picture);
    plugin.ListCloseWindow(viewer);
  }
}

TEST_F(ListerEntry, BottomBarKeepsItsDesignedHeightScaledForTheScreen) {
  HDC screen = GetDC(nullptr);
  const int ppi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  // 31 pixels as designed for 120 ppi: the form scales from 96 to (ppi - 24).
  const int expected = MulDiv(31, ppi - 24, 96);
  tb::ListerWindow lister({.file = kSvg});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  tb::Screenshot shot = tb::CaptureWindow(lister.Handle());
  const uint32_t bar = tb::FromColorRef(GetSysColor(COLOR_BTNFACE));
  int height = 0;
  while (height < shot.height && shot.Pixel(shot.width - 4, shot.height - 1 - height) == bar) ++height;
  EXPECT_EQ(height, expected) << "at " << ppi << " ppi";
  plugin.ListCloseWindow(viewer);
}

TEST_F(ListerEntry, AnsiPathOpensTheSameFileAsTheWidePath) {
  tb::TempFolder folder;
  // A name outside ASCII that the ANSI code page can spell.
  std::wstring name = folder.Path() + L"Gr\u00f6\u00dfe \u00e9t\u00e9.svg";
  ASSERT_TRUE(CopyFileW(kSvg.c_str(), name.c_str(), FALSE));
  BOOL lossy = FALSE;
  char ansi[MAX_PATH * 2] = {};
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, ansi, sizeof(ansi), nullptr, &lossy);
  if (lossy) GTEST_SKIP() << "the ANSI code page " << GetACP() << " cannot spell the test name";

  tb::ListerWindow lister({.file = name});
  HWND wide = plugin.ListLoadW(lister.Handle(), name.c_str(), 0);
  ASSERT_NE(wide, nullptr);
  plugin.ListCloseWindow(wide);
  HWND narrow = plugin.ListLoad(lister.Handle(), ansi, 0);
  EXPECT_NE(narrow, nullptr);
  plugin.ListCloseWindow(narrow);

  // The conversion really is from ANSI: the same bytes read as UTF-8 name another file.
  std::string utf8 = tb::Narrow(name);
  ASSERT_NE(utf8, std::string(ansi));
  EXPECT_EQ(plugin.ListLoad(lister.Handle(), utf8.c_str(), 0), nullptr);
  EXPECT_TRUE(lister.Children().empty());
}

TEST_F(ListerEntry, FileThatCannotBeShownGivesZeroAndLeavesNoWindow) {
  tb::ListerWindow lister({.file = kMissing});
  EXPECT_EQ(plugin.ListLoadW(lister.Handle(), kMissing.c_str(), 0), nullptr);
  EXPECT_EQ(plugin.ListLoad(lister.Handle(), tb::Narrow(kMissing).c_str(), 128), nullptr);
  EXPECT_EQ(plugin.ListLoadW(lister.Handle(), nullptr, 0), nullptr);
  // No Lister window to live in: the viewer cannot be built, and the host still only sees 0.
  EXPECT_EQ(plugin.ListLoadW(nullptr, kSvg.c_str(), 0), nullptr);
  tb::PumpMessages();
  EXPECT_TRUE(lister.Children().empty());
}

TEST_F(ListerEntry, CloseWindowTearsDownOnceAndTheListerLivesOn) {
  tb::ListerWindow lister({.file = kSvg});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(lister.Children(), std::vector<HWND>{viewer});
  plugin.ListCloseWindow(viewer);
  EXPECT_FALSE(IsWindow(viewer));
  EXPECT_TRUE(lister.Children().empty());
  // A second close of the same (now dead) handle and a stranger's window are ignored.
  plugin.ListCloseWindow(viewer);
  plugin.ListCloseWindow(lister.Handle());
  EXPECT_TRUE(lister.Exists());
  lister.Destroy();
  tb::PumpMessages();
}

TEST_F(ListerEntry, DestroyingTheListerTakesTheViewerWithIt) {
  tb::ListerWindow lister({.file = kSvg});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  lister.Destroy();
  tb::PumpMessages();
  EXPECT_FALSE(IsWindow(viewer));
  // The host may still say goodbye afterwards; a new viewer works as before.
  plugin.ListCloseWindow(viewer);
  tb::ListerWindow second({.file = kSvg});
  HWND again = plugin.ListLoadW(second.Handle(), kSvg.c_str(), 0);
  EXPECT_NE(again, nullptr);
  plugin.ListCloseWindow(again);
}

TEST_F(ListerEntry, ViewerCoversTheListersScrollBarsIn64BitOnly) {
  const int cxv = GetSystemMetrics(SM_CXVSCROLL), cxh = GetSystemMetrics(SM_CXHSCROLL);
  const bool is64 = sizeof(void*) == 8;
  struct Case {
    const char* name;
    bool vertical, horizontal;
    int extraWidth, extraHeight;
  } const kCases[] = {
      // A Lister with only a vertical bar is left out: whether the horizontal query then
      // succeeds is the system's business (Wine says yes).
      {"none", false, false, 0, 0},
      {"both", true, true, is64 ? cxv : 0, is64 ? cxh : 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    tb::ListerWindow lister({.file = kSvg, .verticalScrollBar = c.vertical, .horizontalScrollBar = c.horizontal,
                             .resizeViewer = false});
    HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
    ASSERT_NE(viewer, nullptr);
    RECT client{}, placed{};
    GetClientRect(lister.Handle(), &client);
    GetWindowRect(viewer, &placed);
    MapWindowPoints(nullptr, lister.Handle(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.top, 0);
    EXPECT_EQ(placed.right, client.right + c.extraWidth);
    EXPECT_EQ(placed.bottom, client.bottom + c.extraHeight);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(viewer, GWL_STYLE)) & ~WS_VISIBLE, DWORD{WS_CHILD | WS_MAXIMIZE});
    plugin.ListCloseWindow(viewer);
  }
}

TEST_F(ListerEntry, NextFileFromTheHostReportsFailureAsOne) {
  tb::ListerWindow lister({.file = kSvg});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(plugin.ListLoadNextW(lister.Handle(), viewer, kSvg.c_str(), 0), 0);
  EXPECT_EQ(plugin.ListLoadNext(lister.Handle(), viewer, tb::Narrow(kSvg).c_str(), 0), 0);
  EXPECT_EQ(plugin.ListLoadNextW(lister.Handle(), viewer, kMissing.c_str(), 0), 1);
  EXPECT_TRUE(IsWindow(viewer)) << "a failed next file leaves the viewer open";
  // A window that is not one of ours has no viewer to load into.
  EXPECT_EQ(plugin.ListLoadNextW(lister.Handle(), lister.Handle(), kSvg.c_str(), 0), 1);
  plugin.ListCloseWindow(viewer);
}

TEST_F(ListerEntry, SeveralViewersLiveSideBySide) {
  tb::ListerWindow first({.file = kSvg});
  tb::ListerWindow second({.file = kSvg});
  HWND a = plugin.ListLoadW(first.Handle(), kSvg.c_str(), 0);
  HWND b = plugin.ListLoadW(second.Handle(), kSvg.c_str(), 128);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  plugin.ListCloseWindow(a);
  EXPECT_TRUE(IsWindow(b));
  tb::Screenshot shot = tb::CaptureWindow(second.Handle());
  EXPECT_EQ(shot.Pixel(10, 10), tb::Rgb(0x20, 0x20, 0x20));
  plugin.ListCloseWindow(b);
}

TEST(ListerUnload, UnloadingThePluginDestroysViewersStillOpen) {
  tb::ListerWindow lister({.file = kSvg});
  HWND viewer = nullptr;
  {
    tb::Plugin plugin;
    ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
    viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
    ASSERT_NE(viewer, nullptr);
    lister.SetViewer(nullptr);
  }
  EXPECT_FALSE(IsWindow(viewer));
  // The Lister keeps working: nothing of the unloaded library is left in its window tree.
  SetWindowPos(lister.Handle(), nullptr, 0, 0, 500, 400, SWP_NOZORDER);
  tb::PumpMessages();
  EXPECT_TRUE(lister.Children().empty());
}

// Settings come from the Pictara.ini beside the library, read once when it is loaded and again
// for each viewer only with RereadIni.
TEST(ListerSettings, SettingsAreReadAtLoadAndRereadOnlyWhenAsked) {
  const uint32_t red = tb::Rgb(255, 0, 0), blue = tb::Rgb(0, 0, 255);
  for (bool reread : {false, true}) {
    SCOPED_TRACE(reread ? "RereadIni=1" : "RereadIni=0");
    // The copy has no converter beside it: it uses the one beside the tests.
    const std::string converter = "RSVGPath=" + tb::Narrow(tb::ProgramFolder()) + "rsvg\\rsvg-convert.exe\r\n";
    std::string ini = std::string("[Setup]\r\nBackgroundColor=$0000FF\r\nRereadIni=") + (reread ? "1" : "0") + "\r\n" +
                      converter;
    tb::PluginCopy copy(ini);
    {
      tb::Plugin plugin(copy.PluginPath());
      ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
      tb::ListerWindow lister({.file = kSvg});
      HWND viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
      ASSERT_NE(viewer, nullptr);
      tb::Screenshot shot = tb::CaptureWindow(lister.Handle());
      EXPECT_EQ(shot.Pixel(10, 10), red);
      plugin.ListCloseWindow(viewer);

      copy.WriteFile(L"Pictara.ini", "[Setup]\r\nBackgroundColor=$FF0000\r\nRereadIni=1\r\n" + converter);
      viewer = plugin.ListLoadW(lister.Handle(), kSvg.c_str(), 0);
      ASSERT_NE(viewer, nullptr);
      shot = tb::CaptureWindow(lister.Handle());
      EXPECT_EQ(shot.Pixel(10, 10), reread ? blue : red);
      plugin.ListCloseWindow(viewer);
    }
  }
}

TEST(ListerSettings, ThumbnailsSwitchedOffGiveNoBitmapWithoutLookingAtTheFile) {
  tb::PluginCopy copy("[Setup]\r\nShowThumbnailsInTC=0\r\n");
  tb::Plugin plugin(copy.PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  char content[16] = "<svg";
  EXPECT_EQ(plugin.ListGetPreviewBitmapW(kMissing.c_str(), 96, 96, content, 4), nullptr);
  EXPECT_EQ(plugin.ListGetPreviewBitmapW(kSvg.c_str(), 96, 96, content, 4), nullptr);
  EXPECT_EQ(plugin.ListGetPreviewBitmap(tb::Narrow(kMissing).c_str(), 96, 96, nullptr, 0), nullptr);
}

}  // namespace
