// Test bed for the Windows tests and the lister-host tool: a stand-in for the host's Lister
// window, the plug-in loaded as the host loads it, pixel read-back of windows, and a private copy
// of the plug-in with its own Pictara.ini.
//
// Typical use:
//
//   pictara::testbed::Plugin plugin;                       // Pictara.wlx64 / .wlx beside the test
//   pictara::testbed::ListerWindow lister({.file = path});  // caption "Lister - [path]"
//   HWND viewer = plugin.ListLoadW(lister.Handle(), path.c_str(), 0);
//   pictara::testbed::PumpMessages();                       // let posted messages arrive
//   auto shot = pictara::testbed::CaptureWindow(lister.Handle());
//   EXPECT_EQ(shot.Pixel(10, shot.height - 3), ...);
//   plugin.ListCloseWindow(viewer);
//
// Tests that need their own settings use PluginCopy: a temporary folder holding a copy of the
// plug-in and the Pictara.ini they write; Plugin(copy.PluginPath()) loads that copy (its own
// settings, read when it is loaded). Fixture files: FixturePath("topic/file.svg").
//
// Keys the viewer forwards to the host: lister.PostedKeys() after PumpMessages (or after a modal
// loop: the recording is done by a message hook, not by PumpMessages). Message boxes: keep a
// MessageBoxWatcher alive; each box is recorded and answered with OK.
//
// Program names (tests/win/CMakeLists.txt): *_focus_test programs run alone, because the keyboard
// focus follows the foreground window, which other tests' windows would take; host_*_test
// programs also link the host library to drive the viewer link in-process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace pictara::testbed {

// ---- Small helpers -----------------------------------------------------------------------------

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
// A file of tests/fixtures as a Windows path (the fixtures folder is given as a Linux path; Wine
// shows the Linux file system as a drive).
std::wstring FixturePath(const std::string& relative);
// A Linux path as Wine shows it to Windows programs.
std::wstring UnixPathToWindows(const std::string& unixPath);
// A fresh empty temporary folder (trailing backslash); the caller removes it.
std::wstring NewTempFolder(const wchar_t* prefix);
void RemoveTree(const std::wstring& folder);

// ---- The plug-in -------------------------------------------------------------------------------

// The folder of the running program, with a trailing backslash.
std::wstring ProgramFolder();

// Pictara.wlx64 (64-bit test) or Pictara.wlx (32-bit test) beside the running program.
std::wstring DefaultPluginPath();

// The plug-in loaded with LoadLibraryW and its eight exports, called as the host calls them.
class Plugin {
 public:
  using ListLoadWFn = HWND(__stdcall*)(HWND, const wchar_t*, int);
  using ListLoadFn = HWND(__stdcall*)(HWND, const char*, int);
  using ListLoadNextWFn = int(__stdcall*)(HWND, HWND, const wchar_t*, int);
  using ListLoadNextFn = int(__stdcall*)(HWND, HWND, const char*, int);
  using ListCloseWindowFn = void(__stdcall*)(HWND);
  using ListGetDetectStringFn = void(__stdcall*)(char*, int);
  using ListGetPreviewBitmapWFn = HBITMAP(__stdcall*)(const wchar_t*, int, int, char*, int);
  using ListGetPreviewBitmapFn = HBITMAP(__stdcall*)(const char*, int, int, char*, int);

  explicit Plugin(const std::wstring& path = DefaultPluginPath());
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  // LoadLibraryW succeeded and all eight exports were found.
  bool Loaded() const { return module_ && missing_.empty(); }
  // Names of exports that were not found, or why loading failed.
  const std::string& Problem() const { return missing_; }
  HMODULE Module() const { return module_; }
  // FreeLibrary now (the destructor does it otherwise).
  void Unload();

  ListLoadWFn ListLoadW = nullptr;
  ListLoadFn ListLoad = nullptr;
  ListLoadNextWFn ListLoadNextW = nullptr;
  ListLoadNextFn ListLoadNext = nullptr;
  ListCloseWindowFn ListCloseWindow = nullptr;
  ListGetDetectStringFn ListGetDetectString = nullptr;
  ListGetPreviewBitmapWFn ListGetPreviewBitmapW = nullptr;
  ListGetPreviewBitmapFn ListGetPreviewBitmap = nullptr;

