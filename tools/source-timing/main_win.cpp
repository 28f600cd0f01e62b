// Opens the source window on generated 20 MB files and prints how long the steps take: from the
// command to the first page painted (a thread timer runs only once the window's pending paints are
// done), Ctrl+End with its page painted, word wrap switched on with its page painted. Usage:
// source-timing [folder for the generated files, default: the temporary folder]
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/window_win.h"
#include "source/source_window_win.h"

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

double g_start = 0;
double g_firstPage = 0, g_toEnd = 0, g_wrap = 0;

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text) {
  return FindWindowExW(parent, nullptr, cls, text);
}

void SendKey(HWND w, UINT key, bool ctrl) {
  BYTE state[256] = {};
  if (ctrl) state[VK_CONTROL] = 0x80;
  SetKeyboardState(state);
  SendMessageW(w, WM_KEYDOWN, key, 0);
  BYTE none[256] = {};
  SetKeyboardState(none);
}

void CALLBACK Measure(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND form = FindWindowW(L"PictaraSourceWindow", nullptr);
  if (!form || !IsWindowVisible(form)) return;
  KillTimer(nullptr, timer);
  HWND view = Child(form, L"PictaraTextView", nullptr);
  UpdateWindow(view);
  g_firstPage = Now() - g_start;
  double t = Now();
  SendKey(view, VK_END, true);
  UpdateWindow(view);
  g_toEnd = Now() - t;
  t = Now();
  SendMessageW(Child(form, L"PictaraLinkLabel", L"Word Wrap"), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  UpdateWindow(view);
  g_wrap = Now() - t;
  PostMessageW(form, WM_CLOSE, 0, 0);
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(h);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring folder;
  if (argc > 1) {
    folder = argv[1];
    if (folder.back() != L'\\') folder += L'\\';
  } else {
    wchar_t tmp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tmp);
    folder = tmp;
  }
  constexpr size_t kSize = 20u * 1024 * 1024;
  std::string lines = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"100\">\n";
  for (int i = 0; lines.size() < kSize; ++i) {
    lines += "  <rect id=\"r" + std::to_string(i) + "\" x=\"10\" y=\"20\" width=\"30\" height=\"40\" fill=\"#c0c0c0\"/>\n";
  }
  lines += "</svg>\n";
  std::string single = "<svg xmlns=\"http://www.w3.org/2000/svg\"><path d=\"";
  while (single.size() < kSize) single += "M 10 10 L 20 20 C 1 2 3 4 5 6 ";
  single += "\"/></svg>";
  const struct {
    const wchar_t* name;
    const std::string* text;
  } files[] = {{L"source-timing-lines.svg", &lines}, {L"source-timing-single.svg", &single}};
  std::printf("%-28s %12s %12s %12s %12s\n", "file (20 MB)", "open+page", "to end", "wrap on", "total");
  for (const auto& f : files) {
    const std::wstring path = folder + f.name;
    if (!WriteFileBytes(path, *f.text)) {
      std::fprintf(stderr, "cannot write %ls\n", path.c_str());
      return 2;
    }
    g_firstPage = g_toEnd = g_wrap = 0;
    SetTimer(nullptr, 0, 1, &Measure);
    g_start = Now();
    pictara::ShowSourceWindow(pictara::Narrow(path), nullptr,
                              [](const std::exception& e) { std::fprintf(stderr, "error: %s\n", e.what()); });
    const double total = Now() - g_start;
    std::printf("%-28ls %10.1fms %10.1fms %10.1fms %10.1fms\n", f.name, g_firstPage, g_toEnd, g_wrap, total);
    DeleteFileW(path.c_str());
  }
  return 0;
}
