// Timing program: how long ListLoadW takes for typical drawings rendered at the window size,
// beside the converter alone producing the same raster in the same run. The two are interleaved
// round by round (which one goes first alternates), so a machine that gets busier or quieter
// during the run moves both alike; the plug-in's cost is judged by the per-round ratio, whose
// median and interquartile range are printed beside the medians and ranges of both columns.
// Also prints, from the plug-in's own load trace (PICTARA_TRACE), the median of each phase.
// Asserts only that both worked, never on time. BENCH_ROUNDS sets the number of rounds.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "testbed/testbed.h"
#include "testbed/timing.h"
#include "viewer/viewer_form_win.h"

namespace tb = pictara::testbed;

namespace {

using tb::Median;
using tb::Quantile;
double Now() { return tb::NowMs(); }
int Rounds(int fallback) { return tb::BenchRounds(fallback); }

// The middle half of the values: first to third quartile.
std::string Spread(const std::vector<double>& v, const char* format) {
  char text[64];
  std::snprintf(text, sizeof text, format, Quantile(v, 0.25), Quantile(v, 0.75));
  return text;
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

// Adds the phases of the trace file's loads to `phases` and removes the file.
void CollectTrace(const std::wstring& file, std::map<std::string, std::vector<double>>& phases,
                  std::vector<std::string>& order) {
  std::ifstream in(tb::Narrow(file));
  std::string line;
  while (std::getline(in, line)) {
    const size_t colon = line.rfind(':');
    if (line.rfind("  ", 0) != 0 || colon == std::string::npos) continue;
    const std::string name = line.substr(2, colon - 2);
    if (!phases.count(name)) order.push_back(name);
    phases[name].push_back(std::atof(line.c_str() + colon + 1));
  }
  in.close();
  DeleteFileW(file.c_str());
}

TEST(ViewerLoadBench, ListLoadAgainstTheConverterAlone) {
  const std::wstring converter = tb::ProgramFolder() + L"rsvg\\rsvg-convert.exe";
  // Renders at the window size (OpenWidth=-1) but small drawings at their own size, with the
  // converter beside the tests.
  tb::PluginCopy copy("[Setup]\r\nOpenWidth=-1\r\nOpenHeight=-1\r\nDontResizeSmall=1\r\nRSVGPath=" +
                      tb::Narrow(converter) + "\r\n");
  tb::TempFolder out;
  const std::wstring traceFile = out.Path() + L"trace.txt";
  SetEnvironmentVariableW(L"PICTARA_TRACE", traceFile.c_str());
  tb::Plugin plugin(copy.PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();

  struct Drawing {
    explicit Drawing(const char* name) : fixture(name) {}
    const char* fixture;
    std::vector<double> plugin, alone, shell, painted;
    // Per round: ListLoadW beyond the converter alone, in percent (and with the first paint).
    std::vector<double> added, addedPainted;
    std::wstring size;
    int width = 0, height = 0;
    std::map<std::string, std::vector<double>> phases;
    std::vector<std::string> order;
  };
  std::vector<Drawing> drawings = {Drawing("convert/typical800x600.svg"), Drawing("viewer/shapes.svg"),
                                   Drawing("viewer/diagram1000x500.svg"), Drawing("viewer/icon16.svg")};
  const int kRounds = Rounds(25);
  tb::ListerWindow lister({.file = L"", .width = 1024, .height = 768});
  for (int round = 0; round <= kRounds; ++round) {
    for (Drawing& d : drawings) {
      const std::wstring file = tb::FixturePath(d.fixture);
      const std::wstring png = out.Path() + L"alone.png";
      auto arguments = [&](int w, int h) {
        return L"\"" + file + L"\" -w " + std::to_wstring(w) + L" -h " + std::to_wstring(h) + L" -a -o \"" + png +
               L"\"";
      };
      // Every other round the converter alone goes first (its raster size is known from the
      // round before).
      double aloneMs = -1;
      const bool aloneFirst = round % 2 == 1 && !d.size.empty();
      if (aloneFirst) {
        aloneMs = RunConverter(converter, arguments(d.width, d.height), false);
        ASSERT_GE(aloneMs, 0) << d.fixture;
        DeleteFileW(png.c_str());
      }
      double start = Now();
      HWND viewer = plugin.ListLoadW(lister.Handle(), file.c_str(), 0);
      const double loadMs = Now() - start;
      ASSERT_NE(viewer, nullptr) << d.fixture;
      // The raster's size as the status line reports it: the converter alone renders the same.
      const std::wstring status = StatusOf(viewer);
      int w = 0, h = 0;
      ASSERT_EQ(swscanf(status.c_str(), L"%d x %d", &w, &h), 2) << tb::Narrow(status);
      if (getenv("BENCH_VERBOSE")) std::printf("%.1f ms: %s\n", loadMs, tb::Narrow(status).c_str());
      start = Now();
      RedrawWindow(viewer, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      const double paintMs = Now() - start;
      plugin.ListCloseWindow(viewer);
      tb::PumpMessages();
      d.size = std::to_wstring(w) + L" x " + std::to_wstring(h);
      d.width = w;
      d.height = h;

      if (!aloneFirst) {
        aloneMs = RunConverter(converter, arguments(w, h), false);
        ASSERT_GE(aloneMs, 0) << d.fixture;
        DeleteFileW(png.c_str());
      }
      const double shellMs = RunConverter(converter, arguments(w, h), true);
      ASSERT_GE(shellMs, 0) << d.fixture;
      DeleteFileW(png.c_str());
      if (round == 0) {  // warm-up round: caches, first-use costs
        DeleteFileW(traceFile.c_str());
        continue;
      }
      CollectTrace(traceFile, d.phases, d.order);
      if (!d.phases.count("first paint")) d.order.push_back("first paint");
      d.phases["first paint"].push_back(paintMs);
      d.plugin.push_back(loadMs);
      d.alone.push_back(aloneMs);
      d.shell.push_back(shellMs);
      d.painted.push_back(loadMs + paintMs);
      d.added.push_back(100.0 * (loadMs - aloneMs) / aloneMs);
      d.addedPainted.push_back(100.0 * (loadMs + paintMs - aloneMs) / aloneMs);
    }
  }
  std::printf("%d rounds; medians, the middle half in brackets\n", kRounds);
  // "added": ListLoadW beyond the converter started directly (CreateProcessW), per round;
  // "+ paint": with the first paint of the viewer, which the user waits for too; "via shell": the
  // converter started through ShellExecuteExW, for comparison.
  std::printf("%-28s %-12s %22s %22s %10s %20s %20s\n", "drawing", "raster", "ListLoadW ms", "converter ms",
              "via shell", "added %", "+ paint %");
  for (const Drawing& d : drawings) {
    std::printf("%-28s %-12s %7.1f %-14s %7.1f %-14s %8.1f  %6.1f %-13s %6.1f %-13s\n", d.fixture,
                tb::Narrow(d.size).c_str(), Median(d.plugin), Spread(d.plugin, "[%.0f-%.0f]").c_str(),
                Median(d.alone), Spread(d.alone, "[%.0f-%.0f]").c_str(), Median(d.shell), Median(d.added),
                Spread(d.added, "[%.1f %.1f]").c_str(), Median(d.addedPainted),
                Spread(d.addedPainted, "[%.1f %.1f]").c_str());
  }
  // The phases of one load, medians; "total" is the load's own measure inside ListLoadW, and
  // "first paint" (measured here) follows it.
  std::printf("\n%-32s", "phase (median ms)");
  for (const Drawing& d : drawings) std::printf(" %14.14s", d.fixture + std::string(d.fixture).find('/') + 1);
  std::printf("\n");
  for (const std::string& name : drawings.front().order) {
    std::printf("%-32s", name.c_str());
    for (const Drawing& d : drawings) {
      auto it = d.phases.find(name);
      std::printf(" %14.2f", it == d.phases.end() ? 0.0 : Median(it->second));
    }
    std::printf("\n");
  }
  SetEnvironmentVariableW(L"PICTARA_TRACE", nullptr);
}

// The plug-in's own work on the thread for a full-screen raster: every traced phase but the
// converter run, median of nine loads (BENCH_ROUNDS), and the first paint that follows.
TEST(ViewerLoadBench, OwnWorkForAFullScreenRaster) {
  const std::wstring converter = tb::ProgramFolder() + L"rsvg\\rsvg-convert.exe";
  tb::PluginCopy copy("[Setup]\r\nOpenWidth=1920\r\nOpenHeight=1080\r\nRSVGPath=" + tb::Narrow(converter) + "\r\n");
  tb::TempFolder out;
  const std::wstring traceFile = out.Path() + L"trace.txt";
  SetEnvironmentVariableW(L"PICTARA_TRACE", traceFile.c_str());
  tb::Plugin plugin(copy.PluginPath());
  ASSERT_TRUE(plugin.Loaded()) << plugin.Problem();
  tb::ListerWindow lister({.file = L"", .width = 1024, .height = 768});
  const std::wstring file = tb::FixturePath("viewer/screen1920x1080.svg");
  std::vector<double> own, paint;
  std::map<std::string, std::vector<double>> all;
  std::vector<std::string> allOrder;
  const int rounds = Rounds(9);
  for (int round = 0; round <= rounds; ++round) {
    HWND viewer = plugin.ListLoadW(lister.Handle(), file.c_str(), 0);
    ASSERT_NE(viewer, nullptr);
    const double start = Now();
    RedrawWindow(viewer, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double paintMs = Now() - start;
    plugin.ListCloseWindow(viewer);
    tb::PumpMessages();
    std::map<std::string, std::vector<double>> phases;
    std::vector<std::string> order;
    CollectTrace(traceFile, phases, order);
    if (round == 0) continue;
    ASSERT_EQ(phases["total"].size(), 1u);
    own.push_back(phases["total"][0] - phases["converter run"][0]);
    for (const std::string& name : order) {
      if (!all.count(name)) allOrder.push_back(name);
      all[name].push_back(phases[name][0]);
    }
    paint.push_back(paintMs);
  }
  std::printf("1920 x 1080 raster: own work on the thread %.2f ms %s (trace without the converter run), first paint "
              "%.2f ms %s\n",
              Median(own), Spread(own, "[%.1f-%.1f]").c_str(), Median(paint), Spread(paint, "[%.1f-%.1f]").c_str());
  for (const std::string& name : allOrder) std::printf("  %-32s %8.2f ms\n", name.c_str(), Median(all[name]));
  SetEnvironmentVariableW(L"PICTARA_TRACE", nullptr);
}

}  // namespace
