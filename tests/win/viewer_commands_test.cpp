// The viewer's dialog and clipboard commands through the real plug-in, the real converter and the
// system's own dialogs, driven as a user drives them: the context menu opened with the right
// mouse button, its item chosen with the arrow keys and Enter, the dialogs found on the screen and
// their buttons pressed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/image_codec.h"
#include "testbed/testbed.h"

namespace tb = pictara::testbed;

namespace {

using tb::ClassOf;
using tb::TextOf;

// 100 x 50: opaque blue at x 0..49, y 0..39; half-transparent red at x 50..99, y 0..39; the rows
// 40..49 transparent.
const std::wstring kDrawing = tb::FixturePath("viewer/half_transparent100x50.svg");
const std::wstring kWide = tb::FixturePath("viewer/wide2000x1000.svg");

// Positions of the context menu's items, counted as the arrow keys walk them (separators skipped).
constexpr int kMenuCopyToClipboard = 1;
constexpr int kMenuConvertFile = 2;
constexpr int kMenuBackgroundColor = 5;
constexpr int kMenuImageBackgroundColor = 7;

BOOL CALLBACK CollectWindow(HWND w, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}



HWND ImageBoxOf(HWND viewer) {
  std::vector<HWND> all;
  EnumChildWindows(viewer, &CollectWindow, reinterpret_cast<LPARAM>(&all));
  for (HWND w : all)
    if (ClassOf(w) == L"PictaraZoomImageBox") return w;
  return nullptr;
}

// A visible top-level window of this thread with the class name.
HWND FindShownWindow(const wchar_t* cls) {
  std::vector<HWND> all;
  EnumThreadWindows(GetCurrentThreadId(), &CollectWindow, reinterpret_cast<LPARAM>(&all));
  for (HWND w : all)
    if (IsWindowVisible(w) && ClassOf(w) == cls) return w;
  return nullptr;
}

std::string ReadText(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string IniWithConverter(const std::string& more = "") {
  return "[Setup]\r\nRSVGPath=" + tb::Narrow(tb::ProgramFolder()) + "rsvg\\rsvg-convert.exe\r\n" + more;
}

// Screenshots for a person to look at, only when PICTARA_SCREENSHOT_DIR names a folder.
void KeepScreenshot(HWND window, const std::wstring& name) {
  wchar_t dir[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"PICTARA_SCREENSHOT_DIR", dir, MAX_PATH)) return;
  tb::SavePng(tb::CaptureWindow(window), std::wstring(dir) + L"\\" + name +
                                             (sizeof(void*) == 8 ? L"-64.png" : L"-32.png"));
}

// ---- The user at work ----------------------------------------------------------------------------
// While the viewer's menu or a dialog runs its own modal loop, a thread timer takes the next
// step whenever its window is there. A step returns true when it is done. Whatever is still open
// after the time limit is cancelled, so that a failing test never waits for a person.

std::vector<std::function<bool()>> g_steps;
size_t g_next = 0;
DWORD g_deadline = 0;
bool g_inStep = false;

// Message boxes seen while driving (the error report, the save dialog's question before it
// replaces a file), each answered with its first button (OK or Yes).
struct SeenBox {
  std::wstring caption, text;
};
std::vector<SeenBox> g_boxes;

// A message box holds nothing but buttons and texts; the system's other dialogs have edits and lists.
bool IsMessageBox(HWND dialog) {
  std::vector<HWND> all;
  EnumChildWindows(dialog, &CollectWindow, reinterpret_cast<LPARAM>(&all));
  for (HWND w : all)
    if (ClassOf(w) != L"Button" && ClassOf(w) != L"Static") return false;
  return !all.empty();
}

bool AnswerMessageBox() {
  std::vector<HWND> all;
  EnumThreadWindows(GetCurrentThreadId(), &CollectWindow, reinterpret_cast<LPARAM>(&all));
  for (HWND w : all) {
    if (!IsWindowVisible(w) || ClassOf(w) != L"#32770" || !IsMessageBox(w)) continue;
    g_boxes.push_back({TextOf(w), TextOf(GetDlgItem(w, 0xFFFF))});
    PostMessageW(w, WM_COMMAND, GetDlgItem(w, IDYES) ? IDYES : IDOK, 0);
    return true;
  }
  return false;
}

void CancelEverything() {
  EndMenu();
  for (const wchar_t* cls : {L"#32770", L"PictaraSizeDialog"})
    if (HWND w = FindShownWindow(cls)) PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
}

void CALLBACK RunSteps(HWND, UINT, UINT_PTR, DWORD) {
  if (g_inStep) return;
  g_inStep = true;
  if (GetTickCount() > g_deadline) CancelEverything();
  else if (AnswerMessageBox()) {
  } else if (g_next < g_steps.size() && g_steps[g_next]()) {
    ++g_next;
  }
  g_inStep = false;
}

// Runs `action` (which opens the menu) while the steps are taken; true when all were done.
bool Drive(const std::function<void()>& action, std::vector<std::function<bool()>> steps) {
  g_steps = std::move(steps);
  g_next = 0;
  g_deadline = GetTickCount() + 20000;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, &RunSteps);
  action();
  // Steps after the last modal loop (none normally) still get their turn.
  while (g_next < g_steps.size() && GetTickCount() <= g_deadline) tb::PumpMessages(50);
  tb::PumpMessages(100);
  KillTimer(nullptr, timer);
  return g_next == g_steps.size();
}

