// The source window under Wine with the real plug-in, opened as a user opens it: the viewer's
// context menu, "Source...". The window is modal, so each test's checks run from a timer inside
// its message loop, and then close it.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "testbed/hostile.h"
#include "testbed/testbed.h"

namespace tb = pictara::testbed;

namespace {

using tb::ClassOf;
using tb::Descendants;
using tb::TextOf;

const std::wstring kThree = tb::FixturePath("source/three.svg");

HWND ChildOfClass(HWND parent, const std::wstring& cls) {
  for (HWND w : Descendants(parent))
    if (ClassOf(w) == cls) return w;
  return nullptr;
}
HWND ChildWithText(HWND parent, const std::wstring& text) {
  for (HWND w : Descendants(parent))
    if (TextOf(w) == text) return w;
  return nullptr;
}
HWND LinesLabel(HWND form) {
  for (HWND w : Descendants(form))
    if (TextOf(w).rfind(L"Lines: ", 0) == 0) return w;
  return nullptr;
}

void Click(HWND w) {
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

void KeyDown(HWND w, UINT key, bool ctrl = false) {
  BYTE state[256] = {};
  if (ctrl) state[VK_CONTROL] = 0x80;
  SetKeyboardState(state);
  SendMessageW(w, WM_KEYDOWN, key, 0);
  BYTE none[256] = {};
  SetKeyboardState(none);
}

// The whole text of the view, as Ctrl+A, Ctrl+C put it on the clipboard.
std::wstring CopiedText(HWND view) {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  KeyDown(view, 'A', true);
  KeyDown(view, 'C', true);
  std::wstring out;
  if (!OpenClipboard(nullptr)) return L"<no clipboard>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      out = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return out;
}

bool WriteBytes(const std::wstring& file, const std::string& bytes) {
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(h);
  return ok;
}

// With PICTARA_SOURCE_SHOTS set to a folder, the window as it looks is saved there for a person to
// look at.
void SaveShot(HWND form, const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"PICTARA_SOURCE_SHOTS", folder, MAX_PATH)) return;
  tb::SavePng(tb::CaptureWindow(form), std::wstring(folder) + L"\\" + name + L".png");
}

int CountPixels(const tb::Screenshot& shot, uint32_t rgb) {
  int n = 0;
  for (uint32_t p : shot.pixels) n += p == rgb;
  return n;
}

// The items of the context menu that opens, "text" or "text|g" when greyed; then it is closed.
std::vector<std::wstring> g_menuItems;
void CALLBACK ReadMenuAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (!popup) return;
  KillTimer(nullptr, timer);
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
  for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
    wchar_t text[64] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 64;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    g_menuItems.push_back(std::wstring(text) + ((info.fState & MFS_DISABLED) ? L"|g" : L""));
  }
  EndMenu();
}
std::vector<std::wstring> ContextMenuOf(HWND view) {
  g_menuItems.clear();
  SetTimer(nullptr, 0, 50, &ReadMenuAndClose);
  SendMessageW(view, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view), MAKELPARAM(-1, -1));  // from the keyboard
  return g_menuItems;
}

// ---- Opening the window from the menu and running checks inside it ------------------------------

std::function<void(HWND form)> g_checks;
bool g_seen = false;
int g_waits = 0;
// Set by a check that closes the window itself: the window is then closed only after a second,
// and g_closedLate says it had to be.
bool g_checksClose = false;
bool g_closedLate = false;

void CALLBACK CloseLate(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (HWND form = FindWindowW(L"PictaraSourceWindow", nullptr)) {
    g_closedLate = true;
    PostMessageW(form, WM_CLOSE, 0, 0);
  }
}

void CALLBACK RunChecksInWindow(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND form = FindWindowW(L"PictaraSourceWindow", nullptr);
  if (!form || !IsWindowVisible(form)) {
    if (++g_waits > 40) KillTimer(nullptr, timer);  // two seconds: it is not coming
    return;
  }
  KillTimer(nullptr, timer);
  g_seen = true;
  if (g_checks) g_checks(form);
  if (g_checksClose) SetTimer(nullptr, 0, 1000, &CloseLate);
  else if (IsWindow(form)) PostMessageW(form, WM_CLOSE, 0, 0);  // whatever the checks did
}