 private:
  HMODULE module_ = nullptr;
  std::string missing_;
};

// The host's dark-mode bit of the ShowFlags word.
constexpr int kShowFlagDarkMode = 128;

// ---- The stand-in Lister window ---------------------------------------------------------------

// A message taken from the thread's queue for one of the recorded windows: what the plug-in
// posted to the Lister (forwarded keys, close requests).
struct PostedMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

struct ListerOptions {
  std::wstring file;         // caption "Lister - [file]"; empty gives "Lister"
  int width = 800;           // outer size of the top-level window
  int height = 600;
  bool embedded = false;     // the Lister is a child of another top-level window
  bool verticalScrollBar = false;    // WS_VSCROLL with a range set
  bool horizontalScrollBar = false;  // WS_HSCROLL with a range set
  bool visible = true;
  // Keeps the viewer window filling the client area when the Lister is resized, as the host does.
  bool resizeViewer = true;
};

class ListerWindow {
 public:
  explicit ListerWindow(const ListerOptions& options = {});
  ~ListerWindow();
  ListerWindow(const ListerWindow&) = delete;
  ListerWindow& operator=(const ListerWindow&) = delete;

  // The Lister window: the plug-in's parent.
  HWND Handle() const { return lister_; }
  // The top-level window: the Lister itself, or its outer frame when embedded.
  HWND TopLevel() const { return frame_ ? frame_ : lister_; }
  // A focusable control beside the embedded Lister in the outer frame (nullptr when top-level), to
  // check that an embedded Lister leaves the focus where it was.
  HWND FrameControl() const { return frameControl_; }

  // The window the Lister keeps at its client size (normally the handle ListLoadW returned).
  void SetViewer(HWND viewer) { viewer_ = viewer; }

  // Messages taken from the queue for the Lister window since the last Clear, whoever ran the
  // message loop (PumpMessages, a message box, a modal dialog). Besides what the plug-in posted
  // this holds the system's own queue traffic (WM_PAINT, WM_TIMER, mouse moves): filter.
  const std::vector<PostedMessage>& Posted() const { return posted_; }
  // The virtual keys of the WM_KEYDOWN messages among them, in order.
  std::vector<WPARAM> PostedKeys() const;
  void ClearPosted() { posted_.clear(); }
  // Called when a WM_KEYDOWN reaches the Lister window (the tool closes the window on Esc).
  std::function<void(WPARAM key)> onKeyDown;

  // Direct child windows of the Lister.
  std::vector<HWND> Children() const;
  std::wstring Caption() const;

  // Destroys the Lister (and the frame) now, without telling the plug-in.
  void Destroy();
  bool Exists() const { return lister_ && IsWindow(lister_); }

 private:
  static LRESULT CALLBACK ListerProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK GetMessageHook(int, WPARAM, LPARAM);

  HWND frame_ = nullptr;
  HWND frameControl_ = nullptr;
  HWND lister_ = nullptr;
  HWND viewer_ = nullptr;
  bool resizeViewer_ = true;
  HHOOK hook_ = nullptr;
  std::vector<PostedMessage> posted_;
};

// Dispatches every message waiting in this thread's queue, then keeps doing so for `ms`
// milliseconds (0: only what is already there). Posted messages of the plug-in (focus, keys) are
// handled only once this runs.
void PumpMessages(int ms = 0);

// ---- Pixels ------------------------------------------------------------------------------------