void RightClick(HWND viewer) {
  HWND box = ImageBoxOf(viewer);
  SendMessageW(box, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
  SendMessageW(box, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
}

// The open context menu: the item at `position` chosen with the arrow keys and Enter.
std::function<bool()> ChooseMenuItem(int position) {
  return [position] {
    HWND popup = FindWindowW(L"#32768", nullptr);
    if (!popup || !IsWindowVisible(popup)) return false;
    for (int i = 0; i < position; ++i) PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    return true;
  };
}

// Posted, so that a box the press opens (the question before replacing a file) runs its loop
// outside this step.
void Press(HWND dialog, int buttonId) { PostMessageW(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0); }

// The system's colour dialog, fully open: its red, green and blue boxes.
constexpr int kColorRed = 706, kColorGreen = 707, kColorBlue = 708;

struct ColourDialogSeen {
  bool shown = false;
  bool ownedByLister = false;
  int red = -1, green = -1, blue = -1;
};

// Reads the colour the dialog starts with, types `rgb` (when given) and presses OK or Cancel.
std::function<bool()> AnswerColourDialog(ColourDialogSeen& seen, HWND lister, bool ok, COLORREF rgb) {
  return [&seen, lister, ok, rgb] {
    HWND dialog = FindShownWindow(L"#32770");
    if (!dialog || !GetDlgItem(dialog, kColorRed) || IsMessageBox(dialog)) return false;
    seen.shown = true;
    seen.ownedByLister = GetWindow(dialog, GW_OWNER) == lister;
    seen.red = static_cast<int>(GetDlgItemInt(dialog, kColorRed, nullptr, FALSE));
    seen.green = static_cast<int>(GetDlgItemInt(dialog, kColorGreen, nullptr, FALSE));
    seen.blue = static_cast<int>(GetDlgItemInt(dialog, kColorBlue, nullptr, FALSE));
    KeepScreenshot(dialog, L"colour-dialog");
    if (ok) {
      SetDlgItemInt(dialog, kColorRed, GetRValue(rgb), FALSE);
      SetDlgItemInt(dialog, kColorGreen, GetGValue(rgb), FALSE);
      SetDlgItemInt(dialog, kColorBlue, GetBValue(rgb), FALSE);
    }
    Press(dialog, ok ? IDOK : IDCANCEL);
    return true;
  };
}

// The system's save dialog: the name typed into its file-name box, then Save.
std::function<bool()> AnswerSaveDialog(const std::wstring& name, std::wstring* proposed = nullptr) {
  return [name, proposed] {
    HWND dialog = FindShownWindow(L"#32770");
    if (!dialog || GetDlgItem(dialog, kColorRed) || IsMessageBox(dialog)) return false;
    HWND box = GetDlgItem(dialog, 0x480 /* edt1 */);
    if (!box) box = GetDlgItem(dialog, 0x47c /* cmb13 */);
    if (!box) return false;
    if (proposed) *proposed = TextOf(box);
    SetWindowTextW(box, name.c_str());
    Press(dialog, IDOK);
    return true;
  };
}

struct SizeDialogSeen {
  bool shown = false;
  std::wstring caption, info, width, height;
  std::vector<std::wstring> rows;
  std::vector<std::wstring> texts;  // every child's window text, in creation order
};

// The size dialog: reads what it shows, picks list row `row` as a user does and presses OK (or
// Cancel when row is negative).
std::function<bool()> AnswerSizeDialog(SizeDialogSeen& seen, int row) {
  return [&seen, row] {
    HWND dialog = FindShownWindow(L"PictaraSizeDialog");
    if (!dialog) return false;
    seen.shown = true;
    seen.caption = TextOf(dialog);
    std::vector<HWND> all;
    EnumChildWindows(dialog, &CollectWindow, reinterpret_cast<LPARAM>(&all));
    HWND combo = nullptr;
    std::vector<HWND> edits;
    for (HWND w : all) {
      seen.texts.push_back(TextOf(w));
      if (ClassOf(w) == L"ComboBox") combo = w;
      if (ClassOf(w) == L"Edit") edits.push_back(w);
    }
    if (!all.empty()) seen.info = TextOf(all.front());
    if (edits.size() == 2) {
      seen.width = TextOf(edits[0]);
      seen.height = TextOf(edits[1]);
    }
    if (combo) {
      const int n = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < n; ++i) {
        wchar_t text[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        seen.rows.push_back(text);
      }
    }
    KeepScreenshot(dialog, L"size-dialog");
    if (row < 0 || !combo) {
      Press(dialog, IDCANCEL);
      return true;
    }
    // Choosing a row from the list as the mouse does: the selection changes and the dialog hears of it.
    SendMessageW(combo, CB_SETCURSEL, row, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    Press(dialog, IDOK);
    return true;
  };
}

// The PNG's size and colour type from its header; {0, 0, -1} when it is no PNG.
struct PngHeader {
  int width = 0, height = 0, colorType = -1;
};
PngHeader ReadPngHeader(const std::string& bytes) {
  PngHeader h;
  if (bytes.size() < 26 || bytes.compare(1, 3, "PNG") != 0) return h;
  auto be32 = [&](size_t at) {
    return int((uint8_t(bytes[at]) << 24) | (uint8_t(bytes[at + 1]) << 16) | (uint8_t(bytes[at + 2]) << 8) |
               uint8_t(bytes[at + 3]));
  };
  h.width = be32(16);
  h.height = be32(20);
  h.colorType = uint8_t(bytes[25]);
  return h;
}

// Walks the chunks: true when the last one is IEND and ends exactly at the end of the bytes.
bool EndsExactlyWithIend(const std::string& bytes) {
  size_t at = 8;
  while (at + 12 <= bytes.size()) {
    const size_t length = (size_t(uint8_t(bytes[at])) << 24) | (size_t(uint8_t(bytes[at + 1])) << 16) |
                          (size_t(uint8_t(bytes[at + 2])) << 8) | uint8_t(bytes[at + 3]);
    const bool iend = bytes.compare(at + 4, 4, "IEND") == 0;
    at += 12 + length;
    if (iend) return at == bytes.size();
  }
  return false;
}

// Files the converter leaves in the temporary folder under our own names (svg<number>.*).
int OwnTemporaryFiles() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((std::wstring(temp) + L"svg*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do {
    const std::wstring name = data.cFileName;
    n += name.size() > 3 && iswdigit(name[3]);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return n;
}

class ViewerCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_ = tb::NewTempFolder(L"pictara-commands-");
    g_boxes.clear();
  }
  void TearDown() override { tb::RemoveTree(temp_); }
  std::wstring temp_;
};

// ---- Colours ------------------------------------------------------------------------------------

TEST_F(ViewerCommandsTest, ColourDialogsFromTheMenuWriteTheChosenColourCancelChangesNothing) {
  const COLORREF chosen = RGB(0x12, 0x34, 0x56);
  struct Case {
    const char* name;
    int menuItem;
    int flags;
    bool ok;
    const char* written;  // expected line in the settings file; nullptr: file unchanged
    bool boxColourChanges;
  } const kCases[] = {
      {"background, light", kMenuBackgroundColor, 0, true, "BackgroundColor=$00563412", true},
      {"image background, dark", kMenuImageBackgroundColor, tb::kShowFlagDarkMode, true,
       "ImageBackgroundColorDark=5649426", false},
      {"background cancelled", kMenuBackgroundColor, 0, false, nullptr, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    tb::PluginCopy copy(IniWithConverter());
    tb::Plugin plugin(copy.PluginPath());
    ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
    tb::ListerWindow lister({.file = kDrawing});
    HWND viewer = plugin.ListLoadW(lister.Handle(), kDrawing.c_str(), c.flags);
    ASSERT_NE(viewer, nullptr);
    tb::PumpMessages(300);
    const std::string before = ReadText(copy.Folder() + L"Pictara.ini");
    const uint32_t cornerBefore = tb::CaptureWindow(ImageBoxOf(viewer)).Pixel(2, 2);

    ColourDialogSeen seen;
    ASSERT_TRUE(Drive([&] { RightClick(viewer); },
                      {ChooseMenuItem(c.menuItem), AnswerColourDialog(seen, lister.Handle(), c.ok, chosen)}));
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(seen.ownedByLister) << "owned by the viewer's window";
    // Fresh settings: white around the picture in light, 202020 in dark, and the same under it.
    const int start = c.flags ? 0x20 : 0xFF;
    EXPECT_EQ(seen.red, start);
    EXPECT_EQ(seen.green, start);
    EXPECT_EQ(seen.blue, start);

    const std::string after = ReadText(copy.Folder() + L"Pictara.ini");
    if (c.written) {
      EXPECT_NE(after.find(c.written), std::string::npos) << after;
    } else {
      EXPECT_EQ(after, before);
    }
    const uint32_t corner = tb::CaptureWindow(ImageBoxOf(viewer)).Pixel(2, 2);
    EXPECT_EQ(corner, c.boxColourChanges ? tb::FromColorRef(chosen) : cornerBefore);
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_TRUE(IsWindowEnabled(lister.Handle()));
    plugin.ListCloseWindow(viewer);
  }
}

// ---- Clipboard ------------------------------------------------------------------------------------

struct ClipboardSeen {
  int bitmapWidth = 0, bitmapHeight = 0, bitmapBits = 0;
  bool hasPng = false;
  std::string png;
  size_t pngBlockSize = 0;
};

ClipboardSeen ReadClipboard() {
  ClipboardSeen seen;
  if (!OpenClipboard(nullptr)) return seen;
  if (HANDLE bitmap = GetClipboardData(CF_BITMAP)) {
    BITMAP info{};
    if (GetObjectW(bitmap, sizeof(info), &info)) {
      seen.bitmapWidth = info.bmWidth;
      seen.bitmapHeight = info.bmHeight;
      seen.bitmapBits = info.bmBitsPixel;
    }
  }
  const UINT png = RegisterClipboardFormatW(L"PNG");
  seen.hasPng = IsClipboardFormatAvailable(png) != 0;
  if (HANDLE block = GetClipboardData(png)) {
    seen.pngBlockSize = GlobalSize(block);
    if (const void* data = GlobalLock(block)) {
      seen.png.assign(static_cast<const char*>(data), seen.pngBlockSize);
      GlobalUnlock(block);
    }
  }
  CloseClipboard();
  return seen;
}

void EmptyTheClipboard() {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
}

TEST_F(ViewerCommandsTest, CopyToClipboardPlacesTheNaturalSizeBitmapAndTheExactPng) {
  struct Case {
    const char* name;
    const std::wstring* file;
    const char* ini;
    int width, height;
    bool png;
  } const kCases[] = {
      {"half-transparent drawing", &kDrawing, "", 100, 50, true},
      {"large drawing shown zoomed out to fit", &kWide, "", 2000, 1000, true},
      {"no PNG wanted", &kDrawing, "CopyPngToClipboard=0\r\n", 100, 50, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    tb::PluginCopy copy(IniWithConverter(c.ini));
    tb::Plugin plugin(copy.PluginPath());
    ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
    tb::ListerWindow lister({.file = *c.file});
    HWND viewer = plugin.ListLoadW(lister.Handle(), c.file->c_str(), 0);
    ASSERT_NE(viewer, nullptr);
    tb::PumpMessages(100);
    EmptyTheClipboard();

    ASSERT_TRUE(Drive([&] { RightClick(viewer); }, {ChooseMenuItem(kMenuCopyToClipboard)}));
    tb::PumpMessages(100);
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_WAIT)) << "busy cursor reset";

    const ClipboardSeen seen = ReadClipboard();
    EXPECT_EQ(seen.bitmapWidth, c.width);
    EXPECT_EQ(seen.bitmapHeight, c.height);
    EXPECT_EQ(seen.bitmapBits, 24);
    EXPECT_EQ(seen.hasPng, c.png);
    if (c.png) {
      EXPECT_EQ(seen.pngBlockSize, seen.png.size());
      EXPECT_TRUE(EndsExactlyWithIend(seen.png)) << "a complete PNG file, nothing after it";
      const PngHeader header = ReadPngHeader(seen.png);
      EXPECT_EQ(header.width, c.width);
      EXPECT_EQ(header.height, c.height);
      if (c.file == &kDrawing) {
        const std::optional<pictara::PngImage> decoded = pictara::DecodePng(seen.png);
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(decoded->PixelAt(10, 10).a, 255) << "opaque blue";
        EXPECT_EQ(decoded->PixelAt(10, 10).b, 255);
        EXPECT_NEAR(decoded->PixelAt(75, 10).a, 128, 2) << "half-transparent red";
        EXPECT_EQ(decoded->PixelAt(50, 45).a, 0) << "transparent strip";
      }
    }
    plugin.ListCloseWindow(viewer);
  }
}

TEST_F(ViewerCommandsTest, AClipboardHeldByAnotherProgramGivesTheErrorAndIsReleased) {
  tb::PluginCopy copy(IniWithConverter());
  tb::Plugin plugin(copy.PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::ListerWindow lister({.file = kDrawing});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kDrawing.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  tb::PumpMessages(100);

  // Another program's thread opens the clipboard and keeps it until told to let go.
  HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool heldOpen = false;
  std::thread other([&] {
    heldOpen = OpenClipboard(nullptr) != 0;
    SetEvent(opened);
    WaitForSingleObject(release, 30000);
    if (heldOpen) CloseClipboard();
  });
  WaitForSingleObject(opened, 10000);
  ASSERT_TRUE(heldOpen);

  const bool driven = Drive([&] { RightClick(viewer); }, {ChooseMenuItem(kMenuCopyToClipboard)});
  SetEvent(release);
  other.join();
  CloseHandle(opened);
  CloseHandle(release);
  ASSERT_TRUE(driven);

  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].caption, L"Pictara Error");
  EXPECT_EQ(g_boxes[0].text, L"EClipboardException\rCannot open clipboard");
  EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_WAIT)) << "busy cursor reset";
  // Nothing of ours holds the clipboard: it opens, and the next copy works.
  ASSERT_TRUE(OpenClipboard(nullptr));
  CloseClipboard();
  ASSERT_TRUE(Drive([&] { RightClick(viewer); }, {ChooseMenuItem(kMenuCopyToClipboard)}));
  EXPECT_EQ(ReadClipboard().bitmapWidth, 100);
  EXPECT_EQ(g_boxes.size(), 1u);
  plugin.ListCloseWindow(viewer);
}