void CALLBACK ChooseSourceItem(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (!popup) return;
  KillTimer(nullptr, timer);
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
  int downs = 0;
  for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
    wchar_t text[64] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 64;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    if (info.fType & MFT_SEPARATOR) continue;
    ++downs;
    if (std::wstring(text) == L"Source...") break;
  }
  for (int i = 0; i < downs; ++i) PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
  SetTimer(nullptr, 0, 50, &RunChecksInWindow);
}

class SourceWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(plugin.Loaded()) << plugin.Problem(); }

  // Opens the viewer on the file, then "Source..." from its context menu; checks run while the
  // window is open. True when the source window showed. beforeSource runs between the two.
  bool OpenSource(const std::wstring& file, std::function<void(HWND form)> checks,
                  const std::function<void()>& beforeSource = {}) {
    tb::ListerWindow lister({.file = file});
    HWND viewer = plugin.ListLoadW(lister.Handle(), file.c_str(), 0);
    EXPECT_NE(viewer, nullptr);
    if (!viewer) return false;
    tb::PumpMessages(200);
    if (beforeSource) beforeSource();
    g_checks = [&, checks](HWND form) {
      EXPECT_FALSE(IsWindowEnabled(lister.TopLevel())) << "the viewer waits while the window is open";
      checks(form);
    };
    g_seen = false;
    g_waits = 0;
    g_closedLate = false;
    SetTimer(nullptr, 0, 50, &ChooseSourceItem);
    HWND box = ChildOfClass(viewer, L"PictaraZoomImageBox");
    SendMessageW(box, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
    SendMessageW(box, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
    tb::PumpMessages(2200);  // when nothing opened: the checks' timer runs out
    g_checks = nullptr;
    EXPECT_EQ(FindWindowW(L"PictaraSourceWindow", nullptr), nullptr) << "closed and gone";
    EXPECT_TRUE(IsWindowEnabled(lister.TopLevel()));
    plugin.ListCloseWindow(viewer);
    return g_seen;
  }

  tb::Plugin plugin;
};

TEST_F(SourceWindowTest, ShowsTheTextWithCaptionLineCountAndColours) {
  const bool shown = OpenSource(kThree, [](HWND form) {
    EXPECT_EQ(TextOf(form), L"Source of " + kThree);
    ASSERT_NE(LinesLabel(form), nullptr);
    EXPECT_EQ(TextOf(LinesLabel(form)), L"Lines: 3");
    // Every action is a child window named by its caption.
    for (const wchar_t* caption : {L"Word Wrap", L"Highlight", L"Format", L"Info"}) {
      EXPECT_NE(ChildWithText(form, caption), nullptr) << tb::Narrow(caption);
    }
    HWND view = ChildOfClass(form, L"PictaraTextView");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(GetFocus(), view);
    EXPECT_EQ(CopiedText(view), L"<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"210mm\" height=\"297mm\">\r\n"
                                L"<rect id=\"r\" width=\"300\" height=\"400\" fill=\"#ccc\"/>\r\n</svg>");
    // Element names blue, attribute names red; Highlight turns them black, and back.
    const uint32_t blue = tb::Rgb(0, 0, 255), red = tb::Rgb(255, 0, 0);
    EXPECT_EQ(ContextMenuOf(view), (std::vector<std::wstring>{L"Copy", L"Select All"}));
    Click(view);  // the selection collapses
    EXPECT_EQ(ContextMenuOf(view), (std::vector<std::wstring>{L"Copy|g", L"Select All"}));
    const tb::Screenshot on = tb::CaptureWindow(view);
    EXPECT_GT(CountPixels(on, blue), 20);
    EXPECT_GT(CountPixels(on, red), 20);
    SaveShot(form, L"highlighted");
    HWND highlight = ChildWithText(form, L"Highlight");
    Click(highlight);
    const tb::Screenshot off = tb::CaptureWindow(view);
    EXPECT_EQ(CountPixels(off, blue), 0);
    EXPECT_EQ(CountPixels(off, red), 0);
    EXPECT_GT(CountPixels(off, tb::Rgb(0, 0, 0)), CountPixels(on, tb::Rgb(0, 0, 0)));
    SaveShot(form, L"plain");
    // From the keyboard: Space on the focused label.
    SetFocus(highlight);
    KeyDown(highlight, VK_SPACE);
    const tb::Screenshot again = tb::CaptureWindow(view);
    EXPECT_EQ(CountPixels(again, blue), CountPixels(on, blue));
    EXPECT_EQ(CountPixels(again, red), CountPixels(on, red));
    // Word wrap in a narrow window: the long line takes several rows, with no horizontal bar.
    EXPECT_TRUE(GetWindowLongPtrW(view, GWL_STYLE) & WS_HSCROLL);
    Click(ChildWithText(form, L"Word Wrap"));
    SetWindowPos(form, nullptr, 0, 0, 420, 300, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_FALSE(GetWindowLongPtrW(view, GWL_STYLE) & WS_HSCROLL);
    SaveShot(form, L"wrapped");
  });
  EXPECT_TRUE(shown);
}

TEST_F(SourceWindowTest, DecodesCompressedAndOtherEncodings) {
  struct Case {
    const char* file;
    const wchar_t* contains;
  } const kCases[] = {
      {"source/packed.svgz", L"<text id=\"t\">packed text</text>"},
      {"source/latin1.svg", L"caf\u00e9 na\u00efve"},
      {"source/utf16le.svg", L"\u0141\u00f3d\u017a \u20ac"},
  };
  // The viewer shows a drawing it can render; the file then changes to the one of the case (a
  // text the renderer may refuse), which the source window reads afresh.
  tb::TempFolder temp;
  const std::wstring file = temp.Path() + L"drawing.svg";
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.file);
    ASSERT_TRUE(CopyFileW(kThree.c_str(), file.c_str(), FALSE));
    std::wstring text;
    EXPECT_TRUE(OpenSource(
        file, [&](HWND form) { text = CopiedText(ChildOfClass(form, L"PictaraTextView")); },
        [&] { CopyFileW(tb::FixturePath(c.file).c_str(), file.c_str(), FALSE); }));
    EXPECT_NE(text.find(c.contains), std::wstring::npos) << tb::Narrow(text);
    EXPECT_EQ(text.find(L'\uFFFD'), std::wstring::npos);
  }
}

