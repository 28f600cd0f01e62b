// Timing program: how long ListLoadW takes for typical drawings rendered at the window size,
// beside the converter alone producing the same raster in the same run (interleaved, medians).
// Prints the figures; asserts only that both worked, never on time.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "testbed/testbed.h"
#include "viewer/viewer_form_win.h"

namespace tb = pictara::testbed;

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

BOOL CALLBACK CollectWindow(HWND w, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}

std::wstring StatusOf(HWND viewer) {
  std::vector<HWND> all;
  EnumChildWindows(viewer, &CollectWindow, reinterpret_cast<LPARAM>(&all));
  for (HWND w : all) {
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    if (std::wstring(cls) != L"PictaraPanel" || GetDlgCtrlID(w) != pictara::idPanInfo) continue;
    wchar_t text[1024] = {};
    GetWindowTextW(w, text, 1024);
    return text;
  }
  return {};
}

// Runs the converter hidden and waits for it; the time in milliseconds, or -1 when it failed.
// With `shell` it is started the way the plug-in's process runner starts it (ShellExecuteExW),
// which under Wine costs noticeably more than CreateProcessW.
double RunConverter(const std::wstring& exe, const std::wstring& arguments, bool shell) {
  if (shell) {
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof(sei);
    sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    sei.lpFile = exe.c_str();
    sei.lpParameters = arguments.c_str();
    sei.nShow = SW_HIDE;
    const double start = Now();
    if (!ShellExecuteExW(&sei) || !sei.hProcess) return -1;
    WaitForSingleObject(sei.hProcess, INFINITE);
    const double elapsed = Now() - start;
    DWORD code = 1;
    GetExitCodeProcess(sei.hProcess, &code);
    CloseHandle(sei.hProcess);
    return code == 0 ? elapsed : -1;
  }
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi{};
  const double start = Now();
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return -1;
  WaitForSingleObject(pi.hProcess, INFINITE);
  const double elapsed = Now() - start;
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code == 0 ? elapsed : -1;
}

TEST(ViewerLoadBench, ListLoadAgainstTheConverterAlone) {
  const std::wstring converter = tb::ProgramFolder() + L"rsvg\\rsvg-convert.exe";
  // Renders at the window size (OpenWidth=-1), with the converter beside the tests.
  tb::PluginCopy copy("[Setup]\r\nOpenWidth=-1\r\nOpenHeight=-1\r\nRSVGPath=" + tb::Narrow(converter) + "\r\n");
  tb::Plugin plugin(copy.PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::TempFolder out;

  struct Drawing {
    const char* fixture;
    std::vector<double> plugin, alone, shell;
    std::wstring size;
  };
  std::vector<Drawing> drawings = {{"convert/typical800x600.svg", {}, {}, {}, {}},
                                   {"viewer/shapes.svg", {}, {}, {}, {}},
                                   {"viewer/wide2000x1000.svg", {}, {}, {}, {}}};
  constexpr int kRounds = 5;
  tb::ListerWindow lister({.file = L"", .width = 1024, .height = 768});
  for (int round = 0; round <= kRounds; ++round) {
    for (Drawing& d : drawings) {
      const std::wstring file = tb::FixturePath(d.fixture);
      double start = Now();
      HWND viewer = plugin.ListLoadW(lister.Handle(), file.c_str(), 0);
      const double loadMs = Now() - start;
      ASSERT_NE(viewer, nullptr) << d.fixture;
      // The raster's size as the status line reports it: the converter alone renders the same.
      const std::wstring status = StatusOf(viewer);
      int w = 0, h = 0;
      ASSERT_EQ(swscanf(status.c_str(), L"%d x %d", &w, &h), 2) << tb::Narrow(status);
      if (getenv("BENCH_VERBOSE")) std::printf("%.1f ms: %s\n", loadMs, tb::Narrow(status).c_str());
      plugin.ListCloseWindow(viewer);
      tb::PumpMessages();
      d.size = std::to_wstring(w) + L" x " + std::to_wstring(h);

      const std::wstring png = out.Path() + L"alone.png";
      const std::wstring arguments =
          L"\"" + file + L"\" -w " + std::to_wstring(w) + L" -h " + std::to_wstring(h) + L" -a -o \"" + png + L"\"";
      const double aloneMs = RunConverter(converter, arguments, false);
      ASSERT_GE(aloneMs, 0) << d.fixture;
      DeleteFileW(png.c_str());
      const double shellMs = RunConverter(converter, arguments, true);
      ASSERT_GE(shellMs, 0) << d.fixture;
      DeleteFileW(png.c_str());
      if (round == 0) continue;  // warm-up round: caches, first-use costs
      d.plugin.push_back(loadMs);
      d.alone.push_back(aloneMs);
      d.shell.push_back(shellMs);
    }
  }
  // "added": ListLoadW beyond the converter started directly; "beyond shell": beyond the converter
  // started as the plug-in starts it.
  std::printf("%-28s %-12s %10s %10s %10s %8s %12s\n", "drawing", "raster", "ListLoadW", "converter", "via shell",
              "added", "beyond shell");
  for (const Drawing& d : drawings) {
    const double p = Median(d.plugin), a = Median(d.alone), sh = Median(d.shell);
    std::printf("%-28s %-12s %8.1fms %8.1fms %8.1fms %7.1f%% %11.1f%%\n", d.fixture, tb::Narrow(d.size).c_str(), p, a,
                sh, 100.0 * (p - a) / a, 100.0 * (p - sh) / sh);
  }
}

}  // namespace