// ---- Convert File ---------------------------------------------------------------------------------

TEST_F(ViewerCommandsTest, ConvertFileWritesAPngFittedIntoTheChosenBoxWhateverTheTypedExtension) {
  tb::PluginCopy copy(IniWithConverter());
  tb::Plugin plugin(copy.PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::ListerWindow lister({.file = kDrawing});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kDrawing.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  tb::PumpMessages(100);
  const int leftBefore = OwnTemporaryFiles();

  const std::wstring target = temp_ + L"big.jpg";
  std::wstring proposed;
  SizeDialogSeen seen;
  constexpr int kRow3840x2160 = 3 + 7;  // after the starting size, the screen size and a separator
  ASSERT_TRUE(Drive([&] { RightClick(viewer); },
                    {ChooseMenuItem(kMenuConvertFile), AnswerSaveDialog(target, &proposed),
                     AnswerSizeDialog(seen, kRow3840x2160)}));
  EXPECT_EQ(proposed, L"half_transparent100x50.png");
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.caption, L"Select max image dimensions");
  EXPECT_EQ(seen.info, L"Please enter maximal image dimensions for save to PNG:");
  EXPECT_EQ(seen.width, L"100");
  EXPECT_EQ(seen.height, L"50");
  ASSERT_EQ(seen.rows.size(), 25u);
  EXPECT_EQ(seen.rows[0], L"100 x 50");
  EXPECT_EQ(seen.rows[1], std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L" x " +
                              std::to_wstring(GetSystemMetrics(SM_CYSCREEN)));
  EXPECT_EQ(seen.rows[2], L"");
  EXPECT_EQ(seen.rows[kRow3840x2160], L"3840 x 2160");
  // Every label and button is found by its caption.
  for (const wchar_t* caption : {L"Max Image Width:", L"Max Image Height:", L"Predefined Size:", L"<>", L"OK", L"Cancel"})
    EXPECT_NE(std::find(seen.texts.begin(), seen.texts.end(), caption), seen.texts.end()) << tb::Narrow(caption);

  EXPECT_TRUE(g_boxes.empty());
  const PngHeader header = ReadPngHeader(ReadText(target));
  EXPECT_EQ(header.width, 3840);
  EXPECT_EQ(header.height, 1920);
  EXPECT_EQ(OwnTemporaryFiles(), leftBefore) << "no temporary file left";
  EXPECT_TRUE(IsWindowEnabled(lister.Handle())) << "the viewer takes input again";
  plugin.ListCloseWindow(viewer);
}

