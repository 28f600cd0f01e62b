// The viewer end to end through the real plug-in, the real converter (the rsvg-convert bridge) and
// real files: the drawing on screen, keys forwarded to the host, zoom in the status line, folder
// navigation with the caption, the host's next file, and teardown without leftovers.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "testbed/testbed.h"
#include "viewer/viewer_form_win.h"

namespace tb = pictara::testbed;

namespace {

using tb::ClassOf;
using tb::Descendants;

const std::wstring kSquare = tb::FixturePath("viewer/square100.svg");  // 100 x 100, #CC2200
const std::wstring kShapes = tb::FixturePath("viewer/shapes.svg");     // 320 x 200
const std::wstring kWide = tb::FixturePath("viewer/wide2000x1000.svg");
const std::wstring kBroken = tb::FixturePath("viewer/broken.svg");


using pictara::testbed::ImageBoxOf;

// The status panel: the one control of the bottom bar that holds the status text.
std::wstring StatusOf(HWND viewer) {
  for (HWND w : Descendants(viewer)) {
    if (ClassOf(w) != L"PictaraPanel" || GetDlgCtrlID(w) != pictara::idPanInfo) continue;
    wchar_t text[1024] = {};
    GetWindowTextW(w, text, 1024);
    return text;
  }
  return L"<no status panel>";
}

// A key pressed in the viewer with the given modifiers held: the keyboard state of this thread is
// what the viewer reads, so no focus is needed.
void PressKey(HWND viewer, UINT key, std::initializer_list<int> held = {}) {
  BYTE state[256] = {};
  for (int k : held) state[k] = 0x80;
  SetKeyboardState(state);
  SendMessageW(ImageBoxOf(viewer), (state[VK_MENU] & 0x80) ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 0);
  BYTE none[256] = {};
  SetKeyboardState(none);
}

std::vector<WPARAM> KeysDown(const tb::ListerWindow& lister) { return lister.PostedKeys(); }

// Files named like the plug-in's temporary files ("svg", digits, an extension) in the folder.
int FilesIn(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"svg*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do {
    const std::wstring name = data.cFileName;
    const size_t digits = name.find_first_not_of(L"0123456789", 3);
    if (digits > 3 && digits != std::wstring::npos && name[digits] == L'.') ++n;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return n;
}

// Conversions of these tests write into a temporary folder of their own, so that anything left
// behind is seen.
class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
    wchar_t old[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TMP", old, MAX_PATH);
    oldTmp_ = old;
    GetEnvironmentVariableW(L"TEMP", old, MAX_PATH);
    oldTemp_ = old;
    temp_ = tb::NewTempFolder(L"pictara-viewer-");
    SetEnvironmentVariableW(L"TMP", temp_.c_str());
    SetEnvironmentVariableW(L"TEMP", temp_.c_str());
  }
  void TearDown() override {
    EXPECT_EQ(FilesIn(temp_), 0) << "no raster file is left in the temporary folder";
    SetEnvironmentVariableW(L"TMP", oldTmp_.c_str());
    SetEnvironmentVariableW(L"TEMP", oldTemp_.c_str());
    tb::RemoveTree(temp_);
  }

  tb::Plugin plugin;
  std::wstring temp_;

 private:
  std::wstring oldTmp_, oldTemp_;
};

TEST_F(ViewerTest, ListLoadShowsTheDrawingFittedInTheMiddleOfThePictureArea) {
  struct Case {
    const char* name;
    int flags;
    uint32_t around;
  } const kCases[] = {{"light", 0, tb::Rgb(255, 255, 255)}, {"dark", 128, tb::Rgb(0x20, 0x20, 0x20)}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    tb::ListerWindow lister({.file = kSquare});
    HWND viewer = plugin.ListLoadW(lister.Handle(), kSquare.c_str(), c.flags);
    ASSERT_NE(viewer, nullptr);
    HWND box = ImageBoxOf(viewer);
    ASSERT_NE(box, nullptr);
    RECT r{};
    GetClientRect(box, &r);
    tb::Screenshot shot = tb::WaitForPixels(
        box, [](const tb::Screenshot& s) { return s.Pixel(s.width / 2, s.height / 2) == tb::Rgb(0xCC, 0x22, 0x00); });
    ASSERT_EQ(shot.width, r.right);
    const int cx = r.right / 2, cy = r.bottom / 2;
    // 100 x 100 at natural size, centred: red within 50 pixels of the middle, background beyond.
    EXPECT_EQ(shot.Pixel(cx, cy), tb::Rgb(0xCC, 0x22, 0x00));
    EXPECT_EQ(shot.Pixel(cx - 48, cy - 48), tb::Rgb(0xCC, 0x22, 0x00));
    EXPECT_EQ(shot.Pixel(cx + 47, cy + 47), tb::Rgb(0xCC, 0x22, 0x00));
    EXPECT_EQ(shot.Pixel(cx - 53, cy), c.around);
    EXPECT_EQ(shot.Pixel(cx, cy + 53), c.around);
    const std::wstring status = StatusOf(viewer);
    EXPECT_EQ(status.rfind(L"100 x 100 x 8  (100%) / 100 x 100  -  square100.svg   (00:", 0), 0u) << tb::Narrow(status);
    EXPECT_EQ(lister.Caption(), L"Lister - [" + kSquare + L"]");
    plugin.ListCloseWindow(viewer);
  }
}