TEST_F(SourceWindowTest, InfoShowsTheReportAndFormatReindents) {
  tb::MessageBoxWatcher boxes;
  EXPECT_TRUE(OpenSource(kThree, [&](HWND form) {
    Click(ChildWithText(form, L"Info"));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Pictara");
    EXPECT_EQ(boxes.Boxes()[0].text.rfind(L"Calculated Dimensions: 744 x 1052", 0), 0u)
        << tb::Narrow(boxes.Boxes()[0].text);
  }));
  EXPECT_TRUE(OpenSource(tb::FixturePath("source/oneline.svg"), [&](HWND form) {
    EXPECT_EQ(TextOf(LinesLabel(form)), L"Lines: 1");
    HWND format = ChildWithText(form, L"Format");
    SetFocus(format);
    KeyDown(format, VK_RETURN);
    const std::wstring lines = TextOf(LinesLabel(form));
    EXPECT_GT(std::stoi(lines.substr(7)), 3) << tb::Narrow(lines);
    HWND view = ChildOfClass(form, L"PictaraTextView");
    ASSERT_NE(view, nullptr) << "the view is made again";
    const std::wstring text = CopiedText(view);
    EXPECT_LT(text.find(L"\r\n"), text.find(L"<rect")) << tb::Narrow(text);
    EXPECT_NE(text.find(L"<circle"), std::wstring::npos) << tb::Narrow(text);
  }));
  EXPECT_EQ(boxes.Boxes().size(), 1u) << "Format shows no box when it works";
}

TEST_F(SourceWindowTest, FormatOfAnUndeclaredCodePageEmptiesTheViewAndReportsIt) {
  tb::MessageBoxWatcher boxes;
  tb::TempFolder temp;
  const std::wstring file = temp.Path() + L"drawing.svg";
  ASSERT_TRUE(CopyFileW(kThree.c_str(), file.c_str(), FALSE));
  const auto becomeLatin1 = [&] { CopyFileW(tb::FixturePath("source/latin1.svg").c_str(), file.c_str(), FALSE); };
  EXPECT_TRUE(OpenSource(file, [&](HWND form) {
    Click(ChildWithText(form, L"Format"));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Pictara Error");
    EXPECT_EQ(TextOf(LinesLabel(form)), L"Lines: 0");
    EXPECT_EQ(CopiedText(ChildOfClass(form, L"PictaraTextView")), L"");
    // Info on an empty text: no svg root, nothing.
    Click(ChildWithText(form, L"Info"));
    EXPECT_EQ(boxes.Boxes().size(), 1u);
  }, becomeLatin1));
}