// A copy of a window's pixels, top row first, 0x00RRGGBB per pixel.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t Pixel(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// 0x00RRGGBB, as Screenshot pixels hold it.
constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b; }
// A COLORREF / settings colour (0x00BBGGRR) as 0x00RRGGBB.
constexpr uint32_t FromColorRef(uint32_t bgr) { return Rgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

// Repaints the window and its children, then copies what its client area shows (the frame is
// drawn by the window manager, if any, and is not ours to check). Empty on failure.
// With `repaintFirst` false the window is copied as it stands: a forced repaint shows the image
// box's quick paint, and the smooth one follows only after its pause.
Screenshot CaptureWindow(HWND window, bool repaintFirst = true);

// Lets the message loop run until what `window` shows (copied as it stands, no repaint forced)
// satisfies `ready`, or `limitMs` has passed: a paint that comes from a timer (the image box's
// smooth paint) is waited for by its pixels, not by a fixed pause. The last copy either way.
Screenshot WaitForPixels(HWND window, const std::function<bool(const Screenshot&)>& ready, int limitMs = 10000);

// Writes the screenshot as a PNG file through the Windows Imaging Component.
bool SavePng(const Screenshot& shot, const std::wstring& path);

// ---- Windows by class and caption ------------------------------------------------------------

inline std::wstring ClassOf(HWND w) {
  wchar_t name[64] = {};
  GetClassNameW(w, name, 64);
  return name;
}

// The window's text: a control's caption, which is how a user (or a screen reader) finds it.
inline std::wstring TextOf(HWND w) {
  wchar_t text[512] = {};
  GetWindowTextW(w, text, 512);
  return text;
}

// Every child window below `parent`, at any depth.
inline BOOL CALLBACK AppendWindow(HWND w, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
  return TRUE;
}
inline std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> out;
  EnumChildWindows(parent, &AppendWindow, reinterpret_cast<LPARAM>(&out));
  return out;
}

// The viewer's image box (the zoomable picture control), or null when it has none.
inline HWND ImageBoxOf(HWND viewer) {
  for (HWND w : Descendants(viewer))
    if (ClassOf(w) == L"PictaraZoomImageBox") return w;
  return nullptr;
}

// ---- Objects of this process -------------------------------------------------------------------

// What a leak would make grow. Wine answers GetGuiResources with 0; there `gdiLive` is read from
// its handle table instead, and `gdiSlot` is the highest handle slot a burst of new objects gets
// (a leaked object keeps its slot, so the slots handed out move on).
struct ObjectCounts {
  DWORD gdi = 0, user = 0;  // GetGuiResources
  size_t windows = 0;       // this thread's windows, children included
  size_t gdiLive = 0;       // GDI objects alive in this process (0: not known)
  uintptr_t gdiSlot = 0;
};
ObjectCounts CountObjects();

// ---- Message boxes -----------------------------------------------------------------------------

// While it lives, every message box (or other standard dialog) shown on this thread is recorded and
// answered with OK at once, so that a test never waits for a person.
class MessageBoxWatcher {
 public:
  struct Box {
    HWND owner;
    std::wstring caption;
    std::wstring text;        // the message text as shown
    HICON icon;               // compare with LoadIconW(nullptr, IDI_WARNING) etc.
    int visibleButtons;
  };
  MessageBoxWatcher();
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;
  const std::vector<Box>& Boxes() const { return boxes_; }

 private:
  static LRESULT CALLBACK CbtHook(int, WPARAM, LPARAM);
  HHOOK hook_ = nullptr;
  std::vector<Box> boxes_;
};

// ---- A private copy of the plug-in -------------------------------------------------------------

// A temporary folder that removes itself with everything in it.
class TempFolder {
 public:
  TempFolder() : path_(NewTempFolder(L"pictara-test-")) {}
  ~TempFolder() { RemoveTree(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& Path() const { return path_; }  // with trailing backslash

 private:
  std::wstring path_;
};

class PluginCopy {
 public:
  // Copies the plug-in beside the running program into a fresh temporary folder; iniText (UTF-8,
  // written as is) becomes its Pictara.ini unless empty.
  explicit PluginCopy(const std::string& iniText = "");
  ~PluginCopy();  // removes the folder; unload the plug-in first
  PluginCopy(const PluginCopy&) = delete;
  PluginCopy& operator=(const PluginCopy&) = delete;

  const std::wstring& Folder() const { return folder_; }  // with trailing backslash
  std::wstring PluginPath() const;
  // Writes (or replaces) a file in the folder.
  void WriteFile(const std::wstring& name, const std::string& bytes) const;

 private:
  std::wstring folder_;
};

}  // namespace pictara::testbed