TEST_F(ViewerTest, EscapeAndDigitsGoToTheListerShiftEscapeAndKeypadDigitsDoNot) {
  tb::ListerWindow lister({.file = kShapes});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kShapes.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  tb::PumpMessages();
  lister.ClearPosted();
  PressKey(viewer, VK_ESCAPE, {VK_SHIFT});
  PressKey(viewer, VK_NUMPAD1);
  PressKey(viewer, '1', {VK_CONTROL});
  tb::PumpMessages();
  EXPECT_TRUE(KeysDown(lister).empty());
  PressKey(viewer, VK_ESCAPE);
  for (UINT digit = '0'; digit <= '9'; ++digit) PressKey(viewer, digit);
  PressKey(viewer, 'X', {VK_MENU});
  tb::PumpMessages();
  std::vector<WPARAM> expected{VK_ESCAPE};
  for (WPARAM digit = '0'; digit <= '9'; ++digit) expected.push_back(digit);
  expected.push_back(VK_ESCAPE);
  EXPECT_EQ(KeysDown(lister), expected);
  plugin.ListCloseWindow(viewer);
}

TEST_F(ViewerTest, KeypadPlusAndMinusChangeTheScaleInTheStatusText) {
  tb::ListerWindow lister({.file = kShapes});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kShapes.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  ASSERT_NE(StatusOf(viewer).find(L"(100%)"), std::wstring::npos) << tb::Narrow(StatusOf(viewer));
  PressKey(viewer, VK_ADD);
  const std::wstring zoomed = StatusOf(viewer);
  EXPECT_EQ(zoomed.find(L"(100%)"), std::wstring::npos) << tb::Narrow(zoomed);
  EXPECT_EQ(zoomed.rfind(L"320 x 200 x 8  (1", 0), 0u) << tb::Narrow(zoomed);
  PressKey(viewer, VK_SUBTRACT);
  EXPECT_NE(StatusOf(viewer).find(L"(100%)"), std::wstring::npos) << tb::Narrow(StatusOf(viewer));
  // Zooming left the fit: F goes back to fitting big pictures only, which shows this one at 100 %;
  // F again stretches it to the window.
  PressKey(viewer, 'F');
  EXPECT_NE(StatusOf(viewer).find(L"(100%)"), std::wstring::npos) << tb::Narrow(StatusOf(viewer));
  PressKey(viewer, 'F');
  EXPECT_EQ(StatusOf(viewer).find(L"(100%)"), std::wstring::npos) << tb::Narrow(StatusOf(viewer));
  plugin.ListCloseWindow(viewer);
}

// The scale shown follows the fit when the host resizes the Lister (and the viewer with it).
TEST_F(ViewerTest, ResizingTheListerUpdatesTheScaleShown) {
  tb::ListerWindow lister({.file = kWide});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kWide.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  auto scale = [&] {
    const std::wstring status = StatusOf(viewer);
    int w = 0, h = 0, bpp = 0, percent = 0;
    swscanf(status.c_str(), L"%d x %d x %d  (%d%%)", &w, &h, &bpp, &percent);
    return percent;
  };
  lister.SetViewer(viewer);
  const int before = scale();
  EXPECT_GT(before, 0);
  EXPECT_LT(before, 100);
  SetWindowPos(lister.Handle(), nullptr, 0, 0, 500, 400, SWP_NOZORDER | SWP_NOMOVE);
  tb::PumpMessages();
  const int after = scale();
  EXPECT_GT(after, 0);
  EXPECT_LT(after, before);
  plugin.ListCloseWindow(viewer);
}

