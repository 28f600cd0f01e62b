// The sweep's host: one long-lived process that views many real drawings one after another
// through the plug-in's exports, as the file manager does. Each file is loaded into a Lister
// window with ListLoadW, shown until painted, closed with ListCloseWindow and asked for a
// thumbnail with ListGetPreviewBitmapW. The driver (sweep.py) judges the results.
//
//   sweep-host.exe LIST WARMUP
//
// LIST: UTF-8 text, one Linux path a line. The plug-in is a private copy with TimeOutSec set and
// the rsvg-convert bridge beside this program as its converter; its temporary files go to a
// private folder. Output, one line each, flushed at once:
//   begin <n>                       before file n (0-based), so a crash or hang names its file
//   file <n> load=<0|1> shown=<0|1> size=<w>x<h> boxes=<k> children=<c> thumb=<w>x<h> left=<f> ms=<t>
//   objects <n> windows=<w> gdi=<g> slot=<s>   after WARMUP files and after the last one
//   late <f>                        files left in the temporary folder once the plug-in is unloaded
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <string>
#include <vector>

#include "testbed/testbed.h"
#include "viewer/viewer_form_win.h"

namespace tb = pictara::testbed;

namespace {

constexpr int kTimeOutSec = 10;
constexpr int kThumbnailBox = 128;

using pictara::testbed::ImageBoxOf;

std::wstring StatusOf(HWND viewer) {
  for (HWND w : tb::Descendants(viewer))
    if (tb::ClassOf(w) == L"PictaraPanel" && GetDlgCtrlID(w) == pictara::idPanInfo) return tb::TextOf(w);
  return L"";
}

bool PaintPending(HWND viewer) {
  if (GetUpdateRect(viewer, nullptr, FALSE)) return true;
  for (HWND w : tb::Descendants(viewer))
    if (IsWindowVisible(w) && GetUpdateRect(w, nullptr, FALSE)) return true;
  return false;
}

// Lets the message loop run until the viewer has nothing left to paint; a scaled picture also gets
// its deferred smooth paint.
bool PumpUntilPainted(HWND viewer, int percent) {
  const DWORD start = GetTickCount();
  while (PaintPending(viewer)) {
    if (GetTickCount() - start > 5000) return false;
    tb::PumpMessages(10);
  }
  if (percent != 100) tb::PumpMessages(400);
  tb::PumpMessages();
  return !PaintPending(viewer);
}

int FilesIn(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do {
    if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0) ++n;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return n;
}

// The thumbnail's size; the bitmap is freed as the host frees it after use.
SIZE TakeThumbnail(HBITMAP bitmap) {
  SIZE size{0, 0};
  if (!bitmap) return size;
  DIBSECTION dib{};
  if (GetObjectW(bitmap, sizeof(dib), &dib) == sizeof(dib) && dib.dsBm.bmBits) {
    size.cx = dib.dsBm.bmWidth;
    size.cy = dib.dsBm.bmHeight;
  }
  DeleteObject(bitmap);
  return size;
}

void PrintObjects(size_t n) {
  tb::PumpMessages();
  const tb::ObjectCounts c = tb::CountObjects();
  std::printf("objects %zu windows=%zu gdi=%zu slot=%zu\n", n, c.windows, c.gdiLive,
              static_cast<size_t>(c.gdiSlot));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: sweep-host LIST WARMUP\n");
    return 2;
  }
  std::vector<std::wstring> files;
  {
    std::ifstream list(argv[1], std::ios::binary);
    for (std::string line; std::getline(list, line);)
      if (!line.empty()) files.push_back(tb::UnixPathToWindows(line));
  }
  const size_t warmup = static_cast<size_t>(std::atoi(argv[2]));

  const std::string ini = "[Setup]\r\nTimeOutSec=" + std::to_string(kTimeOutSec) + "\r\nRSVGPath=" +
                          tb::Narrow(tb::ProgramFolder()) + "rsvg\\rsvg-convert.exe\r\nShowThumbnailsInTC=1\r\n";
  tb::PluginCopy copy(ini);
  const std::wstring temp = tb::NewTempFolder(L"pictara-sweep-");
  SetEnvironmentVariableW(L"TMP", temp.c_str());
  SetEnvironmentVariableW(L"TEMP", temp.c_str());
  int status = 0;
  {
    tb::Plugin plugin(copy.PluginPath());
    if (!plugin.Loaded()) {
      std::fprintf(stderr, "plug-in not loaded: %s\n", plugin.Problem().c_str());
      return 2;
    }
    tb::MessageBoxWatcher boxes;
    tb::ListerWindow lister;
    for (size_t n = 0; n < files.size(); ++n) {
      std::printf("begin %zu\n", n);
      std::fflush(stdout);
      const std::wstring& file = files[n];
      const size_t boxesBefore = boxes.Boxes().size();
      const DWORD start = GetTickCount();
      SetWindowTextW(lister.Handle(), (L"Lister - [" + file + L"]").c_str());
      HWND viewer = plugin.ListLoadW(lister.Handle(), file.c_str(), 0);
      bool shown = false;
      int w = 0, h = 0;
      if (viewer) {
        lister.SetViewer(viewer);
        int bits = 0, percent = 0;
        std::swscanf(StatusOf(viewer).c_str(), L"%d x %d x %d  (%d%%)", &w, &h, &bits, &percent);
        const bool painted = PumpUntilPainted(viewer, percent);
        shown = painted && ImageBoxOf(viewer) && IsWindowVisible(viewer) && w > 0 && h > 0;
        plugin.ListCloseWindow(viewer);
        lister.SetViewer(nullptr);
      }
      tb::PumpMessages();
      const size_t children = lister.Children().size();
      const SIZE thumb = TakeThumbnail(
          plugin.ListGetPreviewBitmapW(file.c_str(), kThumbnailBox, kThumbnailBox, nullptr, 0));
      const DWORD ms = GetTickCount() - start;
      std::printf("file %zu load=%d shown=%d size=%dx%d boxes=%zu children=%zu thumb=%ldx%ld left=%d ms=%lu\n", n,
                  viewer ? 1 : 0, shown ? 1 : 0, w, h, boxes.Boxes().size() - boxesBefore, children,
                  static_cast<long>(thumb.cx), static_cast<long>(thumb.cy), FilesIn(temp),
                  static_cast<unsigned long>(ms));
      std::fflush(stdout);
      if (n + 1 == warmup) PrintObjects(n + 1);
    }
    PrintObjects(files.size());
  }
  // With the plug-in unloaded: whatever it left behind, outputs of converters that ran past the
  // time limit included.
  std::printf("late %d\n", FilesIn(temp));
  std::fflush(stdout);
  tb::RemoveTree(temp);
  return status;
}