TEST_F(ViewerCommandsTest, ConvertFileCancelledInTheSizeDialogWritesNothing) {
  tb::PluginCopy copy(IniWithConverter());
  tb::Plugin plugin(copy.PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::ListerWindow lister({.file = kDrawing});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kDrawing.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  const std::wstring target = temp_ + L"never.png";
  SizeDialogSeen seen;
  ASSERT_TRUE(Drive([&] { RightClick(viewer); },
                    {ChooseMenuItem(kMenuConvertFile), AnswerSaveDialog(target), AnswerSizeDialog(seen, -1)}));
  EXPECT_TRUE(seen.shown);
  EXPECT_FALSE(Exists(target));
  EXPECT_TRUE(g_boxes.empty());
  EXPECT_TRUE(IsWindowEnabled(lister.Handle()));
  plugin.ListCloseWindow(viewer);
}

TEST_F(ViewerCommandsTest, ConvertFileFailuresLeaveTheTargetAsItWasAndNoTemporaryFile) {
  // The converter is a copy of the real one beside the plug-in, so that it can be taken away
  // after the drawing is shown.
  tb::PluginCopy copy("[Setup]\r\nRSVGPath=" + tb::Narrow(temp_) + "rsvg-convert.exe\r\n");
  ASSERT_TRUE(CopyFileW((tb::ProgramFolder() + L"rsvg\\rsvg-convert.exe").c_str(),
                        (temp_ + L"rsvg-convert.exe").c_str(), FALSE));
  tb::Plugin plugin(copy.PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::ListerWindow lister({.file = kDrawing});
  HWND viewer = plugin.ListLoadW(lister.Handle(), kDrawing.c_str(), 0);
  ASSERT_NE(viewer, nullptr);
  const int leftBefore = OwnTemporaryFiles();

  {
    SCOPED_TRACE("locked target");
    const std::wstring target = temp_ + L"locked.png";
    {
      std::ofstream(target.c_str(), std::ios::binary) << "old content";
    }
    HANDLE lock = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    SizeDialogSeen seen;
    // The save dialog asks before replacing the file: the watcher answers that box.
    ASSERT_TRUE(Drive([&] { RightClick(viewer); },
                      {ChooseMenuItem(kMenuConvertFile), AnswerSaveDialog(target), AnswerSizeDialog(seen, 0)}));
    CloseHandle(lock);
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(ReadText(target), "old content");
    EXPECT_EQ(OwnTemporaryFiles(), leftBefore);
    for (const auto& box : g_boxes) EXPECT_NE(box.caption, L"Pictara Error") << tb::Narrow(box.text);
  }
  {
    SCOPED_TRACE("renderer fails");
    ASSERT_TRUE(DeleteFileW((temp_ + L"rsvg-convert.exe").c_str()));
    const size_t boxesBefore = g_boxes.size();
    const std::wstring target = temp_ + L"failed.png";
    SizeDialogSeen seen;
    ASSERT_TRUE(Drive([&] { RightClick(viewer); },
                      {ChooseMenuItem(kMenuConvertFile), AnswerSaveDialog(target), AnswerSizeDialog(seen, 0)}));
    ASSERT_EQ(g_boxes.size(), boxesBefore + 1);
    EXPECT_EQ(g_boxes.back().caption, L"Pictara Error");
    EXPECT_NE(g_boxes.back().text.find(L"Convert Error"), std::wstring::npos) << tb::Narrow(g_boxes.back().text);
    EXPECT_FALSE(Exists(target));
    EXPECT_EQ(OwnTemporaryFiles(), leftBefore);
    EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_WAIT)) << "busy cursor reset";
  }
  plugin.ListCloseWindow(viewer);
}

// ---- Screenshots for a person to look at ---------------------------------------------------------

TEST_F(ViewerCommandsTest, ChessboardScreenshotsInLightAndDark) {
  wchar_t dir[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"PICTARA_SCREENSHOT_DIR", dir, MAX_PATH)) GTEST_SKIP() << "no screenshot folder";
  tb::PluginCopy copy(IniWithConverter("BackgroundImage=1\r\n"));
  tb::Plugin plugin(copy.PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  for (int flags : {0, tb::kShowFlagDarkMode}) {
    tb::ListerWindow lister({.file = kDrawing});
    HWND viewer = plugin.ListLoadW(lister.Handle(), kDrawing.c_str(), flags);
    ASSERT_NE(viewer, nullptr);
    tb::PumpMessages(500);
    KeepScreenshot(lister.Handle(), flags ? L"chessboard-dark" : L"chessboard-light");
    plugin.ListCloseWindow(viewer);
  }
}

}  // namespace
