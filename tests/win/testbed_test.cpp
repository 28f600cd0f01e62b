// The test bed itself: later tests rely on it to see what the plug-in posts and paints.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "testbed/testbed.h"

namespace tb = pictara::testbed;

namespace {

TEST(TestBed, ListerRecordsWhatIsPostedToItWhoeverRunsTheLoop) {
  tb::ListerWindow lister({.file = L"C:\\pics\\a.svg"});
  EXPECT_EQ(lister.Caption(), L"Lister - [C:\\pics\\a.svg]");
  PostMessageW(lister.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  tb::ListerWindow other({.file = L"C:\\pics\\b.svg"});
  PostMessageW(other.Handle(), WM_KEYDOWN, 'X', 0);
  tb::PumpMessages();
  EXPECT_EQ(lister.PostedKeys(), std::vector<WPARAM>{VK_ESCAPE});
  EXPECT_EQ(other.PostedKeys(), std::vector<WPARAM>{'X'});

  // A message box's own loop delivers it too (as a modal dialog of the plug-in would).
  lister.ClearPosted();
  tb::MessageBoxWatcher boxes;
  PostMessageW(lister.Handle(), WM_KEYDOWN, '7', 0);
  MessageBoxW(lister.Handle(), L"text", L"caption", MB_OK);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].caption, L"caption");
  EXPECT_EQ(boxes.Boxes()[0].text, L"text");
  EXPECT_EQ(lister.PostedKeys(), std::vector<WPARAM>{'7'});
}

TEST(TestBed, EmbeddedListerIsAChildOfItsFrame) {
  tb::ListerWindow lister({.file = L"x.svg", .embedded = true});
  EXPECT_EQ(GetParent(lister.Handle()), lister.TopLevel());
  EXPECT_NE(lister.TopLevel(), lister.Handle());
}

TEST(TestBed, CaptureReadsTheWindowsColoursAndSavesThemAsPng) {
  tb::ListerWindow lister({.file = L"x.svg", .width = 300, .height = 200});
  // A child of a known colour in the top-left corner.
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
  wc.lpszClassName = L"PictaraTestSwatch";
  RegisterClassW(&wc);
  HWND swatch = CreateWindowExW(0, L"PictaraTestSwatch", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 40, lister.Handle(),
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(swatch, nullptr);
  tb::Screenshot shot = tb::CaptureWindow(lister.Handle());
  RECT client{};
  GetClientRect(lister.Handle(), &client);
  ASSERT_EQ(shot.width, client.right);
  ASSERT_EQ(shot.height, client.bottom);
  EXPECT_EQ(shot.Pixel(10, 10), tb::FromColorRef(GetSysColor(COLOR_HIGHLIGHT)));
  EXPECT_EQ(shot.Pixel(49, 39), tb::FromColorRef(GetSysColor(COLOR_HIGHLIGHT)));
  EXPECT_NE(shot.Pixel(50, 40), tb::FromColorRef(GetSysColor(COLOR_HIGHLIGHT)));
  EXPECT_EQ(shot.Pixel(shot.width - 5, shot.height - 5), tb::FromColorRef(GetSysColor(COLOR_WINDOW)));

  tb::TempFolder folder;
  std::wstring png = folder.Path() + L"shot.png";
  ASSERT_TRUE(tb::SavePng(shot, png));
  std::ifstream in(std::filesystem::path(png), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

TEST(TestBed, PluginCopyCarriesItsOwnSettingsFile) {
  std::wstring folder;
  {
    tb::PluginCopy copy("[Setup]\r\nOpenWidth=640\r\n");
    folder = copy.Folder();
    EXPECT_NE(GetFileAttributesW(copy.PluginPath().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW((folder + L"Pictara.ini").c_str()), INVALID_FILE_ATTRIBUTES);
    tb::Plugin plugin(copy.PluginPath());
    EXPECT_TRUE(plugin.Loaded()) << plugin.Problem();
  }
  EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES) << "the folder is removed";
}

}  // namespace