TEST_F(ViewerTest, SpaceAndBackspaceWalkTheFolderSkippingABrokenFileAndTheCaptionFollows) {
  tb::TempFolder folder;
  const std::wstring a = folder.Path() + L"a.svg", b = folder.Path() + L"b.svg", c = folder.Path() + L"c.svg";
  ASSERT_TRUE(CopyFileW(kShapes.c_str(), a.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(kBroken.c_str(), b.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(kSquare.c_str(), c.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(kShapes.c_str(), (folder.Path() + L"notes.txt").c_str(), FALSE));

  tb::ListerWindow lister({.file = a});
  HWND viewer = plugin.ListLoadW(lister.Handle(), a.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  PressKey(viewer, VK_SPACE);
  EXPECT_EQ(lister.Caption(), L"Lister - [2/2, c.svg, " + c + L"]");
  EXPECT_NE(StatusOf(viewer).find(L"[2/2]  -  c.svg"), std::wstring::npos) << tb::Narrow(StatusOf(viewer));
  PressKey(viewer, VK_SPACE);
  EXPECT_EQ(lister.Caption(), L"Lister - [1/2, a.svg, " + a + L"]");
  PressKey(viewer, VK_BACK);
  EXPECT_EQ(lister.Caption(), L"Lister - [2/2, c.svg, " + c + L"]");
  PressKey(viewer, VK_RIGHT, {VK_CONTROL});
  EXPECT_EQ(lister.Caption(), L"Lister - [1/2, a.svg, " + a + L"]");
  plugin.ListCloseWindow(viewer);
}

TEST_F(ViewerTest, FolderThatCannotBeListedIsReportedOnceAndTheNextPressHidesTheButtons) {
  std::wstring folder = tb::NewTempFolder(L"pictara-gone-");
  const std::wstring a = folder + L"a.svg";
  ASSERT_TRUE(CopyFileW(kShapes.c_str(), a.c_str(), FALSE));
  tb::ListerWindow lister({.file = a});
  HWND viewer = plugin.ListLoadW(lister.Handle(), a.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  tb::RemoveTree(folder);
  tb::MessageBoxWatcher boxes;
  PressKey(viewer, VK_SPACE);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].caption, L"Pictara Error");
  HWND buttons = nullptr;
  for (HWND w : Descendants(viewer))
    if (ClassOf(w) == L"PictaraPanel" && GetDlgCtrlID(w) == pictara::idPanButtons) buttons = w;
  ASSERT_NE(buttons, nullptr);
  EXPECT_TRUE(IsWindowVisible(buttons));
  PressKey(viewer, VK_SPACE);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_FALSE(IsWindowVisible(buttons));
  EXPECT_TRUE(IsWindow(viewer));
  EXPECT_EQ(StatusOf(viewer).rfind(L"320 x 200 x 8", 0), 0u) << "the picture stays";
  plugin.ListCloseWindow(viewer);
}

TEST_F(ViewerTest, MiddleClickMaximisesAndRestoresAStandAloneListerOnly) {
  for (bool embedded : {false, true}) {
    SCOPED_TRACE(embedded ? "embedded" : "stand-alone");
    tb::ListerWindow lister({.file = kShapes, .embedded = embedded});
    HWND viewer = plugin.ListLoadW(lister.Handle(), kShapes.c_str(), 0);
    ASSERT_NE(viewer, nullptr);
    HWND box = ImageBoxOf(viewer);
    EXPECT_FALSE(IsZoomed(lister.TopLevel()));
    SendMessageW(box, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(10, 10));
    SendMessageW(box, WM_MBUTTONUP, 0, MAKELPARAM(10, 10));
    tb::PumpMessages();
    EXPECT_EQ(IsZoomed(lister.TopLevel()) != FALSE, !embedded);
    SendMessageW(box, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(10, 10));
    SendMessageW(box, WM_MBUTTONUP, 0, MAKELPARAM(10, 10));
    tb::PumpMessages();
    EXPECT_FALSE(IsZoomed(lister.TopLevel()));
    plugin.ListCloseWindow(viewer);
  }
}

TEST_F(ViewerTest, NextFileThatCannotBeRenderedKeepsPictureAndStatus) {
  tb::ListerWindow lister({.file = kSquare});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kSquare.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  const std::wstring status = StatusOf(viewer);
  HWND box = ImageBoxOf(viewer);
  tb::WaitForPixels(box, [](const tb::Screenshot& s) { return s.Pixel(s.width / 2, s.height / 2) == tb::Rgb(0xCC, 0x22, 0x00); });
  const tb::Screenshot before = tb::CaptureWindow(box);
  EXPECT_EQ(plugin.ListLoadNextW(lister.Handle(), viewer, kBroken.c_str(), 0), 1);
  tb::PumpMessages();
  EXPECT_EQ(StatusOf(viewer), status);
  const tb::Screenshot after = tb::CaptureWindow(box);
  EXPECT_EQ(after.pixels, before.pixels);
  // A file that renders replaces both.
  EXPECT_EQ(plugin.ListLoadNextW(lister.Handle(), viewer, kShapes.c_str(), 0), 0);
  EXPECT_EQ(StatusOf(viewer).rfind(L"320 x 200 x 8", 0), 0u) << tb::Narrow(StatusOf(viewer));
  plugin.ListCloseWindow(viewer);
}

// The context menu as it shows after a right click, read while it is open and then closed.
struct ShownMenu {
  std::vector<std::wstring> items;    // "text|flags" with g (greyed) and c (checked)
  std::vector<std::wstring> reload;   // the submenu
};
ShownMenu g_menu;

std::vector<std::wstring> MenuTexts(HMENU menu) {
  std::vector<std::wstring> out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 128;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    if (info.fType & MFT_SEPARATOR) {
      out.push_back(L"-");
      continue;
    }
    std::wstring item = text;
    if (info.fState & MFS_DISABLED) item += L"|g";
    if (info.fState & MFS_CHECKED) item += L"|c";
    out.push_back(item);
  }
  return out;
}

void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  // The menu window can exist a moment before it shows its menu: read it only once it does.
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (!popup || !IsWindowVisible(popup)) return;
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
  if (!menu) return;
  KillTimer(nullptr, timer);
  g_menu.items = MenuTexts(menu);
  if (HMENU sub = GetSubMenu(menu, 3)) g_menu.reload = MenuTexts(sub);
  EndMenu();
}

TEST_F(ViewerTest, RightClickOpensTheContextMenuWithItsItemsInOrder) {
  struct Case {
    const char* ini;
    bool defaultEnabled;
    bool backgroundImage;
  } const kCases[] = {{"", false, false}, {"OpenWidth=640\r\nOpenHeight=480\r\nBackgroundImage=1\r\n", true, true}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.ini);
    tb::PluginCopy copy(std::string("[Setup]\r\n") + c.ini + "RSVGPath=" + tb::Narrow(tb::ProgramFolder()) +
                        "rsvg\\rsvg-convert.exe\r\n");
    tb::Plugin own(copy.PluginPath());
    ASSERT_TRUE(own.Loaded()) << own.Problem();
    tb::ListerWindow lister({.file = kShapes});
    HWND viewer = own.ListLoadW(lister.Handle(), kShapes.c_str(), 0);
    ASSERT_NE(viewer, nullptr);
    tb::PumpMessages();
    g_menu = {};
    SetTimer(nullptr, 0, 50, &ReadOpenMenu);
    HWND box = ImageBoxOf(viewer);
    SendMessageW(box, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
    SendMessageW(box, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(g_menu.items,
              (std::vector<std::wstring>{L"Copy to Clipboard", L"Convert File...", L"-", L"Reload Image",
                                         L"Toggle Fit Image\tF", L"Background Color...",
                                         c.backgroundImage ? L"Background Image\tCtrl+B|c" : L"Background Image\tCtrl+B",
                                         L"Image Background Color...", L"Source...", L"-", L"Close"}));
    EXPECT_EQ(g_menu.reload, (std::vector<std::wstring>{c.defaultEnabled ? L"Default Size" : L"Default Size|g",
                                                        L"Original Size\tE", L"Screen Size\tS", L"Window Size\tW",
                                                        L"Fit Big\tB"}));
    // A reload by its key checks its item.
    PressKey(viewer, 'W');
    g_menu = {};
    SetTimer(nullptr, 0, 50, &ReadOpenMenu);
    SendMessageW(box, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
    SendMessageW(box, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
    ASSERT_EQ(g_menu.reload.size(), 5u);
    EXPECT_EQ(g_menu.reload[3], L"Window Size\tW|c");
    own.ListCloseWindow(viewer);
  }
}

// Opens "Reload Image" with Shift held, then reads the submenu as it shows: it is filled when it
// opens, so "Screen Double Size" appears only then.
HMENU g_topMenu = nullptr;
void CALLBACK ReadReloadSubmenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  // The item that opens a submenu ("Reload Image"), wherever it stands.
  for (int i = 0; g_topMenu && i < GetMenuItemCount(g_topMenu); ++i)
    if (HMENU sub = GetSubMenu(g_topMenu, i)) {
      g_menu.reload = MenuTexts(sub);
      break;
    }
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_SHIFT] = 0;
  SetKeyboardState(state);
  EndMenu();
}
void CALLBACK OpenReloadSubmenuWithShift(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (!popup) return;
  KillTimer(nullptr, timer);
  g_topMenu = reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_SHIFT] = 0x80;
  SetKeyboardState(state);
  // "Copy to Clipboard", "Convert File...", then past the separator to "Reload Image".
  for (int i = 0; i < 3; ++i) PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(popup, WM_KEYDOWN, VK_RIGHT, 0);  // open its submenu
  SetTimer(nullptr, 0, 300, &ReadReloadSubmenu);
}

TEST_F(ViewerTest, ReloadSubmenuShowsScreenDoubleSizeWhenOpenedWithShift) {
  tb::ListerWindow lister({.file = kShapes});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kShapes.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  tb::PumpMessages();
  g_menu = {};
  g_topMenu = nullptr;
  SetTimer(nullptr, 0, 50, &OpenReloadSubmenuWithShift);
  HWND box = ImageBoxOf(viewer);
  SendMessageW(box, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
  SendMessageW(box, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
  ASSERT_EQ(g_menu.reload.size(), 6u);
  EXPECT_EQ(g_menu.reload[3], L"Screen Double Size");
  plugin.ListCloseWindow(viewer);
}

TEST_F(ViewerTest, RightClickOnTheBottomBarOpensNoMenu) {
  tb::ListerWindow lister({.file = kShapes});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kShapes.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  tb::PumpMessages();
  HWND info = nullptr;
  for (HWND w : Descendants(viewer))
    if (ClassOf(w) == L"PictaraPanel" && GetDlgCtrlID(w) == pictara::idPanInfo) info = w;
  ASSERT_NE(info, nullptr);
  g_menu = {};
  // An open menu would run its own message loop and so this timer, which reads and closes it.
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, &ReadOpenMenu);
  SendMessageW(info, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  SendMessageW(info, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_menu.items.empty());
  plugin.ListCloseWindow(viewer);
}

TEST_F(ViewerTest, TwoHundredOpenCloseCyclesLeaveNoWindowFileOrObjectBehind) {
  tb::ListerWindow lister({.file = kShapes});
  auto cycle = [&] {
    HWND viewer = plugin.ListLoadW(lister.Handle(), kShapes.c_str(), 0);
    ASSERT_NE(viewer, nullptr);
    tb::PumpMessages();
    PressKey(viewer, VK_ADD);  // a zoomed repaint as well
    tb::CaptureWindow(lister.Handle());
    plugin.ListCloseWindow(viewer);
    EXPECT_FALSE(IsWindow(viewer));
    EXPECT_TRUE(lister.Children().empty());
    EXPECT_EQ(FilesIn(temp_), 0);
  };
  // The first viewer loads what every later one shares (glyphs, classes, fonts).
  for (int i = 0; i < 3; ++i) cycle();
  tb::PumpMessages();
  const tb::ObjectCounts before = tb::CountObjects();
  for (int i = 0; i < 200 && !HasFatalFailure(); ++i) cycle();
  tb::PumpMessages();
  const tb::ObjectCounts after = tb::CountObjects();
  EXPECT_EQ(after.windows, before.windows);
  // The system's own counts only where it keeps them: Wine answers 0, which could never fail.
  if (before.gdi != 0 || before.user != 0) {
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
  }
  EXPECT_LE(after.gdiSlot, before.gdiSlot + 8) << "GDI handles in use grew from " << before.gdiSlot;
  EXPECT_LE(after.gdiLive, before.gdiLive + 8) << "live GDI objects grew from " << before.gdiLive;
  std::printf("objects before/after 200 cycles: GetGuiResources GDI %lu/%lu USER %lu/%lu, windows %zu/%zu, "
              "highest GDI slot %zu/%zu, live GDI objects %zu/%zu\n",
              before.gdi, after.gdi, before.user, after.user, before.windows, after.windows,
              static_cast<size_t>(before.gdiSlot), static_cast<size_t>(after.gdiSlot), before.gdiLive, after.gdiLive);
}

}  // namespace