TEST_F(SourceWindowTest, EscapeClosesFromTheViewAndFromALabel) {
  for (const wchar_t* where : {L"PictaraTextView", L"Info"}) {
    SCOPED_TRACE(tb::Narrow(where));
    g_checksClose = true;
    EXPECT_TRUE(OpenSource(kThree, [&](HWND form) {
      HWND target = ChildOfClass(form, where);
      if (!target) target = ChildWithText(form, where);
      ASSERT_NE(target, nullptr);
      SetFocus(target);
      PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0);
    }));
    g_checksClose = false;
    EXPECT_FALSE(g_closedLate) << "Escape closed the window";
  }
}

TEST_F(SourceWindowTest, FilesThatCannotBeReadOpenNothingAndShowNothing) {
  tb::TempFolder temp;
  const std::wstring file = temp.Path() + L"drawing.svg";
  struct Case {
    const char* name;
    const char* replacement;  // fixture the file becomes after the viewer opened it; null: deleted
  } const kCases[] = {{"missing", nullptr}, {"truncated gzip", "source/truncated.svgz"}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(CopyFileW(kThree.c_str(), file.c_str(), FALSE));
    tb::MessageBoxWatcher boxes;
    const bool shown = OpenSource(file, [](HWND) {}, [&] {
      if (c.replacement) CopyFileW(tb::FixturePath(c.replacement).c_str(), file.c_str(), FALSE);
      else DeleteFileW(file.c_str());
    });
    EXPECT_FALSE(shown);
    EXPECT_TRUE(boxes.Boxes().empty());
  }
}

TEST_F(SourceWindowTest, HostileTextsShowWhatCanBeRead) {
  tb::TempFolder temp;
  const std::wstring file = temp.Path() + L"drawing.svg";
  std::string nested;
  for (int i = 0; i < 100000; ++i) nested += "<g>";
  std::string longLine = "<svg xmlns=\"http://www.w3.org/2000/svg\"><path d=\"";
  while (longLine.size() < 20u * 1024 * 1024) longLine += "M 10 10 L 20 20 ";
  longLine += "\"/></svg>";
  unsigned long crc = 0, size = 0;
  struct Case {
    const char* name;
    std::string bytes;
    std::wstring lines;
  } const kCases[] = {
      {"nested elements", "<svg>" + nested, L"Lines: 1"},
      {"20 MB on one line", longLine, L"Lines: 1"},
      {"NUL bytes", std::string(300, '\0'), L"Lines: 1"},
      {"gzip bomb", tb::Bomb(31, 16, crc, size), L"Lines: 1"},  // 16 MB of text from some 16 KB
      {"billion laughs", tb::BillionLaughs(), L"Lines: 1"},     // shown as written, never expanded
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(CopyFileW(kThree.c_str(), file.c_str(), FALSE));
    tb::MessageBoxWatcher boxes;
    const bool shown = OpenSource(file, [&](HWND form) {
      EXPECT_EQ(TextOf(LinesLabel(form)), c.lines);
      HWND view = ChildOfClass(form, L"PictaraTextView");
      KeyDown(view, VK_END, true);   // to the end, painted
      KeyDown(view, VK_HOME, false);
      Click(ChildWithText(form, L"Word Wrap"));
      const tb::Screenshot shot = tb::CaptureWindow(view);
      EXPECT_GT(shot.width, 0);
      Click(ChildWithText(form, L"Info"));
    }, [&] { ASSERT_TRUE(WriteBytes(file, c.bytes)); });
    EXPECT_TRUE(shown);
    ASSERT_EQ(boxes.Boxes().size(), c.name == std::string("NUL bytes") ? 0u : 1u) << "Info has a root to report on";
  }
}

}  // namespace
